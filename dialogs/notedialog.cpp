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

// One open note dialog's own: a note dialog may open while another is up
// (one owned by the All Notes window, one by the main window).
struct NoteDialogState {
  const wchar_t* Heading;
  wchar_t* Text;  // in on WM_INITDIALOG, out on OK
  WNDPROC PreviousEditProc;
};

bool ControlDown() { return GetKeyState(VK_CONTROL) < 0; }

LRESULT CALLBACK NoteEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(edit);
  const auto* state = reinterpret_cast<const NoteDialogState*>(GetWindowLongPtrW(edit, GWLP_USERDATA));
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
  return state && state->PreviousEditProc ? CallWindowProcW(state->PreviousEditProc, edit, message, wParam, lParam)
                                          : DefWindowProcW(edit, message, wParam, lParam);
}

void OnInitDialog(HWND dialog, NoteDialogState* state) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
  SetDlgItemTextW(dialog, IDC_NOTE_PASSAGE, state->Heading ? state->Heading : L"");
  HWND edit = GetDlgItem(dialog, IDC_NOTE_TEXT);
  SendMessageW(edit, EM_SETLIMITTEXT, NoteTextUnits, 0);
  SetWindowTextW(edit, state->Text);
  SetWindowLongPtrW(edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  state->PreviousEditProc =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoteEditProc)));
  // The caret at the end of what is there, ready for more.
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
  SetFocus(edit);
}

INT_PTR CALLBACK NoteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<NoteDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<NoteDialogState*>(lParam));
      return FALSE;  // the focus was set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && state) {
        GetDlgItemTextW(dialog, IDC_NOTE_TEXT, state->Text, NoteTextUnits + 1);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (state && state->PreviousEditProc) {
        SetWindowLongPtrW(GetDlgItem(dialog, IDC_NOTE_TEXT), GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(state->PreviousEditProc));
        state->PreviousEditProc = nullptr;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR NoteDialog(HWND owner, const wchar_t* heading, wchar_t* text) {
  if (!text) return IDCANCEL;
  NoteDialogState state{heading, text, nullptr};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_NOTE), owner,
                                         NoteDialogProc, reinterpret_cast<LPARAM>(&state));
  return result == IDOK ? IDOK : IDCANCEL;
}
