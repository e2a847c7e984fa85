// Feeds arbitrary paragraph lists and patterns to the search: the scan must
// stay inside the buffer, and a hit it reports must match the pattern. On
// short texts the matcher is also checked against a brute-force reference.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "store/search.h"
#include "tests/common/wildcard_reference.h"

namespace {

std::string Trimmed(const unsigned char* pattern) {
  return TrimmedPattern(reinterpret_cast<const char*>(pattern));
}

bool Matches(const unsigned char* hit, uint16_t length, const std::string& p) {
  return Glob(hit - length + 1, length, p.data(), p.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Layout: start (2 bytes), pattern up to a 0 byte (at most 33), the buffer.
  if (size < 3) return 0;
  const uint16_t start = static_cast<uint16_t>(data[0] | data[1] << 8);
  size_t i = 2;
  unsigned char pattern[SearchStringBytes] = {};
  for (size_t n = 0; i < size && data[i] != 0 && n < SearchStringBytes - 1; ++i, ++n) pattern[n] = data[i];
  if (i < size) ++i;
  // A text buffer as the loader makes it: the bytes, then three 0 bytes.
  std::vector<unsigned char> buffer(data + i, data + size);
  if (buffer.size() >= 0xFFF0) return 0;
  buffer.insert(buffer.end(), {0, 0, 0});
  const std::string p = Trimmed(pattern);

  uint16_t length = 0;
  const int32_t found = FindInText(buffer.data(), start, pattern, &length);
  if (found < 0 || size_t(found) >= buffer.size()) __builtin_trap();
  if (found > 0 && (length == 0 || length > found || !Matches(buffer.data() + found, length, p))) __builtin_trap();

  // The matcher alone on the first bytes, against the plain reference.
  const size_t n = std::min<size_t>(buffer.size() - 3, 32);
  if (n == 0) return 0;
  const unsigned char* hit = MatchBackward(buffer.data(), pattern, buffer.data() + n - 1, &length);
  long want = -1;
  size_t wantLength = 0;
  if (!p.empty()) {
    for (long pos = long(n) - 1; pos >= 0 && want < 0; --pos)
      for (long s = pos; s >= 0; --s)
        if (Glob(buffer.data() + s, size_t(pos - s + 1), p.data(), p.size())) {
          want = pos, wantLength = size_t(pos - s + 1);
          break;
        }
  }
  if ((hit ? hit - buffer.data() : -1) != want) __builtin_trap();
  if (hit && length != wantLength) __builtin_trap();
  return 0;
}
