// References: a page side named in writing, read against the corpus's own
// tractate names; the citations of such pages in a commentary paragraph; and
// the argument of an orvane: link. Pure logic, no platform.
//
// A reference is [tractate] [folio] [side], in reading order:
//   - tractate: a name of the corpus's table (there is no fixed list), with
//     or without "מסכת"/"במסכת" before it or the prefix ב, the vowel letters
//     ו and י written or left out, final letters as the ordinary ones; a
//     name of two or more words also by its initials ("ב"ק", "ב״ק", "בק",
//     "בב"ק"); in the lenient mode also a unique prefix of two letters or
//     more. A name that several tractates answer to is never guessed.
//   - folio: a Hebrew numeral (geresh, gershayim, ' or " optional; 15 and 16
//     as טו and טז) or Arabic digits, after an optional "דף" or "ד'".
//   - side: "." or ":" after the folio, "ע"א"/"ע"ב" (with or without the
//     mark), the side word and א/ב ("עמוד ב"), a lone א/ב after the folio,
//     or Latin a/b right after digits ("20b"). No side: side a.
//   - relative forms: no tractate, or "לעיל"/"לקמן" before the rest, means
//     the tractate of the page being read; the side word and a side letter
//     alone ("עמוד ב") mean that side of the folio being read; a chapter
//     mark before the folio ("פרק ג'", "פ"ג") is passed over.
//   - also passed over: "עיין"/"עי'" (see) at the start, "ריש"/"סוף" (the
//     start or end of) before the folio; "רע"א", "סע"ב" are side marks.
// The citation mode is stricter: names only whole or by initials (with the
// mark), never by a prefix; every word must belong to the grammar; a folio
// is needed; and the reference must hold "דף"/"ד'", a side mark other than a
// lone א/ב, or a whole tractate name. So book references such as "(שמות לד)"
// or "(שם)" never resolve.
//
// Owns nothing: the tractate table is only read (CorpusTractates); working
// memory is taken and given back within each call.
#pragma once
#include <cstdint>

#include "store/appsettings.h"
#include "store/tractates.h"

// Why a reference does not name a page (ReferenceFound: it does).
enum ReferenceCode : uint8_t {
  ReferenceFound = 0,
  ReferenceEmpty,            // nothing but spaces, marks and punctuation
  ReferenceNotUnderstood,    // a word or sign that belongs to no reference
  ReferenceUnknownTractate,  // words that name no tractate of the corpus
  ReferenceAmbiguous,        // several tractates answer: Candidates
  ReferenceNoFolio,          // citation mode: a tractate without a folio
  ReferenceOutOfRange,       // the tractate lacks that folio or side
  ReferenceNoCurrentPage,    // a relative form and no page being read
  ReferenceTooLong,          // more than MaxReferenceUnits units
};

enum class ReferenceMode : uint8_t {
  Lenient,   // the Go To box and the command line
  Citation,  // the text of a parenthesis in the commentary
};

// Longest text ReadReference reads; a longer one is ReferenceTooLong.
constexpr int32_t MaxReferenceUnits = 200;

struct ReferenceResult {
  ReferenceCode Code;
  int32_t Article;        // ReferenceFound: the page side, 1..ArticleCount; else 0
  int32_t Tractate;       // the tractate named or meant, 0..37; -1: none known
  int32_t SideCode;       // the side asked for, 2 x folio + side; 0: no folio read
  int32_t FirstSideCode;  // with a tractate: its first and last sides (to
  int32_t LastSideCode;   // phrase a range: PlaceName(2 * ArticleOfSide(...) - 1))
  int32_t CandidateCount;              // ReferenceAmbiguous: how many answer,
  uint8_t Candidates[TractateCount];   // their table indexes in table order
};

// Reads count UTF-16 units (no terminator needed). Hebrew letters are those
// of Unicode (U+05D0..U+05EA) or of the code-page form (U+00E0..U+00FA), and
// with letterBase AsciiBaseLatin the Latin display letters 'a'..'{' as the
// search edit takes them (a Latin a or b after digits then reads as א or ב,
// a lone side letter, to the same effect). Points, cantillation and
// directional marks are passed over; geresh and gershayim may be
// U+05F3/U+05F4, ' and ", or the typographic quotes.
// currentArticle is the page being read (1..ArticleCount), 0 for none. In
// the lenient mode the text may also stand in parentheses and end with the
// word for a commentary (as Copy with Source writes a place), a name without
// a folio names the tractate's first side, and a folio past the end of a
// name being typed ("NAME ת") falls back to the name alone.
ReferenceResult ReadReference(const DisplayChar* text, int32_t count, int32_t currentArticle,
                              ReferenceMode mode = ReferenceMode::Lenient, int32_t letterBase = AsciiBaseUnicode);

// The article of a tractate's side (2 x folio + side); 0 when the tractate
// has no such side.
int32_t ArticleOfSide(int32_t tractate, int32_t sideCode);

// A tractate's first and last side codes; false for no tractate.
bool TractateSides(int32_t tractate, int32_t* first, int32_t* last);

// A citation found in a commentary paragraph: bytes [Start, End) of the
// text handed in (the parentheses and what stands between them) and the
// page it cites.
struct Citation {
  int32_t Start;
  int32_t End;
  int32_t Article;
};

// FindCitations' result when its working memory could not be had.
constexpr int32_t CitationNoMemory = -1;

// The citations of one paragraph's text (count LetterCode bytes, in the
// stored display order when displayOrder, else in reading order) that
// resolve in the citation mode, read on the page currentArticle. The words
// just before a parenthesis may name its tractate: "מסכת NAME (דף י.)" or
// "במסכת NAME", or the initials with ב ("בב"ק (דף צד.)"), also with a
// chapter's name between ("בב"ק בפ' NAME (דף צ:)"); a bare name there never
// counts. "מסכת" or such initials among the words before it in any other
// way (a name the corpus lacks, other words between) leave the parenthesis
// plain: it may cite that tractate. Writes the first `capacity` citations in the order of the text
// (reading order) to out (null when capacity is 0) and returns how many
// there are, or CitationNoMemory.
int32_t FindCitations(const unsigned char* text, int32_t count, bool displayOrder, int32_t currentArticle,
                      Citation* out, int32_t capacity);

// As FindCitations, read against the tractate names of `names` (a table as
// CorpusTractates gives it; null: the corpus's), and listing besides the
// parentheses written as citations (with "דף" or a side mark, every word of
// the grammar) that cite no page: a tractate the corpus lacks, a folio past
// its end, a name several tractates answer to. Those have Article 0.
int32_t FindAllCitations(const unsigned char* text, int32_t count, bool displayOrder, int32_t currentArticle,
                         const TractateEntry* names, Citation* out, int32_t capacity);

// The same over a commentary record (a paragraph list as the loader returns
// it: paragraphs up to a 0 style byte, then two more 0 bytes; the first
// paragraph, the page header, is no text). Offsets are those of the record;
// a paragraph is in display order when its style has bit 0x10.
int32_t FindRecordCitations(const unsigned char* record, int32_t currentArticle, Citation* out, int32_t capacity);

// The argument of a link or of the command line: an optional "orvane:" or
// "orvane://" prefix (any case), a trailing "/" dropped, and %XX escapes
// decoded as UTF-8 into UTF-16 (other units are kept as they are).
enum LinkArgumentCode : uint8_t {
  LinkArgumentDecoded = 0,
  LinkArgumentBadEscape,  // a % without two hex digits after it
  LinkArgumentBadUtf8,    // escaped bytes that are no valid UTF-8
  LinkArgumentTooLong,    // the result does not fit in out
};

// Decodes count units of in to out, which holds capacity units (a 0 unit is
// written after the result); *written (may be null) gets the units before
// the 0. On an error out holds an empty string.
LinkArgumentCode DecodeLinkArgument(const DisplayChar* in, int32_t count, DisplayChar* out, int32_t capacity,
                                    int32_t* written);
