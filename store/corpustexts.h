// The decoded texts of the corpus, kept once decoded so that every later
// search scans memory instead of decoding again: each record's text as its
// source gave it, an index of its paragraphs, and a count of the bytes of a
// sample of the texts (for choosing the rarest byte of a pattern).
//
// A full corpus holds about 34.7 MB of text and 0.6 MB of paragraph index.
// Texts are taken on first use, one record at a time, so holding them costs
// nothing until something searches.
//
// Owns: the held texts, their indexes, the byte counts and CorpusTextSource.
// Writers: only the functions below (the shell sets the source once).
#pragma once
#include <cstddef>
#include <cstdint>

// A held text: the decoded record (its paragraph list, ended by a 0 style
// byte and two more 0 bytes) and the offsets of its paragraphs' style bytes,
// Paragraphs[ParagraphCount] being the offset of the ending 0 style byte.
struct HeldText {
  const unsigned char* Text;
  const uint16_t* Paragraphs;
  int32_t ParagraphCount;
  uint32_t Length;  // bytes of Text up to and including the ending 0 style byte
};

// Where the texts come from: record n decoded into a malloc'ed buffer that
// the cache then owns (as LoadTextRecord gives it), or null with a code of
// the loader (2: unreadable or no memory; the record is tried again later).
// Until it is set no text loads.
extern unsigned char* (*CorpusTextSource)(int32_t record, int32_t* code);

// The text of record n (1..RecordCount), decoded on first use; false when it
// does not load or n lies outside the corpus.
bool CorpusText(int32_t record, HeldText* out);

// Indexes the paragraphs of a decoded text (a paragraph list ended by a 0
// style byte, with two more 0 bytes after it): out->Paragraphs is a new
// malloc'ed block. False when memory ran out or the list does not end within
// 64 KB.
bool IndexParagraphs(const unsigned char* text, HeldText* out);

// Bytes held: texts, indexes and the table of them.
size_t CorpusTextBytes();

// How often each byte value occurs in the sampled texts held so far (all
// zero before the first text is held).
const uint32_t* CorpusByteCounts();

// Gives back every held text (at exit, or when the source changes).
void ReleaseCorpusTexts();
