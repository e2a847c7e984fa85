// PaneView: one text buffer laid out for one area of one device context --
// the text, the fonts made for it, the line table and the scroll position.
// Line breaking and the row-based scroll model live here; drawing is in
// layout/draw.h.
//
// A PaneView owns its Text (a paragraph list), its line table and its fonts;
// it does not own its Dc.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/runs.h"
#include "store/appsettings.h"
#include "store/places.h"
#include "store/selection.h"

// One laid-out line (or rule).
struct LineEntry {
  uint16_t Start;       // offset in Text of the line's first stored byte
  uint16_t Length;      // bytes of the main run; 0 for a rule
  uint16_t X;           // left edge of the main run
  uint16_t Hang;        // width of the hanging-word area, else 0
  uint16_t RunWidth;    // measured width of the main run; a rule's length
  uint16_t LineHeight;  // tmHeight of the line's font
  uint8_t Style;        // style byte; 0x80 only on a paragraph's last line; 0 ends the table
};

struct FontCacheEntry {
  FontCacheEntry* Next;
  HFONT Font;         // null after the fonts were released
  uint32_t StyleKey;  // style bits 0x1F plus 0x1000 (small print)
};

// Stored bytes [Start, End) of a pane's text.
struct TintRange {
  uint16_t Start;
  uint16_t End;
};

struct PaneView {
  LineEntry* Lines;        // LineCapacity + 1 entries, ended by Style 0
  HDC Dc;                  // not owned
  unsigned char* Text;     // owned paragraph list
  int32_t RowsDrawn;       // rows covered by the last DrawPane
  FontSettings Font;       // the pane's copy of the font settings
  FontCacheEntry* FontCache;
  int32_t AreaLeft;
  int32_t AreaTop;
  int32_t AreaWidth;
  int32_t AreaHeight;
  uint16_t FirstRow;       // scroll position in rows
  uint16_t RowCount;
  uint16_t LineCount;
  uint16_t LineCapacity;
  uint16_t MaxFirstRow;
  uint16_t HitStart;       // highlighted search hit [HitStart, HitEnd); both 0: none
  uint16_t HitEnd;
  LineEntry* StartLine;    // printing: draw from this line instead of FirstRow
  LineEntry* NextLine;     // first line the last DrawPane did not draw
  // DPI the fonts and the 96-DPI lengths (indents, rules, the header box) are
  // made for: the window's for a pane on screen (written by the shell), 0 for
  // the device context's LOGPIXELSY (a print job's pane on the printer).
  int32_t Dpi;
  // The colours it is drawn in (layout/colours.h); null: the day scheme, as
  // for every print job. Written by the shell for the panes on screen.
  const struct ColourScheme* Colours;
  // Which of the scheme's backgrounds is the pane's own: the page or the
  // commentary strip. Written by the shell when it makes the pane.
  uint8_t Background;
  // The user's selection, in text offsets (store/selection.h); cleared when
  // another text is laid out. Written by the shell's mouse and menu handlers.
  TextSelection Selection;
  // Tinted stretches of the text (the words a comment quotes, the comments
  // on some words), drawn under the hit and the selection; the array is the
  // shell's. When none of them is in view, a mark at the pane's top or
  // bottom edge points their way; TintAbove asks for the top mark whatever
  // is in view (words on the previous side). Written by the shell.
  const struct TintRange* Tints;
  int32_t TintCount;
  bool TintAbove;
  // The line being read: the top as the user scrolled it there (or as a
  // place or hit put it), in text offsets, and the row it was last put at.
  // While FirstRow is still that row the user has not scrolled since, and a
  // new layout of the same text brings this very character back to the top,
  // not the start of whatever line holds it now, so round trips through
  // other widths and sizes do not creep. Written by LayoutPane,
  // ScrollToPosition and ScrollToOffset only.
  PanePosition Reading;
  uint16_t ReadingRow;
  bool ReadingKept;
  // The citation under the pointer, [Start, End) in stored bytes (both 0:
  // none): drawn in the scheme's citation colour and underlined, over the
  // tint and under the hit and the selection. Cleared when another text is
  // laid out. Written by the shell.
  TintRange CitationShown;
  // Passages the reader has notes on, as selections of this text: each is
  // underlined thinly in the scheme's NoteLine, over the tint, the hit and
  // the selection, with a mark in the margin beside its first line; the
  // array is the shell's. NoteMargin is the width of that margin, the strip
  // right of the area, which the pane then paints as its own (0: no marks).
  // Written by the shell.
  const TextSelection* Notes;
  int32_t NoteCount;
  int32_t NoteMargin;
};

// Values of PaneView::Background.
constexpr uint8_t BackgroundPage = 0;
constexpr uint8_t BackgroundStrip = 1;

// Style byte bits.
constexpr uint8_t StyleRule = 0x07;       // all three set: a horizontal rule
constexpr uint8_t StylePlain = 0x01;
constexpr uint8_t StyleSmall = 0x02;
constexpr uint8_t StyleLarge = 0x04;
constexpr uint8_t StyleBold = 0x08;
constexpr uint8_t StyleVisual = 0x10;     // stored in display order
constexpr uint8_t StyleAlignMask = 0x60;  // 0x20 right, 0x40 centred, else left
constexpr uint8_t StyleParagraphEnd = 0x80;
constexpr uint32_t StyleKeyMask = 0x101F;
constexpr uint32_t StyleSmallPrint = 0x1000;
constexpr uint32_t StyleWithColour = 0x100;  // SelectStyle: set the text colour too

// LayoutPane results. Laying out the text the pane already holds (another
// width, font or DPI) keeps the line being read at the top (TopPosition).
constexpr int32_t LayoutOk = 0;
constexpr int32_t LayoutNoText = 2;
constexpr int32_t LayoutRejected = 0xFFFC;
constexpr int32_t LayoutNoMemory = 0xFFFE;
constexpr int32_t LayoutNoPane = -1;

PaneView* CreatePaneView(HDC dc, const RECT* area, const FontSettings* font, int32_t lines);
void DestroyPaneView(PaneView* pane, bool releaseRecord);
int32_t LayoutPane(PaneView* pane, unsigned char* text, bool releaseOld);
int32_t ResizePane(PaneView* pane, int32_t width, int32_t height);
// Makes the pane's fonts anew for font and lays the text out again (the
// caller draws). 0, or 1 when the layout failed.
int32_t SetPaneFont(PaneView* pane, const FontSettings* font);
HFONT SelectStyle(PaneView* pane, uint32_t flags);
int32_t ComputeMaxFirstRow(PaneView* pane);
// Moves FirstRow by delta rows; the caller draws. Results: 1 nothing
// changed, 3 FirstRow changed, -1 no pane.
int32_t ScrollPane(PaneView* pane, int32_t delta, bool stopAtEnd);
int16_t ScrollToOffset(PaneView* pane, uint16_t offset);
// The top of a pane as a place keeps it (the line being read while the user
// has not scrolled since it was put there), and back.
PanePosition TopPosition(const PaneView* pane);
void ScrollToPosition(PaneView* pane, PanePosition position);
int32_t GrowLineTable(PaneView* pane, int32_t index);
// The DPI the pane lays out and draws for (see Dpi).
int32_t PaneDpi(const PaneView* pane);
// A 96-DPI length in the pane's device pixels.
int32_t PaneLength(const PaneView* pane, int32_t px);
// Takes a new DPI: the fonts are made again when next selected; the caller
// lays the pane out again.
void SetPaneDpi(PaneView* pane, int32_t dpi);

// Rows an entry covers: 1, or 2 when a blank row follows it.
inline int RowsOf(const LineEntry& line) { return (line.Style & StyleParagraphEnd) ? 2 : 1; }
