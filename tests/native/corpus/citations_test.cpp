// The citation finder over the whole generated commentary against what the
// generator wrote each citation for.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "store/letters.h"
#include "store/references.h"
#include "tools/corpus/citations.h"

namespace {

TEST(Citations, WholeCorpusAgainstTheGeneratorsTruth) {
  std::vector<unsigned char> main, commentary;
  std::vector<CitationTruth> truth;
  std::vector<Citation> found(256);
  int written[CiteShapeCount] = {}, right[CiteShapeCount] = {};
  int citing = 0, all = 0, resolved = 0, wrong = 0, books = 0, booksResolved = 0, plainResolved = 0, shown = 0;
  for (int32_t article = 1; article <= ArticleCount; ++article) {
    GenerateArticle(article, main, commentary, nullptr, &truth);
    const int32_t n = FindRecordCitations(commentary.data(), article, found.data(), int32_t(found.size()));
    ASSERT_GE(n, 0);
    ASSERT_LE(n, int32_t(found.size()));
    all += n;
    // Where each paragraph's text lies in the record: the truth's reading-order
    // parenthesis as the record stores it.
    std::vector<std::pair<int32_t, int32_t>> texts;  // start, length
    for (size_t at = 0; commentary[at]; ) {
      size_t end = at + 2;
      while (commentary[end]) ++end;
      texts.push_back({int32_t(at + 2), int32_t(end - at - 2)});
      at = end + 1;
    }
    std::map<std::pair<int32_t, int32_t>, const CitationTruth*> byPlace;
    for (const CitationTruth& t : truth) {
      const auto [start, length] = texts[t.Paragraph];
      byPlace[{start + length - t.End, start + length - t.Start}] = &t;
      ++written[t.Shape];
      citing += t.Article > 0;
      books += t.Shape == CiteBook || t.Shape == CiteThere;
    }
    for (int32_t i = 0; i < n; ++i) {
      const Citation& c = found[size_t(i)];
      const auto it = byPlace.find({c.Start, c.End});
      const CitationTruth* t = it == byPlace.end() ? nullptr : it->second;
      if (t && t->Article == c.Article) {
        ++resolved, ++right[t->Shape];
        continue;
      }
      ++wrong;
      booksResolved += t && (t->Shape == CiteBook || t->Shape == CiteThere);
      plainResolved += !t;
      std::string text(commentary.begin() + c.Start, commentary.begin() + c.End);
      TurnParagraph(reinterpret_cast<unsigned char*>(text.data()), int32_t(text.size()));
      if (++shown <= 50)
        std::printf("wrong: article %d %s -> article %d (truth %d)\n", article, text.c_str(), c.Article,
                    t ? t->Article : -1);
    }
  }
  for (int s = 0; s < CiteShapeCount; ++s) std::printf("shape %d: %d written, %d resolved\n", s, written[s], right[s]);
  std::printf("%d citing a page, %d found, %d resolved (%.2f %%), %d wrong; %d book references, %d resolved; %d "
              "other parentheses resolved\n", citing, all, resolved, 100.0 * resolved / citing, wrong, books,
              booksResolved, plainResolved);
  EXPECT_GE(resolved * 100, citing * 95);
  EXPECT_LE(wrong * 200, citing);
  EXPECT_EQ(booksResolved + plainResolved, 0);
  // Every shape is written, and the book references as a real commentary has them.
  for (int s = 0; s < CiteShapeCount; ++s) EXPECT_GT(written[s], 20) << "shape " << s;
}

}  // namespace
