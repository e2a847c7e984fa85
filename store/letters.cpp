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
  return ToDisplayText(bytes, buffer, count, CurrentOrder());
}

DisplayChar* ToDisplayText(const unsigned char* bytes, ConversionBufferRecord* buffer,
                           int32_t count, RunOrder order) {
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
  if (n > 0 && order == RunOrder::Reading) ToReadingOrder(out, n);
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

namespace {

template <typename Unit>
bool IsDigit(Unit u) { return u >= '0' && u <= '9'; }
// Separators that join two digits into one number (1,000  2.5  3:4  5-6).
template <typename Unit>
bool IsNumberSeparator(Unit u) {
  return u == '+' || u == '-' || u == ',' || u == '.' || u == '/' || u == ':';
}
// Signs that belong to the number they touch (50%).
template <typename Unit>
bool IsNumberSign(Unit u) { return u == '#' || u == '$' || u == '%'; }

template <typename Unit>
void ReverseRange(Unit* units, int32_t from, int32_t to) {
  for (--to; from < to; ++from, --to) {
    const Unit u = units[from];
    units[from] = units[to];
    units[to] = u;
  }
}

template <typename Unit>
bool InNumber(Unit u) { return IsDigit(u) || IsNumberSeparator(u) || IsNumberSign(u); }

// The number within a longest run [i, end) of digits, separators and signs:
// from its first digit to its last, with the signs that touch them (5%, #3).
// False when the run holds no digit.
template <typename Unit>
bool NumberInRun(const Unit* units, int32_t i, int32_t end, int32_t* first, int32_t* last) {
  int32_t f = i, l = end - 1;
  while (f <= l && !IsDigit(units[f])) ++f;
  while (l >= f && !IsDigit(units[l])) --l;
  if (f > l) return false;
  while (f > i && IsNumberSign(units[f - 1])) --f;
  while (l + 1 < end && IsNumberSign(units[l + 1])) ++l;
  *first = f;
  *last = l;
  return true;
}

// After a string was turned round, puts each number back in its own order.
// A number is a run of digits, separators and signs with a digit at each
// end. It is found within the longest run of such characters, which turning
// the string or a number round does not change: so turning twice gives back
// what was there.
template <typename Unit>
void PutNumbersBackIn(Unit* units, int32_t count) {
  int32_t i = 0;
  while (i < count) {
    if (!InNumber(units[i])) {
      ++i;
      continue;
    }
    int32_t end = i;
    while (end < count && InNumber(units[end])) ++end;
    int32_t first, last;
    if (NumberInRun(units, i, end, &first, &last)) ReverseRange(units, first, last + 1);
    i = end;
  }
}

}  // namespace

void ToReadingOrder(DisplayChar* units, int32_t count) {
  if (!units || count <= 0) return;
  ReverseMirror(units, count);
  PutNumbersBackIn(units, count);
}

void PutNumbersBack(unsigned char* bytes, int32_t count) {
  if (bytes && count > 0) PutNumbersBackIn(bytes, count);
}

void TurnParagraph(unsigned char* bytes, int32_t count) {
  if (!bytes || count <= 0) return;
  auto mirror = [](unsigned char b) -> unsigned char {
    switch (b) {
      case '(': return ')';
      case ')': return '(';
      case '[': return ']';
      case ']': return '[';
      case OpenBraceByte: return '}';
      case '}': return OpenBraceByte;
      default: return b;
    }
  };
  for (int32_t lo = 0, hi = count - 1; lo <= hi; ++lo, --hi) {
    const unsigned char a = mirror(bytes[lo]);
    bytes[lo] = mirror(bytes[hi]);
    bytes[hi] = a;
  }
  PutNumbersBackIn(bytes, count);
}

bool NumberAround(const unsigned char* bytes, int32_t count, int32_t boundary, int32_t* from, int32_t* to) {
  if (!bytes || boundary <= 0 || boundary >= count) return false;
  if (!InNumber(bytes[boundary - 1]) || !InNumber(bytes[boundary])) return false;
  int32_t runFrom, runTo, first, last;
  if (!NumberRunAround(bytes, count, boundary, &runFrom, &runTo, &first, &last) || boundary <= first || boundary > last)
    return false;
  *from = first;
  *to = last + 1;
  return true;
}

bool NumberRunAround(const unsigned char* bytes, int32_t count, int32_t at, int32_t* runFrom, int32_t* runTo,
                     int32_t* first, int32_t* last) {
  int32_t i = at, end = at + 1;
  while (i > 0 && InNumber(bytes[i - 1])) --i;
  while (end < count && InNumber(bytes[end])) ++end;
  *runFrom = i;
  *runTo = end;
  return NumberInRun(bytes, i, end, first, last);
}

bool StartsRightToLeft(const DisplayChar* units) {
  for (const DisplayChar* p = units; p && *p; ++p) {
    const DisplayChar u = *p;
    if ((u >= 0x0590 && u <= 0x05FF) || (u >= 0xFB1D && u <= 0xFB4F)) return true;
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= 0x00C0 && u <= 0x024F && u != 0x00D7 && u != 0x00F7))
      return false;
  }
  return false;
}

int32_t EmbedRightToLeft(const DisplayChar* in, int32_t count, DisplayChar* out) {
  int32_t n = 0;
  out[n++] = RightToLeftEmbedding;
  for (int32_t i = 0; i < count; ++i) out[n++] = in[i];
  out[n++] = PopDirectionalFormatting;
  out[n] = 0;
  return n;
}

int32_t StripDirectionalMarks(DisplayChar* units) {
  if (!units) return 0;
  int32_t n = 0;
  for (const DisplayChar* p = units; *p; ++p) {
    if (!IsDirectionalMark(*p)) units[n++] = *p;
  }
  units[n] = 0;
  return n;
}
