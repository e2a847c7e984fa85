// The tractates: names, sizes and first pages. One table serves the corpus
// tools (page headers) and the Choose Daf dialog.
//
// Names are LetterCode in display order (the reverse of reading order), as
// every visual-order string is stored. The sizes are fixed; the names and the
// side word come from the corpus the program carries (resource
// CorpusNamesId), so a corpus built from a user's own texts brings its own.
// The built-in names, those of the generated corpus, stand in when the
// resource is missing or unusable, and in the platform-free build.
//
// Owns: the table with the corpus's names, read once at first use.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/appsettings.h"

struct TractateEntry {
  const DisplayChar* Name;   // null in the terminating entry
  uint16_t SideCount;        // articles (page sides) of the tractate
  uint8_t FirstSideOffset;   // first page side has SideCode FirstSideOffset + 2
};

constexpr int TractateCount = 38;
constexpr int ArticleCount = 5358;

// The built-in table and side suffix: 38 entries and a terminating entry with
// a null name.
extern const TractateEntry BuiltInTractates[TractateCount + 1];
extern const DisplayChar BuiltInSideSuffix[];

// The table with the names of the embedded corpus, and the display-order
// suffix of a side item (a space and the side word). Both stay valid for the
// whole run.
const TractateEntry* CorpusTractates();
const DisplayChar* CorpusSideSuffix();

// TractateTable[t] and `const TractateEntry* p = TractateTable` read the
// corpus's table.
struct TractateTableView {
  const TractateEntry& operator[](std::ptrdiff_t i) const { return CorpusTractates()[i]; }
  operator const TractateEntry*() const { return CorpusTractates(); }
};
inline constexpr TractateTableView TractateTable{};
#define SIDE_SUFFIX (CorpusSideSuffix())

// Hebrew numeral digits as LetterCode bytes; index 0 (a space) is no letter.
constexpr char HundredsDigits[] = " x";
constexpr char TensDigits[] = " jlmoqrsuw";
constexpr char UnitsDigits[] = " abcdefghi";
constexpr char SideLetters[] = "ab";

// A folio number in Hebrew numerals: LetterCode digits in reading order and
// a terminating 0 written to out (at most 4 digits); returns their count.
// 15 and 16 are written 9 + 6 and 9 + 7.
int32_t FolioNumeralLetters(int32_t folio, char out[5]);

// Where article a (1..5358) lies: its tractate index (0..37) and SideCode
// (2 x folio + side). Returns false for an article outside the table.
bool LocateArticle(int32_t article, int32_t* tractate, int32_t* sideCode);

// The names resource (RT_RCDATA CorpusNamesId): the 38 tractate names and
// then the side word, each a 0-terminated LetterCode string in display order,
// and nothing after the last. A name holds 1..MaxTractateNameBytes bytes, the
// side word 1..MaxSideWordBytes; both only letters, spaces, ' " and -.
constexpr int32_t CorpusNamesId = 999;
constexpr int MaxTractateNameBytes = 24;
constexpr int MaxSideWordBytes = 8;

struct CorpusNameSet {
  DisplayChar Names[TractateCount][MaxTractateNameBytes + 1];
  DisplayChar SideSuffix[MaxSideWordBytes + 2];  // a space, the word, 0
};

// Reads a names resource; false (out left in any state) when it breaks the
// rules.
bool ParseCorpusNames(const unsigned char* bytes, size_t size, CorpusNameSet* out);

// Where the names resource lives: the Windows build finds it in the record
// module; the platform-free build has none and returns false.
bool FindCorpusNames(const unsigned char** bytes, size_t* size);
