// Commands and article navigation: the command table, moving between
// articles, the Reverse check mark, and the keyboard, click and wheel input
// of the main window.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"
#include "shell/article.h"

// 0 when handled, 1 when no handler takes the command.
int OnCommand(HWND window, int command);
int StepArticle(HWND window, int delta);
int NextArticle(HWND window);
int PreviousArticle(HWND window);
void UpdateReverse(HWND window, bool setMode);

// 0 for the keys handled, 1 for all others.
LRESULT OnKeyDown(HWND window, WPARAM key);
// A click (a press and release without a drag, shell/selecting.h) at x, y
// in pane: makes it the active pane and, with click paging on, pages it
// forward or back by the half of the pane the click fell in. 1 when it was
// in the pane.
int ClickPage(HWND window, PaneView* pane, int x, int y);
void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam);

// What is left of a wheel's turn short of a whole notch (WHEEL_DELTA).
struct WheelTotal {
  int Remainder;
};
// Adds a wheel delta to what is left and returns the whole notches it
// completes (positive: away from the user); a turn the other way drops
// what was left.
int WheelNotches(WheelTotal* total, int delta);
