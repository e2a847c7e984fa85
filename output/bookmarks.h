// Bookmarks in the registry: one REG_BINARY value a bookmark under
// "Software\Quillary\Orvane\Bookmarks", named "0", "1", ... in list order,
// written whenever the list changes.
#pragma once
#include <windows.h>

#include "store/places.h"

extern const wchar_t BookmarksKeyPath[];

// Reads the values "0", "1", ... up to the first missing number; a value
// that is malformed, names an article beyond a corpus of recordCount
// records, or names a place read already (a save cut short stores some
// twice), is skipped. Never fails: the list may come back empty.
void LoadBookmarks(BookmarkList* list, int32_t recordCount);
// Writes the list as values "0" .. "n-1" and then removes every other value
// of the key; a failure at any point leaves every bookmark, old or new,
// stored (WriteBookmarkValues). False when the list could not be stored.
bool SaveBookmarks(const BookmarkList* list);
// SaveBookmarks, telling the user (a box owned by owner) when it fails.
bool SaveBookmarksOrSay(HWND owner, const BookmarkList* list);
