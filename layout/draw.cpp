// Drawing a laid-out PaneView: lines, rules, hanging words, the search-hit
// highlight and the page-header box.
#include "layout/draw.h"

#include <cstring>
#include <initializer_list>

#include "layout/colours.h"
#include "layout/runs.h"
#include "layout/pane_internal.h"
#include "store/letters.h"

namespace {

constexpr unsigned char Space = 0x20;

// Coordinates and widths reach the platform as unsigned 16-bit values.
inline int U16(int32_t v) { return static_cast<uint16_t>(v); }

bool IsRule(const LineEntry& line) { return (line.Style & StyleRule) == StyleRule; }

// The style a page starts with: the first line's, or plain for a rule or
// when there is no line at all.
uint8_t FirstStyle(const LineEntry& line) {
  return (line.Style == 0 || IsRule(line)) ? StylePlain : line.Style;
}

int32_t StringLength(const unsigned char* s) {
  return static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(s)));
}

// The hanging word of a visual-order line: after the main run, past the rest
// of its word and the spaces that follow, up to the end of the string.
const unsigned char* VisualHangingWord(const unsigned char* text, const LineEntry& line) {
  const unsigned char* p = text + line.Start + line.Length;
  while (*p && *p != Space) ++p;
  while (*p == Space) ++p;
  return p;
}

// Length of the stored-order hanging word at p (up to the next space).
int32_t WordLength(const unsigned char* p) {
  int32_t n = 0;
  while (p[n] && p[n] != Space) ++n;
  return n;
}

const unsigned char* SkipWordAndSpaces(const unsigned char* p) {
  while (*p && *p != Space) ++p;
  while (*p == Space) ++p;
  return p;
}

// Advances y and the room left past a line and its blank row.
void Advance(const LineEntry& line, int32_t& y, int32_t& room) {
  y += line.LineHeight;
  room -= line.LineHeight;
  if (line.Style & StyleParagraphEnd) {
    y += line.LineHeight;
    room -= line.LineHeight;
  }
}

// StartLine is kept across calls (printing); a table that was reallocated
// since would leave it pointing elsewhere, so it is only trusted inside the table.
bool InTable(const PaneView* pane, const LineEntry* line) {
  const auto p = reinterpret_cast<uintptr_t>(line);
  const auto first = reinterpret_cast<uintptr_t>(pane->Lines);
  const auto last = reinterpret_cast<uintptr_t>(pane->Lines + pane->LineCount);
  return p >= first && p <= last && (p - first) % sizeof(LineEntry) == 0;
}

}  // namespace

void FillArea(HDC dc, const int32_t area[4], int stockBrush) {
  RECT rect{area[0], area[1], area[0] + area[2], area[1] + area[3]};
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(stockBrush)));
}

void DrawFrame(HDC dc, RECT* rect, COLORREF colour, int32_t count) {
  if (!rect) return;
  HPEN pen = CreatePen(PS_SOLID, 0, colour);
  HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : nullptr;
  // Outlines only: what lies inside the frame is left alone.
  HGDIOBJ oldBrush = pen ? SelectObject(dc, GetStockObject(NULL_BRUSH)) : nullptr;
  for (int32_t i = 0; i < count; ++i) {
    if (pen) Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
    InflateRect(rect, -1, -1);
  }
  if (pen) {
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
}

namespace {

// A line under a run drawn at x, y in the selected font: just below the
// baseline, one 96-DPI pixel thick.
void DrawUnderline(PaneView* pane, int32_t x, int32_t y, int32_t width, COLORREF colour) {
  TEXTMETRICW tm{};
  GetTextMetricsW(pane->Dc, &tm);
  const int32_t thickness = PaneLength(pane, 1);
  const RECT line{x, y + tm.tmAscent + thickness, x + width, y + tm.tmAscent + 2 * thickness};
  FillWithColour(pane->Dc, line, colour);
}

}  // namespace

void HighlightRange(PaneView* pane, const unsigned char* run, int32_t count, int32_t x, int32_t y,
                    int32_t lo, int32_t hi, COLORREF textColour, COLORREF backColour, bool underline) {
  if (!pane || !pane->Text || !run || count <= 0) return;
  const int32_t start = static_cast<int32_t>(run - pane->Text);
  if (lo < start) lo = start;
  if (hi > start + count) hi = start + count;
  if (hi <= lo) return;
  const int32_t prefix = lo > start ? MeasureRun(pane->Dc, run, lo - start).cx : 0;
  const SIZE size = MeasureRun(pane->Dc, run + (lo - start), hi - lo);
  DrawRunColored(pane->Dc, run + (lo - start), hi - lo, U16(x + prefix), U16(y), U16(size.cx), U16(size.cy),
                 textColour, backColour);
  if (underline) DrawUnderline(pane, x + prefix, y, size.cx, textColour);
}

void HighlightRun(PaneView* pane, const unsigned char* text, const unsigned char* run, int32_t count,
                  int32_t x, int32_t y) {
  if (!pane || !text || text != pane->Text) return;
  HighlightRange(pane, run, count, x, y, pane->HitStart, pane->HitEnd, PaneColours(pane).HitText,
                 PaneColours(pane).HitBack);
}

namespace {

// Where the stored bytes [lo, hi) of a run drawn at x lie: the part's first
// byte and count, and its left edge and size; false when the run holds none
// of them.
bool PartOfRun(PaneView* pane, const unsigned char* run, int32_t count, int32_t x, int32_t lo, int32_t hi,
               const unsigned char** part, int32_t* partCount, int32_t* left, SIZE* size) {
  if (!run || count <= 0) return false;
  const int32_t start = static_cast<int32_t>(run - pane->Text);
  if (lo < start) lo = start;
  if (hi > start + count) hi = start + count;
  if (hi <= lo) return false;
  *part = run + (lo - start);
  *partCount = hi - lo;
  *left = x + (lo > start ? MeasureRun(pane->Dc, run, lo - start).cx : 0);
  *size = MeasureRun(pane->Dc, *part, hi - lo);
  return true;
}

// Walks the stored bytes [lo, hi) of the visible lines, each line in its own
// font (and, withColour, its text colour): main runs, and hanging words as
// the hit shows them (a visual-order word whole when the range reaches into
// it). piece(bytes, count, x, y, width, height) gets every part in view.
template <typename Piece>
void WalkVisible(PaneView* pane, int32_t lo, int32_t hi, bool withColour, Piece piece) {
  int32_t room = pane->AreaHeight;
  int32_t y = 0;
  const LineEntry* line = FindFirstVisible(pane, &y, &room);
  const COLORREF oldColour = GetTextColor(pane->Dc);
  const uint32_t colour = withColour ? StyleWithColour : 0;
  uint8_t current = FirstStyle(*line);
  const HFONT oldFont = SelectStyle(pane, current + colour);
  const unsigned char* text = pane->Text;
  const unsigned char* part = nullptr;
  int32_t partCount = 0, left = 0;
  SIZE size{};
  auto runPart = [&](const unsigned char* run, int32_t count, int32_t x) {
    if (PartOfRun(pane, run, count, x, lo, hi, &part, &partCount, &left, &size))
      piece(part, partCount, left, y, size.cx, size.cy);
  };
  for (; line->Style != 0 && line->LineHeight <= room; ++line) {
    const bool touches = !(hi < line->Start || lo > LineCoverEnd(text, *line));
    if (!IsRule(*line) && touches) {
      if ((current & 0x1F) != (line->Style & 0x1F)) SelectStyle(pane, line->Style + colour);
      current = line->Style;
      const unsigned char* start = text + line->Start;
      if (line->Hang == 0) {
        runPart(start, line->Length, line->X);
      } else if (!(line->Style & StyleVisual)) {
        runPart(start, WordLength(start), line->X - line->Hang);
        runPart(SkipWordAndSpaces(start), line->Length, line->X);
      } else {
        // The word whole when the range reaches into it, and left alone
        // when the range lies only in the run.
        const unsigned char* word = VisualHangingWord(text, *line);
        int32_t w = line->Hang;
        int32_t fit = StringLength(word);
        const int32_t wordStart = static_cast<int32_t>(word - text);
        if (lo < wordStart + fit && hi > wordStart) {
          MeasureFit(pane->Dc, word, &w, &fit);
          piece(word, fit, line->X + line->RunWidth + line->Hang - w, y, w, line->LineHeight);
        }
        runPart(start, line->Length, line->X);
      }
    }
    Advance(*line, y, room);
  }
  if (oldFont) SelectObject(pane->Dc, oldFont);
  SetTextColor(pane->Dc, oldColour);
}

// Shows the stored bytes [lo, hi) of the visible lines in the given colours,
// underlined in the text colour when asked.
// textColour SystemColour: each line's own text colour.
void HighlightVisible(PaneView* pane, int32_t lo, int32_t hi, COLORREF textColour, COLORREF backColour,
                      bool underline = false) {
  const bool ownColours = textColour == SystemColour;
  WalkVisible(pane, lo, hi, ownColours,
              [&](const unsigned char* run, int32_t count, int32_t x, int32_t y, int32_t w, int32_t h) {
                const COLORREF colour = ownColours ? GetTextColor(pane->Dc) : textColour;
                DrawRunColored(pane->Dc, run, count, U16(x), U16(y), U16(w), U16(h), colour, backColour);
                if (underline) DrawUnderline(pane, x, y, w, colour);
              });
}

// The lines shown from FirstRow: the first, and *end one past the last.
const LineEntry* VisibleLines(PaneView* pane, const LineEntry** end) {
  int32_t room = pane->AreaHeight;
  int32_t y = 0;
  const LineEntry* first = FindFirstVisible(pane, &y, &room);
  const LineEntry* line = first;
  for (; line->Style != 0 && line->LineHeight <= room; ++line) Advance(*line, y, room);
  *end = line;
  return first;
}

// A small triangle at the middle of the pane's top (up) or bottom edge.
void DrawTintMark(PaneView* pane, bool up) {
  const int32_t s = PaneLength(pane, 6);
  const int32_t cx = pane->AreaLeft + pane->AreaWidth / 2;
  const int32_t edge = up ? pane->AreaTop : pane->AreaTop + pane->AreaHeight - 1;
  const int32_t base = up ? edge + s : edge - s;
  const POINT points[3] = {{cx - s, base}, {cx + s, base}, {cx, edge}};
  const COLORREF colour = PaneColours(pane).HeadingText;
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = brush ? SelectObject(pane->Dc, brush) : nullptr;
  HGDIOBJ oldPen = pen ? SelectObject(pane->Dc, pen) : nullptr;
  if (brush && pen) Polygon(pane->Dc, points, 3);
  if (oldPen) SelectObject(pane->Dc, oldPen);
  if (oldBrush) SelectObject(pane->Dc, oldBrush);
  if (pen) DeleteObject(pen);
  if (brush) DeleteObject(brush);
}

}  // namespace

int32_t LineIndexOf(const PaneView* pane, int32_t offset) {
  int32_t after = -1;
  for (int32_t i = 0; i < pane->LineCount; ++i) {
    const LineEntry& line = pane->Lines[i];
    if (line.Start <= offset && offset < LineCoverEnd(pane->Text, line)) return i;
    if (line.Start > offset && (after < 0 || line.Start < pane->Lines[after].Start)) after = i;
  }
  return after;
}

int32_t RowOfLine(const PaneView* pane, int32_t index) {
  int32_t rows = 0;
  for (int32_t i = 0; i < index && i < pane->LineCount; ++i) rows += RowsOf(pane->Lines[i]);
  return rows;
}

void DrawTints(PaneView* pane) {
  if (!pane || !pane->Text || !pane->Lines || (!pane->TintCount && !pane->TintAbove)) return;
  const LineEntry* end = nullptr;
  const int32_t firstIndex = static_cast<int32_t>(VisibleLines(pane, &end) - pane->Lines);
  const int32_t lastIndex = static_cast<int32_t>(end - pane->Lines) - 1;
  bool above = pane->TintAbove, below = false, shown = false;
  for (int32_t i = 0; i < pane->TintCount; ++i) {
    const TintRange& t = pane->Tints[i];
    if (t.End <= t.Start) continue;
    HighlightVisible(pane, t.Start, t.End, SystemColour, PaneColours(pane).LinkTint);
    // A stretch runs over lines from its reading start to its reading end;
    // either end's line tells where it lies.
    const int32_t a = LineIndexOf(pane, t.Start), b = LineIndexOf(pane, t.End - 1);
    const int32_t lo = a < b ? a : b, hi = a < b ? b : a;
    if (lo < 0) continue;
    if (hi >= firstIndex && lo <= lastIndex) {
      shown = true;
    } else if (hi < firstIndex) {
      above = true;
    } else {
      below = true;
    }
  }
  if (above && (pane->TintAbove || !shown)) DrawTintMark(pane, true);
  if (below && !shown) DrawTintMark(pane, false);
}

void DrawCitation(PaneView* pane) {
  if (!pane || !pane->Text || !pane->Lines || pane->CitationShown.End <= pane->CitationShown.Start) return;
  // On the tint when the comment it stands in is tinted.
  COLORREF back = PaneBackground(pane);
  for (int32_t i = 0; i < pane->TintCount; ++i) {
    const TintRange& t = pane->Tints[i];
    if (t.Start <= pane->CitationShown.Start && pane->CitationShown.Start < t.End) back = PaneColours(pane).LinkTint;
  }
  HighlightVisible(pane, pane->CitationShown.Start, pane->CitationShown.End, PaneColours(pane).Citation, back, true);
}

int32_t DrawHitHighlight(PaneView* pane) {
  if (!pane || !pane->Text || !pane->Lines) return -1;
  HighlightVisible(pane, pane->HitStart, pane->HitEnd, PaneColours(pane).HitText, PaneColours(pane).HitBack);
  return 0;
}

namespace {

// The stored offsets the visible lines span: [*first, *last].
void VisibleSpan(PaneView* pane, int32_t* first, int32_t* last) {
  *first = 0xFFFF;
  *last = 0;
  const LineEntry* end = nullptr;
  for (const LineEntry* line = VisibleLines(pane, &end); line < end; ++line) {
    if (line->Start < *first) *first = line->Start;
    if (LineCoverEnd(pane->Text, *line) > *last) *last = LineCoverEnd(pane->Text, *line);
  }
}

// part(lo, hi) for the stored stretch [lo, hi) a selection covers of every
// paragraph whose string lies in [first, last] (a selection covers one
// stretch of every paragraph it touches).
template <typename Part>
void ForEachCoveredPart(const unsigned char* text, const TextSelection& sel, int32_t first, int32_t last, Part part) {
  const unsigned char* p = text;
  while (p[0] != 0) {
    const int32_t o = static_cast<int32_t>(p + 2 - text);
    const int32_t n = StringLength(p + 2);
    int32_t lo = 0, hi = 0;
    if (o <= last && o + n >= first && SelectedInParagraph(text, sel, o, &lo, &hi) && hi > lo) part(lo, hi);
    p += 2 + n + 1;
  }
}

// The top of line index when it is drawn in the pane; false when it is not.
bool VisibleLineTop(PaneView* pane, int32_t index, int32_t* top) {
  int32_t room = pane->AreaHeight;
  int32_t y = 0;
  for (const LineEntry* line = FindFirstVisible(pane, &y, &room); line->Style != 0 && line->LineHeight <= room;
       ++line) {
    if (line - pane->Lines == index) {
      *top = y;
      return true;
    }
    Advance(*line, y, room);
  }
  return false;
}

// Thickness of a note's underline: one pixel at 96 DPI, growing with the scale.
int32_t NoteLineWidth(const PaneView* pane) {
  const int32_t t = PaneLength(pane, 1);
  return t > 0 ? t : 1;
}

void FillSolid(HDC dc, int32_t left, int32_t top, int32_t width, int32_t height, COLORREF colour) {
  if (width > 0 && height > 0) FillWithColour(dc, RECT{left, top, left + width, top + height}, colour);
}

}  // namespace

void DrawSelection(PaneView* pane) {
  if (!pane || !pane->Text || !pane->Lines || !HasSelection(pane->Selection)) return;
  COLORREF textColour, backColour;
  SelectionColours(pane, &textColour, &backColour);
  int32_t first = 0, last = 0;
  VisibleSpan(pane, &first, &last);
  ForEachCoveredPart(pane->Text, pane->Selection, first, last,
                     [&](int32_t lo, int32_t hi) { HighlightVisible(pane, lo, hi, textColour, backColour); });
}

int32_t NoteFirstLine(const PaneView* pane, int32_t index) {
  if (!pane || !pane->Text || !pane->Lines || index < 0 || index >= pane->NoteCount || !pane->Notes) return -1;
  int32_t top = -1;
  ForEachCoveredPart(pane->Text, pane->Notes[index], 0, 0xFFFF, [&](int32_t lo, int32_t hi) {
    for (const int32_t i : {LineIndexOf(pane, lo), LineIndexOf(pane, hi - 1)})
      if (i >= 0 && (top < 0 || i < top)) top = i;
  });
  return top;
}

bool NoteMarkRect(PaneView* pane, int32_t index, RECT* rect) {
  if (!pane || pane->NoteMargin <= 0) return false;
  const int32_t line = NoteFirstLine(pane, index);
  int32_t top = 0;
  if (line < 0 || !VisibleLineTop(pane, line, &top)) return false;
  // A small block in the middle of the margin, at the middle of the line.
  int32_t w = PaneLength(pane, 6);
  if (w > pane->NoteMargin - 2) w = pane->NoteMargin - 2;
  if (w < 2) w = pane->NoteMargin;
  const int32_t h = PaneLength(pane, 8);
  const int32_t left = pane->AreaLeft + pane->AreaWidth + (pane->NoteMargin - w) / 2;
  const int32_t y = top + (pane->Lines[line].LineHeight - h) / 2;
  *rect = RECT{left, y, left + w, y + h};
  return true;
}

void DrawNotes(PaneView* pane) {
  if (!pane || !pane->Text || !pane->Lines) return;
  HDC dc = pane->Dc;
  const COLORREF colour = PaneColours(pane).NoteLine;
  // The margin is the pane's own: cleared of the marks of what was shown before.
  FillSolid(dc, pane->AreaLeft + pane->AreaWidth, pane->AreaTop, pane->NoteMargin, pane->AreaHeight,
            PaneBackground(pane));
  if (!pane->Notes || pane->NoteCount <= 0) return;
  int32_t first = 0, last = 0;
  VisibleSpan(pane, &first, &last);
  const int32_t t = NoteLineWidth(pane);
  for (int32_t i = 0; i < pane->NoteCount; ++i) {
    // Under the characters, in the line's lowest pixels, where no text is hidden.
    ForEachCoveredPart(pane->Text, pane->Notes[i], first, last, [&](int32_t lo, int32_t hi) {
      WalkVisible(pane, lo, hi, false,
                  [&](const unsigned char*, int32_t, int32_t x, int32_t y, int32_t w, int32_t h) {
                    FillSolid(dc, x, y + h - 2 * t, w, t, colour);
                  });
    });
    RECT mark;
    if (NoteMarkRect(pane, i, &mark)) FillWithColour(dc, mark, colour);
  }
}

int32_t NoteAt(PaneView* pane, int32_t x, int32_t y) {
  if (!pane || !pane->Notes || pane->NoteCount <= 0 || !pane->Text || !pane->Lines) return -1;
  for (int32_t i = 0; i < pane->NoteCount; ++i) {
    RECT mark;
    if (NoteMarkRect(pane, i, &mark) && x >= mark.left - 2 && x < mark.right + 2 && y >= mark.top - 2 &&
        y < mark.bottom + 2)
      return i;
  }
  if (x < pane->AreaLeft || x >= pane->AreaLeft + pane->AreaWidth || y < pane->AreaTop ||
      y >= pane->AreaTop + pane->AreaHeight)
    return -1;
  // The boundary nearest the pointer: the character under it is on either side.
  const int32_t at = PaneBoundaryAt(pane, x, y);
  for (int32_t i = 0; i < pane->NoteCount; ++i) {
    bool covers = false;
    ForEachCoveredPart(pane->Text, pane->Notes[i], at, at,
                       [&](int32_t lo, int32_t hi) { covers = covers || (lo <= at && at <= hi); });
    if (covers) return i;
  }
  return -1;
}

int32_t PaneBoundaryAt(PaneView* pane, int32_t x, int32_t y) {
  if (!pane || !pane->Text || !pane->Lines || pane->Lines[0].Style == 0) return -1;
  int32_t room = pane->AreaHeight;
  int32_t top = 0;
  const LineEntry* line = FindFirstVisible(pane, &top, &room);
  if (line->Style == 0) line = pane->Lines + (pane->LineCount ? pane->LineCount - 1 : 0);
  // The line whose band (with its blank row) holds y; above the first
  // visible line the first, below the last drawn one the last.
  for (;;) {
    int32_t band = line->LineHeight;
    if (line->Style & StyleParagraphEnd) band += line->LineHeight;
    const LineEntry* next = line + 1;
    if (y < top + band || next->Style == 0 || next->LineHeight > room - band) break;
    top += band;
    room -= band;
    line = next;
  }
  if (IsRule(*line)) return line->Start;
  const HFONT oldFont = SelectStyle(pane, line->Style);
  const unsigned char* run = pane->Text + line->Start;
  if (line->Hang && !(line->Style & StyleVisual)) run = SkipWordAndSpaces(run);
  const int32_t i = RunBoundaryAt(pane->Dc, run, line->Length, x - line->X);
  if (oldFont) SelectObject(pane->Dc, oldFont);
  return static_cast<int32_t>(run - pane->Text) + i;
}

int32_t PaneCharAt(PaneView* pane, int32_t x, int32_t y) {
  if (!pane || !pane->Text || !pane->Lines) return -1;
  int32_t room = pane->AreaHeight;
  int32_t top = 0;
  const LineEntry* line = FindFirstVisible(pane, &top, &room);
  for (; line->Style != 0 && line->LineHeight <= room; ++line) {
    if (y < top) return -1;
    if (y < top + line->LineHeight) break;
    Advance(*line, top, room);
  }
  if (line->Style == 0 || line->LineHeight > room || IsRule(*line)) return -1;
  const unsigned char* run = pane->Text + line->Start;
  if (line->Hang && !(line->Style & StyleVisual)) run = SkipWordAndSpaces(run);
  const int32_t dx = x - line->X;
  if (dx < 0 || dx >= line->RunWidth) return -1;
  const HFONT oldFont = SelectStyle(pane, line->Style);
  // The boundary nearest to dx, and the character on its side of it.
  int32_t i = RunBoundaryAt(pane->Dc, run, line->Length, dx);
  if (i > 0 && (i == line->Length || MeasureRun(pane->Dc, run, i).cx > dx)) --i;
  if (oldFont) SelectObject(pane->Dc, oldFont);
  return static_cast<int32_t>(run - pane->Text) + i;
}

int32_t DrawPane(PaneView* pane, int32_t erase) {
  if (!pane || !pane->Text || !pane->Lines) return -1;
  pane->RowsDrawn = 0;
  int32_t room = pane->AreaHeight;
  int32_t y = pane->AreaTop;
  LineEntry* line;
  if (pane->StartLine) {
    line = InTable(pane, pane->StartLine) ? pane->StartLine : pane->Lines + pane->LineCount;
  } else {
    line = FindFirstVisible(pane, &y, &room);
  }

  // The pane's own colours, whoever prepared the DC: runs are drawn opaque
  // on the pane's background.
  HDC dc = pane->Dc;
  const ColourScheme& colours = PaneColours(pane);
  const COLORREF background = PaneBackground(pane);
  const COLORREF oldColour = GetTextColor(dc);
  const COLORREF oldBack = SetBkColor(dc, background);
  const int oldMode = SetBkMode(dc, OPAQUE);
  uint8_t current = FirstStyle(*line);
  const HFONT oldFont = SelectStyle(pane, current + StyleWithColour);
  if (erase) {
    const RECT area{pane->AreaLeft, pane->AreaTop, pane->AreaLeft + pane->AreaWidth, pane->AreaTop + pane->AreaHeight};
    FillWithColour(dc, area, background);
  }

  HBRUSH ruleBrush = nullptr;  // made at the first rule
  HGDIOBJ oldBrush = nullptr;
  const unsigned char* text = pane->Text;
  for (; line->Style != 0 && line->LineHeight <= room; ++line) {
    const int32_t h = line->LineHeight;
    if (IsRule(*line)) {
      if (!oldBrush) {
        ruleBrush = CreateSolidBrush(colours.Rule);
        oldBrush = SelectObject(dc, ruleBrush ? ruleBrush : GetStockObject(BLACK_BRUSH));
      }
      PatBlt(dc, U16(line->X), U16(y + h / 2), line->RunWidth, PaneLength(pane, 1), PATCOPY);
    } else {
      if ((current & StyleKeyMask) != (line->Style & 0x1F)) SelectStyle(pane, line->Style + StyleWithColour);
      current = line->Style;
      const unsigned char* start = text + line->Start;
      if (line->Hang == 0) {
        DrawRun(dc, start, line->Length, U16(line->X), U16(y), line->RunWidth, h);
      } else if (!(line->Style & StyleVisual)) {
        int32_t w = line->Hang;
        int32_t fit = WordLength(start);
        MeasureFit(dc, start, &w, &fit);
        DrawRun(dc, start, fit, U16(line->X - line->Hang), U16(y), U16(w), h);
        DrawRun(dc, SkipWordAndSpaces(start), line->Length, U16(line->X), U16(y), line->RunWidth, h);
      } else {
        const unsigned char* word = VisualHangingWord(text, *line);
        int32_t w = line->Hang;
        int32_t fit = StringLength(word);
        MeasureFit(dc, word, &w, &fit);
        DrawRun(dc, word, fit, U16(line->X + line->RunWidth + line->Hang - w), U16(y), U16(w), h);
        DrawRun(dc, start, line->Length, U16(line->X), U16(y), line->RunWidth, h);
      }
    }
    pane->RowsDrawn += RowsOf(*line);
    Advance(*line, y, room);
  }
  // While a hit is shown NextLine keeps what it held.
  if (!pane->HitStart && !pane->HitEnd) pane->NextLine = line;

  if (oldBrush) SelectObject(dc, oldBrush);
  if (ruleBrush) DeleteObject(ruleBrush);
  if (oldFont) SelectObject(dc, oldFont);
  if (!pane->StartLine) {
    DrawTints(pane);
    DrawCitation(pane);
    if (pane->HitStart || pane->HitEnd) DrawHitHighlight(pane);
    DrawSelection(pane);
    DrawNotes(pane);
  }
  SetTextColor(dc, oldColour);
  SetBkColor(dc, oldBack);
  SetBkMode(dc, oldMode);
  return 0;
}

void FindHeaderStrings(const unsigned char* text, HeaderString* first, HeaderString* second) {
  if (first) *first = HeaderString{0, 0, nullptr};
  if (second) *second = HeaderString{0, 0, nullptr};
  if (!text) return;
  const unsigned char* p = text;
  if (p[0] == 0xDC) {
    const int32_t n = StringLength(p + 2);
    if (first) *first = HeaderString{n, 0, p + 2};
    p += 2 + n + 1;
  }
  if (p[0] == 0xD1 && second) *second = HeaderString{StringLength(p + 2), 0, p + 2};
}

void DrawHeaderBox(PaneView* pane) {
  if (!pane || !pane->Text || !pane->Dc) return;
  HeaderString strings[2];
  FindHeaderStrings(pane->Text, &strings[0], &strings[1]);
  if (strings[0].StringLength == 0 && strings[1].StringLength == 0) return;

  HDC dc = pane->Dc;
  const HFONT oldFont = SelectStyle(pane, StyleWithColour | StyleSmall);
  const int32_t rows = (strings[0].StringLength > 0 && strings[1].StringLength > 0) ? 2 : 1;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int32_t f = tm.tmHeight;
  const int oldMode = SetBkMode(dc, OPAQUE);

  int32_t widest = 0;
  for (HeaderString& s : strings) {
    if (s.StringLength <= 0) continue;
    s.StringWidth = pane->AreaWidth;
    MeasureFit(dc, s.String, &s.StringWidth, &s.StringLength);
    if (s.StringWidth > widest) widest = s.StringWidth;
  }
  int32_t box = widest + 2 * f + PaneLength(pane, 8);
  if (box > pane->AreaWidth) box = pane->AreaWidth;

  RECT rect;
  rect.left = pane->AreaLeft + (pane->AreaWidth - box) / 2;
  rect.right = rect.left + box;
  rect.top = pane->AreaTop + pane->AreaHeight - rows * f - PaneLength(pane, 12);
  rect.bottom = pane->AreaTop + pane->AreaHeight - PaneLength(pane, 2);
  const ColourScheme& colours = PaneColours(pane);
  DrawFrame(dc, &rect, colours.BoxOuter, PaneLength(pane, 2));
  DrawFrame(dc, &rect, colours.BoxMiddle, PaneLength(pane, 1));
  DrawFrame(dc, &rect, colours.BoxInner, PaneLength(pane, 2));
  if (HBRUSH fill = CreateSolidBrush(colours.BoxFill)) {
    FillRect(dc, &rect, fill);
    DeleteObject(fill);
  }

  const int32_t interior = rect.right - rect.left;
  int32_t y = rect.top;
  for (const HeaderString& s : strings) {
    if (s.StringLength <= 0) continue;
    // A string cut to the pane's width may still be wider than the interior
    // (the box is never wider than the pane); it is cut again to the
    // interior, so that it neither covers the frame nor leaves the pane.
    int32_t length = s.StringLength;
    int32_t width = s.StringWidth;
    if (width > interior) {
      width = interior > 0 ? interior : 0;
      MeasureFit(dc, s.String, &width, &length);
    }
    DrawRunColored(dc, s.String, length, rect.left + (interior - width) / 2, y, width, f, colours.BoxText,
                   colours.BoxFill);
    y += f;
  }
  if (oldFont) SelectObject(dc, oldFont);
  SetBkMode(dc, oldMode);
}
