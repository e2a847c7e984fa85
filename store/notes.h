// The reader's notes: a note's anchor on a passage of one pane's text, the
// list of notes, finding each note's passage again in a text that may have
// changed, and the notes file's text form. Platform-free: output/notesfile
// keeps the file, output/notes_rtf writes the RTF export, the shell shows
// them.
//
// A note is anchored by what it was written on, not only where: the article
// and pane, the passage's offsets as a hint, the passage itself in reading
// order (whole up to NotePassageWhole characters, else its first and last
// NotePassageEnd characters and its length) and up to NoteContextChars of
// the text read before and after it. So it is found again when the texts are
// corrected and imported anew, and a note whose passage is gone is kept,
// detached, never dropped.
//
// The pane's text is read as the selection reads it (store/selection.h):
// paragraph after paragraph, each in reading order. Control bytes (below
// 0x20) are left out and one '\n' stands between paragraphs.
//
// Owns nothing global: a NoteList belongs to whoever made it (the shell
// keeps the one of the run).
#pragma once
#include <cstddef>
#include <cstdint>

#include "store/appsettings.h"
#include "store/selection.h"

constexpr int32_t NotePassageWhole = 200;      // kept whole up to this length
constexpr int32_t NotePassageEnd = 32;         // else its first and last so many
constexpr int32_t NoteContextChars = 32;       // read before and after
constexpr int32_t MaxNoteUnits = 32000;        // UTF-16 units of a note's text
constexpr int32_t MaxNotes = 999999;           // a file with a million is refused
constexpr size_t MaxNotesFileBytes = 64u << 20;  // a larger file is refused
constexpr unsigned char NoteParagraphBreak = '\n';

constexpr uint8_t NoteMainPane = 0;
constexpr uint8_t NoteCommentaryPane = 1;
constexpr uint16_t NoNoteOffset = 0xFFFF;  // an anchor without an offset hint

struct NoteAnchor {
  int32_t Lesson;  // main-text record of the page (odd)
  uint8_t Pane;    // NoteMainPane or NoteCommentaryPane
  // Where the passage was: the boundary of its first character read and the
  // one after its last (as TextSelection's anchor and focus), or
  // NoNoteOffset.
  uint16_t Start;
  uint16_t End;
  int32_t Length;  // characters of the passage (1 or more)
  // The passage in reading order, 0-terminated: all of it when Length is at
  // most NotePassageWhole, else its first NotePassageEnd characters followed
  // by its last NotePassageEnd.
  unsigned char Passage[NotePassageWhole + 1];
  unsigned char Before[NoteContextChars + 1];  // read just before it, 0-terminated
  unsigned char After[NoteContextChars + 1];   // read just after it
};

// Where a note was found in its pane's text.
enum class NotePlacement : uint8_t {
  Unplaced,  // not looked for yet (or there was no memory to look)
  Kept,      // at its offsets: the text there is still its passage
  Moved,     // found elsewhere in the text
  Detached,  // not found in the text
};

struct Note {
  uint32_t Id;  // given by the list, for the run only; never 0
  NoteAnchor Anchor;
  int64_t Created;  // seconds since 1970-01-01 UTC
  int64_t Changed;
  DisplayChar* Text;  // malloc'ed, 0-terminated; lines end CR LF
  int32_t TextUnits;  // 1..MaxNoteUnits
  // Set by PlaceNotes for the text shown; not stored.
  NotePlacement Placed;
  TextSelection At;  // the passage's boundaries when Kept or Moved
};

struct NoteList {
  Note* Items;  // malloc'ed; in the order added
  int32_t Count;
  int32_t Capacity;
  uint32_t LastId;
  // Read from a file of a later version (or one refused): nothing may
  // change, so that file is never written over.
  bool ReadOnly;
};

void FreeNotes(NoteList* list);  // empties it (ReadOnly stays)

// --- Capture ---------------------------------------------------------------

// The selection of the whole paragraph whose string holds offset (or begins
// just after its style and parameter bytes): for a note without a selection.
// None ({0, 0}) when no paragraph with text is there.
TextSelection ParagraphSelectionAt(const unsigned char* text, int32_t offset);

// The anchor of what a selection covers in a pane's paragraph list. False
// when it covers no character or memory ran out.
bool CaptureNoteAnchor(const unsigned char* text, const TextSelection& sel, int32_t lesson, uint8_t pane,
                       NoteAnchor* out);

// The passage as display characters in reading order (letters at U+05D0,
// '{' for the opening brace byte, a paragraph break as CR LF); a long one
// as its start, an ellipsis (U+2026) between spaces, and its end. Writes at most capacity - 1 units and
// a 0; returns the units written before it.
int32_t NotePassageText(const NoteAnchor& anchor, DisplayChar* out, int32_t capacity);

// --- The list --------------------------------------------------------------

// Adds a note with a copy of text (units, without a terminator; CR LF
// between lines), created and changed at now. Returns its id, or 0 when the
// list is read-only or full, the text empty or longer than MaxNoteUnits, or
// memory ran out.
uint32_t AddNote(NoteList* list, const NoteAnchor& anchor, const DisplayChar* text, int32_t units, int64_t now);
// Adds a note as it is (a reader's): the list takes over its text and gives
// it an id. False (the text not taken) when the list is full or memory ran
// out; a read-only list is not asked.
bool AppendNote(NoteList* list, const Note& note);
// The index of the note with that id, or -1.
int32_t FindNote(const NoteList* list, uint32_t id);
// Replaces a note's text (as AddNote takes it) and its changed time. False
// (nothing changes) for a read-only list, a bad index or text, or no memory.
bool EditNote(NoteList* list, int32_t index, const DisplayChar* text, int32_t units, int64_t now);
// False for a read-only list or a bad index.
bool DeleteNote(NoteList* list, int32_t index);

// Whether two notes are the same: page and pane, passage and text.
bool SameNote(const Note& a, const Note& b);

// Adds to list every note of from that it does not hold already (SameNote),
// moving their texts out of from, which is emptied. Returns how many were
// added, or -1 when the list is read-only. Memory running out ends it early.
int32_t MergeNotes(NoteList* list, NoteList* from);

// --- Finding the passage again ---------------------------------------------

// Places every note of one page's pane on its text (the paragraph list it
// shows now): at the occurrence of its passage whose surrounding text agrees
// best with what was read around it, among equals at its offsets (Kept) when
// the text there is still its passage, else the closest to them (Moved); a
// long passage also where its start and end are read up to a quarter of its
// length nearer or further apart. Not found: Detached. Notes of other panes are left as they are. False (nothing
// placed) when memory ran out.
bool PlaceNotes(NoteList* list, int32_t lesson, uint8_t pane, const unsigned char* text);

// --- The file's text ---------------------------------------------------------
//
// UTF-8, one line each, lines ending LF (CR LF is read as well):
//
//   Orvane notes 1                      the version line, always first
//   [note]                              each note begins so
//   page: 1023 main                     its page's record and pane (main or commentary)
//   at: 120 164                         the offsets hint (optional)
//   passage: <text>                     the passage, when kept whole
//   passage-start: <text>               else its start, its end and its length
//   passage-end: <text>
//   passage-length: 312
//   before: <text>                      context (optional)
//   after: <text>
//   created: 2026-12-08 01:33:57        UTC (optional)
//   changed: 2026-12-08 01:40:02
//   text: <first line of the note>
//   text: <second line>                 one "text:" for each line
//
// Blank lines and lines beginning '#' are comments. In values a backslash
// begins an escape: \\ a backslash, \n a new line, \r a carriage return,
// \t a tab, \xHH a passage byte the letters do not show, \uHHHH a UTF-16
// unit that is no printable character. Passages are written as the Hebrew
// letters (U+05D0..U+05EA) of their letter bytes, '{' for the opening brace
// byte, other bytes as themselves.
//
// A file whose version is above NotesFileVersion is read for the keys this
// version knows; others (and sections other than [note]) are passed over.

constexpr int32_t NotesFileVersion = 1;

struct NotesReadReport {
  int32_t Version;        // the file's, 0 when the version line is missing
  int32_t NotesRead;      // notes added to the list
  int32_t NotesLost;      // notes begun that could not be understood
  int32_t DamagedLines;   // lines the format does not allow (bad UTF-8 among them)
  int32_t FirstDamaged;   // line number (from 1) of the first, or 0
  bool Later;             // written by a later version
  bool Refused;           // too large or too many notes: nothing read
  bool OutOfMemory;       // reading stopped early
};

// Reads a notes file's bytes, appending its notes to list (whose ReadOnly it
// leaves alone; the caller decides). A damaged line is counted and passed
// over, a note missing its page, passage or text is counted lost, and every
// note that can be understood is read. Returns the report's Refused or
// OutOfMemory as false, else true.
bool ReadNotesText(const char* bytes, size_t size, NoteList* list, NotesReadReport* report);

// Writes the notes (all for tractate -1, else those of one tractate index)
// in the file's form; with out null only counts. Returns the bytes (no
// terminator is written).
size_t WriteNotesText(const NoteList* list, int32_t tractate, char* out);

// Whether a note's page lies in a tractate (index 0..37; -1: any).
bool NoteInTractate(const Note& note, int32_t tractate);

// The notes of a list in the text's order (page, pane, offsets, then
// creation), as indexes into it, for tractate -1 or one tractate: count
// written to order (which holds list->Count). Used by the exports.
int32_t NotesInTextOrder(const NoteList* list, int32_t tractate, int32_t* order);

// Date and time as the file writes them ("YYYY-MM-DD HH:MM:SS", UTC; 19
// characters and a 0), and back (false when malformed).
void FormatNoteTime(int64_t seconds, char out[20]);
bool ParseNoteTime(const char* text, size_t length, int64_t* seconds);
