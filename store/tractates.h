// The tractates: names, sizes and first pages. One table serves the corpus
// generator (page headers) and the Choose Daf dialog.
//
// Names are LetterCode in display order (the reverse of reading order), at
// most 9 units, as every visual-order string is stored.
#pragma once
#include <cstdint>

#include "store/appsettings.h"

struct TractateEntry {
  const DisplayChar* Name;   // null in the terminating entry
  uint16_t SideCount;        // articles (page sides) of the tractate
  uint8_t FirstSideOffset;   // first page side has SideCode FirstSideOffset + 2
};

constexpr int TractateCount = 38;
constexpr int ArticleCount = 5358;

// 38 entries and a terminating entry with a null name.
extern const TractateEntry TractateTable[TractateCount + 1];

// Hebrew numeral digits as LetterCode bytes; index 0 (a space) is no letter.
constexpr char HundredsDigits[] = " x";
constexpr char TensDigits[] = " jlmoqrsuw";
constexpr char UnitsDigits[] = " abcdefghi";
constexpr char SideLetters[] = "ab";
// Display-order suffix of a side item: a space and the side word.
#define SIDE_SUFFIX DISPLAY_TEXT(" dfos")

// Where article a (1..5358) lies: its tractate index (0..37) and SideCode
// (2 x folio + side). Returns false for an article outside the table.
bool LocateArticle(int32_t article, int32_t* tractate, int32_t* sideCode);
