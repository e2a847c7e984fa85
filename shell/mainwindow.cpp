#include "shell/mainwindow.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "dialogs/dialogs.h"
#include "layout/scale.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/citations.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/menus.h"
#include "shell/links.h"
#include "shell/notes.h"
#include "shell/places.h"
#include "shell/reference_input.h"
#include "shell/selecting.h"
#include "shell/results.h"
#include "shell/reverseprobe.h"
#include "shell/splitview.h"
#include "shell/systemdlls.h"
#include "shell/view.h"
#include "store/product.h"
#include "store/records.h"

const wchar_t MainClassName[] = PRODUCT_NAME;

namespace {

// Each pane's top line as places keep it, for the next start to open on
// (the rows, which older versions read, are saved beside them), and the
// lengths of both texts they are offsets in.
void RememberTops() {
  if (!MainPane) return;
  AppSettings.TopLesson = AppSettings.Lesson;
  AppSettings.MainTop = PackPosition(TopPosition(MainPane));
  AppSettings.CommentaryTop = PackPosition(TopPosition(CommentaryPane));
  AppSettings.TopLengths =
      PackPair(TextLength(MainPane->Text), TextLength(CommentaryPane ? CommentaryPane->Text : nullptr));
}

// At start, once the window has its stored size: each pane opens on the line
// that was at its top, when the stored tops belong to this article and both
// its texts have such a line; otherwise the rows stay as loaded. They belong
// while Lesson and the rows are still those saved with them (an older
// version rewrites both, not the tops) and the texts have their lengths (a
// rebuilt program may have other texts under the same Lesson).
bool OpenOnStoredTops() {
  PanePosition main{}, commentary{};
  if (!MainPane || !CommentaryPane || AppSettings.TopLesson != AppSettings.Lesson ||
      AppSettings.TopRows != PackPair(AppSettings.LastPosition, AppSettings.BottomSectionLastPosition) ||
      AppSettings.TopLengths != PackPair(TextLength(MainPane->Text), TextLength(CommentaryPane->Text)) ||
      !UnpackPosition(AppSettings.MainTop, &main) || !UnpackPosition(AppSettings.CommentaryTop, &commentary)) {
    return false;
  }
  const uint16_t mainRow = MainPane->FirstRow, commentaryRow = CommentaryPane->FirstRow;
  if (!ScrollToOffset(MainPane, main.Offset) || !ScrollToOffset(CommentaryPane, commentary.Offset)) {
    MainPane->FirstRow = mainRow;
    CommentaryPane->FirstRow = commentaryRow;
    return false;
  }
  ScrollToPosition(MainPane, main);
  ScrollToPosition(CommentaryPane, commentary);
  SyncScrollBars(false);
  return true;
}

// Saves with both panes, which it releases: nothing may point at them after.
void SavePanes() {
  ActivePane = nullptr;
  SaveSettings(&MainPane, &CommentaryPane);
}
void SaveWithPanes() {
  RememberTops();
  SavePanes();
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

// True from the main window's creation until it is shown in its stored
// state: the window is then where the user left it.
bool PlacingWindow;

// The window moved to a monitor of another DPI (wParam: the new DPI, lParam:
// the rectangle the system suggests for it). Fonts, toolbar and lengths are
// made for the new DPI, the window takes the suggested rectangle (in full
// screen: covers the monitor of that rectangle), and each pane shows the same
// line at its top as before. While the stored place is being restored the
// window keeps its rectangle: the suggested one is the stored size scaled for
// the new DPI, which would be stored at exit and scaled again at the next
// start. A DPI the window does not have is no change (DpiChangeFor).
void OnDpiChanged(HWND window, WPARAM wParam, const RECT* suggested) {
  const int dpi = DpiChangeFor(window, wParam);
  if (dpi <= 0 || dpi == WindowDpi) return;
  const PanePosition mainTop = TopPosition(MainPane);
  const PanePosition commentaryTop = TopPosition(CommentaryPane);
  const int before = WindowDpi;
  ApplyDpi(window, dpi);
  if (suggested && !PlacingWindow && !FullScreenDpiChanged(window, *suggested, before, dpi)) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The size may not have changed: lay out again with the new lengths all the same.
  OnSize(window, RelayoutSize);
  ScrollToPosition(MainPane, mainTop);
  ScrollToPosition(CommentaryPane, commentaryTop);
  SyncScrollBars(false);
  InvalidateRect(window, nullptr, TRUE);
}

// Owned by the reader's thread from its start to its end: a later start
// that finds it taken but no window waits on it, and so learns both when a
// reader that is starting has made its window and when one that is ending
// has gone (the system releases a mutex whose owner ends, as abandoned).
HANDLE InstanceMutex;
constexpr wchar_t InstanceMutexName[] = L"Local\\Quillary.Orvane.Reader";
// How long a second start waits for the window of a reader that is starting,
// and for a running reader to take its command; a hung reader is not waited
// for at all.
constexpr int StartingReaderWaitMs = 10000;
constexpr DWORD LookAgainMs = 50;
constexpr UINT SignalTimeoutMs = 30 * 60 * 1000;

// The window of a reader that runs, once shown: a reader that is starting
// shows it last, and one that is ending hides it first (FindWindowW finds
// hidden windows too); either is waited for as one without a window.
HWND ShownReader() {
  HWND window = FindWindowW(MainClassName, MainClassName);
  return window && IsWindowVisible(window) ? window : nullptr;
}

// Hands control to a reader that runs already: a reference, when this start
// has one, for it to go to; otherwise, with the reader in front its Choose
// Daf dialog opens (this start waits until it closes), and else the reader,
// restored if minimised, comes to the front with the window it last had
// active (an open dialog rather than the disabled main window). True when
// this start is to end.
bool SignalRunningReader(const wchar_t* reference) {
  HWND running = ShownReader();
  if (!running) {
    if (InstanceMutex) return false;  // this process holds it already
    InstanceMutex = CreateMutexW(nullptr, TRUE, InstanceMutexName);
    bool taken = InstanceMutex && GetLastError() == ERROR_ALREADY_EXISTS;
    if (!InstanceMutex && GetLastError() == ERROR_ACCESS_DENIED) {
      // Made by a reader with more rights (run as administrator): waiting
      // on it needs only this one.
      InstanceMutex = OpenMutexW(SYNCHRONIZE, FALSE, InstanceMutexName);
      taken = InstanceMutex != nullptr;
    }
    if (!taken) return false;  // the first start, which owns it (or nothing to wait on)
    // Another reader holds it and has no window: one that is starting, or
    // one between the end of its window and its exit.
    for (int waited = 0; !running && waited < StartingReaderWaitMs; waited += LookAgainMs) {
      const DWORD wait = WaitForSingleObject(InstanceMutex, LookAgainMs);
      if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return false;  // that reader is gone: this one runs
      running = ShownReader();
    }
    CloseHandle(InstanceMutex);
    InstanceMutex = nullptr;
    if (!running) return true;
  }
  if (reference && reference[0]) {
    HandReferenceOver(running, reference);
    return true;
  }
  HWND foreground = GetForegroundWindow();
  HWND top = TopLevelOf(foreground);
  if (IsIconic(running)) ShowWindowAsync(running, SW_RESTORE);
  if (running == foreground) {
    // Sent, not posted: this start waits until the dialog has closed.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(running, WM_COMMAND, CMD_CHOOSE_ARTICLE, 0, SMTO_ABORTIFHUNG, SignalTimeoutMs,
                        &ignored);
  }
  if (running != top) SetForegroundWindow(GetLastActivePopup(running));
  return true;
}

// The shell's links (ShellExecuteEx) and the common dialogs may use COM
// objects: the thread becomes an apartment of its own, without the old DDE
// path, before the first command or help request (which is where links and
// dialogs open), not at start, so that starting loads no COM. Without the
// COM library (it could not be loaded) every command runs without it.
HRESULT ComState = CO_E_NOTINITIALIZED;
void EnsureCom() {
  if (ComState == CO_E_NOTINITIALIZED && LoadSystemDll(L"ole32.dll")) {
    ComState = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  }
}

void ShutDown(HWND window) {
  // The tops as shown, before the panes are laid out again for the window
  // out of full screen.
  RememberTops();
  LeaveFullScreen(window);  // the placement saved is the one from before it
  MessageBoxOwner = nullptr;  // the window is going: boxes from here on stand alone
  if (MainPane) ReleaseDC(window, MainPane->Dc);
  if (Toolbar) {
    DestroyWindow(Toolbar);
    Toolbar = nullptr;
  }
  SaveWindowPlacement(window);
  SavePanes();
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

HWND CreateMainWindow(const RECT* place) {
  OutOfMemoryExit = SaveWithPanes;
  RegisterMainClass(AppInstance, MainClassName);
  // Made on the monitor of its place, so that it is laid out once, at that
  // monitor's DPI, and the size stays the size stored.
  const int x = place ? place->left : CW_USEDEFAULT, y = place ? place->top : CW_USEDEFAULT;
  const int width = place ? place->right - place->left : CW_USEDEFAULT;
  const int height = place ? place->bottom - place->top : CW_USEDEFAULT;
  return CreateWindowExW(WS_EX_WINDOWEDGE, MainClassName, MainClassName, WS_OVERLAPPEDWINDOW, x, y, width, height,
                         nullptr, nullptr, AppInstance, nullptr);
}

HWND InitInstance(int showCommand, const wchar_t* reference) {
  if (SignalRunningReader(reference)) return nullptr;
  InitCommonControls();
  if (LoadSettings() != 0) return nullptr;  // out of memory: end, the stored settings untouched
  LoadPlaces();
  LoadReaderNotes();
  SetReverseOnFirstRun();
  SetCurrentArticle(0);
  RECT place{};
  int show = showCommand;
  const bool stored = StoredWindowPlacement(showCommand, &place, &show);
  PlacingWindow = true;
  HWND window = CreateMainWindow(stored ? &place : nullptr);
  if (window) ShowWindow(window, show);
  PlacingWindow = false;
  if (!window) return nullptr;
  OpenOnStoredTops();
  UpdateWindow(window);
  TellNotesLoad(window);
  if (AppSettings.FontSettings.FontName[0] == 0) {
    FontDialog(window, &AppSettings.FontSettings);
    SetPaneFont(MainPane, &AppSettings.FontSettings);
    SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
    RepaintPanes(window, RepaintClear | RepaintErase | 0xFF);
  }
  // Opened at the page the command line names instead of the stored one
  // (which Back returns to); else at the stored one, with a box that says why.
  if (reference && reference[0]) GoToReference(window, reference);
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
  wchar_t* reference = JoinedArguments(GetCommandLineW());
  const int code = RunInstance(showCommand, reference);
  std::free(reference);
  if (SUCCEEDED(ComState)) CoUninitialize();
  return code;
}

int RunInstance(int showCommand, const wchar_t* reference) {
  if (!InitInstance(showCommand, reference)) return 0;

  HACCEL accelerators = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(IDA_ACCELERATORS));
  MSG msg = {};
  for (;;) {
    // While the queue is empty the results list fills, a slice at a time.
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && FillResultsSlice()) {
    }
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    // The main window's keys work from the results window too; that window
    // then has its dialog keys (arrows, Enter, Esc).
    if (ReaderPreTranslate(&msg, accelerators)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      EnableNonClientScaling(window);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_CREATE:
      OnCreate(window);
      LoadStoredArticle(window);
      UpdateReverse(window, true);
      ApplyColourScheme(window);
      SetMenuCheck(MainMenu(window), true, CMD_LINKS, AppSettings.LinksOff ? 0 : 1);
      SetMenuCheck(MainMenu(window), true, CMD_SHOW_NOTES, AppSettings.NotesOff ? 0 : 1);
      return 0;
    case WM_DESTROY:
      ForgetLinks();
      ForgetHandedOverReference();
      ForgetCitations();
      ForgetNotes();
      ShutDown(window);
      return 0;
    case WM_COPYDATA:
      if (TakeHandedOverReference(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam))) return TRUE;
      return DefWindowProcW(window, message, wParam, lParam);
    case ReferenceArrived:
      OnReferenceArrived(window);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends and the process with it, without the window ever
      // being destroyed: close it now, so the settings are saved exactly as
      // at a normal exit (and only once).
      if (wParam) DestroyWindow(window);
      return 0;
    case WM_ERASEBKGND:
      EraseBackground(window, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SYSCOMMAND:
      // Alt in full screen, where there is no menu bar.
      if ((wParam & 0xFFF0) == SC_KEYMENU && OpenMenuInFullScreen(window, static_cast<wchar_t>(lParam))) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_SIZE:
      OnSize(window, lParam);
      return 0;
    case WM_ENABLE:
      FollowMainWindowEnabled(wParam != 0);
      return 0;
    case WM_PAINT:
      PaintPanes(reinterpret_cast<HDC>(wParam), window, 0xFF);
      return 0;
    case WM_HELP:
      EnsureCom();
      if (LoadCommandDlls(window, CMD_ABOUT)) AboutBox(window);
      return 0;
    case WM_KEYDOWN:
      return OnKeyDown(window, wParam);
    case WM_COMMAND:
      EnsureCom();
      // Ctrl+Q is bound to command 1, which no menu item has; the Exit item
      // shows Ctrl+Q as its shortcut, so from the accelerator (notification 1,
      // no control) it exits. Command 1 from anywhere else is nobody's.
      if (LOWORD(wParam) == CMD_UNBOUND && HIWORD(wParam) == 1 && lParam == 0) return OnCommand(window, CMD_EXIT);
      if (OnCommand(window, LOWORD(wParam))) return DefWindowProcW(window, message, wParam, lParam);
      return 0;
    case WM_VSCROLL:
      return OnVScroll(window, wParam, lParam);
    case WM_LBUTTONDOWN:
      OnPaneButtonDown(window, lParam, wParam);
      return 0;
    case WM_MOUSEMOVE:
      OnPaneMouseMove(window, lParam);
      OnCitationHover(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_MOUSELEAVE:
      OnLinkLeave(window);
      OnCitationLeave(window);
      HideNoteTip();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && SetCitationCursor(window)) return TRUE;
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_LBUTTONUP:
      OnPaneButtonUp(window, lParam);
      return 0;
    case WM_TIMER:
      if (wParam == DragScrollTimer) OnDragScrollTimer(window);
      return 0;
    case WM_CAPTURECHANGED:
      EndPaneDrag(window);
      return 0;
    case WM_CANCELMODE:
      EndPaneDrag(window);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        EndPaneDrag(window);
        HideNoteTip();
      }
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_CONTEXTMENU:
      if (!OnPaneContextMenu(window, lParam)) return DefWindowProcW(window, message, wParam, lParam);
      return 0;
    case WM_FONTCHANGE:
      ForgetFaceCharsets();
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(window, wParam, lParam);
      return 0;
    case DpiChangedMessage:
      OnDpiChanged(window, wParam, reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      UpdatePlaceMenus(window, reinterpret_cast<HMENU>(wParam));
      UpdateDailyFolioMenu(MainMenu(window));
      return 0;
    case WM_APPCOMMAND:
      // The mouse's back and forward buttons (and such keys on keyboards).
      switch (GET_APPCOMMAND_LPARAM(lParam)) {
        case APPCOMMAND_BROWSER_BACKWARD: OnCommand(window, CMD_BACK); return TRUE;
        case APPCOMMAND_BROWSER_FORWARD: OnCommand(window, CMD_FORWARD); return TRUE;
        default: return DefWindowProcW(window, message, wParam, lParam);
      }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
