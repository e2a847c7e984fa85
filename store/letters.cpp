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

bool IsDigit(DisplayChar u) { return u >= '0' && u <= '9'; }
// Separators that join two digits into one number (1,000  2.5  3:4  5-6).
bool IsNumberSeparator(DisplayChar u) {
  return u == '+' || u == '-' || u == ',' || u == '.' || u == '/' || u == ':';
}
// Signs that belong to the number they touch (50%).
bool IsNumberSign(DisplayChar u) { return u == '#' || u == '$' || u == '%'; }

void ReverseRange(DisplayChar* units, int32_t from, int32_t to) {
  for (--to; from < to; ++from, --to) {
    const DisplayChar u = units[from];
    units[from] = units[to];
    units[to] = u;
  }
}

}  // namespace

void ToReadingOrder(DisplayChar* units, int32_t count) {
  if (!units || count <= 0) return;
  ReverseMirror(units, count);
  // The numbers are found the same way from either end, so after the whole
  // string was turned round each one is put back in its own order.
  int32_t i = 0;
  while (i < count) {
    if (!IsDigit(units[i])) {
      ++i;
      continue;
    }
    int32_t start = i;
    while (start > 0 && IsNumberSign(units[start - 1])) --start;
    int32_t end = i;
    for (;;) {
      while (end < count && IsDigit(units[end])) ++end;
      int32_t k = end;
      while (k < count && IsNumberSign(units[k])) ++k;
      if (k < count && IsDigit(units[k])) {
        end = k;
      } else if (k == end && end + 1 < count && IsNumberSeparator(units[end]) && IsDigit(units[end + 1])) {
        end += 1;
      } else {
        end = k;
        break;
      }
    }
    ReverseRange(units, start, end);
    i = end;
  }
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
