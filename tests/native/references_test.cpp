// References typed in the box or found in the commentary, against the
// generated corpus's names, and the decoding of link arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/letters.h"
#include "store/places.h"
#include "store/references.h"

namespace {

// Article 454 is folio 10a of the third tractate.
constexpr int32_t Here = 454;
constexpr auto Box = ReferenceMode::Lenient;
constexpr auto Cite = ReferenceMode::Citation;

struct Row {
  const char16_t* Text;
  ReferenceMode Mode;
  int32_t Current;
  ReferenceCode Code;
  int32_t Tractate;  // expected tractate (-1: none), and for ReferenceFound the
  int32_t SideCode;  // side; for ReferenceAmbiguous the second candidate
};

// The name Copy with Source writes in parentheses, and a bookmark's default
// name, read back: every page of the corpus, wherever the reader stands.
TEST(References, ReadsBackThePlacesNamesOfEveryPage) {
  for (int32_t article = 1; article <= ArticleCount; ++article) {
    DisplayChar name[MaxBookmarkNameUnits + 1], source[MaxBookmarkNameUnits + 3] = {'('};
    PlaceName(2 * article - 1, name);
    CopySourceName(2 * article - 1, true, source + 1);
    std::u16string copied(reinterpret_cast<const char16_t*>(source));
    copied += u')';
    const std::u16string named(reinterpret_cast<const char16_t*>(name));
    for (const std::u16string& text : {named, copied}) {
      const int32_t current = article % 2 ? 1 : ArticleCount;
      ASSERT_EQ(ReadReference(reinterpret_cast<const DisplayChar*>(text.data()), int32_t(text.size()), current).Article,
                article) << "article " << article;
    }
  }
}

// Hebrew letters to the stored letter code, in reading order.
std::string Code(const std::u16string& text) {
  std::string s;
  for (char16_t c : text) s += c >= 0x05D0 && c <= 0x05EA ? char('a' + (c - 0x05D0)) : char(c);
  return s;
}

TEST(References, ReadsEveryForm) {
  const Row rows[] = {
      {u"עקמחרג כד.", Box, 0, ReferenceFound, 2, 48},
      {u"עקמחרג כד:", Box, 0, ReferenceFound, 2, 49},
      {u"עקמחרג דף כ\"ד ע\"ב", Box, 0, ReferenceFound, 2, 49},
      {u"במסכת עקמחרג ד' כד עמוד ב", Box, 0, ReferenceFound, 2, 49},
      {u"עקמחרג 24b", Box, 0, ReferenceFound, 2, 49},
      {u"עקמחרג ט״ז ב", Box, 0, ReferenceFound, 2, 33},
      {u"עקמחרג יו", Box, 0, ReferenceNotUnderstood, -1, 0},
      {u"עקמ 3", Box, 0, ReferenceFound, 2, 6},
      {u"\u05E2\u05B8\u05E7\u05D5\u05BCמחרג ג", Box, 0, ReferenceFound, 2, 6},
      {u"ב״ק כז.", Box, 0, ReferenceFound, 1, 54},
      {u"בב\"ק כז", Box, 0, ReferenceFound, 1, 54},
      {u"בק כז", Box, 0, ReferenceFound, 1, 54},
      {u"ביר קמלה קנז:", Box, 0, ReferenceFound, 1, 315},
      {u"בירקמלה קנז", Box, 0, ReferenceFound, 1, 314},
      {u"ביר קמלה קנח", Box, 0, ReferenceOutOfRange, 1, 316},
      {u"תגצת כה", Box, 0, ReferenceOutOfRange, 35, 50},
      {u"תגצת כה:", Box, 0, ReferenceFound, 35, 51},
      {u"רדלו לג", Box, 0, ReferenceOutOfRange, 9, 66},
      {u"נדג ה", Box, 0, ReferenceAmbiguous, 31, 0},
      {u"כהין", Box, 0, ReferenceFound, 5, 4},
      {u"בחמה ת", Box, 0, ReferenceFound, 11, 4},
      {u"גנירים ג", Box, 0, ReferenceUnknownTractate, -1, 0},
      {u"כד:", Box, Here, ReferenceFound, 2, 49},
      {u"לקמן דף מח:", Box, Here, ReferenceFound, 2, 97},
      {u"עמוד ב", Box, Here, ReferenceFound, 2, 21},
      {u"פ\"ד דף נד.", Box, Here, ReferenceFound, 2, 108},
      {u"(עקמחרג כד עמוד א פירוש)", Box, Here, ReferenceFound, 2, 48},
      {u"ב", Box, Here, ReferenceFound, 2, 4},
      {u"כד:", Box, 0, ReferenceNoCurrentPage, -1, 0},
      {u"", Box, Here, ReferenceEmpty, -1, 0},
      {u"לעיל", Box, Here, ReferenceNotUnderstood, -1, 0},
      {u".:,", Box, Here, ReferenceNotUnderstood, -1, 0},
      {u"\xD800כד", Box, Here, ReferenceNotUnderstood, -1, 0},
      {u"\x01", Box, Here, ReferenceNotUnderstood, -1, 0},
      {u"שמות לד", Cite, Here, ReferenceUnknownTractate, -1, 0},
      {u"שם", Cite, Here, ReferenceNotUnderstood, -1, 0},
      {u"כב", Cite, Here, ReferenceNotUnderstood, -1, 0},
      {u"עקמ דף ג", Cite, Here, ReferenceUnknownTractate, -1, 0},
      {u"עקמחרג לד", Cite, Here, ReferenceFound, 2, 68},
      {u"ב\"ק כז", Cite, Here, ReferenceNotUnderstood, -1, 0},
      {u"בק דף כז", Cite, Here, ReferenceUnknownTractate, -1, 0},
      {u"דף לז ע\"ב", Cite, Here, ReferenceFound, 2, 75},
      {u"כד ב", Cite, Here, ReferenceNotUnderstood, -1, 0},
      {u"דף כד ב", Cite, Here, ReferenceFound, 2, 49},
      {u"ד' ב", Cite, Here, ReferenceFound, 2, 4},
      {u"דף ד' ע\"ב", Cite, Here, ReferenceFound, 2, 9},
      {u"כהין", Cite, Here, ReferenceNoFolio, -1, 0},
      {u"פרק ג' דף לו.", Cite, Here, ReferenceFound, 2, 72},
      {u"בפ\"ק דף ה.", Cite, Here, ReferenceFound, 2, 10},
      {u"במס' כהין דף ה:", Cite, Here, ReferenceFound, 5, 11},
      {u"דף כד סע\"א", Cite, Here, ReferenceFound, 2, 48},
      {u"ועיין לקמן ריש דף מח:", Cite, Here, ReferenceFound, 2, 97},
      {u"ולעיל פ\"ב סוף דף ג.", Cite, Here, ReferenceFound, 2, 6},
      {u"עי' שמות לד", Cite, Here, ReferenceUnknownTractate, -1, 0},
      {u"בסכוז רקד ה:", Cite, Here, ReferenceFound, 20, 11},
      {u"ס\"ר ה:", Cite, Here, ReferenceFound, 20, 11},
      {u"סכוזרקד ה:", Cite, Here, ReferenceUnknownTractate, -1, 0},
  };
  for (const Row& row : rows) {
    const std::u16string text = row.Text;
    const ReferenceResult r = ReadReference(reinterpret_cast<const DisplayChar*>(text.data()), int32_t(text.size()),
                                            row.Current, row.Mode);
    SCOPED_TRACE(Code(text));
    EXPECT_EQ(r.Code, row.Code);
    if (row.Code == ReferenceAmbiguous) {
      ASSERT_EQ(r.CandidateCount, 2);
      EXPECT_EQ(r.Candidates[1], row.Tractate);
      continue;
    }
    if (row.Tractate >= 0) {
      EXPECT_EQ(r.Tractate, row.Tractate);
    }
    if (row.SideCode) {
      EXPECT_EQ(r.SideCode, row.SideCode);
    }
    int32_t tractate = -1, side = 0;
    EXPECT_EQ(LocateArticle(r.Article, &tractate, &side), row.Code == ReferenceFound);
    if (row.Code == ReferenceFound) {
      EXPECT_EQ(tractate * 1000 + side, row.Tractate * 1000 + row.SideCode);
    }
  }
  // The Latin display letters of the search edit, where the font maps them.
  for (const std::u16string latin : {u"sxohyc ld:", u"sxohyc 24b", u"(sxohyc ld sofd b)"}) {
    const ReferenceResult r = ReadReference(reinterpret_cast<const DisplayChar*>(latin.data()), int32_t(latin.size()),
                                            0, Box, AsciiBaseLatin);
    EXPECT_EQ(r.Tractate * 1000 + r.SideCode, 2049) << Code(latin);
  }
  const std::u16string tooLong(10000, u'\u05D1');
  EXPECT_EQ(ReadReference(reinterpret_cast<const DisplayChar*>(tooLong.data()), 10000, Here).Code, ReferenceTooLong);
}

TEST(References, FindsTheCitationsOfAParagraph) {
  struct Case {
    const char16_t* Text;
    std::vector<int32_t> Cited;  // tractate x 1000 + side code, in order
    int32_t Plain;               // written as citations, citing no page
  } cases[] = {
      {u"כמו שאמרו (דף כ.) וכן (כ\"א:) ו(דף 21)", {2040, 2043, 2042}, 0},
      {u"כדאמרינן במסכת כהין (ד' י.) ובמסכת רקבה צסים (דף ג:) ובמס' גניר (דף ה.)", {5020, 12007, 23010}, 0},
      {u"כהין (דף י.) ב\"ק (דף יא.) בס\"ר בפ' אלו נערות (דף צ':)", {2020, 2022, 20181}, 0},
      {u"במסכת סוטה בפ' אלו נערות (דף כ.) ובב\"ק (ויקרא כב)", {}, 1},
      {u"ובמסכת כהין אמרו (דף כ:) ובב\"ק בחמה תסתג עוד (דף כ.) בבב\"ק (דף ב.)", {2004}, 2},
      {u"במסכת סוטה (דף כ.) ובמסכת כהין (ויקרא כב) מסכת בחמה תסתג (פ\"ד דף ח.)", {11016}, 1},
      {u"(שמות לד) (שם) (ויקרא כב ב) (דף) (דף כד ב (דף ה.)", {2010}, 0},
      {u"(לקמן דף מח:) ו(עמוד ב) (במסכת אתקח כרטו דף קפ:) (תגצת כה)", {2097, 2021}, 1},
  };
  for (const Case& c : cases) {
    const std::string reading = Code(c.Text);
    SCOPED_TRACE(reading);
    std::string display = reading;
    TurnParagraph(reinterpret_cast<unsigned char*>(display.data()), int32_t(display.size()));
    Citation found[8], shown[8];
    const int32_t n = FindCitations(reinterpret_cast<const unsigned char*>(reading.data()), int32_t(reading.size()),
                                   false, Here, found, 8);
    ASSERT_EQ(n, int32_t(c.Cited.size()));
    ASSERT_EQ(FindCitations(reinterpret_cast<const unsigned char*>(display.data()), int32_t(display.size()), true,
                            Here, shown, 8), n);
    EXPECT_EQ(FindAllCitations(reinterpret_cast<const unsigned char*>(reading.data()), int32_t(reading.size()), false,
                               Here, nullptr, nullptr, 0), n + c.Plain);
    for (int32_t i = 0; i < n; ++i) {
      int32_t tractate = -1, side = 0;
      ASSERT_TRUE(LocateArticle(found[i].Article, &tractate, &side));
      EXPECT_EQ(tractate * 1000 + side, c.Cited[size_t(i)]);
      EXPECT_EQ(reading[size_t(found[i].Start)], '(');
      EXPECT_EQ(reading[size_t(found[i].End - 1)], ')');
      // The same parenthesis, as the stored display order has it.
      std::string back = display.substr(size_t(shown[i].Start), size_t(shown[i].End - shown[i].Start));
      TurnParagraph(reinterpret_cast<unsigned char*>(back.data()), int32_t(back.size()));
      EXPECT_EQ(back, reading.substr(size_t(found[i].Start), size_t(found[i].End - found[i].Start)));
    }
  }
}

TEST(References, DecodesLinkArguments) {
  struct Case {
    const char16_t* In;
    int32_t Capacity;
    LinkArgumentCode Code;
    const char16_t* Out;
  } cases[] = {
      {u"orvane:%D7%9B%3A", 64, LinkArgumentDecoded, u"כ:"},
      {u"ORVANE://%d7%9b%20%D7%93/", 64, LinkArgumentDecoded, u"כ ד"},
      {u"Orvane:כד.", 64, LinkArgumentDecoded, u"כד."},
      {u"כד/", 64, LinkArgumentDecoded, u"כד"},
      {u"orvane:%F0%9F%98%80x", 64, LinkArgumentDecoded, u"\U0001F600x"},
      {u"orvane:%D7", 64, LinkArgumentBadUtf8, u""},
      {u"orvane:%D7x", 64, LinkArgumentBadUtf8, u""},
      {u"orvane:%C0%80", 64, LinkArgumentBadUtf8, u""},
      {u"orvane:%ED%A0%80", 64, LinkArgumentBadUtf8, u""},
      {u"orvane:%9B", 64, LinkArgumentBadUtf8, u""},
      {u"orvane:%ZZ", 64, LinkArgumentBadEscape, u""},
      {u"orvane:%4", 64, LinkArgumentBadEscape, u""},
      {u"orvane:%D7%9", 64, LinkArgumentBadEscape, u""},
      {u"orvane:abcd", 4, LinkArgumentTooLong, u""},
      {u"orvane:abc", 4, LinkArgumentDecoded, u"abc"},
  };
  for (const Case& c : cases) {
    const std::u16string in = c.In;
    SCOPED_TRACE(std::string(in.begin(), in.end()));
    DisplayChar out[64];
    int32_t written = -1;
    EXPECT_EQ(DecodeLinkArgument(reinterpret_cast<const DisplayChar*>(in.data()), int32_t(in.size()), out, c.Capacity,
                                 &written), c.Code);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(out)), c.Out);
    EXPECT_EQ(written, int32_t(std::u16string(c.Out).size()));
  }
}

}  // namespace
