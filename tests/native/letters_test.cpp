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

// The one decision of the order, for every mapping, Reverse on and off and
// every kind of caller, and what the conversion then gives: reading order
// only for the Unicode letters under Reverse, whatever order a Name has.
TEST_F(Conversion, OneDecisionForEveryMappingAndCaller) {
  struct Row {
    int32_t base;
    bool reverse;
    TextUse use;
    RunOrder order;
    bool rightToLeft;
    const char16_t* converted;  // of "(a)b": display order, or reading order
  } rows[] = {
      {AsciiBaseLatin, false, TextUse::Drawn, RunOrder::Display, false, u"(a)b"},
      {AsciiBaseLatin, true, TextUse::Drawn, RunOrder::Display, false, u"(a)b"},
      {AsciiBaseLatin, true, TextUse::Control, RunOrder::Display, false, u"(a)b"},
      {AsciiBaseLatin, false, TextUse::Name, RunOrder::Reading, true, u"(a)b"},
      {AsciiBaseCodePage, false, TextUse::Drawn, RunOrder::Display, false, u"(\u00E0)\u00E1"},
      {AsciiBaseCodePage, true, TextUse::Drawn, RunOrder::Display, false, u"(\u00E0)\u00E1"},
      {AsciiBaseCodePage, true, TextUse::Control, RunOrder::Display, false, u"(\u00E0)\u00E1"},
      {AsciiBaseCodePage, true, TextUse::Name, RunOrder::Reading, true, u"(\u00E0)\u00E1"},
      {AsciiBaseUnicode, false, TextUse::Drawn, RunOrder::Display, false, u"(\u05D0)\u05D1"},
      {AsciiBaseUnicode, false, TextUse::Control, RunOrder::Display, false, u"(\u05D0)\u05D1"},
      {AsciiBaseUnicode, false, TextUse::Name, RunOrder::Reading, true, u"(\u05D0)\u05D1"},
      {AsciiBaseUnicode, true, TextUse::Drawn, RunOrder::Reading, true, u"\u05D1(\u05D0)"},
      {AsciiBaseUnicode, true, TextUse::Control, RunOrder::Reading, true, u"\u05D1(\u05D0)"},
      {AsciiBaseUnicode, true, TextUse::Name, RunOrder::Reading, true, u"\u05D1(\u05D0)"},
  };
  for (const Row& r : rows) {
    const uint32_t flags = DefaultFlags | (r.reverse ? Reverse : 0);
    const TextForm form = FormFor(r.use, flags, r.base);
    EXPECT_EQ(form.Order, r.order) << r.base << " " << r.reverse << " " << int(r.use);
    EXPECT_EQ(form.RightToLeft, r.rightToLeft) << r.base << " " << r.reverse << " " << int(r.use);
    AppSettings.FontSettings.FontAsciiBase = r.base;
    AppSettings.Flags = flags;
    // A name is built in reading order already; the others convert stored text.
    if (r.use != TextUse::Name) {
      EXPECT_EQ(Convert("(a)b", 4), U16(r.converted)) << r.base << " " << r.reverse;
    }
    EXPECT_EQ(AppSettings.Flags, flags) << "the setting is read, never changed";
  }
  // An order given overrides the settings: measuring and export ask for theirs.
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
  AppSettings.Flags = Reverse;
  const unsigned char* ab = reinterpret_cast<const unsigned char*>("ab");
  EXPECT_EQ(U16(ToDisplayText(ab, &ConversionBuffer, 2, RunOrder::Display)), U16(u"\u05D0\u05D1"));
  AppSettings.Flags = 0;
  EXPECT_EQ(U16(ToDisplayText(ab, &ConversionBuffer, 2, RunOrder::Reading)), U16(u"\u05D1\u05D0"));
  AppSettings.Flags = Reverse;
  EXPECT_EQ(Convert("ab\0zz", 5), U16(u"\u05D1\u05D0")) << "only what was converted is turned round";
  EXPECT_EQ(Convert("ab[~", 4), U16(u"}]\u05D1\u05D0"));
}

// Reading order as a right-to-left line gives it back: reversed and
// mirrored, numbers kept whole. Every row also goes back unchanged.
TEST(ReadingOrder, NumbersKeepTheirDigitsAndEverythingElseTurnsRound) {
  struct Row {
    const char16_t* display;
    const char16_t* reading;
  } rows[] = {
      {u"", u""},
      {u".\u05D0\u05D1", u"\u05D1\u05D0."},
      {u"(\u05D0) [\u05D1]", u"[\u05D1] (\u05D0)"},
      {u":12 \u05D0", u"\u05D0 12:"},
      {u"12 34", u"34 12"},
      {u"\u05D0 3.5 \u05D1", u"\u05D1 3.5 \u05D0"},
      {u"1,000-2", u"1,000-2"},
      {u"1..2", u"1..2"},  // one number from digit to digit, so that turning twice gives it back
      {u":1.9%", u"1.9%:"},
      {u"9%.1:", u":9%.1"},
      {u".1 2.", u".2 1."},
      {u"50% (7)", u"(7) 50%"},
      {u"#5$", u"#5$"},
      {u"\"\u05D0\" 2:3,", u",2:3 \"\u05D0\""},
      {u"{a}", u"{a}"},
  };
  for (const Row& r : rows) {
    U16 s(r.display);
    ToReadingOrder(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_EQ(s, U16(r.reading)) << std::string(s.begin(), s.end());
    ToReadingOrder(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_EQ(s, U16(r.display)) << "its own inverse";
  }
}

// Which names a menu or a list gets between embedding marks: those whose
// first letter is a Hebrew one; the marks come off again whole.
TEST(ReadingOrder, NamesThatStartRightToLeft) {
  EXPECT_TRUE(StartsRightToLeft(u"12 \u05D1\u05E8 a"));
  EXPECT_FALSE(StartsRightToLeft(u"(my \u05D1\u05E8"));
  EXPECT_FALSE(StartsRightToLeft(u"\u00E9\u05D0"));
  EXPECT_FALSE(StartsRightToLeft(u"12 ."));
  EXPECT_FALSE(StartsRightToLeft(nullptr));
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
