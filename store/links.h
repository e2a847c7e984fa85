// The commentary tied to the words it explains: for one page side, every
// heading of its commentary and the main-text words the heading quotes.
// Computed when an article is shown, never stored; pure logic, no platform.
//
// A comment is a heading paragraph (centred, visual order, no paragraph end:
// style 0x51 in the records) with the comment paragraphs that follow it up to
// the next centred paragraph. A heading quotes words of its side's main text,
// or near the top of a side the end of the previous side's; real headings do not
// quote letter for letter, and the linker allows for what they do:
//   - the vowel letters vav and yod written or left out (words are compared
//     without them);
//   - a word cut short with a geresh or an apostrophe (a prefix of the word),
//     and letters with gershayim standing for the initials of a word pair (or
//     of three or four words), or for the same abbreviation in the text;
//   - an "and so on" mark (kaf or gimel, as in "and so on" and "and the rest
//     of the verse"), which ends the quoted words;
//   - only the first words of a longer phrase, and a word that differs;
//   - once in a heading, a word of the text left out or a word added;
//   - in a heading of one or two words that stands nowhere as written, a
//     word with the other plural ending (mem or nun) or with a prefix letter
//     (vav, dalet, he, bet, lamed, shin) added or dropped;
//   - a quote that goes on into the next paragraph (the link covers its
//     words in the paragraph where it begins).
// Where the words fit several places alike, the one spelled as the heading
// spells it is taken. Headings mostly follow the text's order, and may start
// where the one before starts: where the words stand more than once, the
// place between the neighbouring headings' links is taken when it is the
// only one there; a heading of two words or more whose words stand once on
// the side is linked there even out of order. A heading that repeats the one
// before is linked where that one is. Of places still tied, the nearest after
// the heading before is taken for a heading of two words or more, or of one
// word of four letters or more that stands at most twice; a heading of
// initials alone only that way. Otherwise, and for a heading that fits
// nowhere, there is no link (a wrong link is worse than none). A heading's
// word that stands more often on the side than any real page has it (a
// repetitive text of the user's own) is not looked for, so the work stays
// bounded.
//
// Owns nothing: the caller's buffers are only read, the working memory is
// taken and given back within the call.
#pragma once
#include <cstdint>

// Where a heading's quoted words are.
enum LinkSide : uint8_t {
  LinkNone = 0,      // no link
  LinkThisSide = 1,  // in the side's own main text
  LinkPreviousSide = 2,
};

// One comment of the commentary and its link. Offsets are those of the
// buffers handed in (paragraph lists, below 65,536 bytes).
struct CommentLink {
  uint16_t CommentStart;  // the heading paragraph's style byte
  uint16_t CommentEnd;    // one past the last comment paragraph (its 0 byte
                          // included): the next paragraph's style byte
  uint16_t QuoteStart;    // the quoted words as stored bytes [start, end) of
  uint16_t QuoteEnd;      // the main text (or the previous side's); 0, 0: none
  uint8_t Side;           // LinkSide
};

// LinkComments' result when its working memory could not be had.
constexpr int32_t LinkNoMemory = -1;

// Links the headings of commentary (the side's commentary record) with
// mainText (its main-text record) and previousMain (the previous side's
// main-text record, or null before a tractate's first side). Each is a
// paragraph list as the loader returns it: paragraphs up to a 0 style byte,
// then two more 0 bytes; the first paragraph of each, the page header, is
// not text. Writes the first `capacity` comments, in their order, to links
// (which may be null when capacity is 0) and returns how many the commentary
// has (call again with room for all when that is more), or LinkNoMemory.
int32_t LinkComments(const unsigned char* mainText, const unsigned char* previousMain,
                     const unsigned char* commentary, CommentLink* links, int32_t capacity);
