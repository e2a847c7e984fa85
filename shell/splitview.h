// The split view: toolbar, main pane, separator, commentary section and the
// two scroll bars, their geometry on every size change, painting, and keeping
// the scroll bars in step with the panes.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"

// OnSize's "lay out again with the last client size".
constexpr LPARAM RelayoutSize = static_cast<LPARAM>(0xBAADF00D);

// Commentary colours by day (0x00BBGGRR); the panes' scheme gives the ones
// drawn (layout/colours.h).
constexpr COLORREF CommentaryBackground = 0xFFFFF8;
constexpr COLORREF SeparatorColour = 0x008000;

void OnCreate(HWND window);
int CreatePanes(HWND window);
void CreateCommentarySection(HWND window, HDC dc, const RECT* rect);
void OnSize(HWND window, LPARAM size);
void LayoutCommentarySection(int* width, int* height);
int CommentaryHeight(int available);
void PaintPanes(HDC dc, HWND window, int bits);
void RepaintPanes(HWND window, int bits);
void PaintCommentarySection(HDC dc);
// Sets a bar's range and position from its pane; with redraw false the bar is
// only invalidated and paints with the next paint cycle.
void SyncScrollBar(HWND bar, bool redraw = true);
void SyncScrollBars(bool redraw = true);
LRESULT CALLBACK ScrollBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnVScroll(HWND window, WPARAM wParam, LPARAM lParam);
bool PointInPane(const PaneView* pane, int x, int y);
void OnShareCommand(HWND window, int command);

// Largest gutter used as stored: twice it still fits the 16-bit client sizes
// of a size message, so the inset and the coordinates derived from it stay
// in range. Larger and negative values give the default.
constexpr int32_t MaxGutter = 0x7FFF;
// The gutter as used, in pixels at the window's DPI: the stored value (in
// 96-DPI units), or the default when it is unusable.
int Gutter();
// Thickness of the separator line above the commentary, at the window's DPI.
int SeparatorWidth();
// Width of the scroll bars at the window's DPI.
int ScrollBarWidth();
// Takes the DPI of the window: the toolbar's picture set and button size, the
// panes' fonts and lengths; the caller lays the panes out again (OnSize).
void ApplyDpi(HWND window, int dpi);
// Places the panes' top left corner below the toolbar (if shown) and inside
// the gutter; the caller lays the panes out again (OnSize).
void PlacePaneCorner(HWND window);
// Height of the toolbar window, 0 without one or while it is hidden.
int ToolbarHeight();
// Rows one page step moves: half the rows last drawn for page modes 2 and 4,
// otherwise one row less than a page; never less than one row.
int PageRows(const PaneView* pane, uint32_t mode);
