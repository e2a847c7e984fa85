// Loading articles into the panes: the main record Lesson and its commentary
// Lesson + 1. Every change of the shown article goes through here; the
// commands, the search and the window's creation call it, and it calls only
// the split view (for repainting) below it.
//
// Writes: Lesson (through SetCurrentArticle), the panes' texts and FirstRow.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"
#include "store/places.h"

// GoToRecord's "reload the main pane from Lesson without changing it".
constexpr int32_t ReloadMainRecord = static_cast<int32_t>(0xF4FFF500u);

// Lays a freshly loaded record out in a pane from its first row: the one
// way a pane gets another text. True when the pane took it; a text it did
// not take (rejected, or no memory for its lines) is released here.
bool ShowRecord(PaneView* pane, unsigned char* text);
// Makes record n current and shows it with its commentary, both from their
// first row: 0, or 1 when the record did not load (Lesson is put back).
int GoToRecord(HWND window, int32_t n);
// Loads record Lesson + 1 into the commentary pane: 0, or the result of the
// "Resource not found" box (the pane keeps its text).
int LoadCommentary(HWND window);
// At start-up: loads Lesson and its commentary into the new panes at the
// stored scroll positions.
void LoadStoredArticle(HWND window);
// The length of a loaded text: its paragraph list up to the zero style byte
// that ends it (the loader puts zeros after the text); 0 for none.
uint16_t TextLength(const unsigned char* text);

// Places: where the reader is, and jumps that Back and Forward can undo.

// Back and Forward places of this session. Written only here.
extern PlaceHistory History;

// The article shown, the top of each pane and which pane is active.
Place CurrentPlace();
// Shows a place: its article (loaded unless shown already), both panes at
// their positions, its active pane. 0, or 1 when the article did not load
// (nothing changes then).
int ShowPlace(HWND window, const Place& place);
// A jump: shows target and, when that worked, records the place left.
int JumpToPlace(HWND window, const Place& target);
// A jump to an article, both panes from their first row.
int JumpToRecord(HWND window, int32_t n);
// Records the place left by a jump that has already been shown (the
// search's hit in another article).
void RecordPlaceLeft(const Place& left);
// Back and Forward: 0 when a place was shown, 1 when there is nowhere to
// go or it could not be loaded (the history is then as before).
int GoBack(HWND window);
int GoForward(HWND window);

