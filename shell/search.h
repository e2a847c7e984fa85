// The search over the whole corpus as the main window drives it: where it
// starts in the active pane, the walk over the records with wrap-around, and
// the showing of a hit. The matching itself is store/search.h.
//
// Writes: Lesson (through SetCurrentArticle), ActivePane and ActiveScrollBar,
// the panes' texts, FirstRow and hit ranges.
#pragma once
#include <windows.h>

#include <cstdint>

#include "store/search.h"

// Shows the next hit of SearchString: 1, or 0 when the string is empty or
// nothing was found ("Not Found!" owned by owner), or memory ran out.
int SearchNext(HWND owner);
// Shows a hit as SearchNext shows one (article loaded, the hit's line at the
// top of its pane, highlighted, header box): 1, or 0 when it could not.
int ShowSearchHit(const SearchHit& hit);
// Offset in the active pane's text at which SearchNext begins.
uint16_t SearchStartOffset();
// Arranges the panes for a hit: sameText, the active pane's own text; else
// Lesson has just become the hit's record. startRecord is the record that was
// shown in the active pane when the search began.
void SelectHitArticle(int32_t startRecord, bool sameText);
