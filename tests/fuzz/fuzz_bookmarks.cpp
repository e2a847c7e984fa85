// Stored bookmark values are whatever an older version, a hand edit or
// another program left under the Bookmarks key: feeds any value type, size
// and corpus size to their reading, and checks that what is taken is written
// back byte for byte, names a main text of that corpus, and that what is
// refused leaves the bookmark alone.
#include <cstdint>
#include <cstring>
#include <vector>

#include "store/places.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // First byte: the value's type (REG_BINARY or any); then the number of
  // records of the corpus; the rest in an allocation of its own, so any read
  // past it is seen.
  const uint32_t type = data[0] & 1 ? BookmarkValueType : data[0] >> 1;
  const int32_t recordCount = data[1] | data[2] << 8;
  std::vector<unsigned char> value(data + 3, data + size);
  const unsigned char* bytes = value.empty() ? nullptr : value.data();

  Bookmark mark;
  std::memset(&mark, 0x77, sizeof mark);
  Bookmark untouched = mark;
  if (!ReadBookmark(type, bytes, value.size(), recordCount, &mark)) {
    if (std::memcmp(&mark, &untouched, sizeof mark) != 0) __builtin_trap();
    return 0;
  }
  const int32_t lesson = mark.At.Lesson;
  if (type != BookmarkValueType || lesson < 1 || lesson >= recordCount || lesson % 2 == 0) __builtin_trap();
  if (mark.At.Main.BlankRow > 1 || mark.At.Commentary.BlankRow > 1) __builtin_trap();
  int32_t units = 0;
  while (units <= MaxBookmarkNameUnits && mark.Name[units]) ++units;
  if (units > MaxBookmarkNameUnits) __builtin_trap();
  std::vector<unsigned char> again(StoreBookmark(mark, nullptr));
  StoreBookmark(mark, again.data());
  if (again != value) __builtin_trap();

  // Its place's name, as Add Bookmark would give it.
  DisplayChar name[MaxBookmarkNameUnits + 2];
  name[MaxBookmarkNameUnits + 1] = 0x7777;
  PlaceName(lesson, name);
  units = 0;
  while (units <= MaxBookmarkNameUnits && name[units]) ++units;
  if (units > MaxBookmarkNameUnits || name[MaxBookmarkNameUnits + 1] != 0x7777) __builtin_trap();
  return 0;
}
