// Find All and its results window: one modeless, resizable window owned by
// the main window, whose list (a virtual report list view: rows are drawn on
// demand from the hit records) holds every hit of SearchString in corpus
// order. The list fills in slices while the message loop is idle; Enter or a
// double click on a row shows that hit as Search Again shows one and gives
// the main window the focus; Esc closes the window. Typing the first letters
// of a tractate's name selects its first row.
//
// Owns: ResultsWindow, its list and fonts, and the run that fills the list.
// Written only here.
#pragma once
#include <windows.h>

#include <cstdint>

extern HWND ResultsWindow;  // null while closed

// Hits listed at most.
constexpr uint32_t ResultsLimit = 1000000;

// The Search command: the search dialog, whose Find All button lists the hits
// of the string it stores.
void OpenSearchDialog(HWND window);
// Find All with the stored string (none: the search dialog instead). The
// window is made, or refilled, and shown with the list focused.
void FindAll(HWND window);
// Fills the list for about one frame: true while more is left to fill.
bool FillResultsSlice();
// The list in the colours of AppSettings.NightColours (the system's by day).
void ApplyResultsColours();
// For the message loop: true when msg belonged to the results window and has
// been handled (keyboard navigation, Enter and Esc).
bool ResultsDialogMessage(MSG* msg);
// What the message loop does with a message before dispatching it: the main
// window's accelerators, whichever window has the focus, then the results
// and All Notes windows' dialog keys. True when it was handled.
bool ReaderPreTranslate(MSG* msg, HACCEL accelerators);
// For the main window's WM_ENABLE: a modal dialog or message box disables
// the main window, and the results and All Notes windows with it, until it
// closes.
void FollowMainWindowEnabled(bool enabled);
// After a change of the font settings or of Reverse: the list's fonts,
// columns and rows anew.
void RefreshResultsList();
