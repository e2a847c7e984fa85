// Organize Bookmarks: the list with Rename, Delete, Move Up and Move Down.
// Every change is written to the registry at once.
#include "dialogs/dialogs.h"

#include "output/bookmarks.h"
#include "resources/resource.h"
#include "store/letters.h"

namespace {

BookmarkList* Editing;

int SelectedIndex(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageW(dialog, IDC_BOOKMARK_LIST, LB_GETCURSEL, 0, 0));
}

// The name line and the buttons for the selected entry (none: -1).
void ShowSelection(HWND dialog, int selected) {
  const bool any = selected >= 0 && selected < Editing->Count;
  SetDlgItemTextW(dialog, IDC_BOOKMARK_NAME, any ? Editing->Items[selected].Name : L"");
  EnableWindow(GetDlgItem(dialog, IDC_BOOKMARK_RENAME), any);
  EnableWindow(GetDlgItem(dialog, IDC_BOOKMARK_DELETE), any);
  EnableWindow(GetDlgItem(dialog, IDC_BOOKMARK_UP), any && selected > 0);
  EnableWindow(GetDlgItem(dialog, IDC_BOOKMARK_DOWN), any && selected + 1 < Editing->Count);
}

// Fills the list from the bookmarks after a change, scrolled as it was, and
// selects an entry.
void Refill(HWND dialog, int selected) {
  HWND list = GetDlgItem(dialog, IDC_BOOKMARK_LIST);
  const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int32_t i = 0; i < Editing->Count; ++i) {
    // The list lays its rows out left to right; a name in reading order that
    // starts with a Hebrew letter goes between right-to-left embedding marks.
    const DisplayChar* name = Editing->Items[i].Name;
    DisplayChar embedded[MaxBookmarkNameUnits + 3];
    if (FormFor(TextUse::Name, AppSettings.Flags, AppSettings.FontSettings.FontAsciiBase).RightToLeft &&
        StartsRightToLeft(name)) {
      EmbedRightToLeft(name, lstrlenW(name), embedded);
      name = embedded;
    }
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  if (selected >= Editing->Count) selected = Editing->Count - 1;
  SendMessageW(list, LB_SETTOPINDEX, top > 0 ? top : 0, 0);
  SendMessageW(list, LB_SETCURSEL, selected, 0);  // scrolls only to bring it into view
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  ShowSelection(dialog, selected);
}

void Changed(HWND dialog, int selected) {
  SaveBookmarksOrSay(dialog, Editing);
  Refill(dialog, selected);
}

INT_PTR CALLBACK BookmarksProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageW(dialog, IDC_BOOKMARK_NAME, EM_SETLIMITTEXT, MaxBookmarkNameUnits, 0);
      Refill(dialog, Editing->Count ? 0 : -1);
      return TRUE;
    case WM_COMMAND: {
      const int i = SelectedIndex(dialog);
      switch (LOWORD(wParam)) {
        case IDC_BOOKMARK_LIST:
          if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelection(dialog, i);
          return TRUE;
        case IDC_BOOKMARK_RENAME: {
          wchar_t name[MaxBookmarkNameUnits + 1] = {};
          GetDlgItemTextW(dialog, IDC_BOOKMARK_NAME, name, MaxBookmarkNameUnits + 1);
          if (RenameBookmark(Editing, i, name)) Changed(dialog, i);
          return TRUE;
        }
        case IDC_BOOKMARK_DELETE:
          if (i >= 0) {
            DeleteBookmark(Editing, i);
            Changed(dialog, i);
          }
          return TRUE;
        case IDC_BOOKMARK_UP:
          if (MoveBookmark(Editing, i, -1)) Changed(dialog, i - 1);
          return TRUE;
        case IDC_BOOKMARK_DOWN:
          if (MoveBookmark(Editing, i, 1)) Changed(dialog, i + 1);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace

INT_PTR OrganizeBookmarks(HWND owner, BookmarkList* list) {
  Editing = list;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BOOKMARKS), owner,
                                         BookmarksProc, 0);
  Editing = nullptr;
  return result;
}
