// Feeds arbitrary input to the reference reader, the citation finder and the
// link argument decoder: every result must name a page of the corpus or a
// reason, and every citation must lie within its text on a parenthesis.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "store/letters.h"
#include "store/references.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Layout: a flag byte (bit 0: citation mode, bit 1: Latin letters), the
  // page being read (2 bytes), then the text: as UTF-16 units, and as the
  // bytes of a paragraph.
  if (size < 3) return 0;
  const int32_t current = (data[1] | data[2] << 8) % (ArticleCount + 2);
  const uint8_t* bytes = data + 3;
  const int32_t count = int32_t(size - 3);
  std::vector<DisplayChar> units(size_t(count / 2) + 1);
  for (int32_t i = 0; i + 1 < count; i += 2) units[size_t(i / 2)] = DisplayChar(bytes[i] | bytes[i + 1] << 8);
  const ReferenceMode mode = data[0] & 1 ? ReferenceMode::Citation : ReferenceMode::Lenient;
  const ReferenceResult r =
      ReadReference(units.data(), count / 2, current, mode, data[0] & 2 ? AsciiBaseLatin : AsciiBaseUnicode);
  if ((r.Code == ReferenceFound) != (r.Article >= 1 && r.Article <= ArticleCount)) __builtin_trap();
  if (r.Code == ReferenceFound && ArticleOfSide(r.Tractate, r.SideCode) != r.Article) __builtin_trap();
  if (r.Code == ReferenceAmbiguous && (r.CandidateCount < 2 || r.CandidateCount > TractateCount)) __builtin_trap();
  for (int32_t i = 0; r.Code == ReferenceAmbiguous && i < r.CandidateCount; ++i) {
    if (r.Candidates[i] >= TractateCount || (i && r.Candidates[i] <= r.Candidates[i - 1])) __builtin_trap();
  }

  DisplayChar decoded[64];
  int32_t written = -1;
  const LinkArgumentCode code = DecodeLinkArgument(units.data(), count / 2, decoded, 64, &written);
  if (written < 0 || written >= 64 || decoded[written] != 0 || (code != LinkArgumentDecoded && written != 0))
    __builtin_trap();

  // The bytes as a paragraph in either order, and as a record of paragraphs.
  for (int order = 0; order < 2; ++order) {
    Citation found[16];
    const int32_t n = FindCitations(bytes, count, order == 1, current, found, 16);
    std::vector<unsigned char> reading(bytes, bytes + count);
    if (order) TurnParagraph(reading.data(), count);
    for (int32_t i = 0; i < n && i < 16; ++i) {
      const Citation& c = found[i];
      if (c.Start < 0 || c.End > count || c.Start + 2 > c.End || c.Article < 1 || c.Article > ArticleCount)
        __builtin_trap();
      // In reading order the span runs from an opening to a closing parenthesis.
      const int32_t from = order ? count - c.End : c.Start, to = order ? count - c.Start : c.End;
      if (reading[size_t(from)] != '(' || reading[size_t(to - 1)] != ')') __builtin_trap();
    }
    if (FindAllCitations(bytes, count, order == 1, current, nullptr, nullptr, 0) < (n < 0 ? -1 : n)) __builtin_trap();
  }
  std::vector<unsigned char> record(bytes, bytes + count);
  record.insert(record.end(), {0, 0, 0});
  Citation found[16];
  const int32_t n = FindRecordCitations(record.data(), current, found, 16);
  for (int32_t i = 0; i < n && i < 16; ++i) {
    if (found[i].Start < 2 || found[i].End > count || found[i].Start >= found[i].End) __builtin_trap();
  }
  return 0;
}
