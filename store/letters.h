// LetterCode, the byte code of every stored text, and its conversion to the
// 16-bit display characters handed to the platform's text functions.
//
// Owns: ConversionBuffer (the one process-wide conversion buffer).
// Reads at every call: AppSettings.FontSettings.FontAsciiBase, and the Reverse
// bit of AppSettings.Flags where no order is given, so a change takes effect
// at the next conversion.
#pragma once
#include <cstdint>

#include "store/appsettings.h"

// Letters are the 27 bytes 'a' (0x61) to '{' (0x7B); '~' stands for the
// opening brace; every other byte stands for itself.
constexpr unsigned char FirstLetter = 0x61;
constexpr unsigned char LastLetter = 0x7B;
constexpr int LetterCount = 27;
constexpr unsigned char OpenBraceByte = 0x7E;

// A reusable output buffer: Capacity characters plus one terminating unit.
struct ConversionBufferRecord {
  DisplayChar* Units;
  int32_t Capacity;
};
extern ConversionBufferRecord ConversionBuffer;

// The order in which text goes to the system's text functions and controls.
enum class RunOrder : uint8_t {
  Display,  // as stored: the leftmost character first
  Reading,  // as read, right to left: for a system that lays Hebrew out itself
};

// The one decision: text goes in reading order exactly when Reverse is on
// and the letters are the Hebrew letters of Unicode (1488), which the system
// reorders. At 97 and 224 the letters are Latin code points that nothing
// reorders, so Reverse changes nothing there.
constexpr RunOrder OrderFor(uint32_t flags, int32_t base) {
  return (flags & Reverse) && base == AsciiBaseUnicode ? RunOrder::Reading : RunOrder::Display;
}
inline RunOrder CurrentOrder() { return OrderFor(AppSettings.Flags, AppSettings.FontSettings.FontAsciiBase); }

// Where a text goes, and so what it needs to come out right to left.
enum class TextUse : uint8_t {
  Drawn,    // drawn by the program itself: a right-to-left reading flag on the
            // text call (DT_RTLREADING, ETO_RTLREADING; the font has the
            // Hebrew character set, see layout/scale.h)
  Control,  // handed to a control (list rows, the search edit, the font
            // preview), which lays it out left to right: embedding marks
  Name,     // built in reading order whatever Reverse says (bookmark names):
            // embedding marks when it starts with a right-to-left letter
};
struct TextForm {
  RunOrder Order;
  bool RightToLeft;  // laid out as a right-to-left line (the flag or the marks)
};
constexpr TextForm FormFor(TextUse use, uint32_t flags, int32_t base) {
  return use == TextUse::Name ? TextForm{RunOrder::Reading, true}
                              : TextForm{OrderFor(flags, base), OrderFor(flags, base) == RunOrder::Reading};
}

// Converts at most count bytes (fewer when a 0 byte comes first), in the
// given order (without one: CurrentOrder). With a buffer record the result
// lives in the record; without one it is allocated with malloc and the
// caller frees it. Returns null when memory ran out.
DisplayChar* ToDisplayText(const unsigned char* bytes, ConversionBufferRecord* buffer,
                           int32_t count, RunOrder order);
DisplayChar* ToDisplayText(const unsigned char* bytes, ConversionBufferRecord* buffer,
                           int32_t count);

// Letter mapping of an already 16-bit LetterCode string, terminator included;
// out may equal in. No reversal, no rule for '~'.
void MapLetters16(DisplayChar* out, const DisplayChar* in);

// Right-to-left embedding: a run between these two marks is laid out as
// right-to-left text wherever the system puts it (a menu item, a list row,
// an English label around a Hebrew name).
constexpr DisplayChar RightToLeftEmbedding = 0x202B;
constexpr DisplayChar PopDirectionalFormatting = 0x202C;

// Reverses the first count units in place, mirroring (), [] and {}.
// Returns 0, or 1 (string unchanged) when the working copy cannot be allocated.
int32_t ReverseMirror(DisplayChar* units, int32_t count);

// Turns count display characters between display order and reading order, in
// place (it is its own inverse): the string is reversed and its brackets
// mirrored, except that a number keeps its digits in their order, as a
// right-to-left line lays numbers out left to right. A number runs from a
// digit to a digit over digits and + - , . / : # $ %, with the # $ % that
// touch it at either end.
void ToReadingOrder(DisplayChar* units, int32_t count);

// The same rule for the LetterCode bytes of a paragraph that was just turned
// round between reading order and the stored display order: each number is
// put back in its own order (the corpus tools store and export with it).
void PutNumbersBack(unsigned char* bytes, int32_t count);

// The number (as ToReadingOrder finds them) of count LetterCode bytes that a
// boundary lies strictly inside, boundary k lying just before byte k: false
// when there is none; else [*from, *to) is the number's span.
bool NumberAround(const unsigned char* bytes, int32_t count, int32_t boundary, int32_t* from, int32_t* to);

// Turns a paragraph's LetterCode bytes between the stored display order and
// reading order, in place (it is its own inverse): reversed, brackets
// mirrored ('~' standing for the opening brace), each number kept in its own
// order.
void TurnParagraph(unsigned char* bytes, int32_t count);

// Whether a byte can belong to a number: a digit, a separator + - , . / :
// or a sign # $ %.
constexpr bool IsNumberByte(unsigned char b) {
  return (b >= '0' && b <= '9') || b == '+' || b == '-' || b == ',' || b == '.' || b == '/' || b == ':' ||
         b == '#' || b == '$' || b == '%';
}

// The longest run of number bytes [*runFrom, *runTo) around bytes[at]
// (at < count, a number byte) and the number in it, bytes[*first..*last]:
// from its first digit to its last, with the signs that touch them. False
// when the run holds no digit (the run is given all the same).
bool NumberRunAround(const unsigned char* bytes, int32_t count, int32_t at, int32_t* runFrom, int32_t* runTo,
                     int32_t* first, int32_t* last);

// Whether the first letter of a text (before any Latin one) is a Hebrew one.
bool StartsRightToLeft(const DisplayChar* units);

// Writes RightToLeftEmbedding, the count units of in and
// PopDirectionalFormatting to out, which holds count + 3 units, and a 0.
// Returns the units written before the 0. out may not overlap in.
int32_t EmbedRightToLeft(const DisplayChar* in, int32_t count, DisplayChar* out);

// The embedding, override and left-to-right and right-to-left marks.
constexpr bool IsDirectionalMark(DisplayChar u) { return u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E); }

// Removes the directional marks a control was given (the embedding marks
// and the left-to-right and right-to-left marks) from a 0-terminated text,
// in place. Returns the units left.
int32_t StripDirectionalMarks(DisplayChar* units);

// Display code of one LetterCode byte for the given base.
constexpr DisplayChar DisplayOf(unsigned char b, int32_t base) {
  if (b >= FirstLetter && b <= LastLetter) return static_cast<DisplayChar>(base + (b - FirstLetter));
  if (b == OpenBraceByte) return static_cast<DisplayChar>(0x7B);
  return static_cast<DisplayChar>(b);
}
