// LetterCode, the byte code of every stored text, and its conversion to the
// 16-bit display characters handed to the platform's text functions.
//
// Owns: ConversionBuffer (the one process-wide conversion buffer).
// Reads at every call: AppSettings.FontSettings.FontAsciiBase and the Reverse
// bit of AppSettings.Flags, so a change takes effect at the next conversion.
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

// Converts at most count bytes (fewer when a 0 byte comes first). With a
// buffer record the result lives in the record; without one it is allocated
// with malloc and the caller frees it. Returns null when memory ran out.
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

// Display code of one LetterCode byte for the given base.
constexpr DisplayChar DisplayOf(unsigned char b, int32_t base) {
  if (b >= FirstLetter && b <= LastLetter) return static_cast<DisplayChar>(base + (b - FirstLetter));
  if (b == OpenBraceByte) return static_cast<DisplayChar>(0x7B);
  return static_cast<DisplayChar>(b);
}
