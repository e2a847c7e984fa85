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
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/appsettings.h"

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

// Searches a paragraph list for pattern from offset start on: the paragraph
// holding start from there down, then every later paragraph whole (start 0:
// every paragraph; a start on a paragraph's style or parameter byte: the
// paragraphs after it). Returns the offset of the hit's highest byte with its
// length in *length, 0 when there is none, or SearchNoMemory.
int32_t FindInText(const unsigned char* buffer, uint16_t start, const unsigned char* pattern,
                   uint16_t* length);
