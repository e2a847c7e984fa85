// Start-up to the first painted window: the reader against a minimal program
// that opens and paints an empty window. Each is started, timed until its
// message loop first waits for input (its window created, shown and painted),
// and closed again; the median of several runs is reported, with the ratio.
// A second build of the reader may be given to time it in the same rounds:
// its ratio to the first is then reported as well, round by round.
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

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

// bench_startup [READER [RUNS [OTHER_READER]]]: another build of the reader
// may be given in place of the built one, and a second one to compare with.
int main(int argc, char** argv) {
  wchar_t readerPath[MAX_PATH] = READER_PATH;
  if (argc > 1) MultiByteToWideChar(CP_ACP, 0, argv[1], -1, readerPath, MAX_PATH);
  wchar_t otherPath[MAX_PATH] = L"";
  if (argc > 3) MultiByteToWideChar(CP_ACP, 0, argv[3], -1, otherPath, MAX_PATH);
  const bool compare = otherPath[0] != 0;
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
  std::vector<double> reader, empty, other, pairRatios;
  StartAndTime(baseline, L"EmptyWindow");  // warm-up of the prefix and caches
  StartAndTime(readerPath, L"Orvane");
  if (compare) StartAndTime(otherPath, L"Orvane");
  for (int i = 0; i < runs; ++i) {
    empty.push_back(StartAndTime(baseline, L"EmptyWindow"));
    // The two builds take turns at going first, so that neither always
    // follows the baseline.
    if (compare && i % 2) other.push_back(StartAndTime(otherPath, L"Orvane"));
    reader.push_back(StartAndTime(readerPath, L"Orvane"));
    if (compare && !(i % 2)) other.push_back(StartAndTime(otherPath, L"Orvane"));
    if (compare) pairRatios.push_back(reader.back() / other.back());
  }
  const double r = Median(reader), e = Median(empty);
  const double rFast = Fastest(reader), eFast = Fastest(empty);
  if (rFast < 0 || eFast < 0 || (compare && Fastest(other) < 0)) {
    std::printf("startup: could not start the programs\n");
    return 1;
  }
  // The fastest run is the one least disturbed by other work on the machine.
  std::printf("startup to first painted window (median of %d): reader %.1f ms, empty window %.1f ms, ratio %.2f\n",
              runs, r, e, r / e);
  std::printf("startup to first painted window (fastest of %d): reader %.1f ms, empty window %.1f ms, ratio %.2f\n",
              runs, rFast, eFast, rFast / eFast);
  if (compare) {
    const double o = Median(other), oFast = Fastest(other);
    std::printf("other build (median of %d): %.1f ms, ratio %.2f to the empty window; fastest %.1f ms, ratio %.2f\n",
                runs, o, o / e, oFast, oFast / eFast);
    std::printf("reader against the other build: median of the ratios of each round %.2f, of the fastest runs %.2f\n",
                Median(pairRatios), rFast / oFast);
  }
  return 0;
}
