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

}  // namespace

void LoadBookmarks(BookmarkList* list, int32_t recordCount) {
  list->Count = 0;
  OpenKey open;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, BookmarksKeyPath, 0, KEY_READ, &open.key) != ERROR_SUCCESS) return;
  for (int32_t i = 0; i < MaxBookmarks; ++i) {
    wchar_t name[16];
    ValueName(i, name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(open.key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;  // a gap ends the list
    if (size > MaxBookmarkBytes) continue;
    unsigned char bytes[MaxBookmarkBytes];
    DWORD got = sizeof bytes;
    if (RegQueryValueExW(open.key, name, nullptr, &type, bytes, &got) != ERROR_SUCCESS) continue;
    Bookmark& mark = list->Items[list->Count];
    if (ReadBookmark(type, bytes, got, recordCount, &mark)) ++list->Count;
  }
}

bool SaveBookmarks(const BookmarkList* list) {
  OpenKey open;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, BookmarksKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &open.key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool written = true;
  for (int32_t i = 0; i < list->Count; ++i) {
    unsigned char bytes[MaxBookmarkBytes];
    const DWORD size = static_cast<DWORD>(StoreBookmark(list->Items[i], bytes));
    wchar_t name[16];
    ValueName(i, name);
    written = RegSetValueExW(open.key, name, 0, REG_BINARY, bytes, size) == ERROR_SUCCESS && written;
  }
  if (!written) return false;
  // Everything else goes: values past the list's end, and any the list did
  // not read (damaged ones, or names of another form). Names are collected
  // first, as deleting while enumerating would skip some.
  for (;;) {
    wchar_t stale[64][64];
    int found = 0;
    for (DWORD i = 0; found < 64; ++i) {
      DWORD length = 64;
      const LONG result = RegEnumValueW(open.key, i, stale[found], &length, nullptr, nullptr, nullptr, nullptr);
      if (result == ERROR_NO_MORE_ITEMS) break;
      // A name too long for the buffer is none the list reads: left alone.
      if (result == ERROR_SUCCESS && !IsListName(stale[found], list->Count)) ++found;
    }
    int deleted = 0;
    for (int k = 0; k < found; ++k) deleted += RegDeleteValueW(open.key, stale[k]) == ERROR_SUCCESS;
    if (deleted == 0) return true;
  }
}
