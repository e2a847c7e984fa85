// Copy and Append: the text of a pane on the clipboard, as one RTF document
// when the letters are mapped above 256, otherwise as plain Unicode text.
// The copy text and the RTF are made in output/rtf; this module owns the
// clipboard side: reading what is there, building the block, setting it.
#pragma once
#include <windows.h>

#include <cstddef>

#include "layout/paneview.h"

// Replaces the clipboard's contents, or with append extends what is there;
// owner (the main window) owns the data set. Nothing happens for a missing
// pane or a pane without text.
void CopyPaneToClipboard(HWND owner, PaneView* pane, bool append);

// A buffer that holds the copy text of a paragraph list (AllocOrDie), or null.
wchar_t* SizeCopyText(const unsigned char* text);
// The RTF body of a copy text, zero-terminated (AllocOrDie), or null.
char* MakeRtfBody(const wchar_t* copyText);

// Puts the copy text on the clipboard: as one RTF document when
// FontAsciiBase is above 256, else as CF_UNICODETEXT. The clipboard is
// opened once for the owner (tried a few times while another program holds
// it); an append that cannot read what it holds changes nothing, and it is
// emptied only once the new block is ready.
void PutTextOnClipboard(HWND owner, const wchar_t* copyText, bool append);

// Results of ReadClipboardData.
constexpr int ClipboardRead = 0;        // *data is a copy, or null: nothing of that format
constexpr int ClipboardUnreadable = 1;  // not opened, data held but not given, or no memory for the copy

// Opens the clipboard without an owner, for reading only. A malloc'ed,
// zero-terminated copy of the clipboard's data in a format and
// its length in bytes: up to the first 0 byte for 8-bit formats, twice the
// units up to the first 0 unit for CF_UNICODETEXT; never beyond the block's
// size, whatever the data holds.
int ReadClipboardData(UINT format, unsigned char** data, size_t* length);
