// Drawing a laid-out PaneView on its device context: lines, rules, hanging
// words, the search-hit highlight and the page-header box.
//
// Every routine selects what it needs and puts back the font, pen, brush and
// text colour it found (DrawHeaderBox leaves the small style's text colour).
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"

// Colours (0x00BBGGRR).
constexpr COLORREF HitTextColour = 0xFF0000;    // blue
constexpr COLORREF HitBackColour = 0x00FFFF;    // yellow
constexpr COLORREF BoxOuterColour = 0x0000FF;   // red
constexpr COLORREF BoxMiddleColour = 0xFFFFFF;  // white
constexpr COLORREF BoxInnerColour = 0xFF0000;   // blue
constexpr COLORREF BoxFillColour = 0x00FFFF;    // yellow
constexpr COLORREF BoxTextColour = 0x0000FF;    // red
constexpr UINT RunFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;  // 0x825

// The right-to-left reading flag of a text call (DT_RTLREADING for DrawTextW,
// ETO_RTLREADING for ExtTextOutW) when the program's own runs go in reading
// order (store/letters.h: TextUse::Drawn), else 0. A run in reading order is
// then laid out as a right-to-left line, so that the marks at its reading
// end (". : , ?") come to its left end. Its glyphs take the same room in
// either order, so the measured widths and places stay as they are.
UINT ReadingFlag(UINT rtlFlag);

struct HeaderString {
  int32_t StringLength;          // bytes to draw
  int32_t StringWidth;           // measured width
  const unsigned char* String;   // in the pane's Text, or null
};

int32_t DrawPane(PaneView* pane, int32_t erase);
int32_t DrawHitHighlight(PaneView* pane);
void HighlightRun(PaneView* pane, const unsigned char* text, const unsigned char* run, int32_t count,
                  int32_t x, int32_t y);
int DrawRun(HDC dc, const unsigned char* bytes, int32_t count, int32_t x, int32_t y, int32_t w,
            int32_t h);
int DrawRunColored(HDC dc, const unsigned char* bytes, int32_t count, int32_t x, int32_t y,
                   int32_t w, int32_t h, COLORREF textColour, COLORREF backColour);
// area: left, top, width, height (a pane's Area fields in that order).
void FillArea(HDC dc, const int32_t area[4], int stockBrush);
void DrawFrame(HDC dc, RECT* rect, COLORREF colour, int32_t count);
void FindHeaderStrings(const unsigned char* text, HeaderString* first, HeaderString* second);
void DrawHeaderBox(PaneView* pane);
