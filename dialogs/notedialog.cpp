// The note dialog: the passage and its page above, the note's text below in
// a right-to-left edit of several lines. Enter makes a new line, Ctrl+Enter
// is OK and Esc is Cancel, caught before the edit sees them; a letter key
// types the Hebrew letter a Hebrew keyboard has there (Scroll Lock on: the
// Latin one), as in the search line.
#include <cwchar>

#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "store/letters.h"

namespace {

// The text edited: in on WM_INITDIALOG, out on OK.
wchar_t* EditedText;
WNDPROC PreviousNoteEditProc;

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }

LRESULT CALLBACK NoteEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(edit);
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && ControlDown()) {
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
      }
      break;
    case WM_CHAR:
      // Ctrl+Enter's line feed and Esc's character were taken as commands.
      if (wParam == L'\n' || wParam == 27) return 0;
      wParam = TypedLetter(static_cast<wchar_t>(wParam), AsciiBaseUnicode);
      break;
  }
  return CallWindowProcW(PreviousNoteEditProc, edit, message, wParam, lParam);
}

void OnInitDialog(HWND dialog, const wchar_t* heading) {
  SetDlgItemTextW(dialog, IDC_NOTE_PASSAGE, heading ? heading : L"");
  HWND edit = GetDlgItem(dialog, IDC_NOTE_TEXT);
  SendMessageW(edit, EM_SETLIMITTEXT, NoteTextUnits, 0);
  SetWindowTextW(edit, EditedText);
  PreviousNoteEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteEditProc)));
  // The caret at the end of what is there, ready for more.
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  SetFocus(edit);
}

INT_PTR CALLBACK NoteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<const wchar_t*>(lParam));
      return FALSE;  // the focus was set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        GetDlgItemTextW(dialog, IDC_NOTE_TEXT, EditedText, NoteTextUnits + 1);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (PreviousNoteEditProc) {
        SetWindowLongPtrW(GetDlgItem(dialog, IDC_NOTE_TEXT), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(PreviousNoteEditProc));
        PreviousNoteEditProc = nullptr;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR NoteDialog(HWND owner, const wchar_t* heading, wchar_t* text) {
  if (!text) return IDCANCEL;
  EditedText = text;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NOTE), owner,
                                         NoteDialogProc, reinterpret_cast<LPARAM>(heading));
  EditedText = nullptr;
  return result == IDOK ? IDOK : IDCANCEL;
}
