#include "store/updateaddress.h"

namespace {

bool KeptAsIs(DisplayChar u) {
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '.' || u == '/';
}

// Appends text unchanged; false when it did not fit.
bool Append(DisplayChar* out, int32_t capacity, int32_t* length, const DisplayChar* text) {
  for (; *text; ++text) {
    if (*length + 1 >= capacity) return false;
    out[(*length)++] = *text;
  }
  out[*length] = 0;
  return true;
}

}  // namespace

int32_t PercentEncode(DisplayChar* out, int32_t capacity, const DisplayChar* text) {
  if (capacity <= 0) return -1;
  static const char hex[] = "0123456789ABCDEF";
  int32_t n = 0;
  out[0] = 0;
  for (; *text; ++text) {
    const uint32_t u = *text;
    DisplayChar piece[6];
    int32_t units = 0;
    if (u == ' ') {
      piece[units++] = '+';
    } else if (KeptAsIs(static_cast<DisplayChar>(u))) {
      piece[units++] = static_cast<DisplayChar>(u);
    } else {
      piece[units++] = '%';
      const int digits = u > 0xFFF ? 4 : u > 0xFF ? 3 : 2;
      for (int d = digits - 1; d >= 0; --d) piece[units++] = static_cast<DisplayChar>(hex[(u >> (4 * d)) & 0xF]);
    }
    if (n + units + 1 > capacity) return -1;
    for (int32_t i = 0; i < units; ++i) out[n++] = piece[i];
    out[n] = 0;
  }
  return n;
}

int32_t BuildUpdateAddress(DisplayChar* out, int32_t capacity, const DisplayChar* site,
                           const DisplayChar* product, const DisplayChar* version) {
  if (capacity <= 0) return -1;
  int32_t n = 0;
  out[0] = 0;
  bool fits = Append(out, capacity, &n, site) && Append(out, capacity, &n, DISPLAY_TEXT("/cgi-bin/upgrade?p=windows/"));
  if (fits) {
    const int32_t encoded = PercentEncode(out + n, capacity - n, product);
    fits = encoded >= 0;
    if (fits) n += encoded;
  }
  fits = fits && Append(out, capacity, &n, DISPLAY_TEXT("&v=")) && Append(out, capacity, &n, version);
  if (!fits) {
    out[0] = 0;
    return -1;
  }
  return n;
}
