#include "dialogs/search_dialog.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "layout/scale.h"
#include "resources/resource.h"
#include "store/letters.h"
#include "store/search.h"

const char KeyboardOrder[] = "abcdefghijlkmonqprsutwvxyz{";

const char KeyMapKeys[] = "abcdefghijklmnopqrstuvwxyz;.,/'";
#define L_(offset) static_cast<unsigned char>(224 + (offset))
const unsigned char KeyMapBytes[] = {
    L_(25), L_(16), L_(1),  L_(2),  L_(23), L_(11), L_(18), L_(9),  L_(15), L_(7),  L_(12),
    L_(10), L_(22), L_(14), L_(13), L_(20), '/',    L_(24), L_(3),  L_(0),  L_(5),  L_(4),
    '\'',   L_(17), L_(8),  L_(6),  L_(19), L_(21), L_(26), '.',    ','};
#undef L_
static_assert(sizeof KeyMapBytes == sizeof KeyMapKeys - 1, "one byte per key");

namespace {

constexpr int SearchTextLimit = 33;
constexpr int EditUnits = SearchTextLimit + 2;  // with the two embedding marks
constexpr int MaxEditUnits = MaxHebrewEditLetters + 2;

HFONT EditFont;
WNDPROC PreviousEditProc;
int (*DialogSearch)(HWND owner);

bool ScrollLockActive() { return GetKeyState(VK_SCROLL) != 0; }

wchar_t DisplayLetter(unsigned char letter) {
  return static_cast<wchar_t>(AppSettings.FontSettings.FontAsciiBase + (letter - FirstLetter));
}

// Where the text goes to the system in reading order (store/letters.h), the
// system reorders the edit's right-to-left text itself: the edit then holds
// the string in reading order, typed at the caret as in any edit control,
// and OK turns it round (numbers keep their digits' order both ways).
bool ReadingOrder() { return HebrewEditInReadingOrder(); }

// In reading order the edit lays its line out left to right, as any edit
// does outside a right-to-left system: its text is kept between right-to-left
// embedding marks, with the caret between them, so that it comes out as a
// right-to-left line (a stop or a bracket typed at an end stays there).
bool KeepingMarks = false;

// Puts the marks back around the text after whatever changed it or moved
// the caret: a mark deleted or typed over, a character typed before the
// first or after the last, a caret put outside them.
void KeepMarks(HWND edit) {
  if (KeepingMarks || !ReadingOrder() || !PreviousEditProc) return;
  KeepingMarks = true;
  // The letters the edit takes: its limit less the two marks.
  int letters = static_cast<int>(CallWindowProcW(PreviousEditProc, edit, EM_GETLIMITTEXT, 0, 0)) - 2;
  if (letters > MaxHebrewEditLetters || letters < 0) letters = MaxHebrewEditLetters;
  wchar_t text[MaxEditUnits + 1] = {};
  CallWindowProcW(PreviousEditProc, edit, WM_GETTEXT, MaxEditUnits + 1, reinterpret_cast<LPARAM>(text));
  DWORD start = 0, end = 0;
  CallWindowProcW(PreviousEditProc, edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // The text without its marks, and the selection as places in it.
  wchar_t body[MaxEditUnits + 1];
  DWORD n = 0, from = 0, to = 0;
  for (DWORD i = 0; text[i]; ++i) {
    if (IsDirectionalMark(text[i]) || n == static_cast<DWORD>(letters)) continue;
    if (i < start) ++from;
    if (i < end) ++to;
    body[n++] = text[i];
  }
  wchar_t marked[MaxEditUnits + 3];
  EmbedRightToLeft(body, static_cast<int32_t>(n), marked);
  // (A new text puts the caret at its start: the place is given again.)
  const bool changed = std::wcscmp(text, marked) != 0;
  if (changed) CallWindowProcW(PreviousEditProc, edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(marked));
  if (changed || start != from + 1 || end != to + 1) {
    CallWindowProcW(PreviousEditProc, edit, EM_SETSEL, from + 1, to + 1);
  }
  KeepingMarks = false;
}

// The edit's string without the marks; returns its length.
int EditString(HWND edit, wchar_t out[EditUnits + 1]) { return HebrewEditText(edit, out, EditUnits + 1); }

// The brace as the edit holds it: with the Latin mapping '{' is the last
// letter, so the brace is shown as its stored byte.
wchar_t EditBrace() { return AppSettings.FontSettings.FontAsciiBase == AsciiBaseLatin ? OpenBraceByte : L'{'; }

// A typed character that stands for itself whatever the keys: a Hebrew
// letter (from a Hebrew keyboard layout) as the mapping's display letter, a
// brace as the edit holds it; 0 for any other.
wchar_t FixedChar(wchar_t ch) {
  if (ch >= 0x05D0 && ch < 0x05D0 + LetterCount) return DisplayLetter(static_cast<unsigned char>(FirstLetter + ch - 0x05D0));
  if (ch == L'{') return EditBrace();
  return 0;
}

wchar_t MappedChar(wchar_t ch) { return LatinKeyChar(ch, AppSettings.FontSettings.FontAsciiBase); }

// Deletes the selection, or without one the character on the given side of
// the caret (none at the text's end on that side).
void DeleteBeside(HWND edit, bool right) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (start == end) {
    if (right) {
      if (start >= static_cast<DWORD>(GetWindowTextLengthW(edit))) return;
      SendMessageW(edit, EM_SETSEL, start, start + 1);
    } else {
      if (start == 0) return;
      SendMessageW(edit, EM_SETSEL, start - 1, start);
    }
  }
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

HWND KeyboardPicture(HWND dialog) { return DialogPicture(dialog); }

// A place on the picture as shown, in the 1x picture's pixels (-1 off it).
int ToPictureCell(int at, int shown, int designed) { return at < 0 || shown <= 0 ? -1 : at * designed / shown; }

// The keyboard picture and the edit's font (the user's face) for dpi.
void ApplyDpi(HWND dialog, int dpi) {
  static const UINT keyboards[3] = {IDB_KEYBOARD, IDB_KEYBOARD_150, IDB_KEYBOARD_200};
  ShowPictureForDpi(dialog, keyboards, dpi);
  HFONT font = MakeFont(AppSettings.FontSettings, FontKeyCellPixels, dpi);
  if (!font) return;
  HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  KeepOwnFont(edit);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (EditFont) DeleteObject(EditFont);
  EditFont = font;
}

void OnInitDialog(HWND dialog, LPARAM search) {
  DialogSearch = reinterpret_cast<int (*)(HWND)>(search);
  HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  ApplyDpi(dialog, DpiOfWindow(dialog));
  // The stored string as the edit holds it: letters in the mapping, the
  // brace as EditBrace, and in reading order under Reverse.
  wchar_t text[SearchStringBytes] = {};
  int n = 0;
  for (; n < SearchTextLimit && AppSettings.SearchString[n]; ++n) {
    const unsigned char b = AppSettings.SearchString[n];
    text[n] = b == OpenBraceByte ? EditBrace() : DisplayOf(b, AppSettings.FontSettings.FontAsciiBase);
  }
  if (ReadingOrder()) ToReadingOrder(text, n);
  SetWindowTextW(edit, text);
  PrepareHebrewEdit(edit, SearchTextLimit);
}

// Inserts at the caret: in reading order after it, as typed; else before it.
void InsertTyped(HWND edit, wchar_t ch) {
  if (!ReadingOrder()) {
    InsertBeforeCaret(edit, ch);
    return;
  }
  const wchar_t text[2] = {ch, 0};
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
}

// Stores the edit's string as SearchString.
void StoreTyped(HWND edit) {
  wchar_t typed[EditUnits + 1];
  const int n = EditString(edit, typed);
  if (ReadingOrder()) ToReadingOrder(typed, n);  // reading order to stored order
  SetSearchString(typed);
}

void OnOk(HWND dialog) {
  HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  StoreTyped(edit);
  if (AppSettings.SearchString[0] != 0 && DialogSearch && DialogSearch(dialog) == 0) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    return;
  }
  EndDialog(dialog, IDOK);
}

}  // namespace

bool HebrewEditInReadingOrder() { return CurrentOrder() == RunOrder::Reading; }

void PrepareHebrewEdit(HWND edit, int letters) {
  if (letters > MaxHebrewEditLetters) letters = MaxHebrewEditLetters;
  SendMessageW(edit, EM_SETLIMITTEXT, ReadingOrder() ? letters + 2 : letters, 0);
  SubclassWindow(edit);
  KeepMarks(edit);
}

int HebrewEditText(HWND edit, wchar_t* out, int units) {
  if (units <= 0) return 0;
  out[0] = 0;
  GetWindowTextW(edit, out, units);
  return StripDirectionalMarks(out);
}

wchar_t LatinKeyChar(wchar_t ch, int32_t letterBase) {
  const auto lower = static_cast<wchar_t>(
      reinterpret_cast<UINT_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(ch)))));
  for (int i = 0; KeyMapKeys[i]; ++i) {
    if (static_cast<unsigned char>(KeyMapKeys[i]) != lower) continue;
    const unsigned char b = KeyMapBytes[i];
    if (b >= 224 && b < 224 + LetterCount) return static_cast<wchar_t>(letterBase + (b - 224));
    return static_cast<wchar_t>(b);
  }
  return ch;
}

wchar_t TypedLetter(wchar_t ch, int32_t letterBase) {
  if (ScrollLockActive() || ch < 32 || (ch >= L'0' && ch <= L'9')) return ch;
  return LatinKeyChar(ch, letterBase);
}

wchar_t KeyboardCharAt(int x, int y) {
  if (x < 0 || y < 0 || x >= KeyboardWidth || y >= KeyboardHeight) return 0;
  const int row = y / KeyCellHeight, column = x / KeyCellWidth;
  if (column > 8) return 0;  // the sliver right of the ninth cell
  if (row == 3) return column >= 2 && column <= 6 ? L' ' : 0;
  const int cell = (row + 1) * 9 - column;
  if (cell < 1 || cell > LetterCount) return 0;
  return DisplayLetter(static_cast<unsigned char>(KeyboardOrder[cell - 1]));
}

void InsertBeforeCaret(HWND edit, wchar_t ch) {
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const int before = GetWindowTextLengthW(edit);
  const wchar_t text[2] = {ch, 0};
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
  // At the length limit nothing was inserted: the caret stays where it is.
  if (GetWindowTextLengthW(edit) != before - static_cast<int>(end - start) + 1) return;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  if (start > 0) SendMessageW(edit, EM_SETSEL, start - 1, start - 1);
}

void SubclassWindow(HWND edit) {
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HebrewEditProc)));
  if (!previous) {
    MessageBoxW(GetParent(edit), L"SubclassWindow() error", L"Hebrew", MB_OK);
    ExitProcess(1);
  }
  if (previous != HebrewEditProc) PreviousEditProc = previous;
}

LRESULT CALLBACK HebrewEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) {
    if (const wchar_t fixed = FixedChar(static_cast<wchar_t>(wParam))) {
      if (!ScrollLockActive()) {
        InsertTyped(edit, fixed);
        return 0;
      }
      wParam = fixed;
    }
  }
  if (!ScrollLockActive() && ReadingOrder()) {
    // The keys are the edit's own; only the characters are mapped.
    auto ch = static_cast<wchar_t>(wParam);
    if (message == WM_CHAR && ch >= 32 && !(ch >= L'0' && ch <= L'9')) wParam = MappedChar(ch);
  } else if (!ScrollLockActive()) {
    switch (message) {
      case WM_CHAR: {
        auto ch = static_cast<wchar_t>(wParam);
        if (ch == VK_BACK) {
          DeleteBeside(edit, true);  // the text runs right to left: Backspace deletes forward
          return 0;
        }
        if (ch < 32 || (ch >= L'0' && ch <= L'9')) break;
        InsertBeforeCaret(edit, MappedChar(ch));
        return 0;
      }
      case WM_KEYDOWN:
        if (wParam == VK_HOME) {
          wParam = VK_END;
        } else if (wParam == VK_END) {
          wParam = VK_HOME;
        } else if (wParam == VK_DELETE && GetKeyState(VK_SHIFT) >= 0) {
          DeleteBeside(edit, false);
          return 0;
        }
        break;
    }
  }
  const LRESULT result = PreviousEditProc ? CallWindowProcW(PreviousEditProc, edit, message, wParam, lParam) : 0;
  switch (message) {
    case WM_CHAR: case WM_KEYDOWN: case WM_PASTE: case WM_CUT: case WM_CLEAR: case WM_UNDO: case EM_UNDO:
    case EM_REPLACESEL: case WM_SETTEXT: case EM_SETSEL: case WM_LBUTTONUP:
      KeepMarks(edit);
      break;
  }
  return result;
}

INT_PTR CALLBACK SearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, lParam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOk(dialog);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_FIND_ALL) {
        // Stored as by OK; the caller lists the hits (an empty string: none).
        StoreTyped(GetDlgItem(dialog, IDC_SEARCH_TEXT));
        EndDialog(dialog, AppSettings.SearchString[0] ? SearchDialogFindAll : IDOK);
        return TRUE;
      }
      return FALSE;
    case WM_LBUTTONDOWN: {
      // The click's place on the picture, taken from the picture control.
      HWND picture = KeyboardPicture(dialog);
      if (!picture) return TRUE;
      RECT r;
      GetWindowRect(picture, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      // The picture shown may be drawn larger for the display's scale.
      const wchar_t ch = KeyboardCharAt(
          ToPictureCell(static_cast<short>(LOWORD(lParam)) - r.left, r.right - r.left, KeyboardWidth),
          ToPictureCell(static_cast<short>(HIWORD(lParam)) - r.top, r.bottom - r.top, KeyboardHeight));
      if (ch) InsertTyped(GetDlgItem(dialog, IDC_SEARCH_TEXT), ch);
      return TRUE;
    }
    case DpiChangedMessage:
      PostDialogDpiChange(dialog, wParam);
      return FALSE;  // the dialog manager lays the dialog out for the new DPI
    case DialogDpiChanged:
      ApplyDpi(dialog, static_cast<int>(wParam));
      return TRUE;
    case WM_DESTROY:
      TakeBackPicture(dialog);
      if (EditFont) {
        SendDlgItemMessageW(dialog, IDC_SEARCH_TEXT, WM_SETFONT, 0, FALSE);
        DeleteObject(EditFont);
        EditFont = nullptr;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR SearchDialog(HWND owner, int (*search)(HWND owner)) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SEARCH), owner, SearchDialogProc,
                         reinterpret_cast<LPARAM>(search));
}
