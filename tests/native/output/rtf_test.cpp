// The copy text and RTF of Copy and Append: paragraph lists through the copy
// text into the body, a selection's copy, whole documents fresh and appended,
// and the copy-text size and a selection's copy over every record of the
// corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/rtf.h"
#include "store/selection.h"
#include "tools/corpus/corpus.h"

namespace {

using Units = std::u16string;

struct Para {
  unsigned char Style, Param;
  std::string Bytes;
};

std::vector<unsigned char> List(const std::vector<Para>& paras) {
  std::vector<unsigned char> t;
  for (const Para& p : paras) {
    t.push_back(p.Style);
    t.push_back(p.Param);
    t.insert(t.end(), p.Bytes.begin(), p.Bytes.end());
    t.push_back(0);
  }
  t.insert(t.end(), 3, 0);
  return t;
}

Units CopyText(const std::vector<unsigned char>& list) {
  std::vector<DisplayChar> out(CopyTextUnits(list.data()) + 64, 0x7777);
  size_t n = BuildCopyText(list.data(), out.data());
  EXPECT_LE(n + 1, CopyTextUnits(list.data()));
  EXPECT_EQ(out[n], 0);
  return Units(out.data(), n);
}

std::string Body(const Units& copy) {
  size_t n = RtfBody(copy.c_str(), nullptr);
  std::string out(n + 1, '#');
  EXPECT_EQ(RtfBody(copy.c_str(), out.data()), n);
  EXPECT_EQ(out[n], '\0');
  out.resize(n);
  return out;
}

std::string Document(const std::string& old, const std::string& body) {
  size_t n = RtfDocument(old.data(), old.size(), body.data(), body.size(), nullptr);
  std::string out(n, '#');
  EXPECT_EQ(RtfDocument(old.data(), old.size(), body.data(), body.size(), out.data()), n);
  EXPECT_EQ(out.back(), '\0');
  out.pop_back();
  return out;
}

const std::string Break = "\\par\\par\r\n";
// What a fresh document starts with, and what joins appended pieces.
const std::string Header =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset177\\cpg1255 David;}}{\\colortbl\\red0\\green0\\blue0;"
    "\\red255\\green255\\blue255;\\red255\\green0\\blue0;}\\rtldoc\\pard\\rtlpar\\qr\\lang1033\\f0\\fs20\\uc0\r\n";
const std::string Separator = "\\qc\\cf2\\fs72\\b*  *  *  *  *\\b0\\par\\par\\qr\\fs20\\cf0\r\n";

TEST(Rtf, ParagraphsThroughCopyTextIntoTheBody) {
  struct Case {
    std::vector<Para> Text;
    int32_t Base;
    uint32_t Flags;
    Units Copy;
    std::string Body;
  };
  const Case cases[] = {
      {{{0xD1, 0, "ab"}}, 1488, 0, u"\u05D0\u05D1\r\n\r\n", "\\u1488\\u1489" + Break + Break},
      {{{0xD1, 0, "ab"}}, 1488, Reverse, u"\u05D1\u05D0\r\n\r\n", "\\u1489\\u1488" + Break + Break},
      {{{0x01, 0, "a   b"}}, 1488, 0, u"\u05D0   \u05D1\r\n", "\\u1488    \\u1489" + Break + Break},
      {{{0x01, 0, "a b"}}, 1488, 0, u"\u05D0 \u05D1\r\n", "\\u1488  \\u1489" + Break + Break},
      {{{0x01, 0, "a5"}, {0x01, 0, "5a"}}, 1488, 0, u"\u05D05\r\n5\u05D0\r\n",
       "\\u1488 5" + Break + "5\\u1488" + Break + Break},
      {{{0x01, 0, "~"}}, 1488, 0, u"{\r\n", "\\u123" + Break + Break},
      {{{0x01, 0, "~(\\"}}, 1488, Reverse, u"\\)}\r\n", "\\u92)\\u125" + Break + Break},
      {{{0x01, 2, "ab"}}, 97, Reverse, u"ab  \r\n", "ab  " + Break + Break},
      {{{0x01, 0, "ab"}}, 224, Reverse, u"\u00E0\u00E1\r\n", "\\u224\\u225" + Break + Break},  // nothing reorders 224
      {{{0x87, 30, "ignored"}, {0x07, 170, ""}, {0x07, 0, ""}}, 1488, 0,
       Units(30, u'-') + u"\r\n\r\n" + Units(20, u'-') + u"\r\n\r\n",
       std::string(30, '-') + Break + std::string(20, '-') + Break + Break},
      {{}, 1488, 0, u"", Break},
  };
  for (const Case& c : cases) {
    AppSettings.FontSettings.FontAsciiBase = c.Base;
    AppSettings.Flags = c.Flags;
    const Units copy = CopyText(List(c.Text));
    EXPECT_EQ(copy, c.Copy) << c.Body;
    EXPECT_EQ(Body(copy), c.Body);
  }
}

// The copy of a selection in reading order, letters as themselves, "|" for
// each CR LF; a piece that ends inside its paragraph without its line end.
Units SelectionCopy(const std::vector<unsigned char>& text, TextSelection sel) {
  const size_t size = ExtractSelectionInto(text.data(), sel, nullptr);
  std::vector<unsigned char> list(size ? size : 3, 0);
  bool inside = false;
  if (size) ExtractSelectionInto(text.data(), sel, list.data(), &inside);
  std::vector<DisplayChar> out(CopyTextUnits(list.data()));
  Units copy;
  for (size_t i = 0, n = BuildCopyText(list.data(), out.data(), RunOrder::Reading, inside); i < n; ++i)
    if (out[i] != '\n') copy += out[i] == '\r' ? u'|' : out[i];
  return copy;
}

TEST(Rtf, SelectionCopiedInReadingOrder) {
  AppSettings.FontSettings.FontAsciiBase = 97;
  // Stored as the records store them: the header, a main-text paragraph, a
  // punctuation paragraph in stored order, a rule, an empty paragraph, a
  // commentary heading (padded by two spaces) and its comment with the
  // marker byte. Read: "abc", "de 12:3 (fg hi)", "-", "jk", "lm \x14no".
  const auto text = List({{0xD1, 0, "cba"}, {0xB1, 0, "(ih gf) 12:3 ed"}, {0x82, 0, "-"}, {0x87, 30, ""},
                          {0x81, 0, ""}, {0x51, 2, "kj"}, {0xB2, 0, "on\x14 ml"}});
  const Units all = u"abc||de 12:3 (fg hi)||-||jk  |lm no||";
  EXPECT_EQ(SelectAllOf(text.data()).Anchor, 5);
  EXPECT_EQ(SelectAllOf(text.data()).Focus, 41);
  EXPECT_EQ(SelectionCopy(text, SelectAllOf(text.data())), all);
  const struct {
    uint16_t Anchor, Focus;
    Units Copy;
  } cases[] = {
      {21, 23, u"de"},                           // dragged back to the line's start: no line end
      {23, 18, u"de 12:3"},                      // a boundary inside a number takes all of it
      {17, 8, u"12:3 (fg hi)||"},                //   at either end
      {12, 15, u"(fg"},                          // a bracket mirrored into reading order
      {3, 37, u"c||de 12:3 (fg hi)||-||j"},      // across paragraphs, a rule and an empty one
      {38, 36, u"jk  |"},                        // the padding comes with the paragraph's end
      {23, 26, u"de 12:3 (fg hi)||"},            // stored order: its start is read first
      {23, 27, u"de 12:3 (fg hi)||-||"},
      {41, 47, u"lm no||"},                      // no marker, no doubled space
      {43, 44, u""},                             // the marker alone
      {0, 1, u""}, {1, 0xFFFF, all}, {48, 60000, u""}, {5, 5, u""},  // damaged offsets
  };
  for (const auto& c : cases) EXPECT_EQ(SelectionCopy(text, {c.Anchor, c.Focus}), c.Copy) << c.Anchor << "-" << c.Focus;
  int32_t lo = 0, hi = 0;
  EXPECT_TRUE(SelectedInParagraph(text.data(), {23, 18}, 8, &lo, &hi));
  EXPECT_EQ(lo * 100 + hi, 1623);
  for (int32_t at : {9, 30, 60000}) EXPECT_FALSE(SelectedInParagraph(text.data(), {1, 0xFFFF}, at, &lo, &hi)) << at;
}

TEST(Rtf, UnitsOfTheCopyTextInTheBody) {
  const std::pair<Units, std::string> cases[] = {
      {u"\uFB2C", "\\u1513\\u1468\\u1473"},
      {u"\uFB2A\uFB30\uFB4B", "\\u1513\\u1473\\u1488\\u1468\\u1493\\u1465"},
      {u"\uFB1D\uFB2E\uFB4C\uFB37", "\\u64285\\u64302\\u64332\\u64311"},
      {u"\u0014", "\\u20"},
      {u"x\r\r\n\n\ry", "x" + Break + "y"},
      {u"\uFB49" u"7 \u007F}", "\\u1513\\u1468 7 \\u127\\u125"},
      // Spaces after a literal character are text: as many as there are.
      {u"\u05D0, \u05D1.  5: (\u05D2) ~", "\\u1488, \\u1489.  5: (\\u1490) ~"},
      {Units{0xD835, 0xDC00}, "\\u55349\\u56320"},
  };
  for (const auto& [copy, body] : cases) EXPECT_EQ(Body(copy), body + Break);
}

TEST(Rtf, DocumentsFreshAndAppended) {
  const std::string body = "\\u1488" + Break + Break;
  const std::string fresh = Document("", body);
  EXPECT_EQ(fresh, Header + body + "}\r\n");
  // Appending onto a document of this kind keeps one header and one pair of
  // outer braces.
  const std::string two = Document(fresh, body);
  EXPECT_EQ(two, Header + body + Separator + body + "}\r\n");
  EXPECT_EQ(std::count(two.begin(), two.end(), '{'), std::count(two.begin(), two.end(), '}'));
  EXPECT_EQ(Document("{\\rtf1 x}} \t\r\n", body), "{\\rtf1 x}" + Separator + body + "}\r\n");
  EXPECT_EQ(Document("{\\rtf1 x", body), "{\\rtf1 x" + Separator + body + "}\r\n");
  // Anything that is no RTF document starts a fresh one.
  for (const std::string& old : {std::string(), std::string("plain text}"), std::string("\x01\xFF{\\rt", 6)})
    EXPECT_EQ(Document(old, body), fresh);
  EXPECT_EQ(RtfDocument("{\\rtf1}", 7, "", SIZE_MAX - 8, nullptr), 0u) << "a size beyond size_t";
}

TEST(Rtf, CopyTextFitsItsBufferForEveryRecord) {
  AppSettings.FontSettings.FontAsciiBase = 1488;
  AppSettings.Flags = Reverse;
  std::vector<unsigned char> text;
  for (int32_t n = 1; n <= 10716; ++n) {
    ASSERT_TRUE(GenerateText(n, text));
    text.push_back(0);
    const size_t units = CopyTextUnits(text.data());
    std::vector<DisplayChar> out(units);
    const size_t written = BuildCopyText(text.data(), out.data());
    ASSERT_LT(written, units) << "record " << n;
    const Units copy(out.data(), written);
    ASSERT_EQ(std::count_if(copy.begin(), copy.end(), [](char16_t u) { return u < 0x20 && u != '\r' && u != '\n'; }), 0)
        << "the whole text's copy holds no control character either: " << n;
    ASSERT_EQ(Body(copy).substr(RtfBody(copy.c_str(), nullptr) - 2 * Break.size()), Break + Break) << n;
    // Any selection's copy is a piece of the whole text's, which holds no
    // control character and no doubled space.
    const Units whole = SelectionCopy(text, SelectAllOf(text.data()));
    ASSERT_EQ(std::count_if(whole.begin(), whole.end(), [](char16_t u) { return u < 0x20; }), 0) << n;
    ASSERT_EQ(whole.find(u"  "), Units::npos) << n;
    const TextSelection some{static_cast<uint16_t>(n * 7919 % text.size()),
                             static_cast<uint16_t>(n * 104729 % (text.size() + 9))};
    Units part = SelectionCopy(text, some);
    while (!part.empty() && part.back() == u'|') part.pop_back();
    ASSERT_NE(whole.find(part), Units::npos) << n << ": " << some.Anchor << "-" << some.Focus;
  }
}

}  // namespace
