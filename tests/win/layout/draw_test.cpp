// Drawing checked by its pixels, the device-context state every routine
// leaves behind, and the GDI objects it makes.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "layout/colours.h"
#include "layout/draw.h"
#include "layout/paneview.h"
#include "store/letters.h"
#include "test_pane.h"

namespace {

constexpr COLORREF Grey = RGB(128, 128, 128);
constexpr COLORREF White = RGB(255, 255, 255);

bool IsDark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }
bool IsHitBlue(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 100 && GetGValue(c) < 100; }

class Draw : public PaneTest {
 protected:
  void SetUp() override {
    MakePane(RECT{10, 20, 410, 320});
    if (HasFatalFailure()) return;
    HFONT old = SelectStyle(pane, StylePlain);
    TEXTMETRICW tm{};
    GetTextMetricsW(canvas.Dc, &tm);
    SelectObject(canvas.Dc, old);
    h = tm.tmHeight;
  }
  // Counts pixels of a band [top, bottom) x [left, right) for which pred holds,
  // and the leftmost and rightmost such x.
  template <typename Pred>
  int Scan(int left, int top, int right, int bottom, Pred pred, int* minX = nullptr, int* maxX = nullptr) {
    int n = 0, lo = INT_MAX, hi = INT_MIN;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (pred(PixelAt(canvas, x, y))) {
          ++n;
          lo = std::min(lo, x);
          hi = std::max(hi, x);
        }
    if (minX) *minX = lo;
    if (maxX) *maxX = hi;
    return n;
  }
  std::vector<Paragraph> Lines(int count) {
    std::vector<Paragraph> text;
    for (int i = 0; i < count; ++i) text.push_back({0x81, 0, "abc def"});
    return text;
  }

  int h = 0;
};

TEST_F(Draw, EraseFillsExactlyTheAreaWithWhite) {
  ASSERT_EQ(LayoutPane(pane, BuildText(Lines(3)), true), LayoutOk);
  FillCanvas(canvas, Grey);
  pane->StartLine = pane->Lines + pane->LineCount;  // nothing left to draw
  EXPECT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(pane->RowsDrawn, 0);
  EXPECT_EQ(pane->NextLine, pane->Lines + pane->LineCount);
  const auto inside = [](int x, int y) { return x >= 10 && x < 410 && y >= 20 && y < 320; };
  int wrong = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 500; ++x)
      if (PixelAt(canvas, x, y) != (inside(x, y) ? White : Grey)) ++wrong;
  EXPECT_EQ(wrong, 0);

  EXPECT_EQ(DrawPane(nullptr, 1), -1);
  PaneView* bare = CreatePaneView(canvas.Dc, nullptr, &font, 10);
  EXPECT_EQ(DrawPane(bare, 1), -1) << "no text";
  EXPECT_EQ(DrawHitHighlight(bare), -1);
  DestroyPaneView(bare, true);
}

TEST_F(Draw, PagesHoldWholeLinesAndCountTheirBlankRows) {
  ASSERT_EQ(LayoutPane(pane, BuildText(Lines(10)), true), LayoutOk);
  ASSERT_EQ(pane->RowCount, 19);
  pane->AreaHeight = 4 * h + h / 2;
  FillCanvas(canvas, Grey);
  pane->StartLine = pane->Lines;
  ASSERT_EQ(DrawPane(pane, 0), 0);
  EXPECT_EQ(pane->RowsDrawn, 4);
  EXPECT_EQ(pane->NextLine, pane->Lines + 2);
  EXPECT_GT(Scan(10, 20, 410, 20 + h, IsDark), 0) << "the first line is drawn";
  EXPECT_EQ(Scan(10, 20 + h, 410, 20 + 2 * h, [](COLORREF c) { return c != Grey; }), 0) << "blank row";
  EXPECT_EQ(Scan(0, 20 + 4 * h, 500, 400, [](COLORREF c) { return c != Grey; }), 0)
      << "the line that does not fit whole is not touched";

  // The last line's blank row counts even when it does not fit.
  pane->AreaHeight = 5 * h + h / 2;
  ASSERT_EQ(DrawPane(pane, 0), 0);
  EXPECT_EQ(pane->RowsDrawn, 6);

  // Paging through: every row is drawn exactly once, then nothing is left.
  pane->AreaHeight = 4 * h + h / 2;
  int rows = 0, pages = 0;
  for (pane->StartLine = pane->Lines;; pane->StartLine = pane->NextLine) {
    ASSERT_EQ(DrawPane(pane, 1), 0);
    if (pane->RowsDrawn == 0) break;
    rows += pane->RowsDrawn;
    ASSERT_LT(++pages, 20);
  }
  EXPECT_EQ(rows, pane->RowCount);
  EXPECT_EQ(pages, 5);
  EXPECT_EQ(pane->NextLine, pane->Lines + pane->LineCount);
}

TEST_F(Draw, TheFirstVisibleRowFromFirstRow) {
  ASSERT_EQ(LayoutPane(pane, BuildText(Lines(10)), true), LayoutOk);
  pane->AreaHeight = 6 * h;
  ASSERT_EQ(ComputeMaxFirstRow(pane), 19 - 6);
  // Row 1 is the blank row after the first line: the second line is drawn one row lower.
  pane->FirstRow = 1;
  FillCanvas(canvas, Grey);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(Scan(10, 20, 410, 20 + h, [](COLORREF c) { return c != White; }), 0);
  EXPECT_GT(Scan(10, 20 + h, 410, 20 + 2 * h, IsDark), 0);
  EXPECT_EQ(pane->RowsDrawn, 6) << "the last line's blank row is counted though it does not fit";
  EXPECT_EQ(pane->NextLine, pane->Lines + 4);

  pane->FirstRow = 500;
  ASSERT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(pane->FirstRow, pane->MaxFirstRow);
  pane->FirstRow = pane->RowCount;  // at the very end: nothing to draw
  ASSERT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(pane->RowsDrawn, 0);
  EXPECT_EQ(pane->FirstRow, pane->RowCount);
}

TEST_F(Draw, AHitAcrossTwoLinesIsHighlightedOnBoth) {
  const std::vector<Paragraph> text = {{0x81, 0, "aaaa bbbb"}, {0x81, 0, "cccc"}};
  pane->AreaWidth = Width(0x81, "aaaaaa");
  ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
  ASSERT_EQ(pane->LineCount, 3);
  const int o = StringOffset(text, 0);
  pane->HitStart = static_cast<uint16_t>(o + 2);
  pane->HitEnd = static_cast<uint16_t>(o + 7);
  LineEntry* const untouched = pane->Lines + 1;
  pane->NextLine = untouched;
  const COLORREF colourBefore = SetTextColor(canvas.Dc, RGB(1, 2, 3));
  ASSERT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(pane->NextLine, untouched) << "not updated while a hit is shown";
  EXPECT_EQ(GetTextColor(canvas.Dc), RGB(1, 2, 3));
  SetTextColor(canvas.Dc, colourBefore);

  const auto yellow = [](COLORREF c) { return c == HitBackColour; };
  int lo = 0, hi = 0;
  // First line: from the hit's start to the line's end.
  ASSERT_GT(Scan(0, 20, 500, 20 + h, yellow, &lo, &hi), 0);
  EXPECT_NEAR(lo, 10 + Width(0x81, "aa"), 2);
  EXPECT_NEAR(hi + 1, 10 + Width(0x81, "aaaa"), 2);
  EXPECT_GT(Scan(0, 20, 500, 20 + h, IsHitBlue), 0);
  // Second line: from its start to the hit's end.
  ASSERT_GT(Scan(0, 20 + h, 500, 20 + 2 * h, yellow, &lo, &hi), 0);
  EXPECT_NEAR(lo, 10, 2);
  EXPECT_NEAR(hi + 1, 10 + Width(0x81, "bb"), 2);
  EXPECT_GT(Scan(0, 20 + h, 500, 20 + 2 * h, IsHitBlue), 0);
  // The third line is not part of the hit.
  EXPECT_EQ(Scan(0, 20 + 3 * h, 500, 20 + 4 * h, yellow), 0);

  // A hit on a line above the visible rows draws no highlight.
  pane->FirstRow = 3;
  FillCanvas(canvas, Grey);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(Scan(0, 0, 500, 400, yellow), 0);
}

TEST_F(Draw, NotesAreUnderlinedOverHitAndSelectionWithAMarkBesideTheirFirstLine) {
  const std::vector<Paragraph> text = {{0x81, 0, "aaaa"}, {0x81, 0, "bbbb cccc"}, {0x81, 0, "dddd"}};
  ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
  ASSERT_EQ(pane->LineCount, 3);
  const int o1 = StringOffset(text, 1), o2 = StringOffset(text, 2);
  const auto note = [](COLORREF c) { return c == DayScheme.NoteLine; };
  const auto yellow = [](COLORREF c) { return c == HitBackColour; };
  const int top[3] = {20, 20 + 2 * h, 20 + 4 * h};  // each paragraph's line with its blank row
  const struct {
    const char* what;
    TextSelection passage;
    int firstLine, lastLine;   // lines underlined
    const char *before, *upTo;  // the underline on the first line runs over upTo, less before
    bool hit, selected;
  } rows[] = {
      {"a whole paragraph", {uint16_t(o1), uint16_t(o1 + 9)}, 1, 1, "", "bbbb cccc", false, false},
      {"a word inside one", {uint16_t(o1 + 5), uint16_t(o1 + 9)}, 1, 1, "bbbb ", "bbbb cccc", false, false},
      {"focus before anchor", {uint16_t(o1 + 7), uint16_t(o1 + 2)}, 1, 1, "bb", "bbbb cc", false, false},
      {"over two paragraphs", {uint16_t(o1 + 5), uint16_t(o2 + 2)}, 1, 2, "bbbb ", "bbbb cccc", false, false},
      {"over the search hit", {uint16_t(o1), uint16_t(o1 + 4)}, 1, 1, "", "bbbb", true, false},
      {"over the selection", {uint16_t(o1), uint16_t(o1 + 4)}, 1, 1, "", "bbbb", false, true},
  };
  for (const auto& row : rows) {
    pane->Notes = &row.passage;
    pane->NoteCount = 1;
    pane->NoteMargin = 10;
    pane->HitStart = row.hit ? static_cast<uint16_t>(o1) : 0;
    pane->HitEnd = row.hit ? static_cast<uint16_t>(o1 + 4) : 0;
    pane->Selection = row.selected ? TextSelection{uint16_t(o1), uint16_t(o1 + 4)} : TextSelection{};
    FillCanvas(canvas, Grey);
    ASSERT_EQ(DrawPane(pane, 1), 0) << row.what;
    for (int line = 0; line < 3; ++line) {
      int lo = 0, hi = 0;
      const int n = Scan(10, top[line], 410, top[line] + h, note, &lo, &hi);
      if (line < row.firstLine || line > row.lastLine) {
        EXPECT_EQ(n, 0) << row.what << ": line " << line;
        continue;
      }
      ASSERT_GT(n, 0) << row.what << ": line " << line;
      EXPECT_LE(Scan(10, top[line], 410, top[line] + h - 3, note), 0) << row.what << ": thin, at the foot";
      if (line == row.firstLine) {
        EXPECT_NEAR(lo, 10 + Width(0x81, row.before), 2) << row.what;
        EXPECT_NEAR(hi + 1, 10 + Width(0x81, row.upTo), 2) << row.what;
      }
    }
    // The mark: in the margin, beside the first line only.
    EXPECT_GT(Scan(410, top[row.firstLine], 420, top[row.firstLine] + h, note), 0) << row.what;
    EXPECT_EQ(Scan(410, 0, 420, 400, note), Scan(410, top[row.firstLine], 420, top[row.firstLine] + h, note));
    EXPECT_EQ(Scan(410, 20, 420, 320, [](COLORREF c) { return c == Grey; }), 0) << row.what << ": margin cleared";
    if (row.hit) {
      EXPECT_GT(Scan(10, top[1], 410, top[1] + h, yellow), 0) << "the hit still shows";
    }
    if (row.selected) {
      EXPECT_GT(Scan(10, top[1], 410, top[1] + h, [](COLORREF c) { return c == GetSysColor(COLOR_HIGHLIGHT); }), 0)
          << "the selection still shows";
    }
    RECT mark{};
    ASSERT_TRUE(NoteMarkRect(pane, 0, &mark)) << row.what;
    EXPECT_EQ(NoteAt(pane, (mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2), 0) << row.what;
    EXPECT_EQ(NoteAt(pane, 10 + Width(0x81, row.upTo) - 2, top[row.firstLine] + h / 2), 0) << row.what;
    EXPECT_EQ(NoteAt(pane, 12, top[0] + h / 2), -1) << row.what;
  }
  pane->HitStart = pane->HitEnd = 0;
  pane->Selection = {};
  // Scrolled out of view: neither line nor mark, and the margin is cleared
  // of what was there.
  pane->FirstRow = 5;
  FillCanvas(canvas, Grey);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  EXPECT_EQ(Scan(0, 0, 500, 400, note), 0);
  RECT mark{};
  EXPECT_FALSE(NoteMarkRect(pane, 0, &mark));
  pane->Notes = nullptr;
  pane->NoteCount = 0;
}

TEST_F(Draw, RulesAreOneUnitLinesAcrossTheirLength) {
  ASSERT_EQ(LayoutPane(pane, BuildText({{0xD1, 0, "ab"}, {0x87, 100, ""}, {0x81, 0, "cd"}}), true), LayoutOk);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  const int y = 20 + 2 * h + h / 2;
  EXPECT_EQ(Scan(10, y, 110, y + 1, [](COLORREF c) { return c == 0; }), 100);
  EXPECT_EQ(PixelAt(canvas, 110, y), White);
  EXPECT_EQ(PixelAt(canvas, 50, y - 1), White);
  EXPECT_EQ(PixelAt(canvas, 50, y + 1), White);
}

TEST_F(Draw, FramesShrinkOneUnitPerOutline) {
  FillCanvas(canvas, Grey);
  RECT rect{134, 276, 266, 298};
  DrawFrame(canvas.Dc, &rect, BoxOuterColour, 2);
  DrawFrame(canvas.Dc, &rect, BoxMiddleColour, 1);
  DrawFrame(canvas.Dc, &rect, BoxInnerColour, 2);
  EXPECT_EQ(rect.left, 139);
  EXPECT_EQ(rect.top, 281);
  EXPECT_EQ(rect.right, 261);
  EXPECT_EQ(rect.bottom, 293);
  const COLORREF across[] = {Grey, BoxOuterColour, BoxOuterColour, BoxMiddleColour, BoxInnerColour, BoxInnerColour, Grey};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(PixelAt(canvas, 133 + i, 287), across[i]) << "left edge, x = " << 133 + i;
    EXPECT_EQ(PixelAt(canvas, 266 - i, 287), across[i]) << "right edge, x = " << 266 - i;
    EXPECT_EQ(PixelAt(canvas, 200, 275 + i), across[i]) << "top edge, y = " << 275 + i;
    EXPECT_EQ(PixelAt(canvas, 200, 298 - i), across[i]) << "bottom edge, y = " << 298 - i;
  }
  EXPECT_EQ(PixelAt(canvas, 200, 287), Grey) << "outlines only";
}

TEST_F(Draw, HeaderBoxSitsAtTheBottomCentre) {
  pane->AreaLeft = 0;
  pane->AreaTop = 0;
  pane->AreaWidth = 400;
  pane->AreaHeight = 300;
  ASSERT_EQ(LayoutPane(pane, BuildText({{0xD1, 0, "abcde"}, {0xB1, 0, "fgh"}}), true), LayoutOk);
  HFONT old = SelectStyle(pane, StyleSmall);
  TEXTMETRICW tm{};
  GetTextMetricsW(canvas.Dc, &tm);
  SelectObject(canvas.Dc, old);
  const int f = tm.tmHeight;
  const int w = Width(StyleSmall, "abcde");
  const int box = w + 2 * f + 8;
  const int left = (400 - box) / 2, right = left + box, top = 300 - f - 12, bottom = 298;

  const HGDIOBJ fontBefore = GetCurrentObject(canvas.Dc, OBJ_FONT);
  SetBkMode(canvas.Dc, TRANSPARENT);
  DrawHeaderBox(pane);
  EXPECT_EQ(GetCurrentObject(canvas.Dc, OBJ_FONT), fontBefore);
  EXPECT_EQ(GetBkMode(canvas.Dc), TRANSPARENT);
  EXPECT_EQ(GetTextColor(canvas.Dc), 0x800000u) << "the small style's colour stays";

  const int mid = (top + bottom) / 2;
  const COLORREF across[] = {White, BoxOuterColour, BoxOuterColour, BoxMiddleColour, BoxInnerColour, BoxInnerColour,
                             BoxFillColour};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(PixelAt(canvas, left - 1 + i, mid), across[i]) << "x = " << left - 1 + i;
    EXPECT_EQ(PixelAt(canvas, right - i, mid), across[i]) << "x = " << right - i;
    EXPECT_EQ(PixelAt(canvas, left + 6, top - 1 + i), across[i]) << "y = " << top - 1 + i;
    EXPECT_EQ(PixelAt(canvas, left + 6, bottom - i), across[i]) << "y = " << bottom - i;
  }
  // The interior is exactly one text row high; the string is red on yellow
  // and centred in it.
  const int innerLeft = left + 5, innerRight = right - 5;
  int lo = 0, hi = 0;
  const auto red = [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 100 && GetBValue(c) < 100; };
  ASSERT_GT(Scan(innerLeft, top + 5, innerRight, bottom - 5, red, &lo, &hi), 0);
  EXPECT_GE(lo, innerLeft + (innerRight - innerLeft - w) / 2);
  EXPECT_LE(hi, innerLeft + (innerRight - innerLeft - w) / 2 + w);
  EXPECT_EQ(Scan(innerLeft, top + 5, innerRight, bottom - 5,
                 [](COLORREF c) { return c == White || c == BoxInnerColour; }),
            0);

  // Two strings make two rows.
  ASSERT_EQ(LayoutPane(pane, BuildText({{0xDC, 0, "ab"}, {0xD1, 0, "abcde"}}), true), LayoutOk);
  FillCanvas(canvas, White);
  DrawHeaderBox(pane);
  EXPECT_EQ(PixelAt(canvas, left, 300 - 2 * f - 12), BoxOuterColour);
  EXPECT_EQ(PixelAt(canvas, left, 300 - 2 * f - 13), White);
}

TEST_F(Draw, HeaderStringsAndOverlongHeaders) {
  const std::vector<Paragraph> both = {{0xDC, 0, "abc"}, {0xD1, 0, "de"}, {0xB1, 0, "f"}};
  unsigned char* text = BuildText(both);
  HeaderString first{}, second{};
  FindHeaderStrings(text, &first, &second);
  EXPECT_EQ(first.StringLength, 3);
  EXPECT_EQ(first.String, text + 2);
  EXPECT_EQ(second.StringLength, 2);
  EXPECT_EQ(second.String, text + StringOffset(both, 1));
  FindHeaderStrings(text, nullptr, &second);
  EXPECT_EQ(second.StringLength, 2);
  std::free(text);

  text = BuildText({{0xB1, 0, "abc"}, {0xD1, 0, "de"}});
  FindHeaderStrings(text, &first, &second);
  EXPECT_EQ(first.String, nullptr);
  EXPECT_EQ(second.String, nullptr);
  EXPECT_EQ(second.StringLength, 0);
  std::free(text);
  text = BuildText({{0xDC, 0, "abc"}, {0xB1, 0, "de"}});
  FindHeaderStrings(text, &first, &second);
  EXPECT_EQ(first.StringLength, 3);
  EXPECT_EQ(second.String, nullptr);
  std::free(text);

  // A header wider than the pane is cut to it; the box takes the whole width
  // and the string stays inside the frame.
  pane->AreaWidth = 60;
  ASSERT_EQ(LayoutPane(pane, BuildText({{0xD1, 0, std::string(40, 'a')}}), true), LayoutOk);
  FillCanvas(canvas, Grey);
  DrawHeaderBox(pane);
  EXPECT_EQ(PixelAt(canvas, 10, 310), BoxOuterColour);
  EXPECT_EQ(PixelAt(canvas, 69, 310), BoxOuterColour);
  EXPECT_EQ(PixelAt(canvas, 9, 310), Grey);
  EXPECT_EQ(PixelAt(canvas, 70, 310), Grey);
  EXPECT_EQ(PixelAt(canvas, 65, 310), BoxInnerColour);
  EXPECT_EQ(PixelAt(canvas, 14, 310), BoxInnerColour);
  DrawHeaderBox(nullptr);
}

TEST_F(Draw, EveryRoutinePutsBackWhatItSelected) {
  HDC dc = canvas.Dc;
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(GRAY_BRUSH));
  SetTextColor(dc, RGB(9, 8, 7));
  SetBkMode(dc, TRANSPARENT);
  const auto same = [&](bool textColour) {
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(ANSI_VAR_FONT));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(DC_PEN));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(GRAY_BRUSH));
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    if (textColour) {
      EXPECT_EQ(GetTextColor(dc), RGB(9, 8, 7));
    }
  };
  const std::vector<Paragraph> text = {{0xD1, 0, "ab"}, {0x87, 100, ""}, {0xB2, 0x40, "cd ef gh"},
                                       {0x8C, 0x40, "ij kl"}, {0xB1, 0, "mn"}};
  ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
  same(true);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  same(true);
  pane->HitStart = 2;
  pane->HitEnd = static_cast<uint16_t>(StringOffset(text, 4) + 1);
  ASSERT_EQ(DrawPane(pane, 0), 0);
  same(true);
  RECT rect{1, 1, 50, 50};
  DrawFrame(dc, &rect, 0xFF, 3);
  same(true);
  DrawHeaderBox(pane);
  same(false);
  SetTextColor(dc, RGB(9, 8, 7));
  const int32_t area[4] = {0, 0, 5, 5};
  FillArea(dc, area, BLACK_BRUSH);
  DrawRunColored(dc, reinterpret_cast<const unsigned char*>("ab"), 2, 0, 0, 20, 20, 0xFF, 0xFF00);
  same(true);
  ScrollPane(pane, 3, true);
  DrawPane(pane, 2);
  same(true);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

TEST_F(Draw, HangingWordsAreDrawnBesideTheirRun) {
  // Stored order: the word hangs at the left; visual order: at the right.
  const std::vector<Paragraph> text = {{0x81, 0x40, "aa bb"}, {0x91, 0x40, "bb aa"}};
  ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
  ASSERT_EQ(pane->LineCount, 2);
  const LineEntry a = pane->Lines[0], b = pane->Lines[1];
  EXPECT_EQ(a.Length, 2);
  EXPECT_EQ(b.Length, 2);
  EXPECT_EQ(b.Start, StringOffset(text, 1));
  ASSERT_EQ(DrawPane(pane, 1), 0);
  int lo = 0, hi = 0;
  ASSERT_GT(Scan(0, 20, 500, 20 + h, IsDark, &lo, &hi), 0);
  EXPECT_GE(lo, a.X - a.Hang);
  EXPECT_LT(lo, a.X) << "the hanging word is left of the run";
  EXPECT_LE(hi, a.X + a.RunWidth);
  ASSERT_GT(Scan(0, 20 + 2 * h, 500, 20 + 3 * h, IsDark, &lo, &hi), 0);
  EXPECT_GE(lo, b.X);
  EXPECT_GE(hi, b.X + b.RunWidth) << "the hanging word is right of the run";
  EXPECT_LE(hi, b.X + b.RunWidth + b.Hang);
}

TEST_F(Draw, HitsOnHangingWordLinesFollowTheBytesTheLineCovers) {
  const std::vector<Paragraph> text = {{0x81, 0x40, "aa bbbbbb"}, {0x91, 0x40, "bbbbbb aa"}};
  ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
  ASSERT_EQ(pane->LineCount, 2);
  const LineEntry a = pane->Lines[0], b = pane->Lines[1];
  const int o1 = StringOffset(text, 0), o2 = StringOffset(text, 1);
  const int bbbb = Width(0x81, "bbbb"), aa = Width(0x81, "aa");
  const struct {
    int start, end, top, lo, hi;  // the yellow expected in [lo, hi) of the band at top
  } cases[] = {
      {o1 + 7, o1 + 9, 20, a.X + bbbb, a.X + a.RunWidth},                           // tail of a stored run
      {o2 + 7, o2 + 9, 20 + 2 * h, b.X + b.RunWidth + b.Hang - aa, b.X + b.RunWidth + b.Hang},  // visual word only
      {o2 + 4, o2 + 6, 20 + 2 * h, b.X + bbbb, b.X + b.RunWidth},                   // visual run only
  };
  const auto yellow = [](COLORREF c) { return c == HitBackColour; };
  for (const auto& c : cases) {
    pane->HitStart = static_cast<uint16_t>(c.start);
    pane->HitEnd = static_cast<uint16_t>(c.end);
    FillCanvas(canvas, White);
    ASSERT_EQ(DrawPane(pane, 1), 0);
    int lo = 0, hi = 0;
    ASSERT_GT(Scan(0, c.top, 500, c.top + h, yellow, &lo, &hi), 0) << c.start;
    EXPECT_NEAR(lo, c.lo, 2) << c.start;
    EXPECT_NEAR(hi + 1, c.hi, 2) << c.start;
    EXPECT_EQ(Scan(0, 0, 500, 400, yellow), Scan(0, c.top, 500, c.top + h, yellow)) << "no other line";
  }
}

TEST_F(Draw, StyleColoursReachTheScreen) {
  ASSERT_EQ(LayoutPane(pane, BuildText({{0x82, 0, "abcabc"}, {0x8C, 0, "abcabc"}, {0x81, 0, "abcabc"}}), true),
            LayoutOk);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  const COLORREF expected[] = {RGB(0, 0, 128), RGB(0, 0, 255), RGB(0, 0, 0)};  // navy, blue, black
  int top = 20;
  for (int i = 0; i < 3; ++i) {
    const int bottom = top + pane->Lines[i].LineHeight;
    const COLORREF want = expected[i];
    EXPECT_GT(Scan(10, top, 410, bottom, [&](COLORREF c) { return c == want; }), 0) << "line " << i;
    for (const COLORREF other : expected) {
      if (other == want) continue;
      EXPECT_EQ(Scan(10, top, 410, bottom, [&](COLORREF c) { return c == other; }), 0) << "line " << i;
    }
    top = bottom + pane->Lines[i].LineHeight;
  }
}

// A made-up line as the texts have them, in stored (display) order: its
// reading ends with the stop at the left; a colon, a number in brackets, a
// comma, quotes and a decimal on the way.
const std::string SentenceLine = ".bc :(12 de) fg ,\"hi\" 3.5 jk";

// Under Reverse with the Unicode letters the line shows exactly as stored,
// character by character (the stop at its left end, the digits in their
// order, the brackets opening and closing), in the main text's and the
// commentary's styles; the hit is placed by the stored order's widths.
TEST_F(Draw, UnderReverseALineShowsAsStoredWithItsStopAtTheLeftEnd) {
  SetBkMode(canvas.Dc, TRANSPARENT);
  for (const uint8_t style : {uint8_t{0x91}, uint8_t{0x92}}) {
    const std::vector<Paragraph> text = {{style, 0, SentenceLine}};
    ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
    ASSERT_EQ(pane->LineCount, 1);
    const LineEntry line = pane->Lines[0];
    const RECT band{10, 20, 410, 20 + line.LineHeight};
    AppSettings.Flags = Reverse;
    FillCanvas(canvas, White);
    ASSERT_EQ(DrawPane(pane, 0), 0);
    const std::vector<uint32_t> drawn = Pixels(canvas, band);

    FillCanvas(canvas, White);
    const COLORREF colour = GetTextColor(canvas.Dc);
    const HFONT old = SelectStyle(pane, style | StyleWithColour);
    DrawStoredOrder(canvas.Dc, SentenceLine, line.X, 20);
    SelectObject(canvas.Dc, old);
    SetTextColor(canvas.Dc, colour);
    EXPECT_EQ(DifferingPixels(drawn, Pixels(canvas, band)), 0) << "style " << int(style);
  }

  // A face offered only under another character set, for which Windows
  // ignores the reading flag, gets the embedding marks: the run comes out
  // the same, no letter lost (the same face asked for both ways), and
  // under Wine moved by the marks' width.
  {
    std::vector<uint32_t> ways[2];
    for (const BYTE set : {BYTE{HEBREW_CHARSET}, BYTE{ANSI_CHARSET}}) {
      LOGFONTW lf{};
      lf.lfHeight = -h;
      lf.lfCharSet = set;
      wcscpy(lf.lfFaceName, L"DejaVu Sans");
      HFONT font = CreateFontIndirectW(&lf);
      HGDIOBJ old = SelectObject(canvas.Dc, font);
      ASSERT_EQ(GetTextCharset(canvas.Dc), set);
      const unsigned char* run = reinterpret_cast<const unsigned char*>(SentenceLine.c_str());
      const int32_t width = MeasureRun(canvas.Dc, run, static_cast<int32_t>(SentenceLine.size())).cx;
      FillCanvas(canvas, White);
      DrawRun(canvas.Dc, run, static_cast<int32_t>(SentenceLine.size()), 20, 20, width, h);
      ways[set == ANSI_CHARSET] = Pixels(canvas, RECT{10, 20, 410, 20 + h});
      SelectObject(canvas.Dc, old);
      DeleteObject(font);
    }
    // The same letters in the same order; Wine gives the marks a few pixels
    // at the left (Windows none), which move the letters right by as much.
    int best = INT_MAX, shift = 0;
    for (int s = 0; s <= 12; ++s) {
      int differing = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x + s < 400 - 10; ++x) differing += ways[0][y * 400 + x] != ways[1][y * 400 + x + s];
      if (differing < best) best = differing, shift = s;
    }
    EXPECT_EQ(best, 0) << "flag and marks, the marks' run moved by " << shift;
    // Wine draws the reading flag for any font, so only the marks' width there shows that they were drawn.
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
      EXPECT_GT(shift, 0) << "no marks drawn";
    }
  }

  // The hit on the stored "12" is placed by the stored order's widths.
  const std::vector<Paragraph> text = {{0x91, 0, SentenceLine}};
  ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
  const LineEntry line = pane->Lines[0];
  pane->HitStart = static_cast<uint16_t>(StringOffset(text, 0) + 6);
  pane->HitEnd = static_cast<uint16_t>(StringOffset(text, 0) + 8);
  FillCanvas(canvas, White);
  ASSERT_EQ(DrawPane(pane, 1), 0);
  int lo = 0, hi = 0;
  ASSERT_GT(Scan(0, 20, 500, 20 + h, [](COLORREF c) { return c == HitBackColour; }, &lo, &hi), 0);
  EXPECT_NEAR(lo, line.X + Width(0x91, ".bc :("), 2);
  EXPECT_NEAR(hi + 1, line.X + Width(0x91, ".bc :(12"), 2);
  EXPECT_EQ(pane->Lines[0].RunWidth, line.RunWidth);
  EXPECT_EQ(AppSettings.Flags, Reverse);
  AppSettings.Flags = 0;
}

TEST_F(Draw, FontsPensAndBrushesAreAllReleased) {
  DestroyPaneView(pane, true);
  const int before = LiveGdiObjects();
  const LOGFONTW plain{};
  HFONT probe = CreateFontIndirectW(&plain);
  ASSERT_EQ(LiveGdiObjects(), before + 1) << "object counting works";
  DeleteObject(probe);

  RECT area{0, 0, 600, 300};
  pane = CreatePaneView(canvas.Dc, &area, &font, 100);
  const TextSelection noted{3, 12};  // a noted passage, underlined with its mark
  pane->Notes = &noted;
  pane->NoteCount = 1;
  pane->NoteMargin = 10;
  std::vector<Paragraph> text = {{0xD1, 0, "ab cd"}, {0x87, 180, ""}, {0x51, 0, "ef"}, {0xB2, 0, "gh ij kl"},
                                 {0x8C, 0x80, "mn op"}, {0x84, 0, "qr"}, {0xDC, 0, "s"}};
  for (int round = 0; round < 3; ++round) {
    for (int width : {600, 60}) {
      ASSERT_EQ(ResizePane(pane, width, 300), round == 0 && width == 600 ? LayoutNoText : LayoutOk);
      if (!pane->Text) {
        ASSERT_EQ(LayoutPane(pane, BuildText(text), true), LayoutOk);
      }
      pane->HitStart = 3;
      pane->HitEnd = 9;
      DrawPane(pane, 1);
      DrawHeaderBox(pane);
    }
  }
  EXPECT_GT(LiveGdiObjects(), before) << "the pane holds its fonts";
  for (int i = 0; i < 20; ++i) {
    font = TestFont(8 + i);
    EXPECT_EQ(SetPaneFont(pane, &font), 0);
  }
  DestroyPaneView(pane, true);
  pane = nullptr;
  EXPECT_EQ(LiveGdiObjects(), before);
  pane = CreatePaneView(canvas.Dc, &area, &font, 100);
}

}  // namespace
