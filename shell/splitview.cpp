#include "shell/splitview.h"

#include <commctrl.h>

#include <cstdlib>

#include "layout/colours.h"
#include "layout/draw.h"
#include "layout/scale.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/globals.h"
#include "shell/view.h"
#include "store/records.h"

namespace {

constexpr int ToolbarButtonCount = 7;
constexpr int PaneLineCapacity = 100;
// A toolbar button at 96 DPI: the 16-pixel picture and the toolbar's own
// padding of 7 by 6.
constexpr int ToolbarButtonWidth = 23;
constexpr int ToolbarButtonHeight = 22;
constexpr int SeparatorLine = 2;

void CheckShareItem(HWND window) {
  CheckMenuRadioItem(MainMenu(window), CMD_SHARE_MINIMAL, CMD_SHARE_THREE_QUARTERS,
                     static_cast<UINT>(AppSettings.BottomSection + 400), MF_BYCOMMAND);
}

HWND CreateToolbar(HWND window) {
  static const int commands[ToolbarButtonCount] = {CMD_PREVIOUS_ARTICLE, CMD_CHOOSE_ARTICLE, CMD_GO_TO,
                                                   CMD_NEXT_ARTICLE,     CMD_FONT,           CMD_SEARCH,
                                                   CMD_SEARCH_AGAIN};
  TBBUTTON buttons[ToolbarButtonCount] = {};
  for (int i = 0; i < ToolbarButtonCount; ++i) {
    buttons[i].iBitmap = i;
    buttons[i].idCommand = commands[i];
    buttons[i].fsState = TBSTATE_ENABLED;
    buttons[i].fsStyle = TBSTYLE_BUTTON;
  }
  // The pictures come drawn at 16, 24 and 32 pixels: the set nearest above
  // the scale, in buttons of the 96-DPI size scaled.
  static const struct { UINT Bitmap; int Size; } sets[] = {
      {IDB_TOOLBAR, 16}, {IDB_TOOLBAR_24, 24}, {IDB_TOOLBAR_32, 32}};
  const auto& set = sets[PictureSetForDpi(WindowDpi)];
  // CreateToolbarEx's button size sets the bitmap size; the button size is
  // set alone, before the buttons are added (as the toolbar requires).
  HWND toolbar = CreateToolbarEx(window, WS_CHILD | WS_VISIBLE, 1, ToolbarButtonCount, AppInstance, set.Bitmap,
                                 nullptr, 0, set.Size, set.Size, set.Size, set.Size, sizeof(TBBUTTON));
  if (!toolbar) return nullptr;
  SendMessageW(toolbar, TB_SETBUTTONSIZE, 0,
               MAKELPARAM(ScaleForDpi(ToolbarButtonWidth, WindowDpi), ScaleForDpi(ToolbarButtonHeight, WindowDpi)));
  SendMessageW(toolbar, TB_ADDBUTTONSW, ToolbarButtonCount, reinterpret_cast<LPARAM>(buttons));
  SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
  return toolbar;
}

HWND CreateScrollBar(HWND window) {
  return CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_LEFTALIGN,
                         CommentaryArea.right, CommentaryArea.top, CW_USEDEFAULT, CW_USEDEFAULT,
                         window, nullptr, AppInstance, nullptr);
}

// MoveWindow with the size clamped at 0: a window too small for the gutter and
// toolbar gives negative heights.
void PlaceWindow(HWND window, int x, int y, int width, int height) {
  if (window) MoveWindow(window, x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

// Where the panes start: below the toolbar, inside the gutter.
RECT PaneRect(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  if (const int t = ToolbarHeight()) r.top += t - 1;
  const int g = Gutter();
  if (r.bottom - r.top > 2 * g) {
    r.top += g;
    r.bottom -= 2 * g;
  }
  if (r.right - r.left > 2 * g) {
    r.left += g;
    r.right -= 2 * g;
  }
  return r;
}

// Where the thumb is being dragged: the bar's 32-bit tracking position, of
// which the message carries only the low 16 bits. A request that did not
// come from a drag of this bar (its position disagrees) is taken as sent.
int ThumbPosition(HWND bar, WPARAM wParam) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  if (bar && GetScrollInfo(bar, SB_CTL, &info) && (info.nTrackPos & 0xFFFF) == HIWORD(wParam)) {
    return info.nTrackPos;
  }
  return HIWORD(wParam);
}

}  // namespace

int Gutter() {
  const int32_t g = AppSettings.SurroundingGutter;
  const int used = ScaleForDpi((g >= 0 && g <= MaxGutter) ? g : DefaultGutter, WindowDpi);
  return used <= MaxGutter ? used : MaxGutter;
}

int SeparatorWidth() { return ScaleForDpi(SeparatorLine, WindowDpi); }

int ScrollBarWidth() { return MetricForDpi(SM_CXVSCROLL, WindowDpi); }

void ApplyDpi(HWND window, int dpi) {
  WindowDpi = dpi;
  if (Toolbar) {
    // A toolbar hidden in full screen stays hidden at the new scale.
    const bool shown = (GetWindowLongPtrW(Toolbar, GWL_STYLE) & WS_VISIBLE) != 0;
    DestroyWindow(Toolbar);
    Toolbar = CreateToolbar(window);
    if (Toolbar && !shown) ShowWindow(Toolbar, SW_HIDE);
  }
  SetPaneDpi(MainPane, dpi);
  SetPaneDpi(CommentaryPane, dpi);
  // The gutter and the toolbar moved the panes' corner.
  PlacePaneCorner(window);
}

void PlacePaneCorner(HWND window) {
  const RECT r = PaneRect(window);
  CommentaryArea.left = r.left;
  if (MainPane) {
    MainPane->AreaLeft = r.left;
    MainPane->AreaTop = r.top;
  }
  if (CommentaryPane) CommentaryPane->AreaLeft = r.left;
}

int ToolbarHeight() {
  // Hidden (in full screen) it takes no room: its own style, not whether the
  // main window shows yet.
  if (!Toolbar || !(GetWindowLongPtrW(Toolbar, GWL_STYLE) & WS_VISIBLE)) return 0;
  RECT r;
  GetWindowRect(Toolbar, &r);
  return r.bottom - r.top;
}

int PageRows(const PaneView* pane, uint32_t mode) {
  const int drawn = pane ? pane->RowsDrawn : 0;
  const int rows = (mode == 2 || mode == 4) ? drawn / 2 : drawn - 1;
  return rows > 1 ? rows : 1;
}

void OnCreate(HWND window) {
  MainWindow = window;
  WindowDpi = DpiOfWindow(window);
  MessageBoxOwner = window;
  Toolbar = CreateToolbar(window);
  CreatePanes(window);
}

int CreatePanes(HWND window) {
  HDC dc = GetDC(window);
  RECT r = PaneRect(window);
  CreateCommentarySection(window, dc, &r);
  MainPane = CreatePaneView(dc, &r, &AppSettings.FontSettings, PaneLineCapacity);
  if (MainPane) MainPane->Dpi = WindowDpi;
  if (!MainPane) {
    // The commentary pane was made with the same device context, which is
    // released here: take the commentary section down with it, so that no
    // pane holds it and no bar scrolls a pane that cannot be drawn.
    DestroyPaneView(CommentaryPane, true);
    CommentaryPane = nullptr;
    ActivePane = nullptr;
    if (MainScrollBar) DestroyWindow(MainScrollBar);
    if (CommentaryScrollBar) DestroyWindow(CommentaryScrollBar);
    MainScrollBar = CommentaryScrollBar = ActiveScrollBar = nullptr;
    if (dc) ReleaseDC(window, dc);
    return 1;
  }
  return 0;
}

void CreateCommentarySection(HWND window, HDC dc, const RECT* rect) {
  CommentaryArea.left = rect->left;
  CommentaryArea.right = rect->right;
  CheckShareItem(window);
  CommentaryPane = CreatePaneView(dc, &CommentaryArea, &AppSettings.FontSettings, PaneLineCapacity);
  if (!CommentaryPane) return;
  CommentaryPane->Dpi = WindowDpi;
  CommentaryPane->Background = BackgroundStrip;
  CommentaryScrollBar = CreateScrollBar(window);
  MainScrollBar = CreateScrollBar(window);
  ActiveScrollBar = MainScrollBar;
  ScrollBarClassProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(MainScrollBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollBarProc)));
  SetWindowLongPtrW(CommentaryScrollBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollBarProc));
}

void OnSize(HWND window, LPARAM size) {
  int w, h;
  if (size == RelayoutSize) {
    w = LastClientSize.cx;
    h = LastClientSize.cy;
  } else {
    w = LOWORD(size);
    h = HIWORD(size);
    LastClientSize.cx = w;
    LastClientSize.cy = h;
  }
  const int g = Gutter();
  if (w > 2 * g) w -= 2 * g;
  if (h > 2 * g) h -= 2 * g;
  if (!MainPane) return;
  if (Toolbar) {
    const int t = ToolbarHeight();
    h -= t;
    MoveWindow(Toolbar, 0, 0, w, t, TRUE);
  }
  LayoutCommentarySection(&w, &h);
  ResizePane(MainPane, w, h);
  // The marks of notes stand in the gutter right of each pane.
  MainPane->NoteMargin = g;
  if (CommentaryPane) CommentaryPane->NoteMargin = g;
  // The bars were just placed anew and are painted with the window: drawing
  // them here as well cost about 2 ms a bar under Wine, on every resize and at
  // start-up.
  SyncScrollBars(false);
}

int CommentaryHeight(int available) {
  int code = AppSettings.BottomSection;
  if (!IsShareCode(code)) code = DefaultBottomSection;  // a units digit of 0 would divide by zero
  return available * (code / 10) / (code % 10);
}

void LayoutCommentarySection(int* width, int* height) {
  if (!CommentaryPane || !MainPane) return;
  const int a = *height;
  const int w = *width;
  const int cx = ScrollBarWidth();
  const int y0 = MainPane->AreaTop;
  const int g = Gutter();
  const int s = SeparatorWidth();
  const int b = CommentaryHeight(a);

  *height = a - b - s;
  *width = w - cx;
  CommentaryArea.right = CommentaryArea.left + w - cx;
  CommentaryArea.bottom = y0 + a - g + 1;
  CommentaryArea.top = y0 + a - b;
  CommentaryPane->AreaTop = CommentaryArea.top + g / 2;
  ResizePane(CommentaryPane, w - cx, b);
  PlaceWindow(MainScrollBar, CommentaryArea.right + g, y0 - g + 1, cx, a - b + g - 1);
  PlaceWindow(CommentaryScrollBar, CommentaryArea.right + g, CommentaryArea.top + s, cx,
              CommentaryPane->AreaHeight + g - 1);
}

void PaintPanes(HDC dc, HWND window, int bits) {
  PAINTSTRUCT ps;
  const bool own = dc == nullptr;
  if (own) dc = BeginPaint(window, &ps);
  if (bits & RepaintClear) {
    RECT r;
    GetClientRect(window, &r);
    if (const int t = ToolbarHeight()) r.top += t - 1;
    FillWithColour(dc, r, PaneColours(MainPane).Page);
  }
  if ((bits & RepaintMain) && MainPane) DrawPane(MainPane, bits & RepaintErase);
  if (bits & RepaintCommentary) PaintCommentarySection(dc);
  if (own) EndPaint(window, &ps);
}

void PaintCommentarySection(HDC dc) {
  if (!CommentaryPane) return;
  const int g = Gutter();
  const int s = SeparatorWidth();
  const int cx = ScrollBarWidth();
  const ColourScheme& colours = PaneColours(CommentaryPane);
  HPEN palePen = CreatePen(PS_SOLID, 1, colours.CommentaryPage);
  HPEN greenPen = CreatePen(PS_SOLID, 1, colours.Separator);
  HBRUSH brush = CreateSolidBrush(colours.CommentaryPage);
  HGDIOBJ oldPen = SelectObject(dc, palePen ? palePen : GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, brush ? brush : GetStockObject(NULL_BRUSH));
  Rectangle(dc, CommentaryArea.left - g, CommentaryArea.top + s, CommentaryArea.right + g,
            CommentaryArea.bottom + 2 * g);
  SelectObject(dc, greenPen ? greenPen : GetStockObject(NULL_PEN));
  // The separator: a rectangle drawn with a pen of width 1 fills its
  // interior with the brush, so it is filled green as well.
  HBRUSH greenBrush = CreateSolidBrush(colours.Separator);
  SelectObject(dc, greenBrush ? greenBrush : GetStockObject(NULL_BRUSH));
  Rectangle(dc, CommentaryArea.left - g, CommentaryArea.top, CommentaryArea.right + g + cx,
            CommentaryArea.top + s);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  if (palePen) DeleteObject(palePen);
  if (greenPen) DeleteObject(greenPen);
  if (brush) DeleteObject(brush);
  if (greenBrush) DeleteObject(greenBrush);

  DrawPane(CommentaryPane, 0);
}

void RepaintPanes(HWND window, int bits) {
  HWND w = window ? window : MainWindow;
  HDC dc = w ? GetDC(w) : nullptr;
  if (!dc) {
    // Painting without a device context would take the paint message's path
    // and validate away what is still to be drawn: leave it to that message.
    if (w) InvalidateRect(w, nullptr, TRUE);
    return;
  }
  PaintPanes(dc, w, bits);
  ReleaseDC(w, dc);
  SyncScrollBars();
}

void SyncScrollBar(HWND bar, bool redraw) {
  if (!(AppSettings.Flags & ScrollBarSync) || !bar || bar == MainWindow) return;
  const PaneView* pane = CurrentPane();
  if (!pane) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS;
  info.nMin = 0;
  info.nMax = pane->MaxFirstRow;
  info.nPos = pane->FirstRow;
  SendMessageW(bar, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(&info));
  if (!redraw) InvalidateRect(bar, nullptr, TRUE);
}

void SyncScrollBars(bool redraw) {
  PaneView* active = ActivePane;
  ActivePane = MainPane;
  SyncScrollBar(MainScrollBar, redraw);
  ActivePane = CommentaryPane;
  SyncScrollBar(CommentaryScrollBar, redraw);
  ActivePane = active;
}

LRESULT CALLBACK ScrollBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  // Keys on a bar that has the focus stay with the bar's own procedure, which
  // turns them into scroll requests for its pane.
  if (message == WM_VSCROLL) SendMessageW(MainWindow, WM_VSCROLL, wParam, reinterpret_cast<LPARAM>(bar));
  return ScrollBarClassProc ? CallWindowProcW(ScrollBarClassProc, bar, message, wParam, lParam) : 0;
}

LRESULT OnVScroll(HWND window, WPARAM wParam, LPARAM lParam) {
  HWND bar = reinterpret_cast<HWND>(lParam);
  int bits;
  if (bar && bar == CommentaryScrollBar) {
    ActiveScrollBar = CommentaryScrollBar;
    ActivePane = CommentaryPane;
    bits = RepaintMain | RepaintCommentary;
  } else {
    ActiveScrollBar = MainScrollBar;
    ActivePane = MainPane;
    bits = RepaintErase | RepaintMain;
  }
  PaneView* pane = CurrentPane();
  int delta = 0;
  if (pane) {
    switch (LOWORD(wParam)) {
      case SB_LINEUP: delta = -1; break;
      case SB_LINEDOWN: delta = 1; break;
      case SB_PAGEUP: delta = -PageRows(pane, 0); break;
      case SB_PAGEDOWN: delta = PageRows(pane, 0); break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: delta = ThumbPosition(ActiveScrollBar, wParam) - pane->FirstRow; break;
      case SB_TOP: delta = -pane->FirstRow; break;
      // "Bottom" means the last page, not one row further.
      case SB_BOTTOM: delta = pane->MaxFirstRow - pane->FirstRow; break;
      default: delta = 0; break;
    }
  }
  if (delta != 0 && ScrollPane(pane, delta, true) == 3) RepaintPanes(window, bits);
  DefWindowProcW(window, WM_VSCROLL, wParam, lParam);
  if (delta != 0) SyncScrollBar(ActiveScrollBar);
  return 1;
}

bool PointInPane(const PaneView* pane, int x, int y) {
  if (!pane) return false;
  const int g = Gutter();
  return pane->AreaLeft - g <= x && x <= pane->AreaLeft + pane->AreaWidth + g &&
         pane->AreaTop - g <= y && y <= pane->AreaTop + pane->AreaHeight + g;
}

void OnShareCommand(HWND window, int command) {
  const int code = command - 400;
  if (code == AppSettings.BottomSection) return;
  AppSettings.BottomSection = code;
  OnSize(window, RelayoutSize);
  RepaintPanes(window, RepaintClear | RepaintErase | 0xFF);
  CheckShareItem(window);
}
