// The daily folio: dates against folios, each row checkable with a calendar
// and the cycle's list.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "store/dailyfolio.h"
#include "store/folios.h"
#include "store/tractates.h"

namespace {

std::string Show(CivilDate d) {
  return std::to_string(d.Year) + "-" + std::to_string(d.Month) + "-" + std::to_string(d.Day);
}

TEST(DailyFolio, DatesGiveTheFoliosOfTheCycle) {
  // tractate: its number (1..38), 0 on a day this text lacks, -1 before the
  // cycles; next: the first day after it whose folio the text holds.
  const struct { CivilDate date; int32_t tractate, folio; CivilDate next; } rows[] = {
      {{1975, 6, 23}, -1, 0, {1975, 6, 24}},  // before the first supported cycle
      {{1975, 6, 24}, 1, 2},                  // its first day
      {{2020, 1, 4}, 38, 73},                 // the last day of a cycle
      {{2020, 1, 5}, 1, 2},
      {{2021, 3, 22}, 4, 121},                // the 21 days the text lacks, and both sides
      {{2021, 3, 23}, 0, 2, {2021, 4, 13}},
      {{2021, 4, 12}, 0, 22, {2021, 4, 13}},
      {{2021, 4, 13}, 6, 2},
      {{2021, 10, 11}, 5, 2},                 // tractate 5 comes after 8
      {{2024, 2, 29}, 20, 119},               // a leap day that ends a tractate
      {{2024, 3, 1}, 21, 2},
      {{2027, 3, 12}, 35, 22},                // from 35 to 36 over the 3 days the text lacks
      {{2027, 3, 13}, 0, 23, {2027, 3, 16}},
      {{2027, 3, 15}, 0, 25, {2027, 3, 16}},
      {{2027, 3, 16}, 36, 26},                // not 25b, where its text begins
      {{2060, 1, 1}, 15, 27},                 // decades ahead
      {{2100, 2, 28}, 28, 85},                // 2100 has no leap day
      {{2100, 3, 1}, 28, 86},
  };
  for (const auto& row : rows) {
    const DailyFolio f = DailyFolioOn(row.date);
    const std::string what = Show(row.date);
    EXPECT_EQ(f.Kind, row.tractate < 0 ? BeforeTheCycles : row.tractate == 0 ? NotInThisText : InThisText) << what;
    EXPECT_EQ(f.Folio, row.folio) << what;
    if (row.tractate <= 0) {
      EXPECT_EQ(f.Record, 0) << what;
    } else {  // the record is the folio's side a, as the tractate table places it
      int32_t tractate = -1, sideCode = 0;
      ASSERT_TRUE(LocateArticle(ArticleOfRecord(f.Record), &tractate, &sideCode)) << what;
      EXPECT_EQ(std::make_pair(tractate, sideCode), std::make_pair(row.tractate - 1, 2 * row.folio)) << what;
    }
    CivilDate next{};
    if (row.next.Year) {
      ASSERT_TRUE(NextDateInThisText(row.date, &next)) << what;
      EXPECT_EQ(Show(next), Show(row.next)) << what;
    }
  }
  // The day numbers under it, each date back from its own.
  for (int32_t n = DayNumber({1600, 1, 1}); n < DayNumber({2400, 1, 1}); ++n) ASSERT_EQ(DayNumber(DateOfDay(n)), n);
}

}  // namespace
