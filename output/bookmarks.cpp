#include "output/bookmarks.h"

#include <cstdio>
#include <cwchar>

const wchar_t BookmarksKeyPath[] = L"Software\\Quillary\\Orvane\\Bookmarks";

namespace {

struct OpenKey {
  HKEY key = nullptr;
  ~OpenKey() {
    if (key) RegCloseKey(key);
  }
};

// The numbered values' names: the run as "0", "1", ..., the list beside it
// as "New0", "New1", ..., and its count as "Count".
void ValueName(int32_t index, wchar_t name[16]) {
  if (index == BookmarkCountIndex) std::swprintf(name, 16, L"Count");
  else if (index >= BookmarkSideBase) std::swprintf(name, 16, L"New%d", static_cast<int>(index - BookmarkSideBase));
  else std::swprintf(name, 16, L"%d", static_cast<int>(index));
}

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

bool ReadValue(void* context, int32_t index, unsigned char* bytes, size_t* size, uint32_t* type) {
  wchar_t name[16];
  ValueName(index, name);
  DWORD kind = 0, got = bytes ? static_cast<DWORD>(*size) : 0;
  const LONG result =
      RegQueryValueExW(*static_cast<HKEY*>(context), name, nullptr, &kind, bytes, bytes ? &got : nullptr);
  *type = kind;
  *size = result == ERROR_SUCCESS && bytes ? got : 0;
  return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;  // too large: there, and unread
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
  ReadBookmarkValues(list, recordCount, BookmarkValues{&open.key, ReadValue, WriteValue, RemoveValue});
}

bool SaveBookmarks(const BookmarkList* list) {
  OpenKey open;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, BookmarksKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &open.key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  if (!WriteBookmarkValues(list, BookmarkValues{&open.key, ReadValue, WriteValue, RemoveValue})) return false;
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
