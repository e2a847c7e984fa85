// The commentary's citations of pages of this text, as the window shows
// them: found whenever the commentary shown is another (never stored); the
// one under the pointer is drawn in the citation colour and underlined, the
// pointer is a hand and a tooltip names the page; a click on it (a press and
// release without a drag) goes to that page as a jump that Back undoes,
// and never pages.
//
// Owns: the citations of the commentary shown and the tooltip control.
// Writes: the commentary pane's CitationShown.
#pragma once
#include <windows.h>

#include "layout/paneview.h"

// The pointer moved over the window: shows the citation under it, or none
// (nothing while a press or a drag holds the mouse).
void OnCitationHover(HWND window, int x, int y);
// The pointer left the window.
void OnCitationLeave(HWND window);
// WM_SETCURSOR over the client area: true, with the hand set, when the
// pointer is on a citation.
bool SetCitationCursor(HWND window);
// A click at x, y in pane: true when it was on a citation, which was
// followed (nothing else is to happen for that click).
bool FollowCitation(HWND window, const PaneView* pane, int x, int y);
// The window is going: the citations and the tooltip go too.
void ForgetCitations();
