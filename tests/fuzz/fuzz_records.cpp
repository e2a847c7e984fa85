// Feeds arbitrary bytes to the record parser and the decompressor, the way
// the loader hands them a resource, and checks the fast decoding loop against
// a plain byte-by-byte decoder of the same token rules. Every decoded text is
// also scanned by the search, which must stay inside it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "store/records.h"
#include "store/search.h"

namespace {

// The token rules, one byte at a time, with every bound checked.
size_t ReferenceDecode(const unsigned char* in, size_t inLength, unsigned char* out, size_t outLength) {
  size_t ip = 0, op = 0;
  while (op < outLength && ip < inLength) {
    unsigned c = in[ip++];
    if (c >= 0xC0) {
      out[op++] = ' ';
      if (op == outLength) break;
      out[op++] = static_cast<unsigned char>(c - 0x80);
    } else if (c >= 0x80) {
      if (ip >= inLength) break;
      unsigned w = (c << 8) | in[ip++];
      size_t distance = (w >> 3) & 0x7FF, length = (w & 7) + 3;
      if (distance == 0 || distance > op) break;
      for (size_t i = 0; i < length && op < outLength; ++i, ++op) out[op] = out[op - distance];
    } else if (c >= 1 && c <= 8) {
      for (unsigned i = 0; i < c && op < outLength; ++i) {
        if (ip >= inLength) return op;
        out[op++] = in[ip++];
      }
    } else {
      out[op++] = static_cast<unsigned char>(c);
    }
  }
  return op;
}

unsigned BigEndian16(const uint8_t* p) { return (unsigned(p[0]) << 8) | p[1]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input is a whole record as the loader sees a resource: the block
  // length is trusted only as far as the data reaches.
  int32_t blockLength = size >= 2 ? static_cast<int32_t>(BigEndian16(data)) : 0;
  const int32_t available = size > 6 ? static_cast<int32_t>(size - 6) : 0;
  if (blockLength > available) blockLength = available;
  // Copy the block into its own allocation so that any read beyond it is seen.
  std::vector<uint8_t> block(data + (available ? 6 : 0), data + (available ? 6 : 0) + available);
  int32_t code = 0;
  unsigned char* text = ParseRecordBlock(block.empty() ? nullptr : block.data(), blockLength, &code);
  if (text) {
    const size_t textLength = BigEndian16(block.data() + 2);
    if (text[textLength] != 0) __builtin_trap();
    // Whatever the text, walking it as a paragraph list stays inside it.
    uint16_t length = 0;
    if (FindInText(text, 0, reinterpret_cast<const unsigned char*>("a?"), &length) < 0) __builtin_trap();
    std::free(text);
  } else if (code < 1 || code > 5) {
    __builtin_trap();
  }

  // Differential check of the decoding loop on the same stream.
  if (blockLength >= 5) {
    size_t streamLength = BigEndian16(block.data());
    if (streamLength > static_cast<size_t>(blockLength) - 4) streamLength = blockLength - 4;
    const size_t textLength = BigEndian16(block.data() + 2);
    std::vector<uint8_t> stream(block.data() + 4, block.data() + 4 + streamLength);
    std::vector<uint8_t> fast(textLength), slow(textLength);
    size_t a = DecodeStream(stream.data(), stream.size(), fast.data(), textLength);
    size_t b = ReferenceDecode(stream.data(), stream.size(), slow.data(), textLength);
    if (a != b || (a && std::memcmp(fast.data(), slow.data(), a) != 0)) __builtin_trap();
  }
  return 0;
}
