// Prints where the running reader's client area lies on the screen and the
// sizes the split view depends on, for the system tests that read pixels.
// With the argument "title", prints the foreground window's title instead;
// with "owner", whether a reader owns the single-instance mutex ("owned",
// "free" or "none"); with "hold MS", owns that mutex for MS milliseconds and
// ends without releasing it, as a reader does that ends (prints "held", or
// "taken" when another has it); with "place", where the reader's window and
// its results window lie and on which monitor; with "command ID", posts that
// command to the reader; with "close", closes the reader as its close box does.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// "NAME left top right bottom zoomed Z monitor l t r b work l t r b", or "NAME none".
void PrintPlace(const char* name, HWND window) {
  if (!window || !IsWindowVisible(window)) {
    std::printf("%s none\n", name);
    return;
  }
  RECT r{};
  GetWindowRect(window, &r);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& m = info.rcMonitor;
  const RECT& w = info.rcWork;
  std::printf("%s %ld %ld %ld %ld zoomed %d monitor %ld %ld %ld %ld work %ld %ld %ld %ld\n", name, r.left, r.top,
              r.right, r.bottom, IsZoomed(window) ? 1 : 0, m.left, m.top, m.right, m.bottom, w.left, w.top, w.right,
              w.bottom);
}

}  // namespace

int main(int argc, char** argv) {
  const wchar_t mutexName[] = L"Local\\Quillary.Orvane.Reader";
  if (argc > 1 && std::strcmp(argv[1], "owner") == 0) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, mutexName);
    const DWORD wait = mutex ? WaitForSingleObject(mutex, 0) : WAIT_FAILED;
    std::puts(!mutex ? "none" : wait == WAIT_TIMEOUT ? "owned" : "free");
    return 0;
  }
  if (argc > 2 && std::strcmp(argv[1], "hold") == 0) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, mutexName);
    std::puts(mutex && GetLastError() != ERROR_ALREADY_EXISTS ? "held" : "taken");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atoi(argv[2])));
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "title") == 0) {
    char title[128] = {};
    GetWindowTextA(GetForegroundWindow(), title, sizeof title);
    std::printf("title %s\n", title);
    return 0;
  }
  HWND window = FindWindowW(L"Orvane", L"Orvane");
  if (!window) {
    std::puts("none");
    return 1;
  }
  if (argc > 1 && std::strcmp(argv[1], "place") == 0) {
    std::printf("monitors %d\n", GetSystemMetrics(SM_CMONITORS));
    PrintPlace("main", window);
    PrintPlace("results", FindWindowW(L"OrvaneResults", nullptr));
    return 0;
  }
  if (argc > 2 && std::strcmp(argv[1], "command") == 0) {
    return PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[2])), 0) ? 0 : 1;
  }
  if (argc > 1 && std::strcmp(argv[1], "close") == 0) return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  HWND toolbar = FindWindowExW(window, nullptr, L"ToolbarWindow32", nullptr);
  RECT tr = {};
  if (toolbar) GetWindowRect(toolbar, &tr);
  std::printf("client %ld %ld %ld %ld toolbar %ld cx %d foreground %d\n", origin.x, origin.y,
              client.right, client.bottom, tr.bottom - tr.top, GetSystemMetrics(SM_CXVSCROLL),
              GetForegroundWindow() == window ? 1 : 0);
  return 0;
}
