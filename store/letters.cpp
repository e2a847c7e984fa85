#include "store/letters.h"

#include <cstdlib>
#include <cstring>

ConversionBufferRecord ConversionBuffer;

static DisplayChar MirrorOf(DisplayChar u) {
  switch (u) {
    case '(': return ')';
    case ')': return '(';
    case '[': return ']';
    case ']': return '[';
    case '{': return '}';
    case '}': return '{';
    default: return u;
  }
}

DisplayChar* ToDisplayText(const unsigned char* bytes, ConversionBufferRecord* buffer,
                           int32_t count) {
  if (count < 0) count = 0;
  DisplayChar* out;
  if (buffer && buffer->Units && buffer->Capacity >= count) {
    out = buffer->Units;
  } else {
    out = static_cast<DisplayChar*>(std::malloc((static_cast<size_t>(count) + 1) * sizeof(DisplayChar)));
    if (buffer) {
      std::free(buffer->Units);
      buffer->Units = out;
      buffer->Capacity = count;
    }
    if (!out) return nullptr;
  }

  const int32_t base = AppSettings.FontSettings.FontAsciiBase;
  int32_t n = 0;
  while (n < count && bytes[n] != 0) {
    out[n] = DisplayOf(bytes[n], base);
    ++n;
  }
  out[n] = 0;

  // Only the characters actually converted are reversed: a count beyond the
  // string's end must not drag uninitialised units in front of the text.
  if (n > 0 && base != AsciiBaseLatin && (AppSettings.Flags & Reverse)) ReverseMirror(out, n);
  return out;
}

void MapLetters16(DisplayChar* out, const DisplayChar* in) {
  const int32_t base = AppSettings.FontSettings.FontAsciiBase;
  for (;;) {
    DisplayChar u = *in++;
    *out++ = (u >= FirstLetter && u <= LastLetter) ? static_cast<DisplayChar>(base + (u - FirstLetter)) : u;
    if (u == 0) return;
  }
}

int32_t ReverseMirror(DisplayChar* units, int32_t count) {
  // Swapping in place gives the same result as reversing through a working
  // copy, without an allocation that could fail.
  if (count <= 0) return 0;
  DisplayChar* lo = units;
  DisplayChar* hi = units + count - 1;
  while (lo < hi) {
    DisplayChar a = MirrorOf(*lo);
    *lo++ = MirrorOf(*hi);
    *hi-- = a;
  }
  if (lo == hi) *lo = MirrorOf(*lo);
  return 0;
}
