// Copy and Append: the text of a pane, or of a selection in it, on the
// clipboard: as plain Unicode text always, and beside it as one RTF document
// when the letters are mapped above 256. The copy text and the RTF are made
// in output/rtf, the selected text in store/selection; this module owns the
// clipboard side: reading what is there, building the blocks, setting them.
#pragma once
#include <windows.h>

#include <cstddef>

#include "layout/paneview.h"
#include "store/selection.h"

// Replaces the clipboard's contents, or with append extends what is there;
// owner (the main window) owns the data set. With a selection that is not
// empty only the selected text is copied (nothing happens when it holds no
// character; a piece that stops inside a paragraph ends with no line end),
// followed, when source is given, by a line of its own holding
// "(" source ")" (source: reading order, letters at U+05D0, as
// CopySourceName in store/places writes it). Without one the whole pane is
// copied and source is not used: the pane opens with its page header.
// Nothing happens for a missing pane or a pane without text.
void CopyPaneToClipboard(HWND owner, PaneView* pane, bool append, const TextSelection* selection,
                         const DisplayChar* source);

// A buffer that holds the copy text of a paragraph list and extra units more
// (AllocOrDie), or null.
wchar_t* SizeCopyText(const unsigned char* text, size_t extra = 0);
// The RTF body of a copy text, zero-terminated (AllocOrDie), or null.
char* MakeRtfBody(const wchar_t* copyText);

// Puts the copy text on the clipboard as CF_UNICODETEXT and, when
// FontAsciiBase is above 256, first as one RTF document of the same text.
// An append extends each of these formats the clipboard holds (the RTF
// pieces joined by the separator, the plain text added after a line end if
// it lacks one) and starts each it lacks with the new piece alone. The
// clipboard is opened once for the owner (tried a few times while another
// program holds it); a copy reads nothing of it, an append only the formats
// it extends, and an append that cannot read them changes nothing. Every
// block is made before the clipboard is emptied; if the clipboard then
// refuses one, it is emptied again and an append puts back the RTF and text
// it extended: it is never left half written. A block that could not be
// made or set is said in a message box.
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
