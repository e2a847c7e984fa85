// Start-up to the first painted window: the reader against a minimal program
// that opens and paints an empty window. Each is started, timed until its
// message loop first waits for input (its window created, shown and painted),
// and closed again; the median of several runs is reported, with the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

double StartAndTime(const wchar_t* path, const wchar_t* windowClass) {
  STARTUPINFOW si = {sizeof si};
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi = {};
  wchar_t commandLine[MAX_PATH + 2];
  wsprintfW(commandLine, L"\"%s\"", path);
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForInputIdle(pi.hProcess, 30000);
  QueryPerformanceCounter(&end);
  HWND window = nullptr;
  for (int i = 0; i < 200 && !window; ++i) {
    window = FindWindowW(windowClass, nullptr);
    if (!window) Sleep(10);
  }
  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

// bench_startup [READER [RUNS]]: another build of the reader may be given, to compare builds.
int main(int argc, char** argv) {
  wchar_t readerPath[MAX_PATH] = READER_PATH;
  if (argc > 1) MultiByteToWideChar(CP_ACP, 0, argv[1], -1, readerPath, MAX_PATH);
  // A chosen font, so that the reader does not stop at its first-run dialog.
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillary\\Orvane", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    const wchar_t face[] = L"DejaVu Sans";
    RegSetValueExW(key, L"FontName", 0, REG_SZ, reinterpret_cast<const BYTE*>(face), sizeof face);
    RegCloseKey(key);
  }
  wchar_t baseline[MAX_PATH];
  GetModuleFileNameW(nullptr, baseline, MAX_PATH);
  *wcsrchr(baseline, L'\\') = 0;
  lstrcatW(baseline, L"\\empty_window.exe");

  const int runs = argc > 2 ? std::atoi(argv[2]) : 11;
  std::vector<double> reader, empty;
  StartAndTime(baseline, L"EmptyWindow");  // warm-up of the prefix and caches
  StartAndTime(readerPath, L"Orvane");
  for (int i = 0; i < runs; ++i) {
    empty.push_back(StartAndTime(baseline, L"EmptyWindow"));
    reader.push_back(StartAndTime(readerPath, L"Orvane"));
  }
  const double r = Median(reader), e = Median(empty);
  const double rFast = *std::min_element(reader.begin(), reader.end());
  const double eFast = *std::min_element(empty.begin(), empty.end());
  if (rFast < 0 || eFast < 0) {
    std::printf("startup: could not start the programs\n");
    return 1;
  }
  // The fastest run is the one least disturbed by other work on the machine.
  std::printf("startup to first painted window (median of %d): reader %.1f ms, empty window %.1f ms, ratio %.2f\n",
              runs, r, e, r / e);
  std::printf("startup to first painted window (fastest of %d): reader %.1f ms, empty window %.1f ms, ratio %.2f\n",
              runs, rFast, eFast, rFast / eFast);
  return 0;
}
