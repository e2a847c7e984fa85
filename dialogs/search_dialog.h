// The search dialog (resource 115): a Hebrew-mapped edit line and a clickable
// picture of a Hebrew keyboard (bitmap 119). OK stores the typed string as
// SearchString and searches at once; the dialog stays open while nothing is
// found.
//
// Owns while open: the edit control's font and its previous window procedure.
#pragma once
#include <windows.h>

#include <cstdint>

// The 27 LetterCode letters in the order of the keyboard picture's cells,
// from the right of the top row.
extern const char KeyboardOrder[];

// Latin keys and what each gives: a byte 224..250 is the letter at offset
// byte - 224, any other byte a punctuation character inserted as it is.
extern const char KeyMapKeys[];
extern const unsigned char KeyMapBytes[];

// Picture geometry: three rows of nine cells and a space bar below columns
// 2..6 of a fourth row.
constexpr int KeyboardWidth = 154;
constexpr int KeyboardHeight = 95;
constexpr int KeyCellWidth = 17;
constexpr int KeyCellHeight = 25;

// What a Latin key types as a Hebrew keyboard would: the KeyMap entry of the
// character's lower-case form (a letter as letterBase plus its offset), or
// the character as typed when no key gives it.
wchar_t LatinKeyChar(wchar_t ch, int32_t letterBase);
// The same for a character typed into a Hebrew edit: unchanged while Scroll
// Lock is on (plain Latin keys), and for digits and control characters.
wchar_t TypedLetter(wchar_t ch, int32_t letterBase);

// Runs the dialog modally; search is called on OK with the dialog as the
// owner of its messages and returns 0 when nothing was shown. Result 1 (OK),
// 2 (Cancel) or SearchDialogFindAll (Find All with a string stored: the
// caller lists its hits).
constexpr INT_PTR SearchDialogFindAll = 3;
INT_PTR SearchDialog(HWND owner, int (*search)(HWND owner));
INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The search edit's letter input, for any single-line edit of a dialog (the
// Go To box has it too): HebrewEditProc installed, at most letters letters
// (up to MaxHebrewEditLetters), and in reading order the embedding marks
// kept around them.
constexpr int MaxHebrewEditLetters = 128;
void PrepareHebrewEdit(HWND edit, int letters);
// Whether such an edit holds its text in reading order, typed at the caret;
// otherwise it holds display order, each character typed to the left of the
// one before (store/letters.h: ToReadingOrder turns one into the other).
bool HebrewEditInReadingOrder();
// The edit's text without the marks, in at most units units with the 0;
// returns its length.
int HebrewEditText(HWND edit, wchar_t* out, int units);

// Installs HebrewEditProc on the edit control, keeping the previous procedure.
void SubclassWindow(HWND edit);
LRESULT CALLBACK HebrewEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
// Replaces the selection with ch and puts the caret before it.
void InsertBeforeCaret(HWND edit, wchar_t ch);
// The character a click at (x, y) on the picture inserts: a space for the
// space bar, a letter for a cell, 0 for anywhere else.
wchar_t KeyboardCharAt(int x, int y);
