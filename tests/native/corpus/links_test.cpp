// The comment linker over the whole generated corpus against what the
// generator knows each heading quotes, and over a table of the hard cases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/links.h"
#include "tools/corpus/corpus.h"

namespace {
TEST(Links, WholeCorpusAgainstTheGeneratorsTruth) {
  std::vector<unsigned char> main, previous, commentary;
  std::vector<HeadingTruth> truth;
  std::vector<CommentLink> links(256);
  int headings = 0, linked = 0, onPrevious = 0, unambiguous = 0, missed = 0, wrong = 0;
  int32_t article = 0;
  for (int t = 0; t < TractateCount; ++t) {
    for (int side = 0; side < BuiltInTractates[t].SideCount; ++side) {
      ++article;
      previous.swap(main);
      GenerateArticle(article, main, commentary, &truth);
      const int32_t n = LinkComments(main.data(), side ? previous.data() : nullptr, commentary.data(), links.data(),
                                     int32_t(links.size()));
      ASSERT_EQ(n, int32_t(truth.size())) << "article " << article;
      for (int32_t h = 0; h < n; ++h) {
        const CommentLink& l = links[h];
        const HeadingTruth& q = truth[h];
        const std::string where = "article " + std::to_string(article) + " heading " + std::to_string(h + 1);
        ++headings;
        linked += l.Side != LinkNone;
        onPrevious += l.Side == LinkPreviousSide;
        unambiguous += q.Side != QuotesNothing && !q.Ambiguous;
        if (l.Side == LinkNone) {
          if (q.Side != QuotesNothing && !q.Ambiguous && ++missed <= 20)
            ADD_FAILURE() << where << ": not linked, quotes " << q.QuoteStart << ".." << q.QuoteEnd;
          continue;
        }
        // Right: the same side and at least half of the quoted words, with
        // less of other words than of them.
        const int overlap = std::min(l.QuoteEnd, q.QuoteEnd) - std::max(l.QuoteStart, q.QuoteStart);
        const int outside = (l.QuoteEnd - l.QuoteStart) - std::max(overlap, 0);
        if (l.Side != q.Side || overlap * 2 < q.QuoteEnd - q.QuoteStart || outside >= overlap) {
          ++wrong;
          ADD_FAILURE() << where << ": linked to " << int(l.Side) << " " << l.QuoteStart << ".." << l.QuoteEnd
                        << ", quotes " << int(q.Side) << " " << q.QuoteStart << ".." << q.QuoteEnd
                        << (q.Ambiguous ? " (ambiguous)" : "");
        }
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(missed, 0);
  std::printf("headings %d, linked %d (%.1f %%), on the previous side %d, unambiguous %d (%.1f %%)\n", headings,
              linked, 100.0 * linked / headings, onPrevious, unambiguous, 100.0 * unambiguous / headings);
}

}  // namespace
