// The reader's notes in the window: the run's list (loaded at start, saved
// at every change), the notes of the article shown placed on its panes,
// writing, editing and deleting one, the tooltip over a noted passage and
// View > Notes (shell/notes.cpp); the All Notes window with its filter,
// export and import (shell/allnotes.cpp).
//
// Owns: ReaderNotes, the panes' note arrays, the tooltip and the All Notes
// window. Written only by these two files (the list also by the file code
// they call). Writes the panes' Notes and NoteCount.
#pragma once
#include <windows.h>

#include "layout/paneview.h"
#include "store/notes.h"

extern NoteList ReaderNotes;
extern HWND NotesWindow;  // the All Notes window; null while closed
// The note dialog (dialogs/dialogs.h) the commands open; tests put a
// stand-in here.
extern INT_PTR (*RunNoteDialog)(HWND owner, const wchar_t* heading, wchar_t* text);

// Reads the notes file (before the main window is made); TellNotesLoad then
// says, once the window is up, what was wrong with it, if anything.
void LoadReaderNotes();
void TellNotesLoad(HWND window);
// Places the notes of the article shown on both panes (or none while View >
// Notes is off); called whenever a pane gets a text.
void PlaceArticleNotes();
// The window is going: the list, the tooltip and the panes' arrays freed.
void ForgetNotes();

// Add Note (context menu, Bookmarks menu, Ctrl+M): on the selection, else on
// the paragraph under the pointer (of the context menu, or now), else on the
// paragraph at the top of the current pane.
void AddNoteHere(HWND window);
// Edit Note and Delete Note of the context menu: the note under its pointer.
void EditNoteUnderMenu(HWND window);
void DeleteNoteUnderMenu(HWND window);
// The context menu's note items for the pane at a client point (from the
// keyboard: none), remembered until ForgetNoteMenu.
void AddNoteMenuItems(HMENU menu, PaneView* pane, POINT client, bool atPointer);
void ForgetNoteMenu();

// The pointer moved (no button held): the note's first lines in a tooltip
// while it rests on a noted passage or its mark; the pointer left: none.
void OnNoteHover(HWND window, int x, int y);
void HideNoteTip();
// A click on a note's mark opens it for editing: true when it was on one.
bool OnNoteMarkClick(HWND window, int x, int y);

// View > Notes: the marks on and off (ShowNotes).
void ToggleNotes(HWND window);
// Bookmarks > All Notes: the window opened (or brought up) with its list.
void OpenAllNotes(HWND window);
// The list anew after a change of the notes (nothing while it is closed).
void RefreshAllNotes();
// The list in the colours of AppSettings.NightColours (the system's by day).
void ApplyNotesColours();
// For the message loop: the All Notes window's dialog keys (Tab, Enter, Esc).
bool NotesDialogMessage(MSG* msg);

// Shared by the two files.
// The notes were changed: saved at once (a failed save is told, the change
// kept until the reader closes), then shown in the panes and the list.
void NotesChanged(HWND window);
// Edit and Delete of the note with that id (Delete asks first); the boxes
// and the dialog owned by owner. A read-only list is told.
void EditNoteWithId(HWND owner, uint32_t id);
void DeleteNoteWithId(HWND owner, uint32_t id);
void SayNotesReadOnly(HWND owner);
// The first lines of a note's text (at most lines, room - 1 units, "..."
// when more follows), and the passage's first words (cut at a space).
void NoteFirstLines(const Note& note, int lines, wchar_t* out, int room);
void NotePassageWords(const NoteAnchor& anchor, wchar_t* out, int room);
