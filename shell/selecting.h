// Selecting in the panes with the mouse, and the panes' context menu.
//
// A press in a pane waits: once the pointer is farther from it than the
// system's drag distance (SM_CXDRAG, SM_CYDRAG) on either side, it becomes a
// drag that selects from the press to the pointer, with the mouse captured
// and, while the pointer is above or below the pane, the pane scrolling on a
// timer (faster the farther it is). Released without a drag, or within the
// drag distance with nothing selected, it is a click: it pages as ClickPage
// says, or, in a pane that shows a selection, only clears it. Shift+press
// extends a selection from its anchor. Clearing the selection (Esc), Select
// All and a search hit shown end a drag.
//
// Owns: the press in progress (one at a time) and the drag-scroll timer.
// Writes: the panes' Selection, ActivePane and ActiveScrollBar.
#pragma once
#include <windows.h>

#include "layout/paneview.h"
#include "store/appsettings.h"

// The main window's timer that scrolls a pane while a drag is outside it.
constexpr UINT_PTR DragScrollTimer = 1;

void OnPaneButtonDown(HWND window, LPARAM position, WPARAM keys);
void OnPaneMouseMove(HWND window, LPARAM position);
void OnPaneButtonUp(HWND window, LPARAM position);
void OnDragScrollTimer(HWND window);
// Ends a press or a drag in progress without a click: the capture was taken
// away or cancelled, or the window lost activation.
void EndPaneDrag(HWND window);

// Clears the selection of either pane and redraws that pane, ending a drag;
// true when there was one or a drag.
bool ClearSelection(HWND window);
// Selects the whole text of the current pane.
void SelectAll(HWND window);

// The context menu at a point in screen coordinates, for the pane under it
// (which becomes the current one and alone keeps a selection); from the
// keyboard (both coordinates -1) for the current pane. Its items act on
// PaneToCopy. False when the point is in neither pane.
bool OnPaneContextMenu(HWND window, LPARAM position);

// A pane's selection as a search string in reading order, the spaces at its
// ends left off: false when there is none, or it spans paragraphs, is then
// longer than the search line takes or holds what a search string may not
// (a wildcard, a control byte).
bool SelectionSearchString(const PaneView* pane, unsigned char out[SearchStringBytes]);
// The search dialog opened with the selection, or (findAll) its results at once.
void SearchForSelection(HWND window, bool findAll);

// The pane Copy, Append and Print act on: the one that shows a selection
// (there is one at most), else the current pane.
PaneView* PaneToCopy();
// Copy, Append and Copy with Source: the selection when a pane shows one,
// else the whole current pane.
void CopyCurrentPane(HWND window, bool append, bool withSource);
