#include "shell/selecting.h"

#include <windowsx.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "layout/draw.h"
#include "output/clipboard.h"
#include "resources/resource.h"
#include "shell/citations.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/links.h"
#include "shell/notes.h"
#include "shell/results.h"
#include "shell/splitview.h"
#include "store/letters.h"
#include "store/places.h"
#include "store/selection.h"

namespace {

// The press in progress.
struct Press {
  PaneView* Pane;     // null: none
  const unsigned char* Text;  // the pane's text at the press: another one ends the drag
  POINT At;           // where the button went down, client coordinates
  bool Dragging;      // the pointer has left the drag rectangle (or Shift extended)
  bool HadSelection;  // the pane showed a selection when pressed
  bool Scrolling;     // the drag-scroll timer runs
};
Press Pressed;

PaneView* PaneAt(int x, int y) {
  if (PointInPane(MainPane, x, y)) return MainPane;
  if (PointInPane(CommentaryPane, x, y)) return CommentaryPane;
  return nullptr;
}

void MakeActive(PaneView* pane) {
  ActivePane = pane;
  ActiveScrollBar = pane == CommentaryPane ? CommentaryScrollBar : MainScrollBar;
}

void RepaintPane(HWND window, const PaneView* pane, bool moved) {
  if (pane == CommentaryPane) {
    RepaintPanes(window, RepaintCommentary);
  } else {
    RepaintPanes(window, moved ? (RepaintErase | RepaintMain) : RepaintMain);
  }
}

// How far the pointer is above (negative) or below (positive) the pane.
int Overshoot(const PaneView* pane, int y) {
  if (y < pane->AreaTop) return y - pane->AreaTop;
  const int bottom = pane->AreaTop + pane->AreaHeight;
  return y >= bottom ? y - bottom + 1 : 0;
}

// Moves the focus to the boundary under the pointer. The scrolling timer
// starts when the pointer leaves the pane and stops when it is back: set
// again on every move, it would never come due while the pointer moves.
void ExtendTo(HWND window, int x, int y) {
  PaneView* pane = Pressed.Pane;
  const int32_t at = PaneBoundaryAt(pane, x, y);
  if (at >= 0 && at != pane->Selection.Focus) {
    pane->Selection.Focus = static_cast<uint16_t>(at);
    RepaintPane(window, pane, false);
  }
  const bool outside = Overshoot(pane, y) != 0;
  if (outside && !Pressed.Scrolling) {
    Pressed.Scrolling = SetTimer(window, DragScrollTimer, 50, nullptr) != 0;
  } else if (!outside && Pressed.Scrolling) {
    KillTimer(window, DragScrollTimer);
    Pressed.Scrolling = false;
  }
}

// Whether a point lies within the system's drag distance of the press, on
// either side: a release there with nothing selected is a click.
bool NearPress(int x, int y) {
  return std::abs(x - Pressed.At.x) <= GetSystemMetrics(SM_CXDRAG) &&
         std::abs(y - Pressed.At.y) <= GetSystemMetrics(SM_CYDRAG);
}

// The selection belongs to one pane: choosing the other drops it.
void DropOtherSelection(HWND window, const PaneView* pane) {
  PaneView* other = pane == MainPane ? CommentaryPane : MainPane;
  if (other && HasSelection(other->Selection)) {
    other->Selection = {};
    RepaintPane(window, other, false);
  }
}

// A byte a search string takes as itself: not a wildcard, not a control.
// The brace byte is the brace, as the search line gives it.
bool IsSearchable(unsigned char b) {
  if (b >= FirstLetter && b <= LastLetter) return true;
  return b >= 0x20 && b < 0x7F && b != '*' && b != '?';
}

void AddItem(HMENU menu, UINT command, const wchar_t* label, bool enabled) {
  AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, label);
}

}  // namespace

void OnPaneButtonDown(HWND window, LPARAM position, WPARAM keys) {
  const int x = GET_X_LPARAM(position);
  const int y = GET_Y_LPARAM(position);
  PaneView* pane = PaneAt(x, y);
  if (!pane) return;
  // Ctrl+click on a comment or linked words scrolls the other pane there
  // and does nothing else.
  if ((keys & MK_CONTROL) && OnLinkClick(window, x, y)) return;
  // A click on a note's mark opens the note.
  if (!(keys & (MK_CONTROL | MK_SHIFT)) && OnNoteMarkClick(window, x, y)) return;
  MakeActive(pane);
  DropOtherSelection(window, pane);
  Pressed = Press{pane, pane->Text, {x, y}, false, HasSelection(pane->Selection), false};
  if ((keys & MK_SHIFT) && HasSelection(pane->Selection)) {
    Pressed.Dragging = true;
    ExtendTo(window, x, y);
  }
  SetCapture(window);
}

void OnPaneMouseMove(HWND window, LPARAM position) {
  const int x = GET_X_LPARAM(position);
  const int y = GET_Y_LPARAM(position);
  if (!Pressed.Pane || GetCapture() != window) {
    OnLinkHover(window, x, y);
    OnNoteHover(window, x, y);
    return;
  }
  if (Pressed.Pane->Text != Pressed.Text) {
    EndPaneDrag(window);  // the pane shows another text since the press
    return;
  }
  if (!Pressed.Dragging) {
    if (NearPress(x, y)) return;
    const int32_t anchor = PaneBoundaryAt(Pressed.Pane, Pressed.At.x, Pressed.At.y);
    if (anchor < 0) return;  // a pane with no text: nothing to select
    Pressed.Dragging = true;
    Pressed.Pane->Selection = TextSelection{static_cast<uint16_t>(anchor), static_cast<uint16_t>(anchor)};
  }
  ExtendTo(window, x, y);
}

void OnDragScrollTimer(HWND window) {
  PaneView* pane = Pressed.Pane;
  if (!pane || !Pressed.Dragging || pane->Text != Pressed.Text) {
    EndPaneDrag(window);
    KillTimer(window, DragScrollTimer);
    return;
  }
  // The pointer where it is now, moving or not.
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(window, &p);
  const int over = Overshoot(pane, p.y);
  // A row a tick just outside the pane, one more for every 16 pixels beyond.
  int rows = 1 + std::abs(over) / 16;
  if (rows > 20) rows = 20;
  if (over != 0 && ScrollPane(pane, over < 0 ? -rows : rows, true) == 3) {
    RepaintPane(window, pane, true);
    SyncScrollBar(pane == CommentaryPane ? CommentaryScrollBar : MainScrollBar);
  }
  ExtendTo(window, p.x, p.y);
}

void OnPaneButtonUp(HWND window, LPARAM position) {
  const Press was = Pressed;
  if (!was.Pane) return;
  const bool nearPress = NearPress(GET_X_LPARAM(position), GET_Y_LPARAM(position));
  // Cleared first: releasing the capture sends WM_CAPTURECHANGED.
  Pressed = Press{};
  KillTimer(window, DragScrollTimer);
  if (GetCapture() == window) ReleaseCapture();
  // A drag that selected nothing and ends near the press was a click that
  // slipped.
  if (was.Dragging && (HasSelection(was.Pane->Selection) || !nearPress || was.Pane->Text != was.Text)) return;
  // A click on a citation goes to the page it cites instead of paging.
  if (FollowCitation(window, was.Pane, was.At.x, was.At.y)) return;
  if (was.HadSelection) {
    was.Pane->Selection = {};
    RepaintPane(window, was.Pane, false);
    return;
  }
  ClickPage(window, was.Pane, was.At.x, was.At.y);
}

void EndPaneDrag(HWND window) {
  if (!Pressed.Pane) return;
  Pressed = Press{};
  KillTimer(window, DragScrollTimer);
  if (GetCapture() == window) ReleaseCapture();
}

bool ClearSelection(HWND window) {
  // A drag goes no further: its next move would select from the cleared
  // selection's start.
  bool had = Pressed.Dragging;
  EndPaneDrag(window);
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    if (pane && HasSelection(pane->Selection)) {
      pane->Selection = {};
      RepaintPane(window, pane, false);
      had = true;
    }
  }
  return had;
}

void SelectAll(HWND window) {
  PaneView* pane = CurrentPane();
  if (!pane || !pane->Text) return;
  EndPaneDrag(window);
  DropOtherSelection(window, pane);
  pane->Selection = SelectAllOf(pane->Text);
  RepaintPane(window, pane, false);
}

bool SelectionSearchString(const PaneView* pane, unsigned char out[SearchStringBytes]) {
  out[0] = 0;
  if (!pane || !pane->Text || !HasSelection(pane->Selection)) return false;
  unsigned char* list = ExtractSelection(pane->Text, pane->Selection);
  if (!list) return false;
  // One paragraph, and not a longer one than the search line takes once
  // the spaces at its ends (which would only narrow what is found) are off.
  const unsigned char* s = list + 2;
  const size_t n = std::strlen(reinterpret_cast<const char*>(s));
  size_t start = 0, end = n;
  while (start < end && s[start] == ' ') ++start;
  while (end > start && s[end - 1] == ' ') --end;
  const size_t length = end - start;
  bool ok = list[0] != 0 && s[n + 1] == 0 && length > 0 && length < SearchStringBytes;
  for (size_t i = start; ok && i < end; ++i) ok = IsSearchable(s[i]);
  if (ok) {
    // A search string is typed in reading order.
    std::memcpy(out, s + start, length);
    if (list[0] & StyleVisual) TurnParagraph(out, static_cast<int32_t>(length));
    out[length] = 0;
  }
  std::free(list);
  if (!ok) out[0] = 0;
  return ok;
}

void SearchForSelection(HWND window, bool findAll) {
  unsigned char text[SearchStringBytes];
  if (!SelectionSearchString(PaneToCopy(), text)) return;
  std::memcpy(AppSettings.SearchString, text, sizeof text);
  if (findAll) {
    FindAll(window);
  } else {
    OpenSearchDialog(window);
  }
}

PaneView* PaneToCopy() {
  for (PaneView* pane : {CurrentPane(), MainPane, CommentaryPane})
    if (pane && HasSelection(pane->Selection)) return pane;
  return CurrentPane();
}

void CopyCurrentPane(HWND, bool append, bool withSource) {
  PaneView* pane = PaneToCopy();
  if (!pane) return;
  const TextSelection* selection = HasSelection(pane->Selection) ? &pane->Selection : nullptr;
  DisplayChar source[MaxBookmarkNameUnits + 1] = {};
  // A whole pane's copy opens with its page header already.
  if (withSource && selection) CopySourceName(AppSettings.Lesson, pane == CommentaryPane, source);
  CopyPaneToClipboard(MainWindow, pane, append, selection, source[0] ? source : nullptr);
}

bool OnPaneContextMenu(HWND window, LPARAM position) {
  PaneView* pane;
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (at.x == -1 && at.y == -1) {
    // From the keyboard: the current pane, at the top of its text.
    pane = CurrentPane();
    if (!pane) return false;
    at = POINT{pane->AreaLeft + pane->AreaWidth / 2, pane->AreaTop + PaneLength(pane, 16)};
    ClientToScreen(window, &at);
  } else {
    POINT client = at;
    ScreenToClient(window, &client);
    pane = PaneAt(client.x, client.y);
    if (!pane) return false;
    MakeActive(pane);
    DropOtherSelection(window, pane);
  }
  // The items act on the pane Copy and the searches take.
  const PaneView* target = PaneToCopy();
  const bool text = target && target->Text != nullptr;
  unsigned char search[SearchStringBytes];
  const bool searchable = SelectionSearchString(target, search);
  HMENU menu = CreatePopupMenu();
  if (!menu) return true;
  AddItem(menu, CMD_COPY, L"&Copy\bCtrl+C", text);
  AddItem(menu, CMD_COPY_WITH_SOURCE, L"Copy with &Source\bCtrl+Shift+C", text);
  AddItem(menu, CMD_SELECT_ALL, L"Select &All", text);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AddItem(menu, CMD_SEARCH_SELECTION, L"Searc&h for the Selection...", searchable);
  AddItem(menu, CMD_FIND_ALL_SELECTION, L"&Find All for the Selection", searchable);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AddItem(menu, CMD_ADD_BOOKMARK, L"Add &Bookmark\bCtrl+B", true);
  POINT client = at;
  ScreenToClient(window, &client);
  AddNoteMenuItems(menu, pane, client, !(GET_X_LPARAM(position) == -1 && GET_Y_LPARAM(position) == -1));
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr));
  DestroyMenu(menu);
  if (command) OnCommand(window, static_cast<int>(command));
  ForgetNoteMenu();
  return true;
}
