// Feeds arbitrary bytes to the comment linker as a main text, a previous
// side and a commentary: it must stay inside the buffers, and every comment
// and quote it reports must lie within its buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/links.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Layout: a flag byte (bit 0: a previous side), the lengths of the main
  // text and of the previous side (2 bytes each), then the three buffers.
  if (size < 5) return 0;
  const size_t mainLength = data[1] | data[2] << 8, previousLength = data[3] | data[4] << 8;
  size_t at = 5;
  std::vector<unsigned char> buffers[3];
  for (int i = 0; i < 3; ++i) {
    const size_t want = i == 0 ? mainLength : i == 1 ? previousLength : size - at;
    const size_t n = want < size - at ? want : size - at;
    buffers[i].assign(data + at, data + at + n);
    at += n;
    // A text buffer as the loader makes it: the bytes, then three 0 bytes.
    buffers[i].insert(buffers[i].end(), {0, 0, 0});
  }
  const unsigned char* previous = (data[0] & 1) ? buffers[1].data() : nullptr;
  const int32_t count = LinkComments(buffers[0].data(), previous, buffers[2].data(), nullptr, 0);
  if (count < 0) return 0;
  std::vector<CommentLink> links(size_t(count) + 1);
  if (LinkComments(buffers[0].data(), previous, buffers[2].data(), links.data(), count) != count) __builtin_trap();
  for (int32_t i = 0; i < count; ++i) {
    const CommentLink& l = links[size_t(i)];
    if (l.CommentStart >= l.CommentEnd || l.CommentEnd >= buffers[2].size()) __builtin_trap();
    if (l.Side == LinkNone) continue;
    const std::vector<unsigned char>& quoted = l.Side == LinkPreviousSide ? buffers[1] : buffers[0];
    if ((l.Side == LinkPreviousSide && !previous) || l.QuoteStart >= l.QuoteEnd || l.QuoteEnd > quoted.size())
      __builtin_trap();
  }
  return 0;
}
