// PaneView: creation and release, the per-style font cache, measuring, line
// breaking and the row-based scroll model.
#include "layout/paneview.h"

#include <cstdlib>
#include <cstring>

#include "layout/colours.h"
#include "layout/runs.h"
#include "layout/pane_internal.h"
#include "layout/scale.h"
#include "store/letters.h"

namespace {

constexpr int32_t TableStep = 128;     // the line table grows by this many entries
constexpr int32_t MaxOffset = 0xFFFF;  // offsets, counts and coordinates are 16-bit
constexpr unsigned char Space = 0x20;
constexpr unsigned char Hyphen = 0x2D;

COLORREF StyleColour(const ColourScheme& scheme, uint32_t key) {
  if (key & StyleSmall) return scheme.SmallText;                          // navy by day
  if ((key & StyleLarge) && (key & StyleBold)) return scheme.HeadingText;  // blue by day
  return scheme.PlainText;                                                // black by day
}

HFONT MakeStyleFont(const PaneView* pane, uint32_t key) {
  return MakeFont(pane->Font, key & StyleKeyMask, PaneDpi(pane));
}

void ReleaseFonts(PaneView* pane) {
  for (FontCacheEntry* e = pane->FontCache; e; e = e->Next) {
    if (e->Font) DeleteObject(e->Font);
    e->Font = nullptr;
  }
}

int32_t Align(uint8_t style, int32_t left, int32_t width, int32_t indent, int32_t hang, int32_t run) {
  int32_t x;
  switch (style & StyleAlignMask) {
    case 0x20: x = left + width - indent - hang - run; break;
    case 0x40: x = left + indent + (width - (indent + hang) - run) / 2; break;
    default: x = left + indent + hang; break;
  }
  // A run wider than its room (a single character in a very narrow area)
  // starts at the area's left edge rather than wrapping to the far right.
  return x < left ? left : x;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A hyphen between two digits joins a range ("10-12"): a line broken there
// would show the range's ends the wrong way round across the two lines.
bool InsideNumber(const unsigned char* b, int32_t i, int32_t n) {
  return i > 0 && i + 1 < n && IsDigit(b[i - 1]) && IsDigit(b[i + 1]);
}

bool OnlySpaces(const unsigned char* p, int32_t n) {
  for (int32_t i = 0; i < n; ++i)
    if (p[i] != Space) return false;
  return true;
}

// What LayoutPane carries from paragraph to paragraph.
struct LayoutState {
  PaneView* pane;
  int32_t lineHeight;
  int32_t index;  // next entry of the line table
  int32_t rows;
  INT* extents;   // extents[i]: width of the first i + 1 characters just measured
  int32_t extentCapacity;
  int32_t stretch;  // characters asked about per line; follows the lines' lengths
  bool extentsValid;  // the extents belong to the last FitLine
  int32_t heights[32];  // tmHeight by style bits 0x1F, 0 until read
};

bool EnsureExtents(LayoutState& st, int32_t count) {
  if (count <= st.extentCapacity) return true;
  int32_t capacity = st.extentCapacity ? st.extentCapacity : 256;
  while (capacity < count) capacity *= 2;
  auto* grown = static_cast<INT*>(std::realloc(st.extents, static_cast<size_t>(capacity) * sizeof(INT)));
  if (!grown) return false;
  st.extents = grown;
  st.extentCapacity = capacity;
  return true;
}

// The line-breaking form of MeasureFit: the same count of characters that
// fit, with the partial extents kept, so that the width of the fit and of
// any shorter run cut from it is read off instead of asked for again.
// Returns the count; *width becomes the width of that many characters.
int32_t FitLine(LayoutState& st, const unsigned char* bytes, int32_t maxExtent, int32_t count, int32_t* width) {
  *width = 0;
  st.extentsValid = false;
  if (count <= 0) return 0;
  int32_t stretch = st.stretch;
  for (;;) {
    if (stretch > count) stretch = count;
    int32_t n = 0;
    const wchar_t* units = EnsureExtents(st, stretch) ? ConvertRun(bytes, stretch, true, &n) : nullptr;
    INT fit = 0;
    SIZE size{};
    if (!units) {
      // No memory for the extents or the conversion: ask the plain way.
      *width = maxExtent;
      int32_t c = count;
      MeasureFit(st.pane->Dc, bytes, width, &c);
      return c;
    }
    if (n == 0 || !GetTextExtentExPointW(st.pane->Dc, units, n, maxExtent, &fit, st.extents, &size)) return 0;
    if (fit < 0) fit = 0;
    if (fit > n) fit = n;
    if (fit < n || n < stretch || stretch == count) {
      // The next full line is probably about as long as this one.
      if (fit < n) st.stretch = fit + fit / 8 + 8;
      st.extentsValid = true;
      if (fit > 0) *width = st.extents[fit - 1];
      return fit;
    }
    stretch = stretch > count / 2 ? count : stretch * 2;
  }
}

bool EnsureRoom(LayoutState& st) {
  if (st.index < st.pane->LineCapacity) return true;
  return GrowLineTable(st.pane, st.index) == 0;
}

bool LayoutRule(LayoutState& st, uint8_t style, uint8_t param, int32_t stringOffset) {
  PaneView* pane = st.pane;
  if (param == 0) return true;
  if (!EnsureRoom(st)) return false;
  const int32_t width = pane->AreaWidth > 0 ? pane->AreaWidth : 0;
  int32_t length = param <= 160 ? PaneLength(pane, param) : (param - 160) * width * 2 / 100;
  if (length > width) length = width;
  int32_t x;
  switch (style & StyleAlignMask) {
    case 0x20: x = pane->AreaLeft + width - length; break;
    case 0x40: x = pane->AreaLeft + (width - length) / 2; break;
    default: x = pane->AreaLeft; break;
  }
  LineEntry& e = pane->Lines[st.index];
  e.Start = static_cast<uint16_t>(stringOffset);
  e.Length = 0;
  e.X = static_cast<uint16_t>(x);
  e.Hang = 0;
  e.RunWidth = static_cast<uint16_t>(length);
  e.LineHeight = static_cast<uint16_t>(st.lineHeight);
  e.Style = style;
  st.rows += (style & StyleParagraphEnd) ? 2 : 1;
  ++st.index;
  return true;
}

// Breaks one text paragraph. b is the string in reading order (the text
// itself, or a reversed copy for visual order), n its length, o the offset of
// the stored string in the text.
bool BreakLines(LayoutState& st, uint8_t style, const unsigned char* b, int32_t n, int32_t o,
                int32_t& indent, int32_t hang) {
  PaneView* pane = st.pane;
  const bool visual = (style & StyleVisual) != 0;
  int32_t q = 0;
  for (;;) {
    while (q < n && b[q] == Space) ++q;
    if (q >= n) return true;
    if (!EnsureRoom(st)) return false;

    const int32_t r = n - q;
    // The running indent grows by the hanging width and may pass the area's
    // width on later lines: the room is never negative.
    int32_t avail = pane->AreaWidth - indent;
    if (avail < 0) avail = 0;
    int32_t c = r;
    const int32_t q0 = q;
    int32_t w = q;
    if (hang) {
      while (w < n && b[w] != Space) ++w;
      while (w < n && b[w] == Space) ++w;
      c -= w - q;
      avail -= hang;
      if (avail < 0) avail = 0;
      q = w;
    }

    const int32_t wanted = c;
    c = FitLine(st, b + q, avail, c, &avail);
    if (q + c < n && b[q + c] != Space) {
      const int32_t fit = c;
      int32_t k = c - 1;
      for (; k >= 1; --k)
        if (b[q + k] == Space || (b[q + k] == Hyphen && !InsideNumber(b, q + k, n))) break;
      if (k >= 1) {
        // The shorter run's width is among the extents just measured.
        c = b[q + k] == Space ? k : k + 1;
        if (st.extentsValid)
          avail = st.extents[c - 1];
        else
          MeasureFit(pane->Dc, b + q, &avail, &c);
      } else {
        c = fit;
      }
    }
    if (c == 0 && wanted > 0 && !hang) {
      // Not even one character fits: the line takes one all the same, so the
      // layout always moves on.
      c = 1;
      avail = 0x7FFF;
      MeasureFit(pane->Dc, b + q, &avail, &c);
      if (c == 0) c = 1;  // nothing could be measured (no memory): still move on
    }

    LineEntry& e = pane->Lines[st.index];
    e.Start = static_cast<uint16_t>(visual ? o + n - q - c : o + (hang ? q0 : q));
    e.Length = static_cast<uint16_t>(c);
    e.LineHeight = static_cast<uint16_t>(st.lineHeight);
    e.RunWidth = static_cast<uint16_t>(avail);
    e.Hang = static_cast<uint16_t>(hang);
    e.X = static_cast<uint16_t>(Align(style, pane->AreaLeft, pane->AreaWidth, indent, hang, avail));

    indent += hang;
    if (hang) {
      c += w - q0;
      q = q0;
      hang = 0;
    }
    // The last line of the paragraph is the one after which only spaces are left.
    const bool last = OnlySpaces(b + q + c, r - c);
    if (last) {
      e.Style = style;
      if (style & StyleParagraphEnd) ++st.rows;
    } else {
      e.Style = style & 0x7F;
    }
    ++st.rows;
    q += c;
    ++st.index;
    if (last) return true;
  }
}

}  // namespace

PaneView* CreatePaneView(HDC dc, const RECT* area, const FontSettings* font, int32_t lines) {
  if (!dc) return nullptr;
  auto* pane = static_cast<PaneView*>(std::calloc(1, sizeof(PaneView)));
  if (!pane) return nullptr;
  pane->Dc = dc;
  if (font) pane->Font = *font;
  if (area) {
    pane->AreaLeft = area->left;
    pane->AreaTop = area->top;
    pane->AreaWidth = area->right - area->left;
    pane->AreaHeight = area->bottom - area->top;
  }
  if (lines > 0) {
    if (lines > MaxOffset - 1) lines = MaxOffset - 1;
    pane->Lines = static_cast<LineEntry*>(std::malloc((static_cast<size_t>(lines) + 1) * sizeof(LineEntry)));
    if (pane->Lines) {
      std::memset(pane->Lines, 0, sizeof(LineEntry));
      pane->LineCapacity = static_cast<uint16_t>(lines);
    }
  }
  return pane;
}

void DestroyPaneView(PaneView* pane, bool releaseRecord) {
  if (!pane) return;
  std::free(pane->Text);
  pane->Text = nullptr;
  std::free(pane->Lines);
  pane->Lines = nullptr;
  pane->LineCapacity = 0;
  pane->LineCount = 0;
  pane->StartLine = nullptr;
  pane->NextLine = nullptr;
  ReleaseFonts(pane);
  for (FontCacheEntry* e = pane->FontCache; e;) {
    FontCacheEntry* next = e->Next;
    std::free(e);
    e = next;
  }
  pane->FontCache = nullptr;
  if (releaseRecord) std::free(pane);
}

HFONT SelectStyle(PaneView* pane, uint32_t flags) {
  if (!pane || !pane->Dc) return nullptr;
  const uint32_t key = flags & StyleKeyMask;
  FontCacheEntry* entry = pane->FontCache;
  while (entry && entry->StyleKey != key) entry = entry->Next;
  if (!entry) {
    entry = static_cast<FontCacheEntry*>(std::malloc(sizeof(FontCacheEntry)));
    if (entry) {
      entry->Next = pane->FontCache;
      entry->Font = nullptr;
      entry->StyleKey = key;
      pane->FontCache = entry;
    }
  }
  // An entry whose font could not be made (or was released) tries again.
  if (entry && !entry->Font) entry->Font = MakeStyleFont(pane, key);

  if (flags & StyleWithColour) SetTextColor(pane->Dc, StyleColour(PaneColours(pane), key));
  if (entry && entry->Font) return static_cast<HFONT>(SelectObject(pane->Dc, entry->Font));
  // No font for this key: the device context keeps its font, and selecting
  // the returned one back changes nothing.
  return static_cast<HFONT>(GetCurrentObject(pane->Dc, OBJ_FONT));
}

int32_t GrowLineTable(PaneView* pane, int32_t index) {
  if (!pane) return -1;
  const int32_t capacity = pane->LineCapacity;
  int32_t grown = capacity + TableStep;
  if (grown > MaxOffset - 1) grown = MaxOffset - 1;
  auto* table = grown > capacity
                    ? static_cast<LineEntry*>(std::malloc((static_cast<size_t>(grown) + 1) * sizeof(LineEntry)))
                    : nullptr;
  if (!table) {
    if (pane->Lines && index >= 0 && index <= capacity) std::memset(&pane->Lines[index], 0, sizeof(LineEntry));
    return -2;
  }
  if (pane->Lines) std::memcpy(table, pane->Lines, static_cast<size_t>(capacity) * sizeof(LineEntry));
  std::memset(&table[capacity], 0, sizeof(LineEntry));
  std::free(pane->Lines);
  pane->Lines = table;
  pane->LineCapacity = static_cast<uint16_t>(grown);
  return 0;
}

int32_t LayoutPane(PaneView* pane, unsigned char* text, bool releaseOld) {
  if (!pane) return LayoutNoPane;
  // The same text laid out anew (another width, font or DPI) keeps its hit
  // and its selection, which are in text offsets, and the line being read.
  const bool sameText = text && text == pane->Text;
  // A FirstRow past the text (a stored one) names no line: it stays as it
  // is, and drawing pulls it back to the last page.
  const PanePosition top = sameText && pane->Lines && pane->Lines[0].Style != 0 ? TopPosition(pane) : PanePosition{};
  const bool shown = top.Offset != 0;
  pane->RowCount = 0;
  pane->MaxFirstRow = 0;
  if (!sameText) {
    pane->HitStart = pane->HitEnd = 0;
    pane->Selection = TextSelection{};
    pane->ReadingKept = false;
    pane->CitationShown = {};
  }
  // Laying out the pane's own text again must never release it.
  if (text == pane->Text) releaseOld = false;
  if (!text) {
    if (releaseOld) {
      std::free(pane->Text);
      pane->Text = nullptr;
    }
    return LayoutNoText;
  }
  if (text[0] == 0 || (text[2] == 0 && (text[0] & StyleRule) != StyleRule)) return LayoutRejected;
  if (releaseOld) {
    std::free(pane->Text);
    pane->Text = nullptr;
  }
  if (!pane->Lines || pane->LineCapacity == 0) {
    std::free(pane->Lines);
    pane->LineCapacity = 0;
    pane->Lines = static_cast<LineEntry*>(std::malloc((TableStep + 1) * sizeof(LineEntry)));
    if (!pane->Lines) return LayoutNoMemory;
    std::memset(pane->Lines, 0, sizeof(LineEntry));
    pane->LineCapacity = TableStep;
  }

  // The table is rewritten from the first entry on; until it is terminated
  // again nothing may draw from it, and the fonts found are put back below.
  const HFONT previous = SelectStyle(pane, StylePlain);
  TEXTMETRICW tm{};
  GetTextMetricsW(pane->Dc, &tm);
  LayoutState st{pane, tm.tmHeight, 0, 0, nullptr, 0, pane->AreaWidth / 8 + 16, false, {}};
  st.heights[StylePlain] = tm.tmHeight;
  uint8_t current = StylePlain;
  int32_t indent = 0;
  uint8_t previousParam = 0;
  bool failed = false;

  const unsigned char* p = text;
  while (p[0] != 0) {
    const uint8_t s = p[0];
    const uint8_t param = p[1];
    const unsigned char* t = p + 2;
    const int32_t n = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(t)));
    const int32_t o = static_cast<int32_t>(t - text);
    // Offsets are 16-bit: a paragraph reaching past them ends the layout.
    if (o + n > MaxOffset) break;

    const bool rule = (s & StyleRule) == StyleRule;
    int32_t hang = param >> 6;
    // Indents are 96-DPI lengths.
    if (hang && t[0] == Space && st.index > 0) {
      indent += PaneLength(pane, param & 0x3F) - PaneLength(pane, previousParam & 0x3F);
      hang = 0;
    } else {
      indent = rule ? param : PaneLength(pane, param & 0x3F);
    }
    previousParam = param;

    if (rule) {
      if (!LayoutRule(st, s, param, o)) {
        failed = true;
        break;
      }
      p = t + n + 1;
      continue;
    }
    if ((s & 0x1F) != (current & 0x1F)) {
      SelectStyle(pane, s);
      int32_t& height = st.heights[s & 0x1F];
      if (height == 0) {
        GetTextMetricsW(pane->Dc, &tm);
        height = tm.tmHeight;
      }
      st.lineHeight = height;
    }
    current = s;
    int32_t hangWidth = 0;
    if (hang) {
      GetTextMetricsW(pane->Dc, &tm);
      hangWidth = (hang + 1) * tm.tmMaxCharWidth / 2;
    }
    if (indent >= pane->AreaWidth || indent < 0) indent = 0;
    if (n > 0) {
      unsigned char* copy = nullptr;
      const unsigned char* b = t;
      if (s & StyleVisual) {
        copy = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(n) + 1));
        if (!copy) {
          failed = true;
          break;
        }
        for (int32_t i = 0; i < n; ++i) copy[i] = t[n - 1 - i];
        copy[n] = 0;
        b = copy;
      }
      const bool ok = BreakLines(st, s, b, n, o, indent, hangWidth);
      std::free(copy);
      if (!ok) {
        failed = true;
        break;
      }
    }
    p = t + n + 1;
  }

  std::free(st.extents);
  if (pane->Lines) std::memset(&pane->Lines[st.index], 0, sizeof(LineEntry));
  if (previous) SelectObject(pane->Dc, previous);
  if (failed) {
    // The entries describe the new text, which the pane does not adopt; when
    // it still holds another text they must not be drawn over that one.
    if (pane->Text && pane->Text != text && pane->Lines) std::memset(pane->Lines, 0, sizeof(LineEntry));
    return LayoutNoMemory;
  }

  pane->RowCount = static_cast<uint16_t>(st.rows);
  pane->LineCount = static_cast<uint16_t>(st.index);
  if (st.index > 0 && (pane->Lines[st.index - 1].Style & StyleParagraphEnd)) {
    pane->Lines[st.index - 1].Style &= 0x7F;
    --pane->RowCount;
  }
  pane->Text = text;
  ComputeMaxFirstRow(pane);
  if (shown) ScrollToPosition(pane, top);
  return LayoutOk;
}

int32_t ResizePane(PaneView* pane, int32_t width, int32_t height) {
  if (!pane) return -1;
  if (width <= 0 || height <= 0) return -5;
  pane->AreaWidth = width;
  pane->AreaHeight = height;
  return LayoutPane(pane, pane->Text, false);
}

int32_t SetPaneFont(PaneView* pane, const FontSettings* font) {
  if (!pane) return -1;
  if (!font) {
    ReleaseFonts(pane);
    return 0;
  }
  if (font != &pane->Font) pane->Font = *font;
  for (FontCacheEntry* e = pane->FontCache; e; e = e->Next) {
    if (e->Font) DeleteObject(e->Font);
    e->Font = MakeStyleFont(pane, e->StyleKey);
  }
  return LayoutPane(pane, pane->Text, false) == LayoutOk ? 0 : 1;
}

int32_t PaneDpi(const PaneView* pane) {
  if (!pane) return BaseDpi;
  if (pane->Dpi > 0) return pane->Dpi;
  const int dpi = pane->Dc ? GetDeviceCaps(pane->Dc, LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : BaseDpi;
}

int32_t PaneLength(const PaneView* pane, int32_t px) { return ScaleForDpi(px, PaneDpi(pane)); }

void SetPaneDpi(PaneView* pane, int32_t dpi) {
  if (!pane || dpi == pane->Dpi) return;
  pane->Dpi = dpi;
  ReleaseFonts(pane);
}

int32_t ComputeMaxFirstRow(PaneView* pane) {
  if (!pane || !pane->Lines || pane->RowCount == 0 || pane->LineCount == 0) return -1;
  int32_t h = static_cast<int16_t>(pane->AreaHeight);
  int32_t k = 0;
  for (int32_t i = pane->LineCount - 1; i >= 0; --i) {
    const LineEntry& e = pane->Lines[i];
    if (h < e.LineHeight) break;
    h -= e.LineHeight;
    if (e.Style & StyleParagraphEnd) {
      h -= e.LineHeight;
      k += 2;
    } else {
      k += 1;
    }
  }
  if (h < 0) --k;
  int32_t max = pane->RowCount - k;
  if (max < 0) max = 0;
  pane->MaxFirstRow = static_cast<uint16_t>(max);
  return max;
}

int32_t ScrollPane(PaneView* pane, int32_t delta, bool stopAtEnd) {
  if (!pane) return -1;
  const int32_t c = pane->FirstRow;
  int32_t a = c + delta;
  if (a < 0) {
    a = 0;
  } else if (stopAtEnd || a > pane->RowCount) {
    if (a >= c && c >= pane->MaxFirstRow) return 1;
    if (a > pane->RowCount) a = pane->MaxFirstRow;
  }
  if (a == c) return 1;
  pane->FirstRow = static_cast<uint16_t>(a);
  return 3;
}

int32_t LineCoverEnd(const unsigned char* text, const LineEntry& line) {
  const int32_t runEnd = line.Start + line.Length;
  if (line.Hang == 0 || !text) return runEnd;
  const unsigned char* p = text + line.Start;
  if (line.Style & StyleVisual) {
    p += line.Length;
    while (*p) ++p;
    return static_cast<int32_t>(p - text);
  }
  while (*p && *p != Space) ++p;
  while (*p == Space) ++p;
  return static_cast<int32_t>(p - text) + line.Length;
}

int16_t ScrollToOffset(PaneView* pane, uint16_t offset) {
  if (!pane || !pane->Lines) return 0;
  int32_t rows = 0;
  for (const LineEntry* e = pane->Lines; e->Style != 0; ++e) {
    if (e->Start <= offset && offset <= LineCoverEnd(pane->Text, *e)) {
      pane->FirstRow = static_cast<uint16_t>(rows < pane->MaxFirstRow ? rows : pane->MaxFirstRow);
      pane->ReadingKept = false;  // the line's own start is read from now on
      return 1;
    }
    rows += RowsOf(*e);
  }
  return 0;
}

PanePosition TopPosition(const PaneView* pane) {
  PanePosition position{0, 0};
  if (!pane || !pane->Lines) return position;
  if (pane->ReadingKept && pane->FirstRow == pane->ReadingRow) return pane->Reading;
  int rows = 0;
  const LineEntry* line = pane->Lines;
  while (line->Style != 0 && rows + RowsOf(*line) <= pane->FirstRow) {
    rows += RowsOf(*line);
    ++line;
  }
  if (line->Style == 0) return position;
  // The line's first byte in reading order: the text runs down from it.
  position.Offset = static_cast<uint16_t>(line->Length ? line->Start + line->Length - 1 : line->Start);
  // A search hit shown on that line is where the reader looks: a new layout
  // brings the hit itself back to the top, not only the start of its line.
  if (pane->HitEnd && pane->HitEnd >= line->Start && pane->HitEnd <= line->Start + line->Length)
    position.Offset = pane->HitEnd;
  position.BlankRow = static_cast<uint8_t>(pane->FirstRow - rows);
  return position;
}

void ScrollToPosition(PaneView* pane, PanePosition position) {
  if (!pane || !pane->Lines) return;
  pane->ReadingKept = false;
  if (!ScrollToOffset(pane, position.Offset)) pane->FirstRow = 0;
  if (position.BlankRow && pane->FirstRow < pane->MaxFirstRow) {
    // Only a paragraph's last line has a blank row after it.
    const PanePosition top = TopPosition(pane);
    ++pane->FirstRow;
    if (TopPosition(pane).Offset != top.Offset) --pane->FirstRow;
  }
  pane->Reading = position;
  pane->ReadingRow = pane->FirstRow;
  pane->ReadingKept = true;
}

LineEntry* FindFirstVisible(PaneView* pane, int32_t* y, int32_t* room) {
  if (pane->FirstRow > pane->RowCount) pane->FirstRow = pane->MaxFirstRow;
  *y = pane->AreaTop;
  LineEntry* line = pane->Lines;
  if (line->Style == 0) return line;
  int32_t count = 0;
  const LineEntry* previous = nullptr;
  while (count < pane->FirstRow) {
    count += RowsOf(*line);
    previous = line;
    ++line;
    if (line->Style == 0) break;
  }
  if (count > pane->FirstRow && previous) {
    *y += previous->LineHeight;
    *room -= previous->LineHeight;
  }
  return line;
}
