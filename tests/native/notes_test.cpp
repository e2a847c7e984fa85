// Notes: finding a passage again after the text was edited, and the notes
// file read back (whole, damaged, from a later version).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "output/notes_rtf.h"
#include "store/notes.h"

namespace {

// A paragraph list from "|"-separated paragraphs; one beginning '>' is
// stored in display order (its bytes as given). '[' and ']' mark a span:
// taken out, their stored offsets kept.
struct Marked {
  std::vector<unsigned char> bytes;
  int32_t lo = -1, hi = -1;
};
Marked Build(const std::string& spec) {
  Marked m;
  size_t from = 0;
  for (;;) {
    const size_t bar = spec.find('|', from);
    std::string p = spec.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
    const bool visual = !p.empty() && p[0] == '>';
    m.bytes.push_back(visual ? 0x10 : 0x01);
    m.bytes.push_back(0);
    for (char c : p.substr(visual ? 1 : 0)) {
      if (c == '[') m.lo = int32_t(m.bytes.size());
      else if (c == ']') m.hi = int32_t(m.bytes.size());
      else m.bytes.push_back(static_cast<unsigned char>(c));
    }
    m.bytes.push_back(0);
    if (bar == std::string::npos) break;
    from = bar + 1;
  }
  m.bytes.insert(m.bytes.end(), {0, 0, 0});
  return m;
}

TEST(Notes, PassageFoundAgainAfterEdits) {
  const std::string word = "abcdefghi klmnopqrs ";  // 20 characters
  std::string longText;
  for (int i = 0; i < 14; ++i) longText += word;
  const std::string longEdited = longText.substr(0, 140) + "tuv " + longText.substr(140);
  using P = NotePlacement;
  const struct { std::string before, after; P expected; const char* passage; } cases[] = {
      {"one [two three] four", "one [two three] four", P::Kept, "two three"},
      {"one [two three] four", "one five [two three] four", P::Moved, nullptr},  // a word before
      {"one [two three] four", "one two five three four", P::Detached, nullptr},  // a word inside
      {"one [two three] four|six seven", "one four|six [two three] seven", P::Moved, nullptr},
      {"one [two three] four", "one four", P::Detached, nullptr},  // deleted
      // Duplicated: where the text around it agrees, not at the first copy.
      {"ab [two three] cd", "xy two three zz|ab [two three] cd", P::Moved, nullptr},
      {"ab [two three] cd", "ab [two three] cd two three", P::Kept, nullptr},
      {"ab [two three] cd|xy two three zz", "xy two three zz|ab [two three] cd", P::Moved, nullptr},
      // Display order: read from the end, so a word read before it is
      // stored after it.
      {">dc [bzyx] ab", ">dc [bzyx] ab ee", P::Kept, "xyzb"},
      {">dc [bzyx] ab", ">ee dc [bzyx] ab", P::Moved, nullptr},
      {">zz gh [12.5 cd] ef", ">yy zz gh [12.5 cd] ef", P::Moved, "dc 12.5"},
      {"one [two|three] four", "zero|one [two|three] four", P::Moved, "two\nthree"},
      {"x\x14[y\x14z] w", "x[yz] w", P::Moved, "yz"},  // control bytes are not read
      // A long passage: its start and end, its length nearly kept.
      {"ab [" + longText + "] cd", "ab [" + longEdited + "] cd", P::Moved, nullptr},
      {"ab [" + longText + "] cd", "ab " + longText.substr(0, 100) + " cd", P::Detached, nullptr},
  };
  for (const auto& c : cases) {
    const Marked was = Build(c.before), now = Build(c.after);
    NoteList list{};
    NoteAnchor anchor;
    const TextSelection sel{uint16_t(was.lo), uint16_t(was.hi)};
    ASSERT_TRUE(CaptureNoteAnchor(was.bytes.data(), sel, 3, NoteMainPane, &anchor)) << c.before;
    if (c.passage) {
      DisplayChar text[256];
      std::u16string expected;
      for (char ch : std::string(c.passage))
        expected += ch >= 'a' && ch <= 'z' ? std::u16string(1, char16_t(0x05D0 + ch - 'a'))
                    : ch == '\n'           ? std::u16string(u"\r\n")
                                           : std::u16string(1, char16_t(ch));
      NotePassageText(anchor, text, 256);
      EXPECT_EQ(std::u16string(text), expected) << c.before;
    }
    const DisplayChar text[] = u"a thought";
    ASSERT_NE(AddNote(&list, anchor, text, 9, 0), 0u);
    ASSERT_TRUE(PlaceNotes(&list, 3, NoteMainPane, now.bytes.data()));
    const Note& note = list.Items[0];
    EXPECT_EQ(int(note.Placed), int(c.expected)) << c.before << " -> " << c.after;
    if (c.expected != P::Detached) {
      const auto [lo, hi] = std::minmax(note.At.Anchor, note.At.Focus);
      EXPECT_EQ(lo, now.lo) << c.after;
      EXPECT_EQ(hi, now.hi) << c.after;
    }
    FreeNotes(&list);
  }
}

constexpr char Head[] = "Orvane notes 1\n# The reader's notes: each begins with [note]; see the README.\n";
const std::string Whole = std::string(Head) +
                          "\n[note]\npage: 3 main\nat: 12 4\npassage: \u05D0\u05D1 {\\\\\\x7F\\n\u05EA} 7\n"
                          "before: A\\x14\nafter: |\n"
                          "text: first \\\\ line\\ttab\ntext:\ntext: lone\\rcr\\n\\u0001 \u00E9\U0001F600\\uD800\n";
const std::string Split = "\n[note]\npage: 10715 commentary\n"
                          "passage-start: \u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0"
                          "\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0"
                          "\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0\u05D0 1\n"
                          "passage-end: 2 \u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1"
                          "\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1"
                          "\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\u05D1\n"
                          "passage-length: 4000\ncreated: 2024-02-29 23:59:59\nchanged: 2026-12-08 01:33:57\n"
                          "text: \u05E9\u05DC\u05D5\u05DD\n";

TEST(Notes, FileReadBackWholeOrDamaged) {
  const std::string Ends = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  const std::string note = "\n[note]\npage: 5 main\npassage: \u05D2\ntext: x\n";
  const struct { std::string in, out; int32_t read, lost, damaged, first; bool later; } cases[] = {
      {Whole + Split, "", 2, 0, 0, 0, false},
      {"", std::string(Head), 0, 0, 0, 0, false},
      {"\xEF\xBB\xBFOrvane notes 1\r\n[note]\r\npage: 5 main\r\npassage: \u05D2\r\ntext: x\r\n", Head + note, 1, 0, 0,
       0, false},
      {Head + note + "bogus line\n", Head + note, 1, 0, 1, 8, false},
      {"[note]\npage: 5 main\npassage: \u05D2\ntext: x\n", Head + note, 1, 0, 1, 1, false},  // no version line
      {Head + std::string("\n[note]\npage: 5 main\npassage: \u05D2\ntext: \xFF\ntext: x\n"), Head + note, 1, 0, 1, 7,
       false},
      {Head + std::string("\n[note]\npage: 5 main\ntext: x\n"), Head, 0, 1, 0, 0, false},  // no passage
      {Head + std::string("\n[note]\npage: 5 main\npassage: ab\ntext: x\n"), Head, 0, 1, 1, 6, false},
      {Head + std::string("\n[note]\npage: 4 main\npassage: \u05D2\ntext: x\n"), Head, 0, 1, 1, 5, false},
      {Head + std::string("\n[note]\npage: 5 main\npassage: \u05D2\ntext: \\q\ntext: x\n"), Head + note, 1, 0, 1, 7,
       false},
      {Head + std::string("page: 5 main\n") + note, Head + note, 1, 0, 1, 3, false},  // outside a note
      {Head + std::string("\n[note]\npage: 5 main\npassage: \u05D2\ncreated: 2026-02-29 00:00:00\ntext: x\n"),
       Head + note, 1, 0, 1, 7, false},
      {Head + std::string("\n[note]\npage: 5 main\npage: 7 main\npassage: \u05D2\ntext: x\n"), Head + note, 1, 0, 1,
       6, false},
      {Head + std::string("\n[note]\npage: 5 main\npassage-start: \u05D2\ntext: x\n"), Head, 0, 1, 1, 6, false},
      {Head + std::string("\n[tag]\nname: x\n") + note, Head + note, 1, 0, 2, 4, false},
      {Head + std::string("\n[note]\npage: 5 main\npassage-start: ") + Ends + "\npassage-end: " + Ends +
           "\npassage-length: 65536\ntext: x\n",
       Head, 0, 1, 1, 8, false},  // longer than any pane's text
      // A later version: what this one knows, the rest passed over.
      {"Orvane notes 2\n[tag]\nname: x\n[note]\ncolour: red\npage: 5 main\npassage: \u05D2\ntext: x\n", Head + note, 1,
       0, 0, 0, true},
  };
  for (const auto& c : cases) {
    NoteList list{};
    NotesReadReport report;
    EXPECT_TRUE(ReadNotesText(c.in.data(), c.in.size(), &list, &report)) << c.in;
    EXPECT_EQ(report.NotesRead, c.read) << c.in;
    EXPECT_EQ(report.NotesLost, c.lost) << c.in;
    EXPECT_EQ(report.DamagedLines, c.damaged) << c.in;
    EXPECT_EQ(report.FirstDamaged, c.first) << c.in;
    EXPECT_EQ(report.Later, c.later) << c.in;
    std::string out(WriteNotesText(&list, -1, nullptr), '\0');
    WriteNotesText(&list, -1, out.data());
    EXPECT_EQ(out, c.out.empty() ? c.in : c.out);
    // Imported again: nothing new.
    NoteList again{};
    ReadNotesText(out.data(), out.size(), &again, &report);
    EXPECT_EQ(MergeNotes(&list, &again), 0) << c.in;
    FreeNotes(&list);
  }
}

// Pages in the text's order, each page's name once, main text before
// commentary; each passage (alef, bet, gimel) in italics before its note.
TEST(Notes, RtfExportGoesInTheTextsOrder) {
  NoteList list{};
  const struct { int32_t lesson; uint8_t pane; unsigned char letter; } added[] = {
      {5, NoteMainPane, 'c'}, {3, NoteCommentaryPane, 'b'}, {3, NoteMainPane, 'a'}};
  for (const auto& a : added) {
    NoteAnchor anchor{a.lesson, a.pane, NoNoteOffset, NoNoteOffset, 1, {a.letter}, {}, {}};
    AddNote(&list, anchor, u"n\u00E9", 2, 0);
  }
  std::string rtf(NotesRtfDocument(&list, -1, nullptr), '\0');
  NotesRtfDocument(&list, -1, rtf.data());
  size_t at = 0, headings = 0;
  for (const char* piece : {"{\\i \\u1488", "n\\u233", "{\\i \\u1489", "n\\u233", "{\\i \\u1490", "n\\u233"}) {
    at = rtf.find(piece, at);
    ASSERT_NE(at, std::string::npos) << piece << "\n" << rtf;
  }
  for (size_t k = rtf.find("{\\b"); k != std::string::npos; k = rtf.find("{\\b", k + 1)) ++headings;
  EXPECT_EQ(headings, 2u) << rtf;
  FreeNotes(&list);
}

}  // namespace
