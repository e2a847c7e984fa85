// Bookmarks in the registry: one REG_BINARY value a bookmark under
// "Software\Quillary\Orvane\Bookmarks", named "0", "1", ... in list order,
// written whenever the list changes. While a save runs the new list is also
// "New0", "New1", ..., and "Count" says how many of those are the list
// (store/places.h: WriteBookmarkValues).
#pragma once
#include <windows.h>

#include "store/places.h"

extern const wchar_t BookmarksKeyPath[];

// Reads the stored list (ReadBookmarkValues). Never fails: the list may come
// back empty.
void LoadBookmarks(BookmarkList* list, int32_t recordCount);
// Writes the list (WriteBookmarkValues) and then removes every other value
// of the key; a save cut short leaves the old list or the new one whole.
// False when the list could not be stored.
bool SaveBookmarks(const BookmarkList* list);
// SaveBookmarks, telling the user (a box owned by owner) when it fails.
bool SaveBookmarksOrSay(HWND owner, const BookmarkList* list);
