// The notes as an RTF document, in the fonts and direction of a copied
// passage (output/rtf): for each page in the text's order its name as a
// heading, then each of its notes: the passage in reading order in italics,
// then the note's text. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/notes.h"

// Writes the document of the notes (tractate -1: all; else one tractate
// index) and a 0 byte; with out null only counts. Returns the bytes before
// the 0, or 0 when memory ran out.
size_t NotesRtfDocument(const NoteList* list, int32_t tractate, char* out);
