// Stored bookmark values are whatever an older version or a hand edit left:
// any type, value and corpus size to their reading. A value taken is written
// back byte for byte and names a main text of that corpus; one refused
// leaves the bookmark alone.
#include <cstdint>
#include <cstring>
#include <vector>

#include "store/places.h"

namespace {
bool Ended(const DisplayChar* name) {
  for (int32_t i = 0; i <= MaxBookmarkNameUnits; ++i)
    if (!name[i]) return true;
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // The value's type, the corpus's record count, then the value in an
  // allocation of its own, so any read past it is seen.
  const uint32_t type = data[0] & 1 ? BookmarkValueType : data[0] >> 1;
  const int32_t recordCount = data[1] | data[2] << 8;
  const std::vector<unsigned char> value(data + 3, data + size);
  Bookmark mark, untouched;
  std::memset(&mark, 0x77, sizeof mark);
  std::memcpy(&untouched, &mark, sizeof mark);
  if (!ReadBookmark(type, value.empty() ? nullptr : value.data(), value.size(), recordCount, &mark)) {
    if (std::memcmp(&mark, &untouched, sizeof mark) != 0) __builtin_trap();
    return 0;
  }
  const int32_t lesson = mark.At.Lesson;
  if (type != BookmarkValueType || lesson < 1 || lesson >= recordCount || lesson % 2 == 0) __builtin_trap();
  if (mark.At.Main.BlankRow > 1 || mark.At.Commentary.BlankRow > 1 || !Ended(mark.Name)) __builtin_trap();
  std::vector<unsigned char> again(StoreBookmark(mark, nullptr));
  StoreBookmark(mark, again.data());
  if (again != value) __builtin_trap();

  // Its place's name, as Add Bookmark gives it, stays in its buffer.
  DisplayChar name[MaxBookmarkNameUnits + 2];
  name[MaxBookmarkNameUnits + 1] = 0x7777;
  PlaceName(lesson, name);
  if (!Ended(name) || name[MaxBookmarkNameUnits + 1] != 0x7777) __builtin_trap();
  return 0;
}
