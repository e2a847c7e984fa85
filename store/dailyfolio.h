// The daily folio: one folio a day, every day, through a fixed list of
// tractates in its own order, and again from the top when the list ends.
// Every cycle since 24 June 1975 has lasted 2,711 days; earlier dates have
// no folio here. Platform-free: the caller gives the date (the user's local
// date, so that the folio changes at local midnight).
//
// The tractates' names and pages come from TractateTable, so a corpus built
// from a user's own texts is counted with its own table.
#pragma once
#include <cstdint>

struct CivilDate {
  int32_t Year;
  int32_t Month;  // 1..12
  int32_t Day;    // 1..31
};

constexpr CivilDate FirstCycleDate = {1975, 6, 24};
constexpr int32_t CycleDays = 2711;

// Days since 1 January 1970 (negative before it), in the Gregorian calendar
// throughout, and back.
int32_t DayNumber(CivilDate date);
CivilDate DateOfDay(int32_t day);
// 0 for Sunday .. 6 for Saturday.
int32_t Weekday(CivilDate date);

enum DailyFolioKind : int32_t {
  BeforeTheCycles,  // before 24 June 1975
  NotInThisText,    // the folio of a tractate this text does not hold
  InThisText,
};

struct DailyFolio {
  int32_t Kind;
  int32_t Tractate;  // TractateTable index; -1 unless the stretch has one
  int32_t Folio;     // 0 before the cycles
  int32_t Record;    // main-text record of the folio's first side; 0 unless InThisText
};

DailyFolio DailyFolioOn(CivilDate date);

// The first date after date whose folio this text holds (the first day of
// the cycles for a date before them); false when no day of a whole cycle has
// one.
bool NextDateInThisText(CivilDate date, CivilDate* next);
