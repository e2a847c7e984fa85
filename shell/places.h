// The reader's places as commands: Back and Forward, the Bookmarks menu and
// its dialog, and zoom (the text size of both panes in the font dialog's
// steps). Jumps themselves go through shell/article.h.
//
// Owns: Bookmarks, the list the Bookmarks menu shows; written only here and
// by the Organize Bookmarks dialog it opens.
#pragma once
#include <windows.h>

#include "store/places.h"

extern BookmarkList Bookmarks;

// Reads the stored bookmarks (at start-up).
void LoadPlaces();
// Adds the current place at the front of the bookmarks and stores the list;
// nothing when it is bookmarked already. A full list, or a list that could
// not be stored, is told.
void AddBookmarkHere();
// Jumps to the bookmark a menu command names (CMD_BOOKMARK_FIRST + index).
void GoToBookmark(HWND window, int index);
void OrganizeBookmarksDialog(HWND window);
// Brings a popup that is about to open up to date: Back and Forward greyed
// when there is nowhere to go, the Bookmarks menu's entries.
void UpdatePlaceMenus(HWND window, HMENU popup);

// Changes the text size of both panes: direction > 0 a step up, < 0 a step
// down, 0 back to 12; the line at the top of each pane stays there.
void Zoom(HWND window, int direction);
// Applies FontSettings to both panes keeping each pane's top line.
void ApplyFontKeepingPlace(HWND window);
