// Reading places: where the reader is (an article and the top of each
// pane), the Back/Forward history of the places left by jumps, the
// bookmarks and their stored form, and the font sizes the zoom steps
// through. Platform-free: the shell and the settings code do the rest.
//
// A pane's position is a text offset, not a row number, so that a place
// survives a new font size, a new window width or a new screen.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/appsettings.h"

struct PanePosition {
  uint16_t Offset;   // first byte in reading order of the pane's top line
  uint8_t BlankRow;  // 1: the top row is the blank row after that line
};

// A position as one number, as a stored bookmark holds each: the offset in
// the low 16 bits, the blank-row flag at bit 16.
constexpr uint32_t PackPosition(const PanePosition& position) {
  return position.Offset | static_cast<uint32_t>(position.BlankRow ? 1 : 0) << 16;
}
// False (nothing written) for a number with any other bit set.
constexpr bool UnpackPosition(uint32_t packed, PanePosition* position) {
  if (packed >> 17) return false;
  *position = PanePosition{static_cast<uint16_t>(packed), static_cast<uint8_t>(packed >> 16)};
  return true;
}

struct Place {
  int32_t Lesson;  // main-text record of the article
  PanePosition Main;
  PanePosition Commentary;
  uint8_t CommentaryActive;  // 1: the commentary pane was the active one
};

// The same article at the same positions (the active pane does not count).
bool SamePlace(const Place& a, const Place& b);

// Back and Forward, as browsers have them. Kept for the session only.
constexpr int MaxHistoryPlaces = 100;
struct PlaceHistory {
  Place Back[MaxHistoryPlaces];  // oldest first
  int32_t BackCount;
  Place Forward[MaxHistoryPlaces];  // the place Forward reaches last
  int32_t ForwardCount;
};

// A jump from left to target: left joins the Back places (the oldest drops
// out beyond the limit) and the Forward places are dropped. A jump to where
// the reader already is records nothing.
void RecordJump(PlaceHistory* history, const Place& left, const Place& target);
// Back from current: false with nowhere to go; else *target is the last
// place left and current becomes the first Forward place.
bool StepBack(PlaceHistory* history, const Place& current, Place* target);
// Forward from current: undoes a Back.
bool StepForward(PlaceHistory* history, const Place& current, Place* target);

// Bookmarks: a place (its article and both pane positions) and a name.
constexpr int MaxBookmarkNameUnits = 63;
constexpr int MaxBookmarks = 1000;   // kept; the menu lists the first 50
constexpr int MenuBookmarks = 50;
struct Bookmark {
  Place At;
  DisplayChar Name[MaxBookmarkNameUnits + 1];
};
struct BookmarkList {
  Bookmark Items[MaxBookmarks];  // the menu's order: newest added first
  int32_t Count;
};

// Adds a bookmark at the front; false (nothing changes) when the place is
// bookmarked already or the list is full.
bool AddBookmark(BookmarkList* list, const Bookmark& mark);
void DeleteBookmark(BookmarkList* list, int32_t index);
// Swaps an entry with its neighbour (-1 above, +1 below); false at an end.
bool MoveBookmark(BookmarkList* list, int32_t index, int32_t step);
// Renames an entry, keeping at most MaxBookmarkNameUnits units; an empty
// name changes nothing (false).
bool RenameBookmark(BookmarkList* list, int32_t index, const DisplayChar* name);

// A stored bookmark value: Lesson (16 bits), the main and commentary
// positions (32 bits each: offset, then the blank-row flag at bit 16), then
// the name as UTF-16 with its terminator; little-endian throughout.
constexpr uint32_t BookmarkValueType = 3;  // REG_BINARY
constexpr size_t BookmarkHeaderBytes = 10;
// Bytes of the stored form; with out, writes them.
size_t StoreBookmark(const Bookmark& mark, unsigned char* out);
// Reads a stored value: false for a wrong type or size, a Lesson that is no
// main-text record of a corpus of recordCount records, a position flag
// other than 0 or 1, or a name without terminator or over 63 units.
bool ReadBookmark(uint32_t type, const unsigned char* bytes, size_t size, int32_t recordCount, Bookmark* out);

// The numbered values a list is stored in, as the settings code keeps them:
// the list is the values 0, 1, ... up to the first missing number (the form
// every version reads), unless value BookmarkCountIndex holds a count: then
// it is the values BookmarkSideBase .. BookmarkSideBase + count - 1. A save
// writes the new list beside the old one and then that count, so that a save
// cut short at any point leaves either the whole old list or the whole new
// one to be read.
constexpr int32_t BookmarkCountIndex = -1;
constexpr int32_t BookmarkSideBase = 100000;
constexpr size_t BookmarkCountBytes = 4;  // little-endian, of type BookmarkValueType
struct BookmarkValues {
  void* Context;
  // Whether value index exists; when it does and fits in *size bytes (with
  // bytes not null), they are copied there, else *size is made 0.
  bool (*Read)(void* context, int32_t index, unsigned char* bytes, size_t* size, uint32_t* type);
  bool (*Write)(void* context, int32_t index, const unsigned char* bytes, size_t size);
  bool (*Remove)(void* context, int32_t index);  // a missing value counts as removed
};
// The stored list, as above. A value that is malformed, names an article
// beyond a corpus of recordCount records, or a place read already (a save of
// older versions cut short stores some twice) is skipped.
void ReadBookmarkValues(BookmarkList* list, int32_t recordCount, const BookmarkValues& values);
// Stores the list: unless a count is stored, the list beside the old one and
// then the count; then the list as values 0, 1, ..., the rest of that run
// cut from its end, the count removed, and the values beside it. Stops at the
// first write or removal that fails (false); a reader then finds either the
// old list or the new one whole, and the next save goes on from there.
bool WriteBookmarkValues(const BookmarkList* list, const BookmarkValues& values);

// The name of a place as the page header shows it: tractate, folio as a
// Hebrew numeral, side word and side letter, in reading order with the
// letters at U+05D0. Empty for an article outside the tractate table.
void PlaceName(int32_t lesson, DisplayChar out[MaxBookmarkNameUnits + 1]);
// The source a copy of a selection names: the place's name as PlaceName
// writes it, and for the commentary pane the word for a commentary after it.
// Empty when the name is.
void CopySourceName(int32_t lesson, bool commentary, DisplayChar out[MaxBookmarkNameUnits + 1]);

// The sizes the font dialog offers and the zoom steps through.
constexpr int32_t FontSizeSteps[] = {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72};
constexpr int32_t FontSizeStepCount = sizeof FontSizeSteps / sizeof FontSizeSteps[0];
constexpr int32_t ZoomResetSize = 12;
// The next step up (direction > 0) or down from size; a size between two
// steps goes to the next one that way; the ends stay. 0 (the face's
// default height) counts as 12.
int32_t ZoomedFontSize(int32_t size, int direction);
