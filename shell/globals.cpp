#include "shell/globals.h"

HINSTANCE AppInstance;
HWND MainWindow;
HWND Toolbar;
PaneView* MainPane;
PaneView* CommentaryPane;
PaneView* ActivePane;
HWND MainScrollBar;
HWND CommentaryScrollBar;
HWND ActiveScrollBar;
WNDPROC ScrollBarClassProc;
RECT CommentaryArea;
SIZE LastClientSize;
int WindowDpi;
