// Line breaking, rows, fonts and the scroll model of a PaneView.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "layout/draw.h"
#include "layout/paneview.h"
#include "store/letters.h"
#include "test_pane.h"

namespace {

class Layout : public PaneTest {
 protected:
  void SetUp() override { MakePane(RECT{7, 5, 607, 405}); }
  int Height(uint8_t style) {
    HFONT old = SelectStyle(pane, style);
    TEXTMETRICW tm{};
    GetTextMetricsW(pane->Dc, &tm);
    SelectObject(pane->Dc, old);
    return tm.tmHeight;
  }
  int32_t Lay(const std::vector<Paragraph>& paragraphs) {
    return LayoutPane(pane, BuildText(paragraphs), true);
  }
  std::vector<LineEntry> Lines() const { return {pane->Lines, pane->Lines + pane->LineCount}; }

};

TEST_F(Layout, HeaderAndThreeShortParagraphsGiveFourLinesAndSevenRows) {
  const std::vector<Paragraph> text = {
      {0xD1, 0, "dcba"}, {0xB1, 0, "abc"}, {0xB1, 0, "de fg"}, {0xB1, 0, "hij"}};
  ASSERT_EQ(Lay(text), LayoutOk);
  EXPECT_EQ(pane->LineCount, 4);
  EXPECT_EQ(pane->RowCount, 7);
  const auto lines = Lines();
  EXPECT_EQ(lines[0].Style, 0xD1);
  EXPECT_EQ(lines[1].Style, 0xB1);
  EXPECT_EQ(lines[3].Style, 0x31) << "the last line of the text has no blank row";
  EXPECT_EQ(pane->Lines[4].Style, 0) << "terminator";
  EXPECT_EQ(lines[2].Start, StringOffset(text, 2));
  EXPECT_EQ(lines[2].Length, 5);
  EXPECT_EQ(lines[0].LineHeight, Height(0xD1));
  // Right-aligned lines end at the area's right edge; the centred header
  // splits the free width, an odd unit going to the right.
  for (int i = 1; i < 4; ++i) EXPECT_EQ(lines[i].X + lines[i].RunWidth, 607);
  EXPECT_EQ(lines[0].X, 7 + (600 - lines[0].RunWidth) / 2);
  EXPECT_EQ(lines[0].RunWidth, Width(0xD1, "abcd"));
  EXPECT_EQ(pane->MaxFirstRow, 0) << "a text shorter than the area";
}

TEST_F(Layout, VisualOrderLinesStartFromTheEndOfTheStoredString) {
  const std::string reading = "aaaaaaaaaaa-aaaaaaaaaaa-aaaaaa";
  const std::string stored(reading.rbegin(), reading.rend());
  const std::vector<Paragraph> text = {{0xD1, 0, "ab"}, {0xB1, 0, stored}};
  // Fifteen characters fit; the line breaks after the hyphen at 12.
  ASSERT_EQ(ResizePane(pane, Width(0xB1, reading.substr(0, 15)), 400), 2);
  ASSERT_EQ(Lay(text), LayoutOk);
  const int o = StringOffset(text, 1);
  ASSERT_EQ(pane->LineCount, 4);
  const auto lines = Lines();
  EXPECT_EQ(lines[1].Start, o + 18);
  EXPECT_EQ(lines[2].Start, o + 6);
  EXPECT_EQ(lines[3].Start, o + 0);
  EXPECT_EQ(lines[1].Length, 12);
  EXPECT_EQ(lines[2].Length, 12);
  EXPECT_EQ(lines[3].Length, 6);
  EXPECT_EQ(lines[1].Style, 0x31);
  EXPECT_EQ(lines[2].Style, 0x31);
  EXPECT_EQ(lines[1].RunWidth, Width(0xB1, reading.substr(0, 12)));
  EXPECT_EQ(pane->RowCount, 2 + 3);
}

TEST_F(Layout, BreaksAtSpacesAndAfterHyphensAndCutsWordsThatNeverFit) {
  const int six = Width(0x81, "aaaaaa");
  ASSERT_EQ(ResizePane(pane, six, 400), 2);

  // A single breaking space is dropped and the next line starts after it.
  std::vector<Paragraph> text = {{0x81, 0, "aaaa bbbb"}};
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->LineCount, 2);
  EXPECT_EQ(pane->Lines[0].Length, 4);
  EXPECT_EQ(pane->Lines[0].RunWidth, Width(0x81, "aaaa"));
  EXPECT_EQ(pane->Lines[1].Start, StringOffset(text, 0) + 5);
  EXPECT_EQ(pane->Lines[1].Length, 4);
  EXPECT_EQ(pane->Lines[0].X, 7) << "left alignment";

  // Of several spaces only the last is dropped; the next line skips them all.
  text = {{0x81, 0, "aaaa  bbbb"}};
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->LineCount, 2);
  EXPECT_EQ(pane->Lines[0].Length, 5);
  EXPECT_EQ(pane->Lines[1].Start, StringOffset(text, 0) + 6);

  // A hyphen stays on its line.
  text = {{0x81, 0, "aaaa-bbbb"}};
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->LineCount, 2);
  EXPECT_EQ(pane->Lines[0].Length, 5);
  EXPECT_EQ(pane->Lines[1].Start, StringOffset(text, 0) + 5);
  // ... but not the hyphen of a number range: the line breaks at the space
  // before it, and a range wider than the line is still cut where it must.
  ResizePane(pane, Width(0x81, "aaaa 12-3"), 400);
  text = {{0x81, 0, "aaaa 12-34"}, {0x81, 0, "123-4567890123"}};
  ASSERT_EQ(Lay(text), LayoutOk);
  EXPECT_EQ(pane->Lines[0].Length, 4);
  EXPECT_EQ(pane->Lines[1].Length, 5);
  ASSERT_GE(pane->LineCount, 4);
  for (int i = 2; i < pane->LineCount; ++i)
    EXPECT_NE(pane->Text[pane->Lines[i].Start + pane->Lines[i].Length - 1], '-') << "line " << i;
  ResizePane(pane, six, 400);

  // A word wider than the line is cut where the fit ends.
  text = {{0x81, 0, std::string(20, 'a')}};
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->LineCount, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(pane->Lines[i].Start, StringOffset(text, 0) + 6 * i);
    EXPECT_EQ(pane->Lines[i].Length, i < 3 ? 6 : 2);
  }
  EXPECT_EQ(pane->RowCount, 4);
  EXPECT_EQ(pane->Lines[3].Style, 0x01);
}

TEST_F(Layout, ParagraphsThatEndInSpacesStillGetTheirBlankRow) {
  ASSERT_EQ(ResizePane(pane, Width(0x81, "aaaaaa"), 400), 2);
  // The fit ends right before the trailing spaces.
  ASSERT_EQ(Lay({{0x81, 0, "bb aaaaa   "}, {0x81, 0, "cc"}}), LayoutOk);
  ASSERT_EQ(pane->LineCount, 3);
  EXPECT_EQ(pane->Lines[1].Style, 0x81);
  EXPECT_EQ(pane->RowCount, 4);
}

TEST_F(Layout, EmptyParagraphsMakeNoRows) {
  ASSERT_EQ(Lay({{0xD1, 0, "ab"}, {0x82, 0, ""}, {0x81, 0, ""}, {0xB1, 0, "   "}, {0xB1, 0, "cd"}}), LayoutOk);
  EXPECT_EQ(pane->LineCount, 2);
  EXPECT_EQ(pane->RowCount, 3);
}

TEST_F(Layout, ResultCodesAndWhatTheyLeaveBehind) {
  ASSERT_EQ(Lay({{0xD1, 0, "ab"}, {0xB1, 0, "cd"}}), LayoutOk);
  unsigned char* kept = pane->Text;
  pane->HitStart = 2;
  pane->HitEnd = 3;

  unsigned char* empty = BuildText({{0x81, 0, ""}, {0xB1, 0, "cd"}});
  EXPECT_EQ(LayoutPane(pane, empty, true), LayoutRejected);
  EXPECT_EQ(pane->Text, kept) << "a rejected text leaves the old one";
  EXPECT_EQ(pane->LineCount, 2);
  EXPECT_EQ(pane->Lines[0].Style, 0xD1);
  EXPECT_EQ(pane->RowCount, 0);
  EXPECT_EQ(pane->HitStart, 0);
  std::free(empty);
  unsigned char zero[4] = {0, 0, 0, 0};
  EXPECT_EQ(LayoutPane(pane, zero, true), LayoutRejected);

  // Laying out the pane's own text again keeps it even when asked to release.
  EXPECT_EQ(LayoutPane(pane, pane->Text, true), LayoutOk);
  EXPECT_EQ(pane->Text, kept);
  EXPECT_EQ(pane->RowCount, 3);

  EXPECT_EQ(LayoutPane(pane, nullptr, false), LayoutNoText);
  EXPECT_EQ(pane->Text, kept);
  EXPECT_EQ(LayoutPane(pane, nullptr, true), LayoutNoText);
  EXPECT_EQ(pane->Text, nullptr);
  EXPECT_EQ(LayoutPane(nullptr, nullptr, true), LayoutNoPane);

  // A first paragraph that is a rule may have an empty string.
  EXPECT_EQ(Lay({{0x87, 50, ""}, {0xB1, 0, "ab"}}), LayoutOk);
  EXPECT_EQ(pane->LineCount, 2);
}

TEST_F(Layout, NarrowAreasAndDeepIndentsStillEnd) {
  ASSERT_EQ(ResizePane(pane, 1, 400), 2);
  ASSERT_EQ(Lay({{0x81, 0, "abc def"}}), LayoutOk);
  ASSERT_EQ(pane->LineCount, 6) << "one character per line";
  for (const LineEntry& e : Lines()) {
    EXPECT_EQ(e.Length, 1);
    EXPECT_GE(e.X, 7);
  }
  // An indent that leaves no room at all, and a hanging word wider than the area.
  ASSERT_EQ(ResizePane(pane, 40, 400), 0);
  ASSERT_EQ(Lay({{0xA1, 39, "abc def"}, {0xA1, 0xC0 | 30, "abc def ghi"}}), LayoutOk);
  EXPECT_GE(pane->LineCount, 2);
  EXPECT_LE(pane->LineCount, 17);
}

TEST_F(Layout, RuleLengthsAndPlacement) {
  ASSERT_EQ(ResizePane(pane, 500, 400), LayoutNoText);
  ASSERT_EQ(Lay({{0xD1, 0, "ab"}, {0x87, 200, ""}, {0xA7, 230, ""}, {0xC7, 100, ""}, {0x87, 0, ""},
                 {0x07, 161, ""}}),
            LayoutOk);
  ASSERT_EQ(pane->LineCount, 5);
  const auto lines = Lines();
  EXPECT_EQ(lines[1].RunWidth, 400);
  EXPECT_EQ(lines[1].X, 7);
  EXPECT_EQ(lines[2].RunWidth, 500);
  EXPECT_EQ(lines[2].X, 7);
  EXPECT_EQ(lines[3].RunWidth, 100);
  EXPECT_EQ(lines[3].X, 7 + 200);
  EXPECT_EQ(lines[4].RunWidth, 10);
  EXPECT_EQ(lines[4].Style, 0x07);
  EXPECT_EQ(lines[1].Length, 0);
  EXPECT_EQ(lines[1].LineHeight, Height(0xD1));
  EXPECT_EQ(pane->RowCount, 2 + 2 + 2 + 2 + 1);
}

TEST_F(Layout, HangingWordsAndIndents) {
  TEXTMETRICW tm{};
  HFONT old = SelectStyle(pane, 0x01);
  GetTextMetricsW(pane->Dc, &tm);
  SelectObject(pane->Dc, old);
  const int hang = tm.tmMaxCharWidth;  // (1 + 1) * max / 2
  const std::vector<Paragraph> text = {{0x81, 0x40 | 10, "ab cd ef"}, {0xA1, 0x40 | 20, " gh"}};
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->LineCount, 2);
  const LineEntry first = pane->Lines[0];
  EXPECT_EQ(first.Start, StringOffset(text, 0));
  EXPECT_EQ(first.Length, 5) << "the hanging word and its space are not in the run";
  EXPECT_EQ(first.Hang, hang);
  EXPECT_EQ(first.X, 7 + 10 + hang);
  EXPECT_EQ(first.RunWidth, Width(0x01, "cd ef"));
  // A continuation paragraph keeps the running indent (10 + hang) and adds
  // the difference of the indents.
  const LineEntry next = pane->Lines[1];
  EXPECT_EQ(next.Hang, 0);
  EXPECT_EQ(next.X + next.RunWidth, 607 - (10 + hang + 10));
}

TEST_F(Layout, StyleFontsSizesAndColours) {
  font = TestFont(0);
  ASSERT_EQ(SetPaneFont(pane, &font), 1) << "nothing to lay out yet";
  const int dpi = GetDeviceCaps(pane->Dc, LOGPIXELSY);
  struct Case {
    uint32_t flags;
    int points;
    int weight;
    COLORREF colour;
  } cases[] = {{0x102, 14, 400, 0x800000}, {0x104, 20, 400, 0x000000}, {0x10C, 20, 700, 0xFF0000},
               {0x101, 0, 400, 0x000000},  {0x1108, 8, 700, 0x000000}, {0x1106, 20, 400, 0x800000}};
  for (const Case& c : cases) {
    SetTextColor(pane->Dc, 0x123456);
    HFONT old = SelectStyle(pane, c.flags);
    LOGFONTW lf{};
    GetObjectW(GetCurrentObject(pane->Dc, OBJ_FONT), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -MulDiv(c.points, dpi, 72)) << std::hex << c.flags;
    EXPECT_EQ(lf.lfWeight, c.weight) << std::hex << c.flags;
    EXPECT_EQ(lf.lfCharSet, HEBREW_CHARSET) << "the letters at 1488, and the face has the Hebrew set";
    EXPECT_STREQ(lf.lfFaceName, L"DejaVu Sans");
    EXPECT_EQ(GetTextColor(pane->Dc), c.colour) << std::hex << c.flags;
    SelectObject(pane->Dc, old);
  }
  SetTextColor(pane->Dc, 0x123456);
  HFONT old = SelectStyle(pane, 0x12);
  EXPECT_EQ(GetTextColor(pane->Dc), 0x123456u) << "without 0x100 the colour stays";
  SelectObject(pane->Dc, old);

  font = TestFont(20);
  ASSERT_EQ(SetPaneFont(pane, &font), 1);
  old = SelectStyle(pane, 0x02);
  LOGFONTW lf{};
  GetObjectW(GetCurrentObject(pane->Dc, OBJ_FONT), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -MulDiv(15, dpi, 72)) << "20 * 6 / 8";
  SelectObject(pane->Dc, old);

  int entries = 0;
  for (FontCacheEntry* e = pane->FontCache; e; e = e->Next) ++entries;
  EXPECT_EQ(entries, 7) << "one entry per key; keys differing only in 0x10 and 0x01 are distinct";

  // Released fonts are made again on the next selection.
  EXPECT_EQ(SetPaneFont(pane, nullptr), 0);
  for (FontCacheEntry* e = pane->FontCache; e; e = e->Next) EXPECT_EQ(e->Font, nullptr);
  old = SelectStyle(pane, 0x02);
  for (FontCacheEntry* e = pane->FontCache; e; e = e->Next) EXPECT_EQ(e->Font != nullptr, e->StyleKey == 0x02);
  SelectObject(pane->Dc, old);
  EXPECT_EQ(SelectStyle(nullptr, 0x01), nullptr);
}

TEST_F(Layout, MaxFirstRowFromTheBottomOfTheText) {
  const int h = Height(0x01);
  // One paragraph cut into 5 lines of 4 characters, in an area of 4 lines.
  ASSERT_EQ(ResizePane(pane, Width(0x01, "aaaa"), 4 * h), 2);
  ASSERT_EQ(Lay({{0x01, 0, std::string(20, 'a')}}), LayoutOk);
  ASSERT_EQ(pane->LineCount, 5);
  EXPECT_EQ(pane->MaxFirstRow, 1);
  EXPECT_EQ(ComputeMaxFirstRow(pane), 1);

  // A blank row that does not fit is not counted.
  ASSERT_EQ(ResizePane(pane, 600, 4 * h), 0);
  ASSERT_EQ(Lay({{0x81, 0, "a"}, {0x81, 0, "b"}, {0x81, 0, "c"}, {0x81, 0, "d"}}), LayoutOk);
  EXPECT_EQ(pane->RowCount, 7);
  EXPECT_EQ(pane->MaxFirstRow, 7 - 4);
  ASSERT_EQ(ResizePane(pane, 600, 5 * h), 0);
  EXPECT_EQ(pane->MaxFirstRow, 7 - 5);

  PaneView* bare = CreatePaneView(canvas.Dc, nullptr, &font, 0);
  EXPECT_EQ(ComputeMaxFirstRow(bare), -1);
  EXPECT_EQ(bare->Lines, nullptr);
  DestroyPaneView(bare, true);
  EXPECT_EQ(CreatePaneView(nullptr, nullptr, &font, 10), nullptr);
}

TEST_F(Layout, ResizeRejectsEmptyAreas) {
  ASSERT_EQ(Lay({{0xD1, 0, "ab"}, {0xB1, 0, "cd"}}), LayoutOk);
  EXPECT_EQ(ResizePane(pane, 0, 100), -5);
  EXPECT_EQ(ResizePane(pane, 100, -1), -5);
  EXPECT_EQ(pane->AreaWidth, 600);
  EXPECT_EQ(pane->RowCount, 3);
  EXPECT_EQ(ResizePane(nullptr, 10, 10), -1);
}

TEST_F(Layout, ScrollingStopsAtTheBottomAndClampsPastTheEnd) {
  std::vector<Paragraph> text = {{0xD1, 0, "ab"}};
  for (int i = 0; i < 30; ++i) text.push_back({0xB1, 0, "abc"});
  ASSERT_EQ(ResizePane(pane, 600, 10 * Height(0xB1)), 2);
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->RowCount, 61);
  const int max = pane->MaxFirstRow;
  ASSERT_EQ(max, 61 - 10) << "ten rows from the blank row after the 25th line";

  pane->FirstRow = max;
  EXPECT_EQ(ScrollPane(pane, 1, true), 1);
  EXPECT_EQ(pane->FirstRow, max);
  pane->FirstRow = 0;
  EXPECT_EQ(ScrollPane(pane, -1, true), 1);
  EXPECT_EQ(ScrollPane(pane, -5, true), 1);
  EXPECT_EQ(pane->FirstRow, 0);
  pane->FirstRow = max - 1;
  EXPECT_EQ(ScrollPane(pane, 5, true), 3);
  EXPECT_EQ(pane->FirstRow, max + 4);
  EXPECT_EQ(ScrollPane(pane, -3, true), 3) << "moving up from beyond the bottom";
  EXPECT_EQ(pane->FirstRow, max + 1);
  pane->FirstRow = 3;
  EXPECT_EQ(ScrollPane(pane, 1000, true), 3);
  EXPECT_EQ(pane->FirstRow, max);
  pane->FirstRow = 3;
  EXPECT_EQ(ScrollPane(pane, -10, true), 3);
  EXPECT_EQ(pane->FirstRow, 0);

  EXPECT_EQ(ScrollPane(nullptr, 1, true), -1);
}

TEST_F(Layout, ScrollToOffsetFindsTheLineAndStopsAtTheBottom) {
  std::vector<Paragraph> text = {{0xD1, 0, "ab"}};
  for (int i = 0; i < 30; ++i) text.push_back({0xB1, 0, "abc"});
  ASSERT_EQ(ResizePane(pane, 600, 10 * Height(0xB1)), 2);
  ASSERT_EQ(Lay(text), LayoutOk);
  pane->FirstRow = 17;
  EXPECT_EQ(ScrollToOffset(pane, 0), 0) << "a style byte is in no line";
  EXPECT_EQ(pane->FirstRow, 17);
  EXPECT_EQ(ScrollToOffset(pane, static_cast<uint16_t>(StringOffset(text, 3) + 3)), 1);
  EXPECT_EQ(pane->FirstRow, 6);
  EXPECT_EQ(ScrollToOffset(pane, static_cast<uint16_t>(StringOffset(text, 30) + 1)), 1);
  EXPECT_EQ(pane->FirstRow, pane->MaxFirstRow) << "its own row lies beyond the bottom";

  // Lines with a hanging word cover more than Start + Length: in stored order
  // the run follows the word, in visual order the word follows the run.
  text = {{0xD1, 0, "ab"}, {0x81, 0x40, "aa bbbbbb"}, {0x91, 0x40, "bbbbbb aa"}};
  for (int i = 0; i < 30; ++i) text.push_back({0xB1, 0, "abc"});
  ASSERT_EQ(Lay(text), LayoutOk);
  ASSERT_EQ(pane->Lines[1].Length, 6);
  ASSERT_EQ(pane->Lines[2].Length, 6);
  const struct { int paragraph, offset, row; } hits[] = {{1, 8, 2}, {1, 0, 2}, {2, 8, 4}, {2, 2, 4}};
  for (const auto& hit : hits) {
    pane->FirstRow = 17;
    EXPECT_EQ(ScrollToOffset(pane, static_cast<uint16_t>(StringOffset(text, hit.paragraph) + hit.offset)), 1)
        << hit.paragraph << "/" << hit.offset;
    EXPECT_EQ(pane->FirstRow, hit.row) << hit.paragraph << "/" << hit.offset;
  }
}

// A round of new layouts keeps the character the user scrolled to at the top at every width and ends on
// the row it began on; a scroll in between reads from the new top line's start.
TEST_F(Layout, RelayoutRoundTripsKeepTheLineBeingRead) {
  std::vector<Paragraph> text = {{0xD1, 0, "ab"}};
  for (int i = 0; i < 20; ++i) text.push_back({0xB1, 0, "abc de fghij k lmno pq rstu vw xyz ab cde f ghi jklm no"});
  auto topLine = [&] {
    const LineEntry* line = pane->Lines;
    for (int rows = 0; rows + RowsOf(*line) <= pane->FirstRow; ++line) rows += RowsOf(*line);
    return *line;
  };
  const struct { int row, scroll, widths[3]; } trips[] = {
      {3, 0, {600, 200, 300}}, {12, 0, {130, 600, 300}}, {9, 0, {260, 260, 300}}, {4, 2, {210, 300, 300}}};
  for (const auto& trip : trips) {
    ResizePane(pane, 300, 200);
    ASSERT_EQ(Lay(text), LayoutOk);
    pane->FirstRow = static_cast<uint16_t>(trip.row);
    int read = topLine().Start + topLine().Length - 1;  // the top line's first character in reading order
    for (int w : trip.widths) {
      ASSERT_EQ(ResizePane(pane, w, 200), LayoutOk);
      EXPECT_TRUE(topLine().Start <= read && read < topLine().Start + topLine().Length) << trip.row << " at " << w;
      if (trip.scroll && w != 300 && ScrollPane(pane, trip.scroll, true) == 3)
        read = topLine().Start + topLine().Length - 1;  // read on from the line scrolled to
    }
    if (!trip.scroll) {
      EXPECT_EQ(pane->FirstRow, trip.row) << "back at the first width";
    }
  }
}

TEST_F(Layout, OutOfMemoryEndsTheTableAfterTheLastWholeLineAndPutsTheFontBack) {
  ASSERT_EQ(Lay({{0xD1, 0, "ab"}}), LayoutOk);
  const HGDIOBJ fontBefore = GetCurrentObject(pane->Dc, OBJ_FONT);
  // The reversed copy of a visual-order paragraph (776 bytes and a 0) cannot be made.
  std::string words;
  while (words.size() < 776) words += "abcdefg ";
  words.resize(776);
  unsigned char* text = BuildText({{0xD1, 0, "cd"}, {0x82, 0, "ef gh"}, {0x91, 0, words}, {0xB1, 0, "ij"}});
  FailAllocation(777);
  EXPECT_EQ(LayoutPane(pane, text, true), LayoutNoMemory);
  EXPECT_FALSE(AllocationFailurePending());
  EXPECT_EQ(pane->Lines[0].Style, 0xD1);
  EXPECT_EQ(pane->Lines[1].Style, 0x82);
  EXPECT_EQ(pane->Lines[2].Style, 0) << "terminated after the last whole line";
  EXPECT_EQ(pane->LineCount, 1) << "not updated";
  EXPECT_EQ(pane->Text, nullptr) << "the old text is released, the new one not taken";
  EXPECT_EQ(GetCurrentObject(pane->Dc, OBJ_FONT), fontBefore);
  EXPECT_EQ(DrawPane(pane, 1), -1);

  // Growing the table fails: the spare entry of the old table ends it.
  PaneView* small = CreatePaneView(canvas.Dc, nullptr, &font, 2);
  small->AreaWidth = 600;
  small->AreaHeight = 400;
  FailAllocation((2 + 128 + 1) * sizeof(LineEntry));
  EXPECT_EQ(LayoutPane(small, text, true), LayoutNoMemory);
  EXPECT_EQ(small->LineCapacity, 2);
  EXPECT_EQ(small->Lines[1].Style, 0x82);
  EXPECT_EQ(small->Lines[2].Style, 0);
  EXPECT_EQ(GetCurrentObject(pane->Dc, OBJ_FONT), fontBefore);
  DestroyPaneView(small, true);
  std::free(text);
}

TEST_F(Layout, TheLineTableGrowsAndKeepsItsEntries) {
  PaneView* small = CreatePaneView(canvas.Dc, nullptr, &font, 2);
  ASSERT_EQ(small->LineCapacity, 2);
  small->AreaWidth = 600;
  small->AreaHeight = 400;
  std::vector<Paragraph> text;
  for (int i = 0; i < 300; ++i) text.push_back({0x81, 0, std::string(1 + i % 5, 'a' + i % 26)});
  ASSERT_EQ(LayoutPane(small, BuildText(text), true), LayoutOk);
  EXPECT_EQ(small->LineCount, 300);
  EXPECT_EQ(small->LineCapacity, 2 + 3 * 128);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(small->Lines[i].Start, StringOffset(text, i));
  EXPECT_EQ(small->Lines[300].Style, 0);
  EXPECT_EQ(GrowLineTable(small, 300), 0);
  EXPECT_EQ(small->LineCapacity, 2 + 4 * 128);
  EXPECT_EQ(small->Lines[299].Start, StringOffset(text, 299));
  DestroyPaneView(small, true);
}

TEST_F(Layout, MeasuringIgnoresReverseAndCountsOnlyWhatFits) {
  const std::string bytes = "(ab) cd";
  const int full = Width(0x01, bytes);
  ASSERT_EQ(ResizePane(pane, Width(0x11, "(ab) c"), 400), LayoutNoText);
  ASSERT_EQ(Lay({{0xB1, 0, "((a) bc) (d ef)"}}), LayoutOk);
  const auto plain = Lines();
  AppSettings.Flags = Reverse;
  EXPECT_EQ(Width(0x01, bytes), full);
  EXPECT_EQ(AppSettings.Flags, Reverse) << "the bit is put back";
  {
    // At a width that holds the wide half exactly, measuring in reversed
    // order would meet the narrow half first and fit more.
    HFONT previous = SelectStyle(pane, 0x01);
    AppSettings.Flags = 0;
    int32_t width = Width(0x01, "WWWW");
    AppSettings.Flags = Reverse;
    int32_t count = 8;
    MeasureFit(pane->Dc, reinterpret_cast<const unsigned char*>("WWWW...."), &width, &count);
    EXPECT_EQ(count, 4);
    SelectObject(pane->Dc, previous);
  }
  // Reverse changes what is drawn, never where: the layout stays the same.
  ASSERT_EQ(LayoutPane(pane, pane->Text, false), LayoutOk);
  ASSERT_EQ(pane->LineCount, plain.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(pane->Lines[i].Start, plain[i].Start);
    EXPECT_EQ(pane->Lines[i].RunWidth, plain[i].RunWidth);
  }
  EXPECT_EQ(AppSettings.Flags, Reverse);
  AppSettings.Flags = 0;

  HFONT old = SelectStyle(pane, 0x01);
  int32_t width = Width(0x01, "(ab)") + 1;
  int32_t count = 7;
  MeasureFit(pane->Dc, reinterpret_cast<const unsigned char*>(bytes.c_str()), &width, &count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(width, Width(0x01, "(ab)"));
  // A count beyond the string's end measures the string alone.
  width = 1000;
  count = 50;
  MeasureFit(pane->Dc, reinterpret_cast<const unsigned char*>("ab"), &width, &count);
  EXPECT_EQ(count, 2);
  width = 0;
  count = 3;
  MeasureFit(pane->Dc, reinterpret_cast<const unsigned char*>("abc"), &width, &count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(width, 0);
  SelectObject(pane->Dc, old);
}

}  // namespace
