// First run: finding out whether the system's text output reorders
// right-to-left runs by itself. The records hold visual order; on a system
// that reorders, every line would come out mirrored unless Reverse is set.
#pragma once
#include <windows.h>

// The text output the probe draws with: DrawTextW, the call the panes draw
// their runs with (Windows and Wine 8 both reorder in it, as in ExtTextOutW).
// A stand-in lets both kinds of system be tried.
typedef int(WINAPI* TextOutFunction)(HDC, LPCWSTR, int, LPRECT, UINT);

// Draws one Hebrew letter alone, and then two, into a memory DC: true when
// the first letter of the pair did not stay first (on the left). False when
// it stayed, or when nothing could be told (no DC, or glyphs that look alike).
bool TextOutputReorders(TextOutFunction draw = DrawTextW);

// When no Flags value is stored yet, sets Reverse in AppSettings.Flags if the
// system reorders. A stored Flags is always left as stored.
void SetReverseOnFirstRun(TextOutFunction draw = DrawTextW);
