// Settings in the registry: the accessors, the start-up load, the save at
// exit, the window placement, SetCurrentArticle and the out-of-memory exit.
//
// Every accessor opens its key, handles one value and closes the key again on
// every path. Nothing else in the program writes the registry.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "layout/paneview.h"
#include "store/appsettings.h"

extern const wchar_t SettingsKeyPath[];  // "Software\Quillary\Orvane" under HKCU
extern const wchar_t ParentKeyPath[];    // "software\Quillary": SurroundingGutter only

int32_t ReadDwordSetting(const wchar_t* keyPath, const wchar_t* name, int32_t fallback);
wchar_t* ReadStringSetting(const wchar_t* name);                   // caller frees; null on failure
unsigned char* ReadBinarySetting(const wchar_t* name, DWORD* size);  // caller frees; size may be null
HGLOBAL ReadBlobSetting(const wchar_t* name, HGLOBAL fallback);
bool WriteDwordSetting(const wchar_t* name, int32_t value);
bool WriteStringSetting(const wchar_t* name, const wchar_t* value);
bool WriteBinarySetting(const wchar_t* name, const void* bytes, DWORD count);

// SurroundingGutter from the parent key, DefaultGutter when there is none.
int32_t ReadSurroundingGutter();
// 0 when every value was read; 1 when memory ran out while it read: it then
// stops at once and saves nothing (the quit message is posted).
int32_t LoadSettings();
// Writes the settings, taking LastPosition and BottomSectionLastPosition from
// the panes' FirstRow; destroys both panes (the pointers are cleared) and
// posts the quit message with code 0. Either pane may be null.
void SaveSettings(PaneView** mainPane, PaneView** commentaryPane);
// Where a window restores to, as the user sees it: a maximised or minimised
// window's normal rectangle, otherwise the window's rectangle (a window
// snapped to a screen's edge has a normal rectangle that is not on the
// screen). Top, Left, Width, Height, showCmd.
void SaveWindowPlacement(HWND window);
// The stored place of the main window: false when no size is stored (the
// window then goes where the system puts a new one); a rectangle whose
// caption bar has no piece of 40 by 8 pixels (at 96 DPI, scaled) in a work
// area comes whole onto the work area of the monitor it overlaps most, or
// else of the nearest monitor. *show is the
// stored show state, or showCommand when it is none or would hide the window.
// The main window is created at this rectangle, so that it is made on its
// monitor and at that monitor's DPI, and only then shown.
bool StoredWindowPlacement(int showCommand, RECT* rect, int* show);
// Whether a window at this rectangle (screen coordinates) could be dragged
// by its caption: a piece of its caption bar of 40 by 8 pixels (at 96 DPI,
// scaled to the system's DPI) inside a monitor's work area.
bool CaptionInReach(const RECT& window);
// Moves the window to the stored place and shows it in the stored state.
void RestoreWindowPlacement(HWND window, int showCommand);
// The results window's place and size (ResultsLeft, ResultsTop, ResultsWidth,
// ResultsHeight, in screen pixels): false when none is stored. A stored
// rectangle whose caption is out of reach, as for the main window, comes
// whole onto a work area: that of the monitor it overlaps most, or, on no
// monitor, fallback's (the main window's monitor; null: the nearest).
bool ReadResultsPlacement(RECT* rect, HMONITOR fallback);
void SaveResultsPlacement(HWND window);
// The All Notes window's the same way (NotesLeft, NotesTop, NotesWidth,
// NotesHeight).
bool ReadNotesPlacement(RECT* rect, HMONITOR fallback);
void SaveNotesPlacement(HWND window);
void SetCurrentArticle(int32_t n);

// Heap memory, or null after the out-of-memory exit has begun: the message
// "There is not enough memory, aborting", then OutOfMemoryExit.
void* AllocOrDie(size_t bytes);
// Run by AllocOrDie after its message: the shell points it at a function that
// calls SaveSettings with its panes. Unset, SaveSettings runs without panes.
// Not run while LoadSettings is still reading: the settings are then left
// as stored.
extern void (*OutOfMemoryExit)();
// Set once the out-of-memory exit has begun; later failures only give null.
extern bool OutOfMemoryExitBegun;
