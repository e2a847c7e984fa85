#include "store/places.h"

#include <cstring>

#include "store/letters.h"
#include "store/tractates.h"

namespace {

bool SamePosition(const PanePosition& a, const PanePosition& b) {
  return a.Offset == b.Offset && a.BlankRow == b.BlankRow;
}

// Appends to a stack of at most MaxHistoryPlaces places, dropping the oldest.
void Push(Place* stack, int32_t* count, const Place& place) {
  if (*count == MaxHistoryPlaces) {
    std::memmove(stack, stack + 1, (MaxHistoryPlaces - 1) * sizeof(Place));
    --*count;
  }
  stack[(*count)++] = place;
}

void PutU16(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
uint32_t GetU16(const unsigned char* p) { return p[0] | uint32_t{p[1]} << 8; }

void PutPosition(unsigned char* p, const PanePosition& position) {
  PutU16(p, position.Offset);
  PutU16(p + 2, position.BlankRow);
}

bool GetPosition(const unsigned char* p, PanePosition* position) {
  const uint32_t flag = GetU16(p + 2);
  if (flag > 1) return false;
  position->Offset = static_cast<uint16_t>(GetU16(p));
  position->BlankRow = static_cast<uint8_t>(flag);
  return true;
}

}  // namespace

bool SamePlace(const Place& a, const Place& b) {
  return a.Lesson == b.Lesson && SamePosition(a.Main, b.Main) && SamePosition(a.Commentary, b.Commentary);
}

void RecordJump(PlaceHistory* history, const Place& left, const Place& target) {
  if (SamePlace(left, target)) return;
  Push(history->Back, &history->BackCount, left);
  history->ForwardCount = 0;
}

bool StepBack(PlaceHistory* history, const Place& current, Place* target) {
  if (history->BackCount == 0) return false;
  *target = history->Back[--history->BackCount];
  Push(history->Forward, &history->ForwardCount, current);
  return true;
}

bool StepForward(PlaceHistory* history, const Place& current, Place* target) {
  if (history->ForwardCount == 0) return false;
  *target = history->Forward[--history->ForwardCount];
  Push(history->Back, &history->BackCount, current);
  return true;
}

bool AddBookmark(BookmarkList* list, const Bookmark& mark) {
  if (list->Count >= MaxBookmarks) return false;
  for (int32_t i = 0; i < list->Count; ++i)
    if (SamePlace(list->Items[i].At, mark.At)) return false;
  std::memmove(list->Items + 1, list->Items, list->Count * sizeof(Bookmark));
  list->Items[0] = mark;
  ++list->Count;
  return true;
}

void DeleteBookmark(BookmarkList* list, int32_t index) {
  if (index < 0 || index >= list->Count) return;
  std::memmove(list->Items + index, list->Items + index + 1, (list->Count - index - 1) * sizeof(Bookmark));
  --list->Count;
}

bool MoveBookmark(BookmarkList* list, int32_t index, int32_t step) {
  const int32_t other = index + step;
  if (index < 0 || index >= list->Count || other < 0 || other >= list->Count || other == index) return false;
  const Bookmark kept = list->Items[index];
  list->Items[index] = list->Items[other];
  list->Items[other] = kept;
  return true;
}

bool RenameBookmark(BookmarkList* list, int32_t index, const DisplayChar* name) {
  if (index < 0 || index >= list->Count || !name || name[0] == 0) return false;
  DisplayChar* out = list->Items[index].Name;
  int32_t n = 0;
  for (; n < MaxBookmarkNameUnits && name[n]; ++n) out[n] = name[n];
  out[n] = 0;
  return true;
}

size_t StoreBookmark(const Bookmark& mark, unsigned char* out) {
  size_t units = 0;
  while (units < MaxBookmarkNameUnits && mark.Name[units]) ++units;
  const size_t size = BookmarkHeaderBytes + 2 * (units + 1);
  if (!out) return size;
  PutU16(out, static_cast<uint32_t>(mark.At.Lesson));
  PutPosition(out + 2, mark.At.Main);
  PutPosition(out + 6, mark.At.Commentary);
  for (size_t i = 0; i <= units; ++i) PutU16(out + BookmarkHeaderBytes + 2 * i, i < units ? mark.Name[i] : 0);
  return size;
}

bool ReadBookmark(uint32_t type, const unsigned char* bytes, size_t size, int32_t recordCount, Bookmark* out) {
  if (type != BookmarkValueType || !bytes || size < BookmarkHeaderBytes + 2 || (size - BookmarkHeaderBytes) % 2)
    return false;
  const size_t units = (size - BookmarkHeaderBytes) / 2 - 1;  // before the last unit, the terminator
  if (units > MaxBookmarkNameUnits) return false;
  const unsigned char* name = bytes + BookmarkHeaderBytes;
  if (GetU16(name + 2 * units) != 0) return false;
  Bookmark mark{};
  for (size_t i = 0; i < units; ++i) {
    mark.Name[i] = static_cast<DisplayChar>(GetU16(name + 2 * i));
    if (mark.Name[i] == 0) return false;  // the terminator comes last, once
  }
  const int32_t lesson = static_cast<int32_t>(GetU16(bytes));
  if (lesson < 1 || lesson >= recordCount || lesson % 2 == 0) return false;
  mark.At.Lesson = lesson;
  if (!GetPosition(bytes + 2, &mark.At.Main) || !GetPosition(bytes + 6, &mark.At.Commentary)) return false;
  *out = mark;
  return true;
}

namespace {

// Numbers looked at, at most, for the end of a stored run.
constexpr int32_t MaxStoredRun = 65536;

bool ValueExists(const BookmarkValues& values, int32_t index) {
  size_t size = 0;
  uint32_t type = 0;
  return values.Read(values.Context, index, nullptr, &size, &type);
}

int32_t RunLength(const BookmarkValues& values, int32_t base) {
  int32_t length = 0;
  while (length < MaxStoredRun && ValueExists(values, base + length)) ++length;
  return length;
}

// The count of the list beside the run, or -1 when none is stored (or the
// value is no count).
int32_t StoredCount(const BookmarkValues& values) {
  unsigned char bytes[BookmarkCountBytes];
  size_t size = sizeof bytes;
  uint32_t type = 0;
  if (!values.Read(values.Context, BookmarkCountIndex, bytes, &size, &type) || type != BookmarkValueType ||
      size != sizeof bytes) {
    return -1;
  }
  const uint32_t count = GetU16(bytes) | GetU16(bytes + 2) << 16;
  return count <= MaxBookmarks ? static_cast<int32_t>(count) : -1;
}

}  // namespace

void ReadBookmarkValues(BookmarkList* list, int32_t recordCount, const BookmarkValues& values) {
  list->Count = 0;
  const int32_t count = StoredCount(values);
  const int32_t base = count < 0 ? 0 : BookmarkSideBase;
  const int32_t limit = count < 0 ? MaxStoredRun : count;
  for (int32_t i = 0; i < limit && list->Count < MaxBookmarks; ++i) {
    unsigned char bytes[BookmarkHeaderBytes + 2 * (MaxBookmarkNameUnits + 1)];
    size_t size = sizeof bytes;
    uint32_t type = 0;
    if (!values.Read(values.Context, base + i, bytes, &size, &type)) break;  // a gap ends the list
    Bookmark& mark = list->Items[list->Count];
    if (!ReadBookmark(type, bytes, size, recordCount, &mark)) continue;
    bool known = false;
    for (int32_t k = 0; k < list->Count && !known; ++k) known = SamePlace(list->Items[k].At, mark.At);
    if (!known) ++list->Count;
  }
}

bool WriteBookmarkValues(const BookmarkList* list, const BookmarkValues& values) {
  unsigned char bytes[BookmarkHeaderBytes + 2 * (MaxBookmarkNameUnits + 1)];
  auto writeList = [&](int32_t base) {
    for (int32_t i = 0; i < list->Count; ++i)
      if (!values.Write(values.Context, base + i, bytes, StoreBookmark(list->Items[i], bytes))) return false;
    return true;
  };
  // From the end, so that the run never has a gap.
  auto cutRun = [&](int32_t base, int32_t keep) {
    for (int32_t i = RunLength(values, base) - 1; i >= keep; --i)
      if (!values.Remove(values.Context, base + i)) return false;
    return true;
  };
  // While no count is stored, the run from 0 is what a reader takes: the
  // new list goes beside it, and the count, written last, makes it the one
  // read. (With a count stored, the list it counts stays until the end.)
  if (StoredCount(values) < 0) {
    unsigned char count[BookmarkCountBytes];
    PutU16(count, static_cast<uint32_t>(list->Count));
    PutU16(count + 2, 0);
    if (!writeList(BookmarkSideBase) || !values.Write(values.Context, BookmarkCountIndex, count, sizeof count))
      return false;
  }
  // The run from 0 in the form every version reads, taken again once the
  // count is gone; then what is beside it goes. A version that knows no
  // count reads the run as it stands and may meet a mix while it is being
  // rewritten: no order of single writes avoids that for every change, as
  // the write that turns the old list into the new one for it changes,
  // adds or removes one bookmark (or adds some at the end, or cuts the
  // list short), and a bookmark moved up or down changes two places.
  return writeList(0) && cutRun(0, list->Count) && values.Remove(values.Context, BookmarkCountIndex) &&
         cutRun(BookmarkSideBase, 0);
}

void PlaceName(int32_t lesson, DisplayChar out[MaxBookmarkNameUnits + 1]) {
  out[0] = 0;
  int32_t tractate = 0, sideCode = 0;
  if (lesson < 1 || !LocateArticle((lesson + 1) / 2, &tractate, &sideCode)) return;
  int32_t n = 0;
  auto put = [&](DisplayChar c) {
    if (n < MaxBookmarkNameUnits) out[n++] = c;
  };
  auto letter = [&](unsigned char c) {
    put(c >= FirstLetter && c < FirstLetter + LetterCount ? static_cast<DisplayChar>(AsciiBaseUnicode + c - FirstLetter)
                                                        : static_cast<DisplayChar>(c));
  };
  // The table's strings are in display order: read them from their ends.
  const DisplayChar* name = TractateTable[tractate].Name;
  int32_t length = 0;
  while (name[length]) ++length;
  for (int32_t i = length - 1; i >= 0; --i) letter(static_cast<unsigned char>(name[i]));
  char digits[5];
  FolioNumeralLetters(sideCode / 2, digits);
  put(' ');
  for (const char* d = digits; *d; ++d) letter(static_cast<unsigned char>(*d));
  // The side suffix is a space and the side word, in display order.
  const DisplayChar* side = SIDE_SUFFIX;
  length = 0;
  while (side[length]) ++length;
  put(' ');
  for (int32_t i = length - 1; i >= 1; --i) letter(static_cast<unsigned char>(side[i]));
  put(' ');
  letter(static_cast<unsigned char>(SideLetters[sideCode % 2]));
  out[n] = 0;
}

void CopySourceName(int32_t lesson, bool commentary, DisplayChar out[MaxBookmarkNameUnits + 1]) {
  PlaceName(lesson, out);
  if (!commentary || !out[0]) return;
  // "commentary", a generic word: no commentator's name.
  static constexpr DisplayChar Word[] = {' ', 0x05E4, 0x05D9, 0x05E8, 0x05D5, 0x05E9, 0};
  int32_t n = 0;
  while (out[n]) ++n;
  for (const DisplayChar* w = Word; *w && n < MaxBookmarkNameUnits; ++w) out[n++] = *w;
  out[n] = 0;
}

int32_t ZoomedFontSize(int32_t size, int direction) {
  if (size == 0) size = ZoomResetSize;
  if (direction > 0) {
    for (int32_t step : FontSizeSteps)
      if (step > size) return step;
    return size > FontSizeSteps[FontSizeStepCount - 1] ? size : FontSizeSteps[FontSizeStepCount - 1];
  }
  for (int32_t i = FontSizeStepCount - 1; i >= 0; --i)
    if (FontSizeSteps[i] < size) return FontSizeSteps[i];
  return size < FontSizeSteps[0] ? size : FontSizeSteps[0];
}
