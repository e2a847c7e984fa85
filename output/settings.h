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

void LoadSettings();
// Writes the settings, taking LastPosition and BottomSectionLastPosition from
// the panes' FirstRow; destroys both panes (the pointers are cleared) and
// posts the quit message with code 0. Either pane may be null.
void SaveSettings(PaneView** mainPane, PaneView** commentaryPane);
void SaveWindowPlacement(HWND window);
void RestoreWindowPlacement(HWND window, int showCommand);
void SetCurrentArticle(int32_t n);

// Heap memory, or null after the out-of-memory exit has begun: the message
// "There is not enough memory, aborting", then OutOfMemoryExit.
void* AllocOrDie(size_t bytes);
// Run by AllocOrDie after its message: the shell points it at a function that
// calls SaveSettings with its panes. Unset, SaveSettings runs without panes.
extern void (*OutOfMemoryExit)();
