// Feeds arbitrary bytes to the copy text and RTF code: as a paragraph list
// (the copy text must stay inside the buffer sized for it, and counting the
// body must give what writing it gives), with a selection of it whose
// offsets come from the input, and as an old clipboard document.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "output/rtf.h"
#include "store/selection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  AppSettings.FontSettings.FontAsciiBase = (data[0] & 1) ? 1488 : (data[0] & 2) ? 224 : 97;
  AppSettings.Flags = (data[0] & 4) ? Reverse : 0;
  // A record as the loader hands it over: the bytes, then zeros.
  std::vector<unsigned char> text(data + 1, data + size);
  text.insert(text.end(), 3, 0);
  const size_t units = CopyTextUnits(text.data());
  std::vector<DisplayChar> copy(units);  // exact: ASan sees any overrun
  const size_t written = BuildCopyText(text.data(), copy.data());
  if (written >= units || copy[written] != 0) std::abort();

  if (size >= 5) {
    const size_t span = text.size() + 4;  // offsets past the text too
    const TextSelection sel{static_cast<uint16_t>((data[1] | data[2] << 8) % span),
                            static_cast<uint16_t>((data[3] | data[4] << 8) % span)};
    int32_t lo, hi;
    SelectedInParagraph(text.data(), sel, data[2], &lo, &hi);
    if (unsigned char* part = ExtractSelection(text.data(), sel)) {
      std::vector<DisplayChar> partCopy(CopyTextUnits(part));
      if (BuildCopyText(part, partCopy.data()) >= partCopy.size()) std::abort();
      std::free(part);
    }
  }

  const size_t bodyLength = RtfBody(copy.data(), nullptr);
  std::vector<char> body(bodyLength + 1);
  if (RtfBody(copy.data(), body.data()) != bodyLength || body[bodyLength] != 0) std::abort();

  const char* old = reinterpret_cast<const char*>(data + 1);
  const size_t total = RtfDocument(old, size - 1, body.data(), bodyLength, nullptr);
  std::vector<char> document(total);
  if (RtfDocument(old, size - 1, body.data(), bodyLength, document.data()) != total || document[total - 1] != 0)
    std::abort();
  return 0;
}
