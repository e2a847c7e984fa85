// The baseline of the start-up benchmark: registers a class, opens a window,
// paints it once with one line of text in the reader's face, and runs a
// message loop until it is closed. The line makes the baseline pay Wine's
// per-process font set-up too, which the reader cannot avoid; the reader's
// manifest and the common controls it needs for its toolbar are what any
// program with visual styles and a toolbar loads before its window shows.
#include <windows.h>
#include <commctrl.h>

static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      LOGFONTW lf = {};
      lf.lfCharSet = DEFAULT_CHARSET;
      lstrcpyW(lf.lfFaceName, L"DejaVu Sans");
      HFONT font = CreateFontIndirectW(&lf);
      HGDIOBJ old = SelectObject(dc, font);
      const wchar_t line[] = L"\x05D1\x05E8\x05D0\x05E9\x05D9\x05EA \x05D1\x05E8\x05D0";
      TextOutW(dc, 10, 10, line, lstrlenW(line));
      SelectObject(dc, old);
      DeleteObject(font);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  InitCommonControls();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = L"EmptyWindow";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(L"EmptyWindow", L"EmptyWindow", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                              CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
