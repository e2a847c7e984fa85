// Helpers shared by the layout and the drawing code of layout/ only; nothing
// outside this folder includes this header.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"
#include "layout/runs.h"

// The first line to show from FirstRow (pulling FirstRow back to MaxFirstRow
// when it lies beyond RowCount). *y receives the line's top; when FirstRow
// falls on a blank row the line starts one row lower and *room shrinks by
// that row. May return the terminator.
LineEntry* FindFirstVisible(PaneView* pane, int32_t* y, int32_t* room);

// Offset in text one past the last byte a line covers. A line with a hanging
// word covers more than its main run: in stored order the run follows the
// word (Start is the word's), in visual order the word follows the run up to
// the end of the paragraph's string.
int32_t LineCoverEnd(const unsigned char* text, const LineEntry& line);
