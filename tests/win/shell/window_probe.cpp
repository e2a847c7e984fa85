// Prints where the running reader's client area lies on the screen and the
// sizes the split view depends on, for the system tests that read pixels.
// With the argument "title", prints the foreground window's title instead.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
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
