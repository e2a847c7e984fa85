// A selection in one pane's text, and what of the text it covers: for the
// highlight, for Copy and for printing a selection. Platform-free: the shell
// maps the mouse and keys onto it, the layout draws it.
//
// A selection is held as text positions, not pixels, so it survives a new
// font, zoom, a resize, a change of scale and Reverse as it is.
#pragma once
#include <cstddef>
#include <cstdint>

// A selection in one pane's text: two boundaries, each a text offset into the
// pane's paragraph list; boundary k lies just before the byte at offset k. The
// anchor is where the drag began, the focus where it is now; equal means none.
//
// The text is read paragraph after paragraph in stored order; within a
// paragraph stored in display order (style bit 0x10) from the end of its
// string to its start, else from its start to its end. The selection covers
// every character read between its anchor and its focus (either may come
// first). A boundary inside a number (as ToReadingOrder in store/letters.h
// finds them) is widened to the number's edge, so that its digits never come
// out of order. Rules and empty paragraphs hold nothing to select. A boundary
// on a paragraph's style or parameter byte counts as the paragraph's reading
// start, one past the text as its end: damaged offsets read nothing outside
// the list.
struct TextSelection {
  uint16_t Anchor;
  uint16_t Focus;
};
inline bool HasSelection(const TextSelection& s) { return s.Anchor != s.Focus; }

// The stored bytes [*lo, *hi) of the paragraph whose string starts at
// stringOffset (strings are NUL-terminated; paragraph = style byte, param
// byte, string) that the selection covers; false when it covers none of them
// or no paragraph's string starts there.
bool SelectedInParagraph(const unsigned char* text, const TextSelection& sel, int32_t stringOffset, int32_t* lo,
                         int32_t* hi);

// The whole text selected (Select All): anchor at the reading start of the
// first text paragraph, focus at the reading end of the last; none ({0, 0})
// for a text without one.
TextSelection SelectAllOf(const unsigned char* text);

// The selected text as a paragraph list of its own, ended like a record (a 0
// style byte, then two 0 bytes): the covered part of each paragraph the
// selection touches, with that paragraph's style and parameter bytes, in
// stored order. Control bytes (the marker 0x14) are left out, and a space
// they leave next to another with them, so what is copied or printed holds
// no control character and no doubled space. *endsInside (when given) tells
// whether the last piece stops short of its paragraph's end in reading
// order: a copy then ends it with no line end. With out null only counts.
// Returns the bytes of the list, or 0 when it would hold no character (so a
// count of 0 also tells a selection that covers nothing).
size_t ExtractSelectionInto(const unsigned char* text, const TextSelection& sel, unsigned char* out,
                            bool* endsInside = nullptr);

// The same list in a new malloc'ed block; null when nothing is selected or
// memory ran out.
unsigned char* ExtractSelection(const unsigned char* text, const TextSelection& sel);
