#include "shell/places.h"

#include <cwchar>

#include "dialogs/dialogs.h"
#include "output/bookmarks.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/results.h"
#include "shell/splitview.h"
#include "shell/view.h"
#include "store/letters.h"
#include "store/records.h"

BookmarkList Bookmarks;

namespace {

// The menu label of a bookmark: its name with every '&' doubled, so that
// none becomes a mnemonic. A menu lays its items out left to right: a name
// that starts with a Hebrew letter (it is held in reading order) goes
// between right-to-left embedding marks.
void MenuLabel(const DisplayChar* name, wchar_t* out, int units) {
  const bool embed = FormFor(TextUse::Name, AppSettings.Flags, AppSettings.FontSettings.FontAsciiBase).RightToLeft &&
                     StartsRightToLeft(name);
  int n = 0;
  if (embed) out[n++] = RightToLeftEmbedding;
  for (const DisplayChar* p = name; *p && n < units - 3; ++p) {
    if (*p == L'&') out[n++] = L'&';
    out[n++] = *p;
  }
  if (embed) out[n++] = PopDirectionalFormatting;
  out[n] = 0;
}

}  // namespace

void LoadPlaces() { LoadBookmarks(&Bookmarks, RecordCount); }

void AddBookmarkHere() {
  Bookmark mark{};
  mark.At = CurrentPlace();
  mark.At.CommentaryActive = 0;
  PlaceName(mark.At.Lesson, mark.Name);
  if (mark.Name[0] == 0) std::swprintf(mark.Name, MaxBookmarkNameUnits + 1, L"%d", mark.At.Lesson);
  if (Bookmarks.Count >= MaxBookmarks) {
    wchar_t text[200];
    std::swprintf(text, 200,
                  L"The list of bookmarks is full: it holds %d, as many as the reader keeps.\n\n"
                  L"Delete some in Organize Bookmarks to add this place.",
                  MaxBookmarks);
    MessageBoxW(MainWindow, text, L"Orvane", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (AddBookmark(&Bookmarks, mark)) SaveBookmarksOrSay(MainWindow, &Bookmarks);
}

void GoToBookmark(HWND window, int index) {
  if (index < 0 || index >= Bookmarks.Count) return;
  JumpToPlace(window, Bookmarks.Items[index].At);
}

void OrganizeBookmarksDialog(HWND window) { OrganizeBookmarks(window, &Bookmarks); }

void UpdatePlaceMenus(HWND window, HMENU popup) {
  HMENU bar = MainMenu(window);
  if (!bar || !popup) return;
  EnableMenuItem(bar, CMD_BACK, MF_BYCOMMAND | (History.BackCount ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(bar, CMD_FORWARD, MF_BYCOMMAND | (History.ForwardCount ? MF_ENABLED : MF_GRAYED));
  if (popup != GetSubMenu(bar, BOOKMARKS_MENU_POSITION)) return;
  // The commands stay; the entries below them, and their separator, are
  // made anew.
  for (int last = GetMenuItemCount(popup) - 1; last >= 0; --last) {
    const UINT id = GetMenuItemID(popup, last);
    const bool entry = id >= CMD_BOOKMARK_FIRST && id <= CMD_BOOKMARK_LAST;
    if (!entry && !(GetMenuState(popup, last, MF_BYPOSITION) & MF_SEPARATOR)) break;
    DeleteMenu(popup, last, MF_BYPOSITION);
    if (!entry) break;
  }
  const int shown = Bookmarks.Count < MenuBookmarks ? Bookmarks.Count : MenuBookmarks;
  if (shown > 0) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  for (int i = 0; i < shown; ++i) {
    wchar_t label[2 * MaxBookmarkNameUnits + 2];
    MenuLabel(Bookmarks.Items[i].Name, label, static_cast<int>(sizeof label / sizeof label[0]));
    AppendMenuW(popup, MF_STRING, CMD_BOOKMARK_FIRST + i, label);
  }
}

// A new font lays both panes out again, each keeping the line being read at
// its top, so that steps up and back down return to the very same lines.
void ApplyFontKeepingPlace(HWND window) {
  SetPaneFont(MainPane, &AppSettings.FontSettings);
  SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
  RepaintPanes(window, RepaintClear | RepaintErase | 0xFF);
  RefreshResultsList();
}

void Zoom(HWND window, int direction) {
  const int32_t size = AppSettings.FontSettings.FontSize;
  const int32_t zoomed = direction == 0 ? ZoomResetSize : ZoomedFontSize(size, direction);
  if (zoomed == size) return;
  AppSettings.FontSettings.FontSize = zoomed;
  ApplyFontKeepingPlace(window);
}
