// Feeds arbitrary paragraph lists and patterns to the search: the scan must
// stay inside the buffer, a hit it reports must match the pattern, and the
// scan of held texts (whatever byte it anchors on) must find what the plain
// scan finds, in display and in reading order.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "store/corpustexts.h"
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
  uint16_t turnedLength = 0;
  const int32_t turned = FindInText(buffer.data(), start, pattern, &turnedLength, RunOrder::Reading);
  if (turned < 0 || size_t(turned) >= buffer.size() || (turned > 0 && (turnedLength == 0 || turnedLength > turned)))
    __builtin_trap();

  HeldText held;
  if (IndexParagraphs(buffer.data(), &held)) {
    uint32_t counts[256] = {}, even[256];
    for (unsigned char b : buffer) ++counts[b];
    for (uint32_t& c : even) c = 1;  // every anchor rare: memchr
    const uint32_t* rankings[] = {counts, even, nullptr};
    for (const uint32_t* ranks : rankings) {
      PreparedPattern prepared;
      PreparePattern(&prepared, pattern, ranks);
      uint16_t heldLength = 0;
      const int32_t got = FindInHeldText(prepared, held, start, &heldLength);
      if (got != found || (found > 0 && heldLength != length)) __builtin_trap();
      PreparePattern(&prepared, pattern, ranks, RunOrder::Reading);
      if (FindInHeldText(prepared, held, start, &heldLength) != turned || (turned > 0 && heldLength != turnedLength))
        __builtin_trap();
    }
    std::free(const_cast<uint16_t*>(held.Paragraphs));
  }

  // The matcher alone on the whole text: a hit it reports matches too.
  if (buffer.size() == 3) return 0;
  const unsigned char* hit = MatchBackward(buffer.data(), pattern, buffer.data() + buffer.size() - 4, &length);
  if (hit && (p.empty() || hit - length + 1 < buffer.data() || !Matches(hit, length, p))) __builtin_trap();
  return 0;
}
