// The notes file: "Quillary\Orvane\Notes.txt" in the user's roaming
// application-data folder, in the form store/notes.h reads and writes.
//
// A save writes the whole list to "Notes.txt.new" beside the file, flushes
// it and moves it over the file (MoveFileExW, replacing, written through),
// so a save cut short at any point leaves the old file or the new one whole;
// a leftover ".new" is removed at the next load. A damaged file is never
// written over: it is copied aside as "Notes-damaged-YYYYMMDD-HHMMSS.txt"
// first. A file of a later version is left as it is and its notes are
// read-only.
//
// Owns: NotesFileCalls (the file calls; tests replace them, nothing else
// writes them).
#pragma once
#include <windows.h>

#include "store/notes.h"

// The file calls a load and a save make: the platform's, or stand-ins.
struct NotesFileCallTable {
  HANDLE(WINAPI* Create)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  BOOL(WINAPI* Write)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(WINAPI* Flush)(HANDLE);
  BOOL(WINAPI* Close)(HANDLE);
  BOOL(WINAPI* Move)(LPCWSTR, LPCWSTR, DWORD);
  BOOL(WINAPI* Remove)(LPCWSTR);
};
extern NotesFileCallTable NotesFileCalls;

// Results of a save, an export and a load.
constexpr int32_t NotesOk = 0;
constexpr int32_t NotesNoFolder = 1;     // no application-data folder, or it could not be made
constexpr int32_t NotesWriteFailed = 2;  // the new file could not be written or put in place
constexpr int32_t NotesReadOnlyList = 3; // the list may not be saved (a later version's file)
constexpr int32_t NotesNoMemory = 4;
// Of a load (and an import), beside NotesOk and NotesNoMemory:
constexpr int32_t NotesDamaged = 5;      // damaged: kept aside (see DamagedCopy), the rest read
constexpr int32_t NotesLaterVersion = 6; // read for what this version knows; read-only
constexpr int32_t NotesRefused = 7;      // too large or too many notes: not read; read-only
constexpr int32_t NotesUnreadable = 8;   // there, but it could not be opened or read

// The folder of the notes file ("...\Quillary\Orvane", no trailing
// backslash). False when the system names no application-data folder.
bool NotesFolder(wchar_t folder[MAX_PATH]);

struct NotesLoadReport {
  int32_t Result;
  NotesReadReport Read;
  // For NotesDamaged: the name of the copy kept aside (empty when no copy
  // could be made: then the list is read-only and the file stays as it is).
  wchar_t DamagedCopy[MAX_PATH];
};

// Loads the notes of a folder (NotesFolder at start; another in tests) into
// an empty list: removes a leftover "Notes.txt.new", reads "Notes.txt"
// (missing: no notes, NotesOk), copies a damaged file aside and writes what
// was understood in its place, marks the list read-only for a later
// version's or a refused file. Returns the report's Result.
int32_t LoadNotesFrom(const wchar_t* folder, NoteList* list, NotesLoadReport* report);

// Tells the user (a box owned by owner) what a load that did not end
// NotesOk found and did; nothing for NotesOk or NotesNoFolder.
void SayNotesLoad(HWND owner, const NotesLoadReport& report);

// Writes the list to the folder's "Notes.txt" as above (the folder is made
// when missing). NotesOk, NotesNoFolder, NotesWriteFailed, NotesReadOnlyList
// or NotesNoMemory; on failure the file is the old one or the new one whole.
int32_t SaveNotesTo(const wchar_t* folder, const NoteList* list);

// The same in NotesFolder, telling the user (a box owned by owner) when it
// fails that the change is kept only until the reader closes.
int32_t SaveNotes(const NoteList* list);
int32_t SaveNotesOrSay(HWND owner, const NoteList* list);

// Writes bytes to a file chosen by the user, as a save writes (beside it,
// flushed, moved over it). NotesOk or NotesWriteFailed.
int32_t WriteWholeFile(const wchar_t* path, const char* bytes, size_t size);

// Exports to a file: the notes in the file's own form (for Import), or the
// RTF document of output/notes_rtf, for tractate -1 or one tractate.
int32_t ExportNotesText(const wchar_t* path, const NoteList* list, int32_t tractate);
int32_t ExportNotesRtf(const wchar_t* path, const NoteList* list, int32_t tractate);

// Reads a notes file chosen by the user and adds the notes the list does not
// hold (MergeNotes); *added gets how many. NotesOk, NotesDamaged (what could
// be understood was added), NotesLaterVersion (likewise), NotesRefused,
// NotesUnreadable, NotesReadOnlyList or NotesNoMemory.
int32_t ImportNotes(const wchar_t* path, NoteList* list, int32_t* added, NotesReadReport* report);
