// The All Notes window: every note a row, a filter above, sorting by a
// column header, jumps, Delete and F2, Export and Import.
#include "shell/notes.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <initializer_list>

#include "dialogs/dialogs.h"
#include "layout/colours.h"
#include "layout/scale.h"
#include "output/notesfile.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/systemdlls.h"
#include "store/letters.h"
#include "store/places.h"
#include "store/product.h"
#include "store/records.h"
#include "store/tractates.h"

HWND NotesWindow = nullptr;

namespace {

const wchar_t NotesClassName[] = L"OrvaneNotes";
enum NotesColumn { PageColumn, PassageColumn, NoteColumn, ChangedColumn, NotesColumnCount };
const wchar_t* const NotesColumnTitles[NotesColumnCount] = {L"Page", L"Passage", L"Note", L"Changed"};

HWND NotesList, FilterEdit, FilterLabel, ExportButton, ImportButton;
WNDPROC PreviousFilterProc;
int32_t* Rows;      // indexes into ReaderNotes, as listed
int32_t RowCount;
bool TextOrder;     // false: newest first

// A text for a list row, between right-to-left embedding marks when it is
// Hebrew (the list lays its rows out left to right).
void ForList(const wchar_t* text, wchar_t* out, int room) {
  const int32_t n = std::min(lstrlenW(text), room - 3);
  if (n > 0 && StartsRightToLeft(text)) {
    EmbedRightToLeft(text, n, out);
  } else {
    lstrcpynW(out, text, room);
  }
}

void PassageColumnText(const Note& note, wchar_t* out, int room) {
  wchar_t words[160];
  NotePassageWords(note.Anchor, words, 120);
  if (note.Placed != NotePlacement::Detached) {
    ForList(words, out, room);
    return;
  }
  wchar_t marked[164];
  ForList(words, marked, 164);
  std::swprintf(out, static_cast<size_t>(room), L"not found in the text: %ls", marked);
}

void ChangedText(int64_t seconds, wchar_t* out, int room) {
  const uint64_t ticks = static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)}, local{};
  SYSTEMTIME t{};
  if (seconds <= 0 || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) {
    out[0] = 0;
    return;
  }
  std::swprintf(out, static_cast<size_t>(room), L"%04u-%02u-%02u %02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                t.wMinute);
}

void RowText(int row, int column, wchar_t* out, int room) {
  out[0] = 0;
  if (row < 0 || row >= RowCount || room < 8) return;
  const Note& note = ReaderNotes.Items[Rows[row]];
  wchar_t text[320];
  switch (column) {
    case PageColumn: {
      DisplayChar page[MaxBookmarkNameUnits + 1] = {};
      CopySourceName(note.Anchor.Lesson, note.Anchor.Pane == NoteCommentaryPane, page);
      ForList(page, out, room);
      return;
    }
    case PassageColumn: PassageColumnText(note, out, room); return;
    case NoteColumn:
      NoteFirstLines(note, 1, text, 200);
      ForList(text, out, room);
      return;
    case ChangedColumn: ChangedText(note.Changed, out, room); return;
    default: return;
  }
}

// Whether a text holds what is typed (letters compared without case).
bool Holds(const wchar_t* text, int32_t n, const wchar_t* typed) {
  const int32_t m = lstrlenW(typed);
  for (int32_t i = 0; i + m <= n; ++i)
    if (CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text + i, m, typed, m) == CSTR_EQUAL) return true;
  return false;
}

bool Matches(const Note& note, const wchar_t* typed) {
  if (!typed[0]) return true;
  if (Holds(note.Text, note.TextUnits, typed)) return true;
  wchar_t passage[NotePassageWhole + 16];
  const int32_t n = NotePassageText(note.Anchor, passage, static_cast<int32_t>(sizeof passage / sizeof passage[0]));
  return Holds(passage, n, typed);
}

// Every note placed on its page's text, so that those whose passage is gone
// can be listed as such.
void PlaceAllNotes() {
  for (int32_t i = 0; i < ReaderNotes.Count; ++i) {
    const NoteAnchor& a = ReaderNotes.Items[i].Anchor;
    if (ReaderNotes.Items[i].Placed != NotePlacement::Unplaced) continue;
    unsigned char* text = LoadTextRecord(a.Lesson + a.Pane, nullptr);
    if (!text) continue;
    PlaceNotes(&ReaderNotes, a.Lesson, a.Pane, text);
    std::free(text);
  }
}

int SelectedNoteRow() {
  return static_cast<int>(SendMessageW(NotesList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
uint32_t SelectedNoteId() {
  const int row = SelectedNoteRow();
  return row >= 0 && row < RowCount ? ReaderNotes.Items[Rows[row]].Id : 0;
}

// Enter or a double click: the note's page, its passage's line at the top
// of its pane (a jump that Back undoes).
void GoToSelectedNote() {
  const uint32_t id = SelectedNoteId();
  const int32_t index = FindNote(&ReaderNotes, id);
  if (index < 0 || !MainWindow) return;
  const Note& note = ReaderNotes.Items[index];
  Place target{};
  target.Lesson = static_cast<uint16_t>(note.Anchor.Lesson);
  target.CommentaryActive = note.Anchor.Pane == NoteCommentaryPane ? 1 : 0;
  if (note.Placed == NotePlacement::Kept || note.Placed == NotePlacement::Moved) {
    const PanePosition at{std::min(note.At.Anchor, note.At.Focus), 0};
    (note.Anchor.Pane == NoteCommentaryPane ? target.Commentary : target.Main) = at;
  }
  JumpToPlace(MainWindow, target);
  SetFocus(MainWindow);
}

// A tractate's name in reading order with the letters at U+05D0.
void TractateName(int32_t tractate, wchar_t* out, int room) {
  const DisplayChar* name = TractateTable[tractate].Name;
  int32_t n = 0;
  while (name[n]) ++n;
  int k = 0;
  for (int32_t i = n - 1; i >= 0 && k < room - 1; --i)
    out[k++] = DisplayOf(static_cast<unsigned char>(name[i]), AsciiBaseUnicode);
  out[k] = 0;
}

// The save dialog's type list names the default file for each type.
UINT_PTR CALLBACK ExportHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const auto* notify = reinterpret_cast<OFNOTIFYW*>(lParam);
  if (notify->hdr.code == CDN_TYPECHANGE) {
    SendMessageW(GetParent(dialog), CDM_SETCONTROLTEXT, cmb13,
                 reinterpret_cast<LPARAM>(notify->lpOFN->nFilterIndex == 2 ? L"Notes.txt" : L"Notes.rtf"));
  }
  return 0;
}

// Export: all notes or one tractate's (a menu under the button), as an RTF
// document or in the notes file's own form.
void ExportNotes(HWND window) {
  if (!LoadCommandDlls(window, CMD_EXPORT_NOTES)) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, 1, L"&All Notes...");
  bool separated = false;
  for (int32_t t = 0; t < TractateCount && TractateTable[t].Name; ++t) {
    bool any = false;
    for (int32_t i = 0; i < ReaderNotes.Count && !any; ++i) any = NoteInTractate(ReaderNotes.Items[i], t);
    if (!any) continue;
    if (!separated) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    separated = true;
    wchar_t name[64], label[72];
    TractateName(t, name, 64);
    EmbedRightToLeft(name, lstrlenW(name), label);
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(t + 2), label);
  }
  RECT button{};
  GetWindowRect(ExportButton, &button);
  const int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                     button.left, button.bottom, 0, window, nullptr));
  DestroyMenu(menu);
  if (chosen <= 0) return;
  const int32_t tractate = chosen - 2;
  wchar_t path[MAX_PATH] = L"Notes.rtf";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window;
  ofn.lpstrFilter = L"RTF document (*.rtf)\0*.rtf\0Notes file (*.txt)\0*.txt\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = L"rtf";
  ofn.lpfnHook = ExportHook;
  ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&ofn)) return;
  // The type by the name's ending where it names one, else as chosen.
  const size_t n = std::wcslen(path);
  const bool text = n > 4 && lstrcmpiW(path + n - 4, L".txt") == 0
                        ? true
                        : (n > 4 && lstrcmpiW(path + n - 4, L".rtf") == 0 ? false : ofn.nFilterIndex == 2);
  const int32_t result =
      text ? ExportNotesText(path, &ReaderNotes, tractate) : ExportNotesRtf(path, &ReaderNotes, tractate);
  if (result != NotesOk) {
    wchar_t message[MAX_PATH + 80];
    std::swprintf(message, sizeof message / sizeof message[0], L"The notes could not be written to %ls.", path);
    MessageBoxW(window, message, PRODUCT_NAME, MB_OK | MB_ICONWARNING);
  }
}

// Import: the notes of a notes file that the list does not hold, added and
// counted.
void ImportNotesFile(HWND window) {
  if (!LoadCommandDlls(window, CMD_IMPORT_NOTES)) return;
  if (ReaderNotes.ReadOnly) {
    SayNotesReadOnly(window);
    return;
  }
  wchar_t path[MAX_PATH] = L"";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window;
  ofn.lpstrFilter = L"Notes file (*.txt)\0*.txt\0All files\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return;
  int32_t added = 0;
  NotesReadReport report{};
  const int32_t result = ImportNotes(path, &ReaderNotes, &added, &report);
  if (added > 0) NotesChanged(window);
  wchar_t text[MAX_PATH + 240];
  const size_t room = sizeof text / sizeof text[0];
  const wchar_t* notes = added == 1 ? L"note was" : L"notes were";
  switch (result) {
    case NotesOk: std::swprintf(text, room, L"%d %ls added from %ls.", added, notes, path); break;
    case NotesDamaged:
      std::swprintf(text, room, L"%ls is damaged: of the notes that could be read, %d %ls added.", path, added, notes);
      break;
    case NotesLaterVersion:
      std::swprintf(text, room, L"%ls was written by a later version: of the notes this version understands, %d %ls added.",
                    path, added, notes);
      break;
    case NotesRefused:
      std::swprintf(text, room, L"%ls is too large, or holds too many notes: nothing was added.", path);
      break;
    case NotesUnreadable: std::swprintf(text, room, L"%ls could not be read: nothing was added.", path); break;
    case NotesReadOnlyList: SayNotesReadOnly(window); return;
    default: std::swprintf(text, room, L"There was not enough memory: %d %ls added from %ls.", added, notes, path); break;
  }
  MessageBoxW(window, text, PRODUCT_NAME, MB_OK | (result == NotesOk ? MB_ICONINFORMATION : MB_ICONWARNING));
}

LRESULT CALLBACK FilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) wParam = TypedLetter(static_cast<wchar_t>(wParam), AsciiBaseUnicode);
  // Up and Down from the filter move in the list.
  if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT)) {
    SendMessageW(NotesList, message, wParam, lParam);
    return 0;
  }
  return CallWindowProcW(PreviousFilterProc, edit, message, wParam, lParam);
}

void PlaceNotesChildren(int width, int height) {
  const int dpi = DpiOfWindow(NotesWindow);
  const int m = ScaleForDpi(6, dpi), line = ScaleForDpi(23, dpi), label = ScaleForDpi(40, dpi);
  const int button = ScaleForDpi(80, dpi);
  MoveWindow(FilterLabel, m, m + ScaleForDpi(4, dpi), label, line - ScaleForDpi(4, dpi), TRUE);
  MoveWindow(FilterEdit, 2 * m + label, m, std::max(0, width - 5 * m - label - 2 * button), line, TRUE);
  MoveWindow(ExportButton, width - 2 * m - 2 * button, m, button, line, TRUE);
  MoveWindow(ImportButton, width - m - button, m, button, line, TRUE);
  MoveWindow(NotesList, 0, line + 2 * m, width, std::max(0, height - line - 2 * m), TRUE);
  // The note and passage columns share what the page and date leave.
  RECT client{};
  GetClientRect(NotesList, &client);
  const int page = ScaleForDpi(130, dpi), changed = ScaleForDpi(110, dpi);
  const int rest = std::max(ScaleForDpi(160, dpi), static_cast<int>(client.right) - page - changed);
  const int widths[NotesColumnCount] = {page, rest / 2, rest - rest / 2, changed};
  for (int c = 0; c < NotesColumnCount; ++c) SendMessageW(NotesList, LVM_SETCOLUMNWIDTH, c, widths[c]);
}

HFONT NotesFont;

// The controls' font for dpi; the old one goes once they have the new one.
void MakeNotesFont(int dpi) {
  HFONT font = MakeMessageFont(dpi);
  for (HWND control : {FilterLabel, FilterEdit, ExportButton, ImportButton, NotesList})
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  if (NotesFont) DeleteObject(NotesFont);
  NotesFont = font;
}

bool OnNotesCreate(HWND window) {
  NotesWindow = window;
  FilterLabel = CreateWindowExW(0, L"STATIC", L"&Filter:", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                                reinterpret_cast<HMENU>(IDC_NOTES_FILTER_LABEL), AppInstance, nullptr);
  FilterEdit = CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_RTLREADING, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT, 0, 0, 0, 0, window,
                               reinterpret_cast<HMENU>(IDC_NOTES_FILTER), AppInstance, nullptr);
  ExportButton = CreateWindowExW(0, L"BUTTON", L"&Export...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                                 0, 0, window, reinterpret_cast<HMENU>(IDC_NOTES_EXPORT), AppInstance, nullptr);
  ImportButton = CreateWindowExW(0, L"BUTTON", L"&Import...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                                 0, 0, window, reinterpret_cast<HMENU>(IDC_NOTES_IMPORT), AppInstance, nullptr);
  NotesList = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS,
                              0, 0, 0, 0, window, reinterpret_cast<HMENU>(IDC_NOTES_LIST), AppInstance, nullptr);
  if (!FilterEdit || !NotesList) return false;
  MakeNotesFont(DpiOfWindow(window));
  PreviousFilterProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(FilterEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterProc)));
  SendMessageW(NotesList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int c = 0; c < NotesColumnCount; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(NotesColumnTitles[c]);
    column.cx = 100;
    column.iSubItem = c;
    SendMessageW(NotesList, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  ApplyNotesColours();
  return true;
}

LRESULT OnNotesNotify(HWND window, NMHDR* header) {
  if (header->hwndFrom != NotesList) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if (item.mask & LVIF_TEXT) RowText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
      return 0;
    }
    case LVN_COLUMNCLICK:
      // The date sorts newest first; any other column in the text's order.
      TextOrder = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem != ChangedColumn;
      RefreshAllNotes();
      return 0;
    case LVN_ITEMACTIVATE: GoToSelectedNote(); return 0;
    case LVN_KEYDOWN:
      switch (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey) {
        case VK_DELETE: DeleteNoteWithId(window, SelectedNoteId()); return 0;
        case VK_F2: EditNoteWithId(window, SelectedNoteId()); return 0;
        default: return 0;
      }
    default: return 0;
  }
}

LRESULT CALLBACK NotesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      EnableNonClientScaling(window);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_CREATE: return OnNotesCreate(window) ? 0 : -1;
    case WM_SIZE: PlaceNotesChildren(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_SETFOCUS: SetFocus(NotesList); return 0;
    case WM_NOTIFY: return OnNotesNotify(window, reinterpret_cast<NMHDR*>(lParam));
    case DpiChangedMessage:
      // Moved to a monitor of another scale: its fonts and the rectangle the
      // system suggests (the children follow with the size).
      if (const int dpi = DpiChangeFor(window, wParam)) {
        MakeNotesFont(dpi);
        const auto* r = reinterpret_cast<const RECT*>(lParam);
        if (r) SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                            SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          // Enter: in the list or the filter, the selected note.
          GoToSelectedNote();
          return 0;
        case IDCANCEL: DestroyWindow(window); return 0;
        case IDC_NOTES_FILTER:
          if (HIWORD(wParam) == EN_CHANGE) {
            RefreshAllNotes();
            if (RowCount > 0 && SelectedNoteRow() < 0) {
              LVITEMW item{};
              item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
              SendMessageW(NotesList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
            }
          }
          return 0;
        case IDC_NOTES_EXPORT: ExportNotes(window); return 0;
        case IDC_NOTES_IMPORT: ImportNotesFile(window); return 0;
        default: return 0;
      }
    case WM_DESTROY:
      SaveNotesPlacement(window);
      if (PreviousFilterProc) SetWindowLongPtrW(FilterEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviousFilterProc));
      PreviousFilterProc = nullptr;
      for (HWND control : {FilterLabel, FilterEdit, ExportButton, ImportButton, NotesList})
        SendMessageW(control, WM_SETFONT, 0, FALSE);
      if (NotesFont) DeleteObject(NotesFont);
      NotesFont = nullptr;
      std::free(Rows);
      Rows = nullptr;
      RowCount = 0;
      NotesWindow = NotesList = FilterEdit = FilterLabel = ExportButton = ImportButton = nullptr;
      return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool MakeNotesWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = NotesProc;
    wc.hInstance = AppInstance;
    wc.hIcon = LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_ORVANE));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = NotesClassName;
    registered = RegisterClassExW(&wc) != 0;
    if (!registered) return false;
  }
  const HMONITOR monitor = MainWindow ? MonitorFromWindow(MainWindow, MONITOR_DEFAULTTONEAREST)
                                      : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  RECT place{};
  if (!ReadNotesPlacement(&place, monitor)) {
    // First time: half the work area's width and height, beside the main
    // window's top left corner.
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    const int dpi = DpiOfWindow(MainWindow);
    RECT main = work;
    if (MainWindow) GetWindowRect(MainWindow, &main);
    const int width = (work.right - work.left) / 2, height = (work.bottom - work.top) / 2;
    const int left = std::max(work.left, std::min(main.left + 2 * MetricForDpi(SM_CXSIZE, dpi), work.right - width));
    const int top =
        std::max(work.top, std::min(main.top + 4 * MetricForDpi(SM_CYCAPTION, dpi), work.bottom - height));
    place = RECT{left, top, left + width, top + height};
  }
  const HWND window = CreateWindowExW(0, NotesClassName, L"All Notes",
                                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                                          WS_MAXIMIZEBOX | WS_CLIPCHILDREN,
                                      place.left, place.top, place.right - place.left, place.bottom - place.top,
                                      MainWindow, nullptr, AppInstance, nullptr);
  if (!window) return false;
  if (MainWindow && !IsWindowEnabled(MainWindow)) EnableWindow(window, FALSE);
  return true;
}

}  // namespace

// The rows anew: the notes the filter lets through, newest first or in the
// text's order.
void ApplyNotesColours() {
  if (!NotesList) return;
  const bool night = AppSettings.NightColours == 1;
  const COLORREF back = night ? NightScheme.Page : GetSysColor(COLOR_WINDOW);
  SendMessageW(NotesList, LVM_SETBKCOLOR, 0, back);
  SendMessageW(NotesList, LVM_SETTEXTBKCOLOR, 0, back);
  SendMessageW(NotesList, LVM_SETTEXTCOLOR, 0, night ? NightScheme.PlainText : GetSysColor(COLOR_WINDOWTEXT));
  InvalidateRect(NotesList, nullptr, TRUE);
}

void RefreshAllNotes() {
  if (!NotesWindow || !NotesList) return;
  std::free(Rows);
  Rows = static_cast<int32_t*>(std::malloc(static_cast<size_t>(std::max(ReaderNotes.Count, 1)) * sizeof(int32_t)));
  RowCount = 0;
  if (Rows) {
    int32_t n = 0;
    if (TextOrder) {
      n = NotesInTextOrder(&ReaderNotes, -1, Rows);
    } else {
      for (int32_t i = 0; i < ReaderNotes.Count; ++i) Rows[n++] = i;
      std::stable_sort(Rows, Rows + n, [](int32_t a, int32_t b) {
        return ReaderNotes.Items[a].Changed > ReaderNotes.Items[b].Changed;
      });
    }
    wchar_t typed[128] = {};
    GetWindowTextW(FilterEdit, typed, 128);
    for (int32_t i = 0; i < n; ++i)
      if (Matches(ReaderNotes.Items[Rows[i]], typed)) Rows[RowCount++] = Rows[i];
  }
  SendMessageW(NotesList, LVM_SETITEMCOUNT, static_cast<WPARAM>(RowCount), 0);
  InvalidateRect(NotesList, nullptr, TRUE);
  wchar_t caption[64];
  wsprintfW(caption, L"All Notes (%d)", RowCount);
  SetWindowTextW(NotesWindow, caption);
}

void OpenAllNotes(HWND) {
  if (!NotesWindow && !MakeNotesWindow()) return;
  PlaceAllNotes();
  RefreshAllNotes();
  ShowWindow(NotesWindow, IsIconic(NotesWindow) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(NotesWindow);
  SetFocus(NotesList);
  if (RowCount > 0 && SelectedNoteRow() < 0) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(NotesList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  }
}

bool NotesDialogMessage(MSG* msg) {
  if (!NotesWindow || (msg->hwnd != NotesWindow && !IsChild(NotesWindow, msg->hwnd))) return false;
  return IsDialogMessageW(NotesWindow, msg) != 0;
}
