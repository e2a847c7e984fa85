// The shell's global state: the window handles, the two panes and the
// geometry of the split view. Everything here lives for the whole run and
// starts zeroed.
//
// Writers: the main window's creation and destruction (mainwindow.cpp,
// splitview.cpp) set the handles and panes; the handlers of clicks, the wheel,
// the scroll bars and the search change ActivePane and ActiveScrollBar,
// always together; OnSize writes CommentaryArea and LastClientSize; the main
// window's creation and its DPI-change handler (ApplyDpi) write WindowDpi. Nothing
// outside shell/ writes any of it.
#pragma once
#include <windows.h>

#include "layout/paneview.h"

extern HINSTANCE AppInstance;
extern HWND MainWindow;
extern HWND Toolbar;                // null when the toolbar could not be made
extern PaneView* MainPane;          // upper pane: record Lesson
extern PaneView* CommentaryPane;    // lower pane: record Lesson + 1
extern PaneView* ActivePane;        // null means MainPane
extern HWND MainScrollBar;
extern HWND CommentaryScrollBar;
extern HWND ActiveScrollBar;
extern WNDPROC ScrollBarClassProc;  // the system procedure both bars chain to
extern RECT CommentaryArea;
extern SIZE LastClientSize;
extern int WindowDpi;               // the main window's DPI; 0 before it exists (lengths unscaled)

// Repaint bits of PaintPanes and RepaintPanes.
constexpr int RepaintMain = 0x001;
constexpr int RepaintCommentary = 0x002;
constexpr int RepaintErase = 0x100;
constexpr int RepaintClear = 0x200;

// The pane keys, Copy, Print and the search act on.
inline PaneView* CurrentPane() { return ActivePane ? ActivePane : MainPane; }
