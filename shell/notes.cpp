#include "shell/notes.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "dialogs/dialogs.h"
#include "layout/draw.h"
#include "layout/scale.h"
#include "output/notesfile.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/menus.h"
#include "shell/selecting.h"
#include "shell/splitview.h"
#include "shell/systemdlls.h"
#include "shell/view.h"
#include "store/letters.h"
#include "store/places.h"
#include "store/product.h"
#include "store/records.h"
#include "store/tractates.h"

NoteList ReaderNotes;
INT_PTR (*RunNoteDialog)(HWND owner, const wchar_t* heading, wchar_t* text) = NoteDialog;

namespace {

NotesLoadReport LoadReport;

// The notes placed on one pane: their passages (what the pane points at) and
// their ids, in the same order.
struct PaneNotes {
  TextSelection* At;
  uint32_t* Ids;
  int32_t Count;
};
PaneNotes Placed[2];

// The context menu's pane and the point it was opened at (none from the
// keyboard), and the note under that point (0: none).
PaneView* MenuPane;
int32_t MenuOffset = -1;
uint32_t MenuNote;

HWND Tip;            // the tooltip over notes, made at the first hover
uint32_t TipNote;    // the note it shows, 0: hidden
wchar_t TipText[512];

bool NotesOn() { return AppSettings.NotesOff == 0; }

uint8_t PaneIndex(const PaneView* pane) { return pane == CommentaryPane ? NoteCommentaryPane : NoteMainPane; }
PaneView* PaneOf(uint8_t index) { return index == NoteCommentaryPane ? CommentaryPane : MainPane; }

int64_t Now() {
  FILETIME ft{};
  GetSystemTimeAsFileTime(&ft);
  const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>((ticks - 116444736000000000ull) / 10000000ull);
}

void FreePlaced(PaneNotes& p) {
  std::free(p.At);
  std::free(p.Ids);
  p = PaneNotes{};
}

void RepaintBoth(HWND window) { RepaintPanes(window, RepaintMain | RepaintCommentary); }

}  // namespace

void SayNotesReadOnly(HWND owner) {
  MessageBoxW(owner,
              L"Your notes file was written by a later version of the reader, or could not be read whole: "
              L"its notes can be read here, but not changed.",
              PRODUCT_NAME, MB_OK | MB_ICONINFORMATION);
}

// The first lines of a note's text, at most lines of them and room - 1
// units; "..." when more follows.
void NoteFirstLines(const Note& note, int lines, wchar_t* out, int room) {
  int n = 0, line = 1;
  int32_t i = 0;
  for (; i < note.TextUnits && n < room - 4; ++i) {
    const wchar_t u = note.Text[i];
    if (u == L'\r') continue;
    if (u == L'\n' && ++line > lines) break;
    out[n++] = u;
  }
  while (n > 0 && (out[n - 1] == L'\n' || out[n - 1] == L' ')) --n;
  if (i < note.TextUnits) {
    out[n++] = L'.';
    out[n++] = L'.';
    out[n++] = L'.';
  }
  out[n] = 0;
}

// The passage's first words: at most room - 1 units of its text, cut at a
// space, with "..." when cut.
void NotePassageWords(const NoteAnchor& anchor, wchar_t* out, int room) {
  wchar_t passage[NotePassageWhole + 16];
  int32_t n = NotePassageText(anchor, passage, static_cast<int32_t>(sizeof passage / sizeof passage[0]));
  for (int32_t i = 0; i < n; ++i)
    if (passage[i] == L'\r' || passage[i] == L'\n') passage[i] = L' ';
  if (n > room - 4) {
    int32_t cut = room - 4;
    while (cut > room / 2 && passage[cut] != L' ') --cut;
    n = cut;
    passage[n++] = L'.';
    passage[n++] = L'.';
    passage[n++] = L'.';
  }
  std::wmemcpy(out, passage, static_cast<size_t>(n));
  out[n] = 0;
}

// The note dialog's heading: the passage's first words, and below them the
// page (with the commentary's word for that pane).
static void Heading(const NoteAnchor& anchor, wchar_t* out, int room) {
  NotePassageWords(anchor, out, room / 2);
  DisplayChar page[MaxBookmarkNameUnits + 1] = {};
  CopySourceName(anchor.Lesson, anchor.Pane == NoteCommentaryPane, page);
  const int n = lstrlenW(out);
  if (room - n > 3) {
    lstrcpynW(out + n, L"\r\n", room - n);
    lstrcpynW(out + n + 2, page, room - n - 2);
  }
}

// A text of the note dialog: empty, or blank only.
static bool Blank(const wchar_t* text) {
  for (; *text; ++text)
    if (*text != L' ' && *text != L'\r' && *text != L'\n' && *text != L'\t') return false;
  return true;
}

// Saves the list at once; a failed save is told (the change stays until the
// reader closes), then the panes and the list show it.
void NotesChanged(HWND window) {
  SaveNotesOrSay(window, &ReaderNotes);
  PlaceArticleNotes();
  RepaintBoth(MainWindow ? MainWindow : window);
  HideNoteTip();
  RefreshAllNotes();
}

// Edits the note with that id in the note dialog, owned by owner.
void EditNoteWithId(HWND owner, uint32_t id) {
  const int32_t index = FindNote(&ReaderNotes, id);
  if (index < 0) return;
  HideNoteTip();
  if (ReaderNotes.ReadOnly) {
    SayNotesReadOnly(owner);
    return;
  }
  auto* text = static_cast<wchar_t*>(std::malloc((NoteTextUnits + 1) * sizeof(wchar_t)));
  if (!text) return;
  const Note& note = ReaderNotes.Items[index];
  const int32_t units = std::min<int32_t>(note.TextUnits, NoteTextUnits);
  std::wmemcpy(text, note.Text, static_cast<size_t>(units));
  text[units] = 0;
  wchar_t heading[256];
  Heading(note.Anchor, heading, 256);
  // An emptied note is not saved: the note stays as it was (only Delete
  // Note, which asks first, loses one).
  if (RunNoteDialog(owner, heading, text) == IDOK && !Blank(text)) {
    // The note may have gone meanwhile (deleted from another window).
    const int32_t at = FindNote(&ReaderNotes, id);
    if (at < 0) {
      std::free(text);
      return;
    }
    const Note& now = ReaderNotes.Items[at];
    const int32_t length = lstrlenW(text);
    const bool same = length == now.TextUnits && std::wmemcmp(text, now.Text, static_cast<size_t>(length)) == 0;
    if (!same && EditNote(&ReaderNotes, at, text, length, Now())) NotesChanged(owner);
  }
  std::free(text);
}

// Deletes the note with that id when the user says so.
void DeleteNoteWithId(HWND owner, uint32_t id) {
  const int32_t index = FindNote(&ReaderNotes, id);
  if (index < 0) return;
  HideNoteTip();
  if (ReaderNotes.ReadOnly) {
    SayNotesReadOnly(owner);
    return;
  }
  if (MessageBoxW(owner, L"Delete this note?", PRODUCT_NAME, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
    return;
  if (DeleteNote(&ReaderNotes, FindNote(&ReaderNotes, id))) NotesChanged(owner);
}

namespace {

// The pane and the note under a client point (mark or passage): the id, or 0.
uint32_t NoteUnder(int x, int y, PaneView** pane) {
  for (PaneView* p : {MainPane, CommentaryPane}) {
    if (!p || !PointInPane(p, x, y)) continue;
    if (pane) *pane = p;
    const int32_t i = NoteAt(p, x, y);
    const PaneNotes& placed = Placed[PaneIndex(p)];
    return i >= 0 && i < placed.Count ? placed.Ids[i] : 0;
  }
  return 0;
}

}  // namespace

void LoadReaderNotes() {
  FreeNotes(&ReaderNotes);
  LoadReport = NotesLoadReport{};
  wchar_t folder[MAX_PATH];
  if (!NotesFolder(folder)) {
    LoadReport.Result = NotesNoFolder;
    return;
  }
  LoadNotesFrom(folder, &ReaderNotes, &LoadReport);
}

void TellNotesLoad(HWND window) {
  if (LoadReport.Result != NotesOk) SayNotesLoad(window, LoadReport);
  LoadReport.Result = NotesOk;
}

void PlaceArticleNotes() {
  HideNoteTip();
  for (uint8_t index : {NoteMainPane, NoteCommentaryPane}) {
    PaneView* pane = PaneOf(index);
    PaneNotes& placed = Placed[index];
    placed.Count = 0;
    if (!pane) continue;
    pane->Notes = nullptr;
    pane->NoteCount = 0;
    if (!NotesOn() || !pane->Text) continue;
    const int32_t lesson = AppSettings.Lesson;
    if (!PlaceNotes(&ReaderNotes, lesson, index, pane->Text)) continue;
    int32_t wanted = 0;
    for (int32_t i = 0; i < ReaderNotes.Count; ++i) {
      const Note& note = ReaderNotes.Items[i];
      if (note.Anchor.Lesson == lesson && note.Anchor.Pane == index) ++wanted;
    }
    FreePlaced(placed);
    if (wanted == 0) continue;
    placed.At = static_cast<TextSelection*>(std::malloc(static_cast<size_t>(wanted) * sizeof(TextSelection)));
    placed.Ids = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(wanted) * sizeof(uint32_t)));
    if (!placed.At || !placed.Ids) {
      FreePlaced(placed);
      continue;
    }
    for (int32_t i = 0; i < ReaderNotes.Count; ++i) {
      const Note& note = ReaderNotes.Items[i];
      if (note.Anchor.Lesson != lesson || note.Anchor.Pane != index) continue;
      if (note.Placed != NotePlacement::Kept && note.Placed != NotePlacement::Moved) continue;
      placed.At[placed.Count] = note.At;
      placed.Ids[placed.Count++] = note.Id;
    }
    pane->Notes = placed.At;
    pane->NoteCount = placed.Count;
  }
}

void ForgetNotes() {
  if (NotesWindow) DestroyWindow(NotesWindow);
  if (Tip) DestroyWindow(Tip);
  Tip = nullptr;
  TipNote = 0;
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    if (!pane) continue;
    pane->Notes = nullptr;
    pane->NoteCount = 0;
  }
  for (PaneNotes& p : Placed) FreePlaced(p);
  FreeNotes(&ReaderNotes);
}

void AddNoteHere(HWND window) {
  HideNoteTip();
  if (ReaderNotes.ReadOnly) {
    SayNotesReadOnly(window);
    return;
  }
  PaneView* pane = PaneToCopy();
  TextSelection passage{};
  if (pane && HasSelection(pane->Selection)) {
    passage = pane->Selection;
  } else {
    int32_t offset = -1;
    if (MenuPane) {
      pane = MenuPane;
      offset = MenuOffset;
    } else {
      POINT p{};
      GetCursorPos(&p);
      ScreenToClient(MainWindow, &p);
      for (PaneView* under : {MainPane, CommentaryPane}) {
        if (under && PointInPane(under, p.x, p.y)) {
          pane = under;
          offset = PaneBoundaryAt(under, p.x, p.y);
          break;
        }
      }
    }
    if (!pane) pane = CurrentPane();
    // Else the paragraph of the line at the top of the pane.
    if (offset < 0) offset = TopPosition(pane).Offset;
    if (pane && pane->Text) passage = ParagraphSelectionAt(pane->Text, offset);
  }
  NoteAnchor anchor{};
  if (!pane || !pane->Text || !HasSelection(passage) ||
      !CaptureNoteAnchor(pane->Text, passage, AppSettings.Lesson, PaneIndex(pane), &anchor)) {
    MessageBeep(MB_OK);
    return;
  }
  auto* text = static_cast<wchar_t*>(std::malloc((NoteTextUnits + 1) * sizeof(wchar_t)));
  if (!text) return;
  text[0] = 0;
  wchar_t heading[256];
  Heading(anchor, heading, 256);
  // An empty note is not saved.
  if (RunNoteDialog(window, heading, text) == IDOK && !Blank(text)) {
    if (AddNote(&ReaderNotes, anchor, text, lstrlenW(text), Now())) {
      NotesChanged(window);
    } else {
      MessageBoxW(window, L"The note could not be added: your notes are full, or memory ran out.", PRODUCT_NAME,
                  MB_OK | MB_ICONWARNING);
    }
  }
  std::free(text);
}

void EditNoteUnderMenu(HWND window) { EditNoteWithId(window, MenuNote); }
void DeleteNoteUnderMenu(HWND window) { DeleteNoteWithId(window, MenuNote); }

void AddNoteMenuItems(HMENU menu, PaneView* pane, POINT client, bool atPointer) {
  MenuPane = pane;
  MenuOffset = atPointer ? PaneBoundaryAt(pane, client.x, client.y) : -1;
  MenuNote = atPointer ? NoteUnder(client.x, client.y, nullptr) : 0;
  const UINT text = pane && pane->Text ? MF_ENABLED : MF_GRAYED;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | text, CMD_ADD_NOTE, L"Add &Note...\bCtrl+M");
  if (MenuNote) {
    AppendMenuW(menu, MF_STRING, CMD_EDIT_NOTE, L"Edi&t Note...");
    AppendMenuW(menu, MF_STRING, CMD_DELETE_NOTE, L"De&lete Note");
  }
}

void ForgetNoteMenu() {
  MenuPane = nullptr;
  MenuOffset = -1;
  MenuNote = 0;
}

void HideNoteTip() {
  if (!Tip || !TipNote) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = MainWindow;
  tool.uId = 1;
  SendMessageW(Tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  TipNote = 0;
}

void OnNoteHover(HWND window, int x, int y) {
  const uint32_t id = NotesOn() ? NoteUnder(x, y, nullptr) : 0;
  if (id == TipNote) return;
  HideNoteTip();
  const int32_t index = FindNote(&ReaderNotes, id);
  if (index < 0) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = 1;
  if (!Tip) {
    Tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, AppInstance,
                          nullptr);
    if (!Tip) return;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_RTLREADING;
    tool.lpszText = TipText;
    TipText[0] = 0;
    SendMessageW(Tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(Tip, TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(360, WindowDpi));
  }
  NoteFirstLines(ReaderNotes.Items[index], 4, TipText, static_cast<int>(sizeof TipText / sizeof TipText[0]));
  tool.lpszText = TipText;
  SendMessageW(Tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  POINT at{x, y + ScaleForDpi(20, WindowDpi)};
  ClientToScreen(window, &at);
  SendMessageW(Tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  SendMessageW(Tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  TipNote = id;
}

bool OnNoteMarkClick(HWND window, int x, int y) {
  if (!NotesOn()) return false;
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    if (!pane) continue;
    const PaneNotes& placed = Placed[PaneIndex(pane)];
    for (int32_t i = 0; i < pane->NoteCount && i < placed.Count; ++i) {
      RECT mark{};
      if (!NoteMarkRect(pane, i, &mark)) continue;
      InflateRect(&mark, 2, 2);
      if (!PtInRect(&mark, POINT{x, y})) continue;
      HideNoteTip();
      EditNoteWithId(window, placed.Ids[i]);
      return true;
    }
  }
  return false;
}

void ToggleNotes(HWND window) {
  AppSettings.NotesOff = NotesOn() ? 1 : 0;
  SetMenuCheck(MainMenu(window), true, CMD_SHOW_NOTES, NotesOn() ? 1 : 0);
  HideNoteTip();
  PlaceArticleNotes();
  RepaintBoth(window);
}

