// The colours the panes are drawn in: the day scheme (the page as it is
// printed) and the night scheme, a dark grey page with light grey text for
// reading in the dark. A pane on screen points at the scheme it shows; a pane
// that points at none (every print job's) is drawn in the day colours, so
// printing never changes with the screen.
//
// Night contrasts by WCAG 2's measure: body text 10.7:1 on the page and
// 9.6:1 on the commentary strip, the small print 8.8:1 and 7.9:1, the
// headings 8.4:1 and 7.6:1, the search hit 7.6:1 on its highlight, a
// citation 9.0:1 on the strip (by day 7.8:1).
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"

// A scheme colour that stands for the system's own (no RGB value has this).
constexpr COLORREF SystemColour = 0xFF000000;

struct ColourScheme {
  COLORREF Page;            // the main pane and the window around the panes
  COLORREF CommentaryPage;  // the commentary section
  COLORREF Separator;       // the line above the commentary
  COLORREF PlainText;
  COLORREF SmallText;       // the small style (commentary headings)
  COLORREF HeadingText;     // large bold
  COLORREF Rule;
  COLORREF HitText;
  COLORREF HitBack;
  COLORREF BoxOuter;  // the page-header box: three frames, fill and text
  COLORREF BoxMiddle;
  COLORREF BoxInner;
  COLORREF BoxFill;
  COLORREF BoxText;
  COLORREF SelectionText;  // SystemColour: the system's highlight colours
  COLORREF SelectionBack;
  COLORREF LinkTint;       // behind the words a comment quotes, and the comment
  COLORREF Citation;       // a citation under the pointer: its text and underline
  COLORREF NoteLine;       // under a passage with a note, and its mark in the margin
};

inline constexpr ColourScheme DayScheme = {
    0xFFFFFF, 0xFFFFF8, 0x008000,            // white, a faint blue-white, green
    0x000000, 0x800000, 0xFF0000, 0x000000,  // black, navy, blue; black rules
    0xFF0000, 0x00FFFF,                      // blue on yellow
    0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FFFF, 0x0000FF,
    SystemColour, SystemColour, RGB(0xD6, 0xE6, 0xFA),  // the system's selection; a pale blue tint
    RGB(0x00, 0x4E, 0xA8),                              // citations: a deep blue
    RGB(0xD9, 0x6C, 0x00),                              // notes: a deep orange
};

inline constexpr ColourScheme NightScheme = {
    RGB(0x1E, 0x1F, 0x22), RGB(0x26, 0x28, 0x2C), RGB(0x4C, 0x8C, 0x5C),
    RGB(0xD0, 0xD0, 0xD0), RGB(0xA8, 0xC0, 0xDC), RGB(0x98, 0xBB, 0xF4), RGB(0x8A, 0x8F, 0x98),
    RGB(0xFF, 0xF0, 0xCC), RGB(0x5C, 0x4A, 0x14),
    RGB(0xC0, 0x60, 0x5A), RGB(0x1E, 0x1F, 0x22), RGB(0x6A, 0x8C, 0xC8), RGB(0x5C, 0x4A, 0x14),
    RGB(0xFF, 0xD9, 0xB8),
    RGB(0xFF, 0xFF, 0xFF), RGB(0x2F, 0x55, 0x8A), RGB(0x2C, 0x38, 0x48),
    RGB(0x9C, 0xCF, 0xFF),
    RGB(0xE8, 0x9A, 0x4C),
};

// The scheme of a stored NightColours value: night for 1, day for anything else.
inline const ColourScheme& SchemeForSetting(uint32_t nightColours) {
  return nightColours == 1 ? NightScheme : DayScheme;
}

// The scheme a pane is drawn in.
inline const ColourScheme& PaneColours(const PaneView* pane) {
  return pane && pane->Colours ? *pane->Colours : DayScheme;
}

// The pane's own background: the page, or the commentary strip.
inline COLORREF PaneBackground(const PaneView* pane) {
  return pane && pane->Background == BackgroundStrip ? PaneColours(pane).CommentaryPage : PaneColours(pane).Page;
}

// The colours a selection is shown in: the system's highlight colours by
// day, the scheme's own by night.
inline void SelectionColours(const PaneView* pane, COLORREF* text, COLORREF* back) {
  const ColourScheme& scheme = PaneColours(pane);
  *text = scheme.SelectionText == SystemColour ? GetSysColor(COLOR_HIGHLIGHTTEXT) : scheme.SelectionText;
  *back = scheme.SelectionBack == SystemColour ? GetSysColor(COLOR_HIGHLIGHT) : scheme.SelectionBack;
}

// Fills a rectangle with a solid colour (a brush made and deleted for it).
void FillWithColour(HDC dc, const RECT& rect, COLORREF colour);
