// The tractate table: sizes and the mapping from article to page side.
#include <gtest/gtest.h>

#include "store/tractates.h"

namespace {

TEST(TractateTable, AddsUpToTheWholeCorpus) {
  int total = 0;
  int entries = 0;
  for (const TractateEntry* t = TractateTable; t->Name; ++t, ++entries) {
    total += t->SideCount;
    int units = 0;
    for (const DisplayChar* p = t->Name; *p; ++p, ++units) {
      EXPECT_TRUE((*p >= 'a' && *p <= '{') || *p == ' ') << "tractate " << entries << " holds a non-letter";
    }
    EXPECT_GE(units, 1);
    EXPECT_LE(units, 9) << "tractate " << entries;
  }
  EXPECT_EQ(entries, TractateCount);
  EXPECT_EQ(total, ArticleCount);
}

TEST(TractateTable, LocatesFirstAndLastPages) {
  int32_t t = -1, side = -1;
  ASSERT_TRUE(LocateArticle(1, &t, &side));
  EXPECT_EQ(t, 0);
  EXPECT_EQ(side, 4) << "2a";
  ASSERT_TRUE(LocateArticle(ArticleCount, &t, &side));
  EXPECT_EQ(t, 37);
  EXPECT_EQ(side, 146) << "73a";
  ASSERT_TRUE(LocateArticle(5191, &t, &side));
  EXPECT_EQ(t, 35);
  EXPECT_EQ(side, 51) << "25b, the first page of tractate 36";
  EXPECT_FALSE(LocateArticle(0, &t, &side));
  EXPECT_FALSE(LocateArticle(ArticleCount + 1, &t, &side));
}

}  // namespace
