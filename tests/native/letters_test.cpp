// Display conversion of LetterCode: mapping, reversal with bracket mirroring,
// and the shared conversion buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "store/letters.h"

namespace {

using U16 = std::u16string;

class Conversion : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = AppSettings;
    AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
    AppSettings.Flags = DefaultFlags;
  }
  void TearDown() override { AppSettings = saved_; }

  static U16 Convert(const char* bytes, int32_t count) {
    DisplayChar* out = ToDisplayText(reinterpret_cast<const unsigned char*>(bytes), &ConversionBuffer, count);
    return out ? U16(out) : U16(u"<null>");
  }

 private:
  AppSettingsRecord saved_;
};

TEST_F(Conversion, LettersBracesAndOtherBytes) {
  EXPECT_EQ(Convert("a{", 2), U16(u"\u05D0\u05EA")) << "'{' is the 27th letter";
  EXPECT_EQ(Convert("~}", 2), U16(u"{}")) << "'~' is the opening brace, '}' stays";
  EXPECT_EQ(Convert("\x80\xff \x14-9", 6), U16(u"\u0080\u00ff \u0014-9"));
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseCodePage;
  EXPECT_EQ(Convert("ab", 2), U16(u"\u00E0\u00E1"));
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseLatin;
  EXPECT_EQ(Convert("ab", 2), U16(u"ab"));
}

TEST_F(Conversion, CountLimitsAndZeroByteEndsTheRun) {
  EXPECT_EQ(Convert("abc", 0), U16());
  EXPECT_EQ(Convert("abc", 2), U16(u"\u05D0\u05D1"));
  EXPECT_EQ(Convert("ab\0cd", 5), U16(u"\u05D0\u05D1"));
}

// The one decision of the order for each mapping, Reverse and kind of
// caller ('R': reading order, laid out right to left; 'D': display order),
// and what converting "(a)b" then gives.
TEST_F(Conversion, OneDecisionForEveryMappingAndCaller) {
  const struct { int32_t base; bool reverse; const char* drawnControlName; const char16_t* converted; } rows[] = {
      {AsciiBaseLatin, false, "DDR", u"(a)b"},         {AsciiBaseLatin, true, "DDR", u"(a)b"},
      {AsciiBaseCodePage, false, "DDR", u"(\u00E0)\u00E1"}, {AsciiBaseCodePage, true, "DDR", u"(\u00E0)\u00E1"},
      {AsciiBaseUnicode, false, "DDR", u"(\u05D0)\u05D1"},  {AsciiBaseUnicode, true, "RRR", u"\u05D1(\u05D0)"},
  };
  for (const auto& r : rows) {
    AppSettings.FontSettings.FontAsciiBase = r.base;
    AppSettings.Flags = DefaultFlags | (r.reverse ? Reverse : 0);
    for (TextUse use : {TextUse::Drawn, TextUse::Control, TextUse::Name}) {
      const TextForm form = FormFor(use, AppSettings.Flags, r.base);
      const bool reading = r.drawnControlName[int(use)] == 'R';
      EXPECT_EQ(form.Order, reading ? RunOrder::Reading : RunOrder::Display) << r.base << r.reverse << int(use);
      EXPECT_EQ(form.RightToLeft, reading) << r.base << r.reverse << int(use);
    }
    EXPECT_EQ(Convert("(a)b", 4), U16(r.converted)) << r.base << " " << r.reverse;
    EXPECT_EQ(AppSettings.Flags, DefaultFlags | (r.reverse ? Reverse : 0)) << "the setting is read, never changed";
  }
  // An order given overrides the settings: measuring and export ask for theirs.
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
  AppSettings.Flags = Reverse;
  const unsigned char* ab = reinterpret_cast<const unsigned char*>("ab");
  EXPECT_EQ(U16(ToDisplayText(ab, &ConversionBuffer, 2, RunOrder::Display)), U16(u"\u05D0\u05D1"));
  EXPECT_EQ(Convert("ab\0zz", 5), U16(u"\u05D1\u05D0")) << "only what was converted is turned round";
  EXPECT_EQ(Convert("ab[~", 4), U16(u"}]\u05D1\u05D0"));
  AppSettings.Flags = 0;
  EXPECT_EQ(U16(ToDisplayText(ab, &ConversionBuffer, 2, RunOrder::Reading)), U16(u"\u05D1\u05D0"));
}

// Reading order is a right-to-left line's: reversed and mirrored, numbers
// kept whole; turning twice gives the text back.
TEST(ReadingOrder, NumbersKeepTheirDigitsAndEverythingElseTurnsRound) {
  const struct { const char16_t *display, *reading; } rows[] = {
      {u"", u""}, {u".\u05D0\u05D1", u"\u05D1\u05D0."}, {u"(\u05D0) [\u05D1]", u"[\u05D1] (\u05D0)"},
      {u":12 \u05D0", u"\u05D0 12:"}, {u"12 34", u"34 12"}, {u"\u05D0 3.5 \u05D1", u"\u05D1 3.5 \u05D0"},
      {u"1,000-2", u"1,000-2"}, {u"1..2", u"1..2"}, {u":1.9%", u"1.9%:"}, {u"9%.1:", u":9%.1"},
      {u".1 2.", u".2 1."}, {u"50% (7)", u"(7) 50%"}, {u"#5$", u"#5$"}, {u"{a}", u"{a}"},
      {u"\"\u05D0\" 2:3,", u",2:3 \"\u05D0\""},
  };
  for (const auto& r : rows) {
    U16 s(r.display);
    ToReadingOrder(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_EQ(s, U16(r.reading)) << std::string(s.begin(), s.end());
    ToReadingOrder(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_EQ(s, U16(r.display)) << "its own inverse";
  }
}

// Names that start with a Hebrew letter go between embedding marks, which
// come off again whole.
TEST(ReadingOrder, NamesThatStartRightToLeft) {
  EXPECT_TRUE(StartsRightToLeft(u"12 \u05D1\u05E8 a"));
  for (const DisplayChar* s : {u"(my \u05D1\u05E8", u"\u00E9\u05D0", u"12 .", static_cast<const char16_t*>(nullptr)})
    EXPECT_FALSE(StartsRightToLeft(s));
  DisplayChar marked[] = u"\u200F\u202Ba\u202E\u200Eb\u202C";
  EXPECT_EQ(StripDirectionalMarks(marked), 2);
  EXPECT_EQ(U16(marked), U16(u"ab"));
}

TEST_F(Conversion, SharedBufferGrowsButIsNeverReplacedBySmallerRuns) {
  Convert("abcdefgh", 8);
  DisplayChar* first = ConversionBuffer.Units;
  int32_t capacity = ConversionBuffer.Capacity;
  ASSERT_GE(capacity, 8);
  Convert("ab", 2);
  EXPECT_EQ(ConversionBuffer.Units, first) << "a shorter run reuses the buffer";
  std::string longer(capacity + 5, 'a');
  Convert(longer.c_str(), static_cast<int32_t>(longer.size()));
  EXPECT_EQ(ConversionBuffer.Capacity, capacity + 5);
}

TEST_F(Conversion, WithoutBufferRecordTheCallerOwnsTheResult) {
  DisplayChar* out = ToDisplayText(reinterpret_cast<const unsigned char*>("ab"), nullptr, 2);
  ASSERT_NE(out, nullptr);
  EXPECT_NE(out, ConversionBuffer.Units);
  EXPECT_EQ(U16(out), U16(u"\u05D0\u05D1"));
  std::free(out);
}

TEST_F(Conversion, MapLetters16InPlaceWithoutBraceRuleOrReversal) {
  AppSettings.Flags |= Reverse;
  DisplayChar s[] = u"ab~{ ";
  MapLetters16(s, s);
  EXPECT_EQ(U16(s), U16(u"\u05D0\u05D1~\u05EA "));
}

TEST(ReverseMirror, ReversesOnlyTheCountAndLeavesTheTerminator) {
  DisplayChar s[] = u"(x]y{";
  EXPECT_EQ(ReverseMirror(s, 5), 0);
  EXPECT_EQ(U16(s), U16(u"}y[x)"));
  DisplayChar t[] = u"abc";
  EXPECT_EQ(ReverseMirror(t, 2), 0);
  EXPECT_EQ(U16(t), U16(u"bac"));
}

}  // namespace
