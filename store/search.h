// The text search as pure logic: the stored search string, the wildcard
// matcher over one paragraph and the scan of a whole text buffer. Nothing here
// touches the platform; the walk over the records and the showing of a hit
// live in the shell (shell/search.h).
//
// Owns: ParagraphNodeAlloc, the hook from which FindInText takes its list
// nodes. Writes: AppSettings.SearchString (SetSearchString only).
//
// Pattern bytes are compared with the text in memory order, both being stored
// in reverse reading order; scanning towards lower offsets moves forward in
// reading order. `?` matches any one byte, `*` the shortest run of bytes
// (none included). A `*` at either end of the pattern matches the empty run,
// so it changes nothing; a pattern of nothing but `*` matches nothing.
//
// In reading order (store/letters.h: OrderFor) the pattern was typed in
// reading order and turned as a paragraph is, each of its numbers kept in its
// own order; but a piece of a number, turned so, is not the piece of the
// turned number. So the search reads every number turned round again, in the
// pattern and in the paragraph: both are then plain reversals of the reading
// order, in which every reading-order substring of the paragraph stands. A hit
// is reported as the stored bytes from the lowest to the highest of those it
// matched, which may take in more of a number it begins or ends inside; the
// next search after it goes on after its lowest byte in reading order.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/appsettings.h"
#include "store/letters.h"

constexpr unsigned char AnyByte = '?';
constexpr unsigned char AnyRun = '*';

// One paragraph of a scanned buffer: its style byte and its terminating 0.
struct ParagraphNode {
  ParagraphNode* Next;
  const unsigned char* Start;
  const unsigned char* End;
};

// Where FindInText takes its nodes from (malloc unless set); a null result
// stops the scan, which then reports SearchNoMemory. Nodes go back with free.
extern void* (*ParagraphNodeAlloc)(size_t bytes);

// FindInText's result when a node could not be had.
constexpr int32_t SearchNoMemory = -1;

// Stores text (0-terminated, at most 33 units used) as SearchString: display
// letters of the current FontAsciiBase, and the Unicode Hebrew letters, become
// LetterCode letters; a '{' that is no letter becomes the brace byte '~'; a
// run of spaces becomes one space; every other unit keeps its low byte.
void SetSearchString(const DisplayChar* text);

// Finds pattern (0-terminated) in the bytes first..last (both included) and
// returns the position of the highest byte of the hit nearest to last, or
// null; on a hit *length is the hit's length, the hit being the bytes
// from result - *length + 1 to result.
const unsigned char* MatchBackward(const unsigned char* first, const unsigned char* pattern,
                                   const unsigned char* last, uint16_t* length);

// Builds the list of the paragraphs of buffer, a paragraph list ended by a 0
// style byte; all its nodes come from one ParagraphNodeAlloc block, which
// FreeParagraphs releases. Returns the number of nodes, or SearchNoMemory
// (nothing is left allocated then). *head is null for a buffer without
// paragraphs.
int32_t SplitParagraphs(const unsigned char* buffer, ParagraphNode** head);
void FreeParagraphs(ParagraphNode* head);

// Searches a paragraph list for pattern (a search string in the given order,
// its first SearchStringBytes - 1 bytes) from offset start on: the paragraph
// holding start from there down, then every later paragraph whole (start 0:
// every paragraph; a start on a paragraph's style byte: the paragraphs after
// it). Returns the offset of the hit's highest byte with its length in
// *length, 0 when there is none, or SearchNoMemory. In reading order "from
// start down" is: the hits that begin, in reading order, after the byte at
// start + 1 (in plain text the same), also when that byte is the paragraph's
// first stored one and belongs to a number that ends it.
int32_t FindInText(const unsigned char* buffer, uint16_t start, const unsigned char* pattern,
                   uint16_t* length, RunOrder order = RunOrder::Display);

// ---- Searching the held texts of the whole corpus (store/corpustexts.h).

struct HeldText;

// A pattern made ready for scanning: its bytes without the `*` at either end
// (Core; in reading order with its numbers turned round), its rarest plain
// byte (the anchor) and the part around the anchor that holds no `*`, whose
// plain bytes every hit holds at fixed distances from the anchor: a scan goes
// from anchor to anchor and tries the matcher only where that part stands.
// In reading order a byte that can belong to a number stands elsewhere in the
// stored text than in the turned copy: Shape has `?` for it (not for a
// separator such as `:` beside a plain byte that is no number byte, which
// no number holds), and an anchor that is such a byte only finds the
// paragraphs to try (Placed false).
struct PreparedPattern {
  unsigned char Core[SearchStringBytes];
  unsigned char Shape[SearchStringBytes];  // Core as the stored text holds it around the anchor
  int32_t CoreLength;  // 0: the pattern matches nothing
  int32_t Anchor;      // index in Core of the rarest plain byte; -1: none
  int32_t PartFrom;    // Core[PartFrom..PartTo] holds Anchor and no `*`
  int32_t PartTo;
  int32_t Second;      // index of a second plain byte of Shape's part; -1: none
  bool Pairs;          // the anchor is common: scan for anchor and Second together
  bool Placed;         // the anchor stands where Shape's part says
  RunOrder Order;
};

// Prepares pattern (0-terminated), a search string in the given order;
// byteCounts (256 counts, or null) ranks the bytes, the rarest becoming the
// anchor.
void PreparePattern(PreparedPattern* prepared, const unsigned char* pattern, const uint32_t* byteCounts,
                    RunOrder order = RunOrder::Display);

// FindInText on a held text: the same hit, found without a paragraph list,
// skipping by the anchor byte.
int32_t FindInHeldText(const PreparedPattern& pattern, const HeldText& text, uint16_t start, uint16_t* length);

// A hit: its record, the offset of its highest byte and its length. Record 0:
// none. The next search after it starts at Offset - Length.
struct SearchHit {
  int32_t Record;
  uint16_t Offset;
  uint16_t Length;
};

// The next hit from offset start of record on: the rest of that record's
// text, then the records after it, count records in all, wrapping from
// RecordCount to 1. mainOnly passes over the commentary records (even
// numbers). Records that do not load are passed over.
SearchHit NextHit(const PreparedPattern& pattern, int32_t record, uint16_t start, int32_t count, bool mainOnly);

// Find All: every hit of the corpus in corpus order, gathered in steps. The
// hits are kept in blocks of HitBlockHits.
constexpr uint32_t HitBlockHits = 65536;
constexpr uint32_t HitBlockCount = 16;  // room for 1,048,576 hits

struct FindAllRun {
  PreparedPattern Pattern;
  bool MainOnly;
  uint32_t Limit;    // hits listed at most
  int32_t Record;    // where the next step goes on; RecordCount + 1: done
  uint16_t Start;
  uint32_t Count;    // hits gathered
  bool More;         // a hit beyond Limit exists
  bool NoMemory;     // a block could not be had: the list ends early
  SearchHit* Blocks[HitBlockCount];
};

// Where FindAllStep takes its hit blocks from (malloc unless set); null ends
// the run with NoMemory. Blocks go back with free.
extern void* (*HitBlockAlloc)(size_t bytes);

// Starts a run over the corpus (from record 1) for pattern, in the current
// order (CurrentOrder); the run must be zeroed or ended before.
void BeginFindAll(FindAllRun* run, const unsigned char* pattern, bool mainOnly, uint32_t limit);
// Goes on through at most records more records, and stops early once it has
// gathered hits more hits; true while there is more.
bool FindAllStep(FindAllRun* run, int32_t records, uint32_t hits = 0xFFFFFFFFu);
// Hit i (below run->Count).
SearchHit FindAllHit(const FindAllRun& run, uint32_t i);
// Gives back the hits (the run is empty and done afterwards).
void EndFindAll(FindAllRun* run);
