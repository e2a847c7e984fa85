// The commentary tied to the words it explains, as the window shows it:
// the links of the article shown (store/links.h), the tint while the
// pointer rests on a comment or on words a comment quotes, Ctrl+click to
// bring the other end into view, and stepping through a page's comments.
// Only scrolling: no jump, so Back and Forward are not affected.
//
// Owns: the links of the article shown and the tinted stretches the panes
// point at. Writes: the panes' Tints, TintCount, TintAbove and FirstRow.
#pragma once
#include <windows.h>

// A pane got another text: the tint goes, and the links are made anew from
// the texts the panes hold when next asked for. Called wherever a pane gets
// a text.
void PaneTextChanged();
// Frees the links (the window is going).
void ForgetLinks();

// The pointer moved over the window with no button held: tints what it rests
// on. Arms the leave notice.
void OnLinkHover(HWND window, int x, int y);
// The pointer left the window: no tint.
void OnLinkLeave(HWND window);
// A pane scrolled under the pointer: tints what it rests on now.
void RetintAtPointer(HWND window);
// Ctrl+click at x, y: true while links are on and it fell in a pane (on a
// comment or linked words the other pane is scrolled to them); nothing else
// happens for such a click, not even paging or selecting.
bool OnLinkClick(HWND window, int x, int y);
// Alt+Down (direction 1) and Alt+Up (-1): the next or previous comment of
// the page, both panes scrolled to it and its words, and tinted.
void StepComment(HWND window, int direction);
// View > Links: turns all of the above off and on (ShowLinks).
void ToggleLinks(HWND window);
