#include "shell/commands.h"

#include <cstdlib>

#include "dialogs/dialogs.h"
#include "output/clipboard.h"
#include "output/printing.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/links.h"
#include "shell/menus.h"
#include "shell/notes.h"
#include "shell/places.h"
#include "shell/reference_input.h"
#include "shell/results.h"
#include "shell/search.h"
#include "shell/selecting.h"
#include "shell/splitview.h"
#include "shell/systemdlls.h"
#include "shell/view.h"
#include "store/records.h"

namespace {

uint32_t FlagField(uint32_t mask, int shift) { return (AppSettings.Flags & mask) >> shift; }

void ChooseArticle(HWND window) {
  const int32_t chosen = ChooseDaf(AppInstance, MainWindow, AppSettings.Lesson);
  if (chosen != 0 && chosen != AppSettings.Lesson) JumpToRecord(window, chosen);
}

// A folio of the daily cycle (0: none), reached as Choose Daf reaches a page.
void GoToDailyFolio(HWND window, int32_t record) {
  if (record != 0 && record != AppSettings.Lesson) JumpToRecord(window, record);
}

void ChooseFont(HWND window) {
  if (FontDialog(window, &AppSettings.FontSettings) == 1) ApplyFontKeepingPlace(window);
}

}  // namespace

int OnCommand(HWND window, int command) {
  if (!LoadCommandDlls(window, command)) return 0;
  switch (command) {
    case CMD_ABOUT: AboutBox(window); return 0;
    case CMD_CHECK_UPDATES: CheckForUpdates(MainWindow); return 0;
    case CMD_CHOOSE_ARTICLE: ChooseArticle(window); return 0;
    case CMD_FONT: ChooseFont(window); return 0;
    case CMD_REVERSE:
      UpdateReverse(window, false);
      RepaintPanes(window, RepaintErase | 0xFF);
      RefreshResultsList();
      return 0;
    case CMD_COPY: CopyCurrentPane(window, false, false); return 0;
    case CMD_APPEND: CopyCurrentPane(window, true, false); return 0;
    case CMD_COPY_WITH_SOURCE: CopyCurrentPane(window, false, true); return 0;
    case CMD_SELECT_ALL: SelectAll(window); return 0;
    case CMD_SEARCH_SELECTION: SearchForSelection(window, false); return 0;
    case CMD_FIND_ALL_SELECTION: SearchForSelection(window, true); return 0;
    case CMD_PAGE_SETUP: PageSetup(MainWindow); return 0;
    case CMD_PRINT: PrintPane(PaneToCopy(), PaneToCopy() ? &PaneToCopy()->Selection : nullptr); return 0;
    case CMD_EXIT: DestroyWindow(window); return 0;
    case CMD_PREVIOUS_ARTICLE: PreviousArticle(window); return 0;
    case CMD_NEXT_ARTICLE: NextArticle(window); return 0;
    case CMD_SEARCH: OpenSearchDialog(MainWindow); return 0;
    case CMD_SEARCH_AGAIN: SearchNext(MainWindow); return 0;
    case CMD_FIND_ALL: FindAll(window); return 0;
    case CMD_SHARE_MINIMAL:
    case CMD_SHARE_HALF:
    case CMD_SHARE_THIRD:
    case CMD_SHARE_QUARTER:
    case CMD_SHARE_TWO_THIRDS:
    case CMD_SHARE_THREE_QUARTERS: OnShareCommand(window, command); return 0;
    case CMD_BACK: GoBack(window); return 0;
    case CMD_FORWARD: GoForward(window); return 0;
    case CMD_ADD_BOOKMARK: AddBookmarkHere(); return 0;
    case CMD_ORGANIZE_BOOKMARKS: OrganizeBookmarksDialog(window); return 0;
    case CMD_ZOOM_IN: Zoom(window, 1); return 0;
    case CMD_ZOOM_OUT: Zoom(window, -1); return 0;
    case CMD_ZOOM_RESET: Zoom(window, 0); return 0;
    case CMD_TODAYS_FOLIO: GoToDailyFolio(window, TodaysFolio(MainWindow)); return 0;
    case CMD_DAILY_FOLIO: GoToDailyFolio(window, DailyFolioDialog(MainWindow)); return 0;
    case CMD_GO_TO: GoToCommand(window); return 0;
    case CMD_NIGHT_COLOURS: ToggleNightColours(window); return 0;
    case CMD_FULL_SCREEN: ToggleFullScreen(window); return 0;
    case CMD_LINKS: ToggleLinks(window); return 0;
    case CMD_NEXT_COMMENT: StepComment(window, 1); return 0;
    case CMD_PREVIOUS_COMMENT: StepComment(window, -1); return 0;
    case CMD_ADD_NOTE: AddNoteHere(window); return 0;
    case CMD_EDIT_NOTE: EditNoteUnderMenu(window); return 0;
    case CMD_DELETE_NOTE: DeleteNoteUnderMenu(window); return 0;
    case CMD_SHOW_NOTES: ToggleNotes(window); return 0;
    case CMD_ALL_NOTES: OpenAllNotes(window); return 0;
    default:
      if (command < CMD_BOOKMARK_FIRST || command > CMD_BOOKMARK_LAST) return 1;
      GoToBookmark(window, command - CMD_BOOKMARK_FIRST);
      return 0;
  }
}

int StepArticle(HWND window, int delta) {
  int32_t n = AppSettings.Lesson + delta;
  if (n > RecordCount) {
    n = 1;
  } else if (n < 1) {
    n = RecordCount - 1;
  }
  return GoToRecord(window, n);
}

int NextArticle(HWND window) { return StepArticle(window, 2); }
int PreviousArticle(HWND window) { return StepArticle(window, -2); }

void UpdateReverse(HWND window, bool setMode) {
  if (SetMenuCheck(MainMenu(window), setMode, CMD_REVERSE, AppSettings.Flags & Reverse)) {
    AppSettings.Flags |= Reverse;
  } else {
    AppSettings.Flags &= ~Reverse;
  }
}

LRESULT OnKeyDown(HWND window, WPARAM key) {
  PaneView* pane = CurrentPane();
  const uint32_t mode = FlagField(KeyPageModeMask, KeyPageModeShift);
  int rows;
  switch (key) {
    case VK_RETURN:
      if (AppSettings.SearchString[0]) SearchNext(window);
      return 0;
    case VK_LEFT: PreviousArticle(window); return 0;
    case VK_RIGHT: NextArticle(window); return 0;
    // Here rather than among the accelerators, which the results window's
    // keys pass through first: its Esc closes it.
    // The first Esc clears a selection, the next leaves full screen.
    case VK_ESCAPE:
      if (ClearSelection(window)) return 0;
      if (!InFullScreen()) return 1;
      LeaveFullScreen(window);
      return 0;
    case VK_PRIOR: rows = -PageRows(pane, mode); break;
    case VK_NEXT: rows = PageRows(pane, mode); break;
    case VK_END: rows = (pane && pane->MaxFirstRow) ? pane->MaxFirstRow : PageRows(pane, mode); break;
    case VK_HOME: rows = -((pane && pane->FirstRow) ? pane->FirstRow : PageRows(pane, mode)); break;
    case VK_UP: rows = -1; break;
    case VK_DOWN: rows = 1; break;
    default: return 1;
  }
  if (pane && ScrollPane(pane, rows, true) == 3) {
    RepaintPanes(window, pane == MainPane ? (RepaintErase | RepaintMain) : (RepaintErase | RepaintCommentary));
    RetintAtPointer(window);  // other words under the pointer now
  }
  SyncScrollBar(ActiveScrollBar);
  return 0;
}

int ClickPage(HWND window, PaneView* pane, int x, int y) {
  if (!PointInPane(pane, x, y)) return 0;
  ActivePane = pane;
  ActiveScrollBar = pane == CommentaryPane ? CommentaryScrollBar : MainScrollBar;
  if (!(AppSettings.Flags & ClickPaging)) return 0;
  int middle, coordinate;
  if (AppSettings.Flags & ClickVertical) {
    middle = pane->AreaTop + pane->AreaHeight / 2;
    coordinate = y;
  } else {
    middle = pane->AreaLeft + pane->AreaWidth / 2;
    coordinate = x;
  }
  int step = PageRows(pane, FlagField(ClickPageModeMask, ClickPageModeShift));
  if (coordinate < middle) step = -step;
  if (ScrollPane(pane, step, true) == 3)
    RepaintPanes(window, pane == CommentaryPane ? RepaintCommentary : (RepaintErase | RepaintMain));
  SyncScrollBar(ActiveScrollBar);
  return 1;
}

int WheelNotches(WheelTotal* total, int delta) {
  // A turn the other way starts afresh: what was left of the old direction
  // must not swallow the first part of the new one.
  if ((delta < 0 && total->Remainder > 0) || (delta > 0 && total->Remainder < 0)) total->Remainder = 0;
  const int sum = total->Remainder + delta;
  total->Remainder = sum % WHEEL_DELTA;
  return sum / WHEEL_DELTA;
}

void OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam) {
  static WheelTotal paneWheel, zoomWheel;
  static const PaneView* wheeledPane;
  if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
    // Ctrl + wheel zooms, a step a notch: away from the user larger.
    for (int notches = WheelNotches(&zoomWheel, static_cast<short>(HIWORD(wParam))); notches != 0;
         notches -= notches > 0 ? 1 : -1) {
      Zoom(window, notches);
    }
    return;
  }
  // The pointer comes in screen coordinates; the panes are placed in client
  // coordinates of the main window (where the toolbar also begins).
  POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ScreenToClient(window, &p);
  int bits;
  if (PointInPane(MainPane, p.x, p.y)) {
    ActivePane = MainPane;
    ActiveScrollBar = MainScrollBar;
    bits = RepaintErase | RepaintMain;
  } else if (PointInPane(CommentaryPane, p.x, p.y)) {
    ActivePane = CommentaryPane;
    ActiveScrollBar = CommentaryScrollBar;
    bits = RepaintErase | RepaintCommentary;
  } else {
    return;
  }
  // Touchpads send parts of a notch: they add up, per pane, to whole rows.
  if (wheeledPane != ActivePane) paneWheel.Remainder = 0;
  wheeledPane = ActivePane;
  const int rows = -WheelNotches(&paneWheel, static_cast<short>(HIWORD(wParam)));
  if (rows != 0 && ScrollPane(ActivePane, rows, true) == 3) {
    RepaintPanes(window, bits);
    RetintAtPointer(window);  // other words under the pointer now
  }
  SyncScrollBar(ActiveScrollBar);
}
