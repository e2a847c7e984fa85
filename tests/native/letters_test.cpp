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

TEST_F(Conversion, ReverseMirrorsBracketsExceptForLatinMapping) {
  AppSettings.Flags |= Reverse;
  EXPECT_EQ(Convert("(a)", 3), U16(u"(\u05D0)")) << "reversed and mirrored, still opens and closes";
  EXPECT_EQ(Convert("ab[~", 4), U16(u"}]\u05D1\u05D0"));
  EXPECT_EQ(Convert("", 0), U16());
  // A count beyond the string reverses only what was converted.
  EXPECT_EQ(Convert("ab\0zz", 5), U16(u"\u05D1\u05D0"));
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseCodePage;
  EXPECT_EQ(Convert("ab", 2), U16(u"\u00E1\u00E0"));
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseLatin;
  EXPECT_EQ(Convert("(ab", 3), U16(u"(ab")) << "the Latin mapping is never reversed";
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
