// The comment linker over the whole generated corpus against what the
// generator knows each heading quotes, and over a table of the hard cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "store/links.h"
#include "tools/corpus/corpus.h"

namespace {
// The words of a paragraph as a reader compares them: letters without vav and
// yod, final forms as the ordinary ones; a word cut short or initials keep
// their mark (written as a last byte), and "and so on" marks are left out.
std::vector<std::string> Skeletons(const std::string& text, bool* marked = nullptr) {
  std::vector<std::string> words(1);
  for (size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ' ';
    if ((c >= 0x61 && c <= 0x7B) || c == '\'' || c == '"') words.back() += c;
    if ((c < 0x61 || c > 0x7B) && c != '\'' && c != '"' && !words.back().empty()) words.emplace_back();
  }
  std::vector<std::string> out;
  for (const std::string& w : words) {
    if (w.empty() || w == "flf'" || w == "fcf'") continue;
    std::string s;
    for (char c : w) {
      if (c == 'f' || c == 'j' || c == '\'' || c == '"') continue;
      s += c == 'k' ? 'l' : c == 'n' ? 'o' : c == 'p' ? 'q' : c == 't' ? 'u' : c == 'v' ? 'w' : c;
    }
    if (w.find_first_of("'\"") != std::string::npos) s += '\'';
    if (marked) *marked |= s.back() == '\'';
    out.push_back(s);
  }
  return out;
}

TEST(Links, WholeCorpusAgainstTheGeneratorsTruth) {
  std::vector<unsigned char> main, previous, commentary;
  std::vector<HeadingTruth> truth;
  std::vector<CommentLink> links(256);
  std::vector<CorpusParagraph> mainList, notes;
  // The shape of the headings: words, at most five, with a mark, with "and so on", once in the main text.
  int words = 0, short5 = 0, marked = 0, anyMark = 0, etCetera = 0, once = 0;
  int headings = 0, linked = 0, onPrevious = 0, unambiguous = 0, nothing = 0, missed = 0, clear = 0, wrong = 0;
  int shapes[ShapeKinds][3] = {};  // headings, linked, wrong of each shape
  int32_t article = 0;
  for (int t = 0; t < TractateCount; ++t) {
    for (int side = 0; side < BuiltInTractates[t].SideCount; ++side) {
      ++article;
      previous.swap(main);
      GenerateArticle(article, main, commentary, &truth);
      const int32_t n = LinkComments(main.data(), side ? previous.data() : nullptr, commentary.data(), links.data(),
                                     int32_t(links.size()));
      ASSERT_EQ(n, int32_t(truth.size())) << "article " << article;
      ASSERT_TRUE(SplitParagraphs(main, mainList) && SplitParagraphs(commentary, notes));
      for (const CorpusParagraph& p : notes) {
        if (p.Style != CorpusHeading) continue;
        bool mark = false;
        const std::vector<std::string> w = Skeletons(p.Text, &mark);
        words += int(w.size()), short5 += w.size() <= 5, marked += mark;
        const bool more = p.Text.find(" flf'") != std::string::npos || p.Text.find(" fcf'") != std::string::npos;
        etCetera += more, anyMark += mark || more;
        int found = 0;
        for (size_t m = 1; m < mainList.size() && !w.empty(); ++m) {
          const std::vector<std::string> t = Skeletons(mainList[m].Text);
          for (size_t i = 0; i + w.size() <= t.size(); ++i) found += std::equal(w.begin(), w.end(), t.begin() + i);
        }
        once += found == 1;
      }
      for (int32_t h = 0; h < n; ++h) {
        const CommentLink& l = links[h];
        const HeadingTruth& q = truth[h];
        const std::string where = "article " + std::to_string(article) + " heading " + std::to_string(h + 1);
        ++headings;
        ++shapes[q.Shape][0];
        shapes[q.Shape][1] += l.Side != LinkNone;
        linked += l.Side != LinkNone;
        onPrevious += l.Side == LinkPreviousSide;
        unambiguous += q.Side != QuotesNothing && !q.Ambiguous;
        nothing += q.Side == QuotesNothing;
        if (l.Side == LinkNone) {
          missed += q.Side != QuotesNothing;
          if (q.Side != QuotesNothing && !q.Ambiguous && ++clear <= 10)
            std::printf("%s: not linked, quotes %d..%d\n", where.c_str(), q.QuoteStart, q.QuoteEnd);
          continue;
        }
        // Right: the same side and at least half of the quoted words, with
        // less of other words than of them.
        const int overlap = std::min(l.QuoteEnd, q.QuoteEnd) - std::max(l.QuoteStart, q.QuoteStart);
        const int outside = (l.QuoteEnd - l.QuoteStart) - std::max(overlap, 0);
        if (l.Side != q.Side || overlap * 2 < q.QuoteEnd - q.QuoteStart || outside >= overlap) {
          ++wrong;
          ++shapes[q.Shape][2];
          std::printf("%s: linked to %d %d..%d, quotes %d %d..%d%s\n", where.c_str(), int(l.Side), l.QuoteStart,
                      l.QuoteEnd, int(q.Side), q.QuoteStart, q.QuoteEnd, q.Ambiguous ? " (ambiguous)" : "");
        }
      }
    }
  }
  // A real commentary's goal: nine in ten linked, at most one in a hundred wrong.
  EXPECT_GE(linked * 10, headings * 9);
  EXPECT_LE(wrong * 100, headings);
  std::printf("wrong %d (%.2f %%), not linked though quoting %d (%d of them at one place as written)\n", wrong,
              100.0 * wrong / headings, missed, clear);
  for (int k = 0; k < ShapeKinds; ++k)
    std::printf("shape %d: %d headings (%.2f %%), %d linked, %d wrong\n", k, shapes[k][0],
                100.0 * shapes[k][0] / headings, shapes[k][1], shapes[k][2]);
  std::printf("headings %d, linked %d (%.1f %%), on the previous side %d, unambiguous %d (%.1f %%), quoting nothing %d\n",
              headings, linked, 100.0 * linked / headings, onPrevious, unambiguous, 100.0 * unambiguous / headings,
              nothing);
  std::printf("headings: %.2f words, %.1f %% of at most 5, %.1f %% with a geresh, gershayim or apostrophe (%.1f %% "
              "besides \"and so on\"), %.1f %% \"and so on\", %.1f %% once in the main text letter for letter\n",
              double(words) / headings, 100.0 * short5 / headings, 100.0 * anyMark / headings, 100.0 * marked / headings,
              100.0 * etCetera / headings, 100.0 * once / headings);
}

// Hebrew letters (UTF-8) to the letter code; other bytes as they are.
std::string Code(const char* utf8) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
    if (*p == 0xD7 && p[1] >= 0x90 && p[1] <= 0xAA) out += char(0x61 + (*++p - 0x90));
    else out += char(*p);
  }
  return out;
}

// Main-text paragraphs (split at '|') as a record after a page header.
std::vector<unsigned char> MainRecord(const char* text) {
  std::vector<CorpusParagraph> list{{CorpusPageHeader, "x"}};
  for (const char *p = text, *bar; p; p = bar ? bar + 1 : nullptr) {
    bar = std::strchr(p, '|');
    list.push_back({CorpusMainText, Code(bar ? std::string(p, bar).c_str() : p)});
  }
  std::vector<unsigned char> out;
  AssembleParagraphs(list, out);
  return out;
}

// Where the record holds words (reading order, the last time, or the n-th
// when they begin with digit n): stored [start, end).
std::pair<int, int> Stored(const char* text, const char* words) {
  const bool nth = words[0] >= '1' && words[0] <= '9';
  const std::string t = Code(text), w = Code(words + nth);
  size_t at = nth ? t.find(w) : t.rfind(w);
  for (int n = nth ? words[0] - '1' : 0; n > 0 && at != std::string::npos; --n) at = t.find(w, at + 1);
  if (at == std::string::npos) return {-1, -1};
  // Their paragraph [from, to) of t, stored turned round after the header "x",
  // the paragraphs before (their bytes and three more each) and its two bytes.
  const size_t from = t.rfind('|', at) == std::string::npos ? 0 : t.rfind('|', at) + 1;
  const size_t to = std::min(t.find('|', at), t.size());
  const size_t base = 6 + from + 2 * size_t(std::count(t.begin(), t.begin() + from, '|'));
  return {int(base + to - at - w.size()), int(base + to - at)};
}

TEST(Links, HardCases) {
  struct Row {
    const char* Previous;  // the previous side's main text, or null
    const char* Main;
    const char* Headings[5];
    const char* Quoted[5];  // "-": no link; "<": on the previous side
  } rows[] = {
      // Initials, a word cut short, vav and yod, "and so on".
      {nullptr, "אמר רבי יוחנן משום רבי שמעון בן יוחי: מאימתי קורין את שמע בערבין משעה שהכהנים נכנסים לאכול בתרומתן.",
       {"א\"ר יוחנן.", "שמעון בן יחי", "מאימתי קורין וכו'", "משעה שהכהני' ניכנסים"},
       {"אמר רבי יוחנן", "שמעון בן יוחי", "מאימתי קורין", "משעה שהכהנים נכנסים"}},
      // A short heading that stands several times with nothing to tell; the
      // same words twice: the place after the previous heading's; a heading
      // that quotes nothing.
      {nullptr, "הבית הזה שלי הוא והשדה שלך הוא, אמר לו: הבית הזה שלך הוא.",
       {"שלי", "הוא", "אמר לו", "הבית הזה", "גמרא"}, {"שלי", "-", "אמר לו", "הבית הזה", "-"}},
      // The top of a side quoting the end of the previous one; a reference's
      // numbers passed over.
      {"ולא עוד אלא שהיו מקריבין עולות.", "תנו רבנן (ויקרא ב') כתיב ויקריבו עולות ושלמים.",
       {"שהיו מקריבין", "תנו רבנן כתיב", "ויקריבו עולות וגו'"}, {"<שהיו מקריבין", "תנו רבנן (ויקרא ב') כתיב", "ויקריבו עולות"}},
      // Three headings at the top on the previous side's end.
      {"ולא עוד אלא שהיו מקריבין עולות.", "תנו רבנן כתיב ויקריבו.", {"ולא עוד", "אלא שהיו", "מקריבין עולות", "תנו רבנן"},
       {"<ולא עוד", "<אלא שהיו", "<מקריבין עולות", "תנו רבנן"}},
      // Starting where the heading before starts, and repeating it.
      {nullptr, "תנו רבנן שלשה דברים אמר שמואל בשם רבי חייא.", {"תנו רבנן שלשה", "תנו רבנן", "תנו רבנן", "שמואל בשם"},
       {"תנו רבנן שלשה", "תנו רבנן", "תנו רבנן", "שמואל בשם"}},
      // The other plural ending; a prefix letter dropped.
      {nullptr, "מאימתי קורין את שמע בערבין משעה הכהנים נכנסים לאכול.", {"קורים", "כהנים"}, {"קורין", "הכהנים"}},
      // A word left out, a word added; the tie of vowel letters by the spelling.
      {nullptr, "אמר רבי יוחנן משום רבי שמעון בן יוחי אמר רב זירא.", {"אמר יוחנן משום", "רבי שמעון הגדול בן יוחי", "רב זירא"},
       {"אמר רבי יוחנן משום", "רבי שמעון בן יוחי", "רב זירא"}},
      // Out of the text's order where the words stand once.
      {nullptr, "ראובן מכר שדה לשמעון ושמעון מכר בית ללוי ולוי נתן מתנה ליהודה.",
       {"ושמעון מכר בית", "ראובן מכר שדה", "ולוי נתן מתנה"}, {"ושמעון מכר בית", "ראובן מכר שדה", "ולוי נתן מתנה"}},
      // A quote across a paragraph break: its words in the first paragraph.
      {nullptr, "אמר רבי יוחנן משום רבי שמעון|בן יוחי מאימתי קורין.", {"משום רבי שמעון בן יוחי"}, {"משום רבי שמעון"}},
      // Initials alone: the nearest pair after the heading before; a tie: the nearest place after it.
      {nullptr, "הלכה כרבי מאיר ועוד אמר כהן דבר ושוב הלכה כרבי מאיר ואמר כהן שני הלכה כרבי מאיר.",
       {"א\"כ", "ועוד", "א\"כ", "ושוב", "הלכה כרבי"}, {"-", "ועוד", "1אמר כהן", "ושוב", "2הלכה כרבי"}},
  };
  for (const Row& row : rows) {
    std::vector<CorpusParagraph> notes{{CorpusPageHeader, "x"}};
    for (const char* h : row.Headings) {
      if (h) notes.push_back({CorpusHeading, Code(h)}), notes.push_back({CorpusComment, Code("פירוש")});
    }
    std::vector<unsigned char> commentary, previous = row.Previous ? MainRecord(row.Previous) : std::vector<unsigned char>();
    AssembleParagraphs(notes, commentary);
    CommentLink links[5];
    const int32_t n = LinkComments(MainRecord(row.Main).data(), row.Previous ? previous.data() : nullptr, commentary.data(), links, 5);
    for (int32_t h = 0; h < n; ++h) {
      const char* quoted = row.Quoted[h];
      const bool before = quoted[0] == '<';
      const std::pair<int, int> expected = std::strcmp(quoted, "-") == 0 ? std::make_pair(0, 0)
                                           : Stored(before ? row.Previous : row.Main, quoted + before);
      EXPECT_EQ(std::make_pair(int(links[h].QuoteStart), int(links[h].QuoteEnd)), expected) << row.Headings[h];
      EXPECT_EQ(links[h].Side, expected.second ? before ? LinkPreviousSide : LinkThisSide : LinkNone) << row.Headings[h];
    }
    EXPECT_EQ(n, int32_t(notes.size() / 2));
  }
}

}  // namespace
