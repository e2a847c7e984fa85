#include "shell/mainwindow.h"

#include <commctrl.h>

#include "dialogs/dialogs.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/results.h"
#include "shell/reverseprobe.h"
#include "shell/splitview.h"
#include "store/product.h"

const wchar_t MainClassName[] = PRODUCT_NAME;

namespace {

// Saves with both panes, which it releases: nothing may point at them after.
void SaveWithPanes() {
  ActivePane = nullptr;
  SaveSettings(&MainPane, &CommentaryPane);
}

// The top-level ancestor of a window: its parent or owner chain to the end.
HWND TopLevelOf(HWND window) {
  while (window) {
    HWND up = GetParent(window);
    if (!up) up = GetWindow(window, GW_OWNER);
    if (!up) break;
    window = up;
  }
  return window;
}

void ShutDown(HWND window) {
  if (MainPane) ReleaseDC(window, MainPane->Dc);
  if (Toolbar) {
    DestroyWindow(Toolbar);
    Toolbar = nullptr;
  }
  SaveWindowPlacement(window);
  SaveWithPanes();
}

}  // namespace

void RegisterMainClass(HINSTANCE instance, const wchar_t* className) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ORVANE));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAINMENU);
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
}

HWND CreateMainWindow() {
  OutOfMemoryExit = SaveWithPanes;
  RegisterMainClass(AppInstance, MainClassName);
  return CreateWindowExW(WS_EX_WINDOWEDGE, MainClassName, MainClassName, WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                         AppInstance, nullptr);
}

HWND InitInstance(int showCommand) {
  if (HWND running = FindWindowW(MainClassName, MainClassName)) {
    HWND foreground = GetForegroundWindow();
    HWND top = TopLevelOf(foreground);
    // Sent, not posted: this instance waits until the Choose Daf dialog of
    // the running one has closed.
    if (running == foreground) SendMessageW(running, WM_COMMAND, CMD_CHOOSE_ARTICLE, 0);
    if (running != top) SetForegroundWindow(running);
    return nullptr;
  }
  InitCommonControls();
  if (LoadSettings() != 0) return nullptr;  // out of memory: end, the stored settings untouched
  SetReverseOnFirstRun();
  SetCurrentArticle(0);
  HWND window = CreateMainWindow();
  if (!window) return nullptr;
  RestoreWindowPlacement(window, showCommand);
  UpdateWindow(window);
  if (AppSettings.FontSettings.FontName[0] == 0) {
    FontDialog(window, &AppSettings.FontSettings);
    SetPaneFont(MainPane, &AppSettings.FontSettings);
    SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
  }
  return window;
}

int RunReader(HINSTANCE instance, int showCommand) {
  AppInstance = instance;
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  if (version.dwPlatformId < VER_PLATFORM_WIN32_NT) {
    MessageBoxW(nullptr, L"This Application does NOT run on:\n\n\tWINDOWS 95\n\tWINDOWS 98\n\tWINDOWS ME\n",
                MAKER_SITE_HOST, MB_ICONERROR | MB_OK);
    return -1;
  }
  AppSettings.SurroundingGutter = ReadSurroundingGutter();
  if (!InitInstance(showCommand)) return 0;

  HACCEL accelerators = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(IDA_ACCELERATORS));
  MSG msg = {};
  for (;;) {
    // While the queue is empty the results list fills, a slice at a time.
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && FillResultsSlice()) {
    }
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    // The main window's keys work from the results window too; that window
    // then has its dialog keys (arrows, Enter, Esc).
    if (TranslateAcceleratorW(MainWindow, accelerators, &msg) || ResultsDialogMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      LoadStoredArticle(window);
      UpdateReverse(window, true);
      return 0;
    case WM_DESTROY:
      ShutDown(window);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends and the process with it, without the window ever
      // being destroyed: close it now, so the settings are saved exactly as
      // at a normal exit (and only once).
      if (wParam) DestroyWindow(window);
      return 0;
    case WM_SIZE:
      OnSize(window, lParam);
      return 0;
    case WM_PAINT:
      PaintPanes(reinterpret_cast<HDC>(wParam), window, 0xFF);
      return 0;
    case WM_HELP:
      AboutBox(window);
      return 0;
    case WM_KEYDOWN:
      return OnKeyDown(window, wParam);
    case WM_COMMAND:
      // Ctrl+Q is bound to command 1, which no menu item has; the Exit item
      // shows Ctrl+Q as its shortcut, so from the accelerator (notification 1,
      // no control) it exits. Command 1 from anywhere else is nobody's.
      if (LOWORD(wParam) == CMD_UNBOUND && HIWORD(wParam) == 1 && lParam == 0) return OnCommand(window, CMD_EXIT);
      if (OnCommand(window, LOWORD(wParam))) return DefWindowProcW(window, message, wParam, lParam);
      return 0;
    case WM_VSCROLL:
      return OnVScroll(window, wParam, lParam);
    case WM_LBUTTONDOWN:
      OnLButtonDown(window, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(window, wParam, lParam);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
