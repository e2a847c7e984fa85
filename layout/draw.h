// Drawing a laid-out PaneView on its device context: lines, rules, hanging
// words, the search-hit highlight, the selection, the noted passages and the
// page-header box.
//
// A pane is drawn in its own colours (its scheme and its background, page
// or commentary strip), whatever the DC held before. Every routine selects
// what it needs and puts back the font, pen, brush, colours and background
// mode it found (DrawHeaderBox leaves the small style's text colour).
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"
#include "layout/runs.h"

// Colours (0x00BBGGRR).
constexpr COLORREF HitTextColour = 0xFF0000;    // blue
constexpr COLORREF HitBackColour = 0x00FFFF;    // yellow
constexpr COLORREF BoxOuterColour = 0x0000FF;   // red
constexpr COLORREF BoxMiddleColour = 0xFFFFFF;  // white
constexpr COLORREF BoxInnerColour = 0xFF0000;   // blue
constexpr COLORREF BoxFillColour = 0x00FFFF;    // yellow
constexpr COLORREF BoxTextColour = 0x0000FF;    // red
struct HeaderString {
  int32_t StringLength;          // bytes to draw
  int32_t StringWidth;           // measured width
  const unsigned char* String;   // in the pane's Text, or null
};

int32_t DrawPane(PaneView* pane, int32_t erase);
int32_t DrawHitHighlight(PaneView* pane);
// Index of the line that holds a stored offset; for an offset between lines
// (a space at a break, a paragraph's style byte) the line that starts
// nearest after it; -1 when none does.
int32_t LineIndexOf(const PaneView* pane, int32_t offset);
// The row at which line index begins.
int32_t RowOfLine(const PaneView* pane, int32_t index);
// The pane's tinted stretches on the scheme's LinkTint, each line in its own
// text colour, and the mark at the edge that points to those out of view.
void DrawTints(PaneView* pane);
// The citation under the pointer (PaneView::CitationShown) in the scheme's
// citation colour, underlined, on the background or the tint it stands on.
void DrawCitation(PaneView* pane);
// The pane's selection in the selection colours (layout/colours.h).
void DrawSelection(PaneView* pane);
// The pane's noted passages underlined in the scheme's NoteLine, each with
// its mark in the margin right of the area (which it clears first).
void DrawNotes(PaneView* pane);
// The line index of note index's first line (the top one); -1 for none.
int32_t NoteFirstLine(const PaneView* pane, int32_t index);
// Where note index's mark stands; false when its first line is not in view
// or the pane has no margin.
bool NoteMarkRect(PaneView* pane, int32_t index, RECT* rect);
// The note whose mark, or else whose passage, is under x, y; -1 for none.
int32_t NoteAt(PaneView* pane, int32_t x, int32_t y);
// The stored bytes [lo, hi) of a run drawn at x, y shown opaque in the given
// colours (the part of the run outside them is left alone), underlined in
// the text colour when asked.
void HighlightRange(PaneView* pane, const unsigned char* run, int32_t count, int32_t x, int32_t y, int32_t lo,
                    int32_t hi, COLORREF textColour, COLORREF backColour, bool underline = false);
void HighlightRun(PaneView* pane, const unsigned char* text, const unsigned char* run, int32_t count,
                  int32_t x, int32_t y);
// Hit-testing: the text offset of the character boundary under x, y on
// the visible lines (a point above or below them takes the first or last
// one, a point beyond a line's end the end); -1 for a pane with no text.
// For a line with a hanging word only the main run counts.
int32_t PaneBoundaryAt(PaneView* pane, int32_t x, int32_t y);
// The offset of the character drawn under x, y in a line's main run; -1
// off every character (between lines, past a line's ends, a rule, a
// hanging word).
int32_t PaneCharAt(PaneView* pane, int32_t x, int32_t y);
// area: left, top, width, height (a pane's Area fields in that order).
void FillArea(HDC dc, const int32_t area[4], int stockBrush);
void DrawFrame(HDC dc, RECT* rect, COLORREF colour, int32_t count);
void FindHeaderStrings(const unsigned char* text, HeaderString* first, HeaderString* second);
void DrawHeaderBox(PaneView* pane);
