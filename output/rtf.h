// The text of a pane as it goes to the clipboard: the copy text (one line a
// paragraph, CR LF after each) and the RTF document made from it. Platform
// free: the clipboard itself is in output/clipboard.
//
// Reads at every call: the letter mapping and the Reverse bit of AppSettings
// (through ToDisplayText), so the caller sets them for the conversion.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/appsettings.h"
#include "store/letters.h"

// The fixed pieces of a document. A fresh document is header + body +
// closing; appended pieces are joined by the separator.
extern const char RtfHeader[];     // 180 bytes
extern const char RtfSeparator[];  // 52 bytes
extern const char RtfClosing[];    // "}\r\n"

// Units, terminator included, that always hold the copy text of a paragraph
// list: L + L/2 + 2 a line + every space count + every rule length + 1.
size_t CopyTextUnits(const unsigned char* text);

// Writes the copy text of a paragraph list and its terminating 0 into out,
// which holds CopyTextUnits(text) units. Control bytes of the text (the
// marker 0x14) are left out, and a space they leave beside another, as in a
// selection's copy. Returns the units written before the terminator.
size_t BuildCopyText(const unsigned char* text, DisplayChar* out);
// The same with the order of the paragraphs' characters given (store/letters.h);
// with openEnd the last paragraph is a piece cut from inside one: it gets
// neither the spaces after its text nor a line end.
size_t BuildCopyText(const unsigned char* text, DisplayChar* out, RunOrder order, bool openEnd = false);

// The RTF body of a copy text: with out null only counts. Returns the bytes
// of the body; when out is given it gets them and a 0 after them.
size_t RtfBody(const DisplayChar* copyText, char* out);

// Whether old bytes are an RTF document that a new piece can be appended to.
bool IsRtfDocument(const char* old, size_t oldLength);

// A whole document: the old one (when it is an RTF document) with its
// trailing white space and last closing brace taken off, then the separator;
// otherwise the header. Then the body, the closing and a 0 byte. With out
// null only counts. Returns the bytes including the 0, or 0 when the size
// would not fit in a size_t.
size_t RtfDocument(const char* old, size_t oldLength, const char* body, size_t bodyLength, char* out);
