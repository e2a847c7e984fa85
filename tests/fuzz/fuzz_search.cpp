// Feeds arbitrary paragraph lists and patterns to the search: the scan must
// stay inside the buffer, and a hit it reports must match the pattern.
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

  // The matcher alone on the whole text: a hit it reports matches too.
  if (buffer.size() == 3) return 0;
  const unsigned char* hit = MatchBackward(buffer.data(), pattern, buffer.data() + buffer.size() - 4, &length);
  if (hit && (p.empty() || hit - length + 1 < buffer.data() || !Matches(hit, length, p))) __builtin_trap();
  return 0;
}
