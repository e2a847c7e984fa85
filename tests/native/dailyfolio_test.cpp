// The daily folio: dates against folios (each row checkable with a calendar
// and the cycle's list), the days whose folio the text lacks, and the date
// arithmetic under it.
#include <gtest/gtest.h>

#include <string>

#include "store/dailyfolio.h"
#include "store/folios.h"
#include "store/tractates.h"

namespace {

std::string Show(CivilDate d) {
  return std::to_string(d.Year) + "-" + std::to_string(d.Month) + "-" + std::to_string(d.Day);
}

TEST(DailyFolio, DatesGiveTheFoliosOfTheCycle) {
  // tractate: its number (1..38), 0 for a stretch this text lacks, -1 before
  // the cycles.
  const struct { CivilDate date; int32_t tractate, folio; } rows[] = {
      {{1975, 6, 23}, -1, 0},   // the day before the first supported cycle
      {{1975, 6, 24}, 1, 2},    // its first day
      {{1976, 2, 29}, 3, 33},   // a leap day: 250 days on, 63 + 156 of tractates 1 and 2
      {{1976, 9, 8}, 4, 121},   // the first cycle's stretch that the text lacks, and both sides
      {{1976, 9, 9}, 0, 2},
      {{1976, 9, 29}, 0, 22},
      {{1976, 9, 30}, 6, 2},
      {{2020, 1, 4}, 38, 73},   // the last day of a cycle
      {{2020, 1, 5}, 1, 2},     // the current cycle's first day
      {{2020, 2, 29}, 1, 57},
      {{2020, 3, 7}, 1, 64},
      {{2020, 3, 8}, 2, 2},
      {{2021, 3, 22}, 4, 121},  // the 21 days the text lacks
      {{2021, 3, 23}, 0, 2},
      {{2021, 4, 12}, 0, 22},
      {{2021, 4, 13}, 6, 2},
      {{2021, 10, 10}, 8, 40},  // tractate 5 comes after 8
      {{2021, 10, 11}, 5, 2},
      {{2021, 11, 13}, 5, 35},
      {{2021, 11, 14}, 9, 2},
      {{2024, 2, 29}, 20, 119},  // a leap day that ends a tractate
      {{2024, 3, 1}, 21, 2},
      {{2027, 3, 12}, 35, 22},   // from 35 to 36 over the 3 days the text lacks
      {{2027, 3, 13}, 0, 23},
      {{2027, 3, 15}, 0, 25},
      {{2027, 3, 16}, 36, 26},   // not 25b, where its text begins
      {{2027, 3, 23}, 36, 33},
      {{2027, 3, 24}, 37, 34},
      {{2027, 6, 7}, 38, 73},    // the last day of the current cycle
      {{2027, 6, 8}, 1, 2},
      {{2060, 1, 1}, 15, 27},    // decades ahead
      {{2100, 2, 28}, 28, 85},   // 2100 has no leap day
      {{2100, 3, 1}, 28, 86},
  };
  for (const auto& row : rows) {
    const DailyFolio f = DailyFolioOn(row.date);
    const std::string what = Show(row.date);
    const int32_t kind = row.tractate < 0 ? BeforeTheCycles : row.tractate == 0 ? NotInThisText : InThisText;
    EXPECT_EQ(f.Kind, kind) << what;
    EXPECT_EQ(f.Folio, row.folio) << what;
    if (kind != InThisText) {
      EXPECT_EQ(f.Record, 0) << what;
      continue;
    }
    EXPECT_EQ(f.Tractate, row.tractate - 1) << what;
    // The record is the folio's first side, as the tractate table places it.
    int32_t tractate = -1, sideCode = 0;
    ASSERT_TRUE(LocateArticle(ArticleOfRecord(f.Record), &tractate, &sideCode)) << what;
    EXPECT_EQ(f.Record % 2, 1) << what;
    EXPECT_EQ(tractate, row.tractate - 1) << what;
    EXPECT_EQ(sideCode, 2 * row.folio) << what;
  }
  EXPECT_EQ(DailyFolioOn({2020, 1, 5}).Record, 1);
  EXPECT_EQ(DailyFolioOn({2027, 3, 16}).Record, RecordOfArticle(5192)) << "the side after 25b, article 5191";
}

TEST(DailyFolio, TheNextDateInTheTextFollowsEachStretchItLacks) {
  const struct { CivilDate from, next; } rows[] = {
      {{2021, 3, 22}, {2021, 4, 13}},  // a day the text holds, before the stretch
      {{2021, 3, 23}, {2021, 4, 13}},
      {{2021, 4, 12}, {2021, 4, 13}},
      {{2027, 3, 12}, {2027, 3, 16}},
      {{2027, 3, 15}, {2027, 3, 16}},
      {{2027, 6, 7}, {2027, 6, 8}},   // over the start of a cycle
      {{1970, 1, 1}, {1975, 6, 24}},  // before the cycles: their first day
  };
  for (const auto& row : rows) {
    CivilDate next{};
    ASSERT_TRUE(NextDateInThisText(row.from, &next)) << Show(row.from);
    EXPECT_EQ(Show(next), Show(row.next)) << Show(row.from);
  }
}

TEST(DailyFolio, DayNumbersFollowTheCalendar) {
  EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
  EXPECT_EQ(DayNumber({2020, 1, 5}) - DayNumber(FirstCycleDate), 6 * CycleDays);
  EXPECT_EQ(Weekday(FirstCycleDate), 2) << "a Tuesday";
  EXPECT_EQ(Weekday({2020, 1, 5}), 0) << "a Sunday";
  EXPECT_EQ(Weekday({1969, 12, 31}), 3) << "a Wednesday";
  // Every month's length from 1600 to 2400, and every day there back from its number.
  for (int32_t y = 1600; y < 2400; ++y) {
    const bool leap = y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    const int32_t lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int32_t m = 1; m <= 12; ++m) {
      const CivilDate next = m < 12 ? CivilDate{y, m + 1, 1} : CivilDate{y + 1, 1, 1};
      ASSERT_EQ(DayNumber(next) - DayNumber({y, m, 1}), lengths[m - 1]) << y << "-" << m;
    }
  }
  for (int32_t n = DayNumber({1600, 1, 1}); n < DayNumber({2400, 1, 1}); ++n) ASSERT_EQ(DayNumber(DateOfDay(n)), n);
}

}  // namespace
