// Entry points of the modal dialogs: Choose Daf, search, font, about, and the
// update check.
#pragma once
#include <windows.h>

#include <cstdint>

#include "dialogs/search_dialog.h"
#include "store/appsettings.h"
#include "store/dailyfolio.h"
#include "store/notes.h"
#include "store/places.h"
#include "store/references.h"

// Returns the main-text record of the chosen article, or 0 when cancelled.
int32_t ChooseDaf(HINSTANCE instance, HWND owner, int32_t record);
// 1 (OK) after writing *settings, 2 (Cancel) leaving it as it was.
INT_PTR FontDialog(HWND owner, FontSettings* settings);
INT_PTR AboutBox(HWND owner);
// Opens the maker's update page, with product and version in the query.
void CheckForUpdates(HWND window);
// Hands a web address to the shell (the user's browser); failures are not
// reported.
void OpenUrl(HWND window, const wchar_t* address);
// The note dialog: heading (the passage's first words and its page) above
// the note's text, edited in place: text holds NoteTextUnits units and a
// terminator. IDOK (text as typed, perhaps empty) or IDCANCEL (text as it was).
constexpr int NoteTextUnits = MaxNoteUnits;
INT_PTR NoteDialog(HWND owner, const wchar_t* heading, wchar_t* text);
// Organize Bookmarks over the list; every change is stored at once.
INT_PTR OrganizeBookmarks(HWND owner, BookmarkList* list);

// The daily folio. The local date it is counted from: GetLocalTime's, unless
// a test puts another clock here.
extern CivilDate (*LocalDate)();
// Today's folio: its main-text record, or 0 after a box that says the text
// does not hold it.
int32_t TodaysFolio(HWND owner);
// Daily Folio: a date (today's to begin with) and its folio; returns the
// folio's main-text record, or 0 when cancelled.
int32_t DailyFolioDialog(HWND owner);
// Brings the label of Today's Folio in the window's menu up to date.
void UpdateDailyFolioMenu(HMENU menu);

// Go To: a reference typed and the page it names, read against the page
// being read (the main-text record lesson); returns the main-text record of
// the page chosen, or 0 when cancelled.
int32_t GoToDialog(HWND owner, int32_t lesson);
// A line for a reference's result: the page's name as PlaceName writes it
// (between right-to-left embedding marks) when it names one, else why not.
constexpr int32_t ReferenceLineUnits = 400;
void DescribeReference(const ReferenceResult& result, wchar_t* out, int32_t units);
