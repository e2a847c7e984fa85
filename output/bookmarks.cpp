#include "output/bookmarks.h"

#include <cstdio>
#include <cwchar>

const wchar_t BookmarksKeyPath[] = L"Software\\Quillary\\Orvane\\Bookmarks";

namespace {

// The largest stored form: the header and a full name with its terminator.
constexpr DWORD MaxBookmarkBytes = BookmarkHeaderBytes + 2 * (MaxBookmarkNameUnits + 1);

struct OpenKey {
  HKEY key = nullptr;
  ~OpenKey() {
    if (key) RegCloseKey(key);
  }
};

void ValueName(int32_t index, wchar_t name[16]) { std::swprintf(name, 16, L"%d", static_cast<int>(index)); }

// Whether a value name is one the list writes for a list of count entries:
// a number below count in plain decimal, without leading zeros.
bool IsListName(const wchar_t* name, int32_t count) {
  if (name[0] == L'0') return name[1] == 0 && count > 0;
  int32_t n = 0;
  for (const wchar_t* p = name; *p; ++p) {
    if (*p < L'0' || *p > L'9' || n >= count) return false;
    n = n * 10 + (*p - L'0');
  }
  return name[0] != 0 && n < count;
}

// Numbers looked at, at most, for the end of the stored run.
constexpr int32_t MaxStoredRun = 65536;

bool ValueExists(HKEY key, int32_t index) {
  wchar_t name[16];
  ValueName(index, name);
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool WriteValue(void* context, int32_t index, const unsigned char* bytes, size_t size) {
  wchar_t name[16];
  ValueName(index, name);
  return RegSetValueExW(*static_cast<HKEY*>(context), name, 0, REG_BINARY, bytes, static_cast<DWORD>(size)) ==
         ERROR_SUCCESS;
}

bool RemoveValue(void* context, int32_t index) {
  wchar_t name[16];
  ValueName(index, name);
  const LONG result = RegDeleteValueW(*static_cast<HKEY*>(context), name);
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// Removes every value the list does not read: past its end, damaged ones,
// names of another form. Names are collected first, as deleting while
// enumerating would skip some; any error ends it (what is left is never read).
void RemoveStaleValues(HKEY key, int32_t count) {
  for (;;) {
    wchar_t stale[64][64];
    int found = 0;
    for (DWORD i = 0; found < 64; ++i) {
      DWORD length = 64;
      const LONG result = RegEnumValueW(key, i, stale[found], &length, nullptr, nullptr, nullptr, nullptr);
      // A name too long for the buffer is none the list reads: left alone.
      if (result == ERROR_MORE_DATA) continue;
      if (result != ERROR_SUCCESS) break;
      if (!IsListName(stale[found], count)) ++found;
    }
    if (found == 0) return;
    for (int k = 0; k < found; ++k)
      if (RegDeleteValueW(key, stale[k]) != ERROR_SUCCESS) return;
  }
}

}  // namespace

void LoadBookmarks(BookmarkList* list, int32_t recordCount) {
  list->Count = 0;
  OpenKey open;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, BookmarksKeyPath, 0, KEY_READ, &open.key) != ERROR_SUCCESS) return;
  for (int32_t i = 0; i < MaxStoredRun && list->Count < MaxBookmarks; ++i) {
    wchar_t name[16];
    ValueName(i, name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(open.key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;  // a gap ends the list
    if (size > MaxBookmarkBytes) continue;
    unsigned char bytes[MaxBookmarkBytes];
    DWORD got = sizeof bytes;
    if (RegQueryValueExW(open.key, name, nullptr, &type, bytes, &got) != ERROR_SUCCESS) continue;
    Bookmark& mark = list->Items[list->Count];
    if (!ReadBookmark(type, bytes, got, recordCount, &mark)) continue;
    bool known = false;
    for (int32_t k = 0; k < list->Count && !known; ++k) known = SamePlace(list->Items[k].At, mark.At);
    if (!known) ++list->Count;
  }
}

bool SaveBookmarks(const BookmarkList* list) {
  OpenKey open;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, BookmarksKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &open.key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  int32_t stored = 0;
  while (stored < MaxStoredRun && ValueExists(open.key, stored)) ++stored;
  if (!WriteBookmarkValues(list, stored, BookmarkValues{&open.key, WriteValue, RemoveValue})) return false;
  RemoveStaleValues(open.key, list->Count);
  return true;
}

bool SaveBookmarksOrSay(HWND owner, const BookmarkList* list) {
  if (SaveBookmarks(list)) return true;
  MessageBoxW(owner,
              L"The bookmarks could not be saved in the registry.\n\n"
              L"This change is kept only until the reader is closed.",
              L"Orvane", MB_OK | MB_ICONWARNING);
  return false;
}
