#include "shell/view.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "layout/colours.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/menus.h"
#include "shell/notes.h"
#include "shell/results.h"
#include "shell/splitview.h"

namespace {

// The window as it was before full screen.
struct FullScreenState {
  bool On;
  LONG_PTR Style;
  LONG_PTR ExStyle;
  WINDOWPLACEMENT Placement;
  // Its rectangle on the screen. Not always the placement's normal one: a
  // window snapped to an edge of the screen keeps its size from before the
  // snap there, and the rectangle it was snapped to only here.
  RECT Actual;
  HMENU Menu;
  HMONITOR Monitor;  // the one it covers
};
FullScreenState FullScreen;

// Windows 11 is Windows 10.0 from build 22000 on. RtlGetVersion tells the
// truth whatever the program's manifest declares.
bool IsWindows11OrLater() {
  using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto getVersion = ntdll ? reinterpret_cast<GetVersionFunction>(
                                      reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                                : nullptr;
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!getVersion || getVersion(&version) != 0) return false;
  return version.dwMajorVersion > 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber >= 22000);
}

// Asks for a dark (or the light) title bar. DWMWA_USE_IMMERSIVE_DARK_MODE
// (20, a BOOL) is documented from Windows 11 on; older systems are not asked
// at all, and dwmapi is only loaded (from the system folder) where it is.
void UseDarkTitleBar(HWND window, bool dark) {
  using SetAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const SetAttributeFunction setAttribute = []() -> SetAttributeFunction {
    if (!IsWindows11OrLater()) return nullptr;
    HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm ? reinterpret_cast<SetAttributeFunction>(
                     reinterpret_cast<void*>(GetProcAddress(dwm, "DwmSetWindowAttribute")))
               : nullptr;
  }();
  constexpr DWORD UseImmersiveDarkMode = 20;
  const BOOL value = dark ? TRUE : FALSE;
  if (setAttribute && window) setAttribute(window, UseImmersiveDarkMode, &value, sizeof value);
}

// Each pane's top line, kept while the window changes its size.
struct KeptTops {
  PanePosition Main = TopPosition(MainPane);
  PanePosition Commentary = TopPosition(CommentaryPane);
  void Restore(HWND window) const {
    ScrollToPosition(MainPane, Main);
    ScrollToPosition(CommentaryPane, Commentary);
    SyncScrollBars(false);
    InvalidateRect(window, nullptr, TRUE);
  }
};

// A rectangle of the window as it was, carried from the work area from at
// fromDpi to the work area to at toDpi: as far from the work area's corner,
// its size scaled, and inside the work area.
RECT Carried(const RECT& r, const RECT& from, const RECT& to, int fromDpi, int toDpi) {
  const LONG width = std::min<LONG>(MulDiv(r.right - r.left, toDpi, fromDpi), to.right - to.left);
  const LONG height = std::min<LONG>(MulDiv(r.bottom - r.top, toDpi, fromDpi), to.bottom - to.top);
  const LONG left = std::max(to.left, std::min(to.left + r.left - from.left, to.right - width));
  const LONG top = std::max(to.top, std::min(to.top + r.top - from.top, to.bottom - height));
  return RECT{left, top, left + width, top + height};
}

// The normal rectangle of a placement is in workspace coordinates: from the
// corner of the work area of its monitor rather than of the monitor. Sign 1
// turns it into screen coordinates, -1 back.
RECT WorkspaceToScreen(const RECT& r, const MONITORINFO& monitor, int sign) {
  RECT moved = r;
  OffsetRect(&moved, sign * (monitor.rcWork.left - monitor.rcMonitor.left),
             sign * (monitor.rcWork.top - monitor.rcMonitor.top));
  return moved;
}

// The mnemonic of a menu-bar item: the character after its '&', upper case.
wchar_t MnemonicOf(HMENU bar, int position) {
  wchar_t label[64] = {};
  GetMenuStringW(bar, position, label, 64, MF_BYPOSITION);
  for (const wchar_t* p = label; p[0] && p[1]; ++p) {
    if (p[0] == L'&' && p[1] != L'&') return static_cast<wchar_t>(std::towupper(p[1]));
    if (p[0] == L'&') ++p;  // "&&" is a plain '&'
  }
  return 0;
}

}  // namespace

HMENU MainMenu(HWND window) { return FullScreen.On ? FullScreen.Menu : GetMenu(window); }

void ApplyColourScheme(HWND window) {
  const bool night = AppSettings.NightColours == 1;
  const ColourScheme* scheme = &SchemeForSetting(AppSettings.NightColours);
  if (MainPane) MainPane->Colours = scheme;
  if (CommentaryPane) CommentaryPane->Colours = scheme;
  SetMenuCheck(MainMenu(window), true, CMD_NIGHT_COLOURS, night ? 1 : 0);
  UseDarkTitleBar(window, night);
  ApplyResultsColours();
  ApplyNotesColours();
}

void ToggleNightColours(HWND window) {
  AppSettings.NightColours = AppSettings.NightColours == 1 ? 0 : 1;
  ApplyColourScheme(window);
  InvalidateRect(window, nullptr, TRUE);
  RepaintPanes(window, RepaintClear | RepaintErase | 0xFF);
}

void EraseBackground(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillWithColour(dc, client, PaneColours(MainPane).Page);
}

bool InFullScreen() { return FullScreen.On; }

void ToggleFullScreen(HWND window) {
  if (FullScreen.On) {
    LeaveFullScreen(window);
    return;
  }
  if (IsIconic(window)) return;
  FullScreenState before{};
  before.Placement.length = sizeof before.Placement;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  before.Monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  if (!GetWindowPlacement(window, &before.Placement) || !GetWindowRect(window, &before.Actual) ||
      !GetMonitorInfoW(before.Monitor, &monitor)) {
    return;
  }
  const KeptTops tops;
  before.On = true;
  before.Style = GetWindowLongPtrW(window, GWL_STYLE);
  before.ExStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  before.Menu = GetMenu(window);
  FullScreen = before;
  if (Toolbar) ShowWindow(Toolbar, SW_HIDE);
  PlacePaneCorner(window);
  SetMenu(window, nullptr);
  // Not maximised while it covers the monitor: leaving maximises it anew,
  // to the work area, and a window that was not comes back to its rectangle.
  SetWindowLongPtrW(window, GWL_STYLE, before.Style & ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW | WS_MAXIMIZE));
  SetWindowLongPtrW(window, GWL_EXSTYLE,
                    before.ExStyle & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME));
  const RECT& r = monitor.rcMonitor;
  SetWindowPos(window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
  OnSize(window, RelayoutSize);
  tops.Restore(window);
}

void LeaveFullScreen(HWND window) {
  if (!FullScreen.On) return;
  FullScreen.On = false;
  const KeptTops tops;
  // At exit the window is already hidden: it is put back without being shown.
  const bool shown = IsWindowVisible(window) != FALSE;
  LONG_PTR style = FullScreen.Style;
  WINDOWPLACEMENT placement = FullScreen.Placement;
  if (shown) {
    style &= ~static_cast<LONG_PTR>(WS_MAXIMIZE);  // the placement maximises it again
  } else {
    style &= ~static_cast<LONG_PTR>(WS_VISIBLE);
    placement.showCmd = SW_HIDE;
  }
  SetWindowLongPtrW(window, GWL_STYLE, style);
  SetWindowLongPtrW(window, GWL_EXSTYLE, FullScreen.ExStyle);
  SetMenu(window, FullScreen.Menu);
  if (Toolbar) {
    ShowWindow(Toolbar, SW_SHOW);
    SendMessageW(Toolbar, TB_AUTOSIZE, 0, 0);
  }
  PlacePaneCorner(window);
  SetWindowPlacement(window, &placement);
  // The placement restores a snapped window to its size from before the
  // snap: a window that was neither maximised nor minimised gets back the
  // rectangle it had, as long as its caption can still be taken hold of
  // there (a monitor removed or a lower resolution meanwhile: the placement
  // has moved it onto a screen, SetWindowPos would not).
  const RECT& r = FullScreen.Actual;
  const bool back = !(FullScreen.Style & (WS_MAXIMIZE | WS_MINIMIZE)) && CaptionInReach(r);
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               (back ? 0 : SWP_NOMOVE | SWP_NOSIZE) | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE |
                   SWP_FRAMECHANGED);
  OnSize(window, RelayoutSize);
  // Hidden too (at exit): the rows saved are those of the lines at the top.
  tops.Restore(window);
}

bool FullScreenDpiChanged(HWND window, const RECT& suggested, int fromDpi, int toDpi) {
  if (!FullScreen.On) return false;
  // The monitor the window covers, while it is still there: a scaled
  // suggestion can overlap a neighbour more. A window that covers none (its
  // monitor gone) goes where the suggestion lies.
  HMONITOR to = MonitorFromWindow(window, MONITOR_DEFAULTTONULL);
  if (!to) to = MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST);
  MONITORINFO was{}, now{};
  was.cbSize = now.cbSize = sizeof now;
  if (!GetMonitorInfoW(to, &now)) return true;
  if (!GetMonitorInfoW(FullScreen.Monitor, &was)) was = now;  // that monitor is gone
  if (fromDpi <= 0) fromDpi = toDpi;
  RECT& normal = FullScreen.Placement.rcNormalPosition;
  normal = WorkspaceToScreen(
      Carried(WorkspaceToScreen(normal, was, 1), was.rcWork, now.rcWork, fromDpi, toDpi), now, -1);
  FullScreen.Actual = Carried(FullScreen.Actual, was.rcWork, now.rcWork, fromDpi, toDpi);
  FullScreen.Monitor = to;
  const RECT& r = now.rcMonitor;
  SetWindowPos(window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOOWNERZORDER | SWP_NOACTIVATE);
  return true;
}

bool OpenMenuInFullScreen(HWND window, wchar_t key) {
  if (!FullScreen.On) return false;
  HMENU bar = FullScreen.Menu;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!bar || !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return true;
  const int x = monitor.rcMonitor.left, y = monitor.rcMonitor.top;
  const int count = GetMenuItemCount(bar);
  if (key != 0) {
    // Alt+letter: that popup alone, as the menu bar would open it.
    const wchar_t wanted = static_cast<wchar_t>(std::towupper(key));
    for (int i = 0; i < count; ++i) {
      if (MnemonicOf(bar, i) == wanted) {
        TrackPopupMenu(GetSubMenu(bar, i), TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, window, nullptr);
        break;
      }
    }
    return true;
  }
  // Alt alone: the menu bar's popups as one menu. They are lent to it and
  // taken back before it is destroyed, which would destroy them too.
  HMENU all = CreatePopupMenu();
  if (!all) return true;
  for (int i = 0; i < count; ++i) {
    wchar_t label[64] = {};
    GetMenuStringW(bar, i, label, 64, MF_BYPOSITION);
    AppendMenuW(all, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(GetSubMenu(bar, i)), label);
  }
  TrackPopupMenu(all, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, window, nullptr);
  while (GetMenuItemCount(all) > 0) RemoveMenu(all, 0, MF_BYPOSITION);
  DestroyMenu(all);
  return true;
}
