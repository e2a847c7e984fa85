#include "store/dailyfolio.h"

#include "store/folios.h"
#include "store/tractates.h"

namespace {

// One stretch of the cycle: folios FirstFolio..LastFolio of a tractate, one a
// day.
struct CycleStretch {
  int8_t Tractate;  // TractateTable index; -1: a tractate this text does not hold
  uint8_t FirstFolio;
  uint8_t LastFolio;
};

// In cycle order. The fifth stretch and the one before the last three are of
// tractates this text does not hold; index 4 comes after index 7, and index
// 35 is read from folio 26 although its text begins at 25b.
constexpr CycleStretch CycleStretches[] = {
    {0, 2, 64},   {1, 2, 157},  {2, 2, 105},  {3, 2, 121},  {-1, 2, 22},  {5, 2, 88},   {6, 2, 56},
    {7, 2, 40},   {4, 2, 35},   {8, 2, 31},   {9, 2, 32},   {10, 2, 29},  {11, 2, 27},  {12, 2, 122},
    {13, 2, 112}, {14, 2, 91},  {15, 2, 66},  {16, 2, 49},  {17, 2, 90},  {18, 2, 82},  {19, 2, 119},
    {20, 2, 119}, {21, 2, 176}, {22, 2, 113}, {23, 2, 24},  {24, 2, 49},  {25, 2, 76},  {26, 2, 14},
    {27, 2, 120}, {28, 2, 110}, {29, 2, 142}, {30, 2, 61},  {31, 2, 34},  {32, 2, 34},  {33, 2, 28},
    {34, 2, 22},  {-1, 23, 25}, {35, 26, 33}, {36, 34, 37}, {37, 2, 73},
};

constexpr int32_t DaysOfStretches() {
  int32_t days = 0;
  for (const CycleStretch& s : CycleStretches) days += s.LastFolio - s.FirstFolio + 1;
  return days;
}
static_assert(DaysOfStretches() == CycleDays, "the stretches fill the cycle");

int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The main-text record of the first side of folio f of tractate t, or 0 when
// the table's pages of t do not include it.
int32_t RecordOfFolio(int32_t t, int32_t folio) {
  int32_t before = 0;
  for (int32_t i = 0; i < t; ++i) before += TractateTable[i].SideCount;
  const TractateEntry& e = TractateTable[t];
  const int32_t side = 2 * folio - e.FirstSideOffset - 1;  // 1 for the tractate's first page
  if (side < 1 || side > e.SideCount) return 0;
  return RecordOfArticle(before + side);
}

}  // namespace

int32_t DayNumber(CivilDate date) {
  // Years counted from March, so that a leap day ends its year.
  const int32_t y = date.Year - (date.Month <= 2 ? 1 : 0);
  const int32_t era = FloorDiv(y, 400);
  const int32_t yearOfEra = y - era * 400;
  const int32_t dayOfYear = (153 * (date.Month + (date.Month > 2 ? -3 : 9)) + 2) / 5 + date.Day - 1;
  const int32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate DateOfDay(int32_t day) {
  const int32_t z = day + 719468;
  const int32_t era = FloorDiv(z, 146097);
  const int32_t dayOfEra = z - era * 146097;
  const int32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int32_t m = (5 * dayOfYear + 2) / 153;  // 0 for March
  const int32_t month = m < 10 ? m + 3 : m - 9;
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, dayOfYear - (153 * m + 2) / 5 + 1};
}

int32_t Weekday(CivilDate date) {
  // 1 January 1970 was a Thursday.
  const int32_t w = (DayNumber(date) + 4) % 7;
  return w < 0 ? w + 7 : w;
}

DailyFolio DailyFolioOn(CivilDate date) {
  int32_t day = DayNumber(date) - DayNumber(FirstCycleDate);
  if (day < 0) return {BeforeTheCycles, -1, 0, 0};
  day %= CycleDays;
  for (const CycleStretch& s : CycleStretches) {
    const int32_t length = s.LastFolio - s.FirstFolio + 1;
    if (day >= length) {
      day -= length;
      continue;
    }
    const int32_t folio = s.FirstFolio + day;
    const int32_t record = s.Tractate < 0 ? 0 : RecordOfFolio(s.Tractate, folio);
    return {record ? InThisText : NotInThisText, s.Tractate, folio, record};
  }
  return {NotInThisText, -1, 0, 0};  // not reached: the stretches fill the cycle
}

bool NextDateInThisText(CivilDate date, CivilDate* next) {
  int32_t day = DayNumber(date);
  const int32_t first = DayNumber(FirstCycleDate);
  if (day < first) day = first - 1;
  for (int32_t i = 0; i < CycleDays; ++i) {
    *next = DateOfDay(++day);
    if (DailyFolioOn(*next).Kind == InThisText) return true;
  }
  return false;
}
