#include "shell/article.h"

#include <cstdlib>
#include <cstring>

#include "output/settings.h"
#include "shell/globals.h"
#include "shell/links.h"
#include "shell/notes.h"
#include "shell/splitview.h"
#include "store/records.h"

bool ShowRecord(PaneView* pane, unsigned char* text) {
  LayoutPane(pane, text, true);
  // What the links and their tint were made for is gone.
  PaneTextChanged();
  pane->FirstRow = 0;
  if (pane->Text == text) return true;
  free(text);
  return false;
}

int GoToRecord(HWND window, int32_t n) {
  if (!MainPane) return 1;
  const uint16_t remembered = AppSettings.Lesson;
  if (n != ReloadMainRecord) SetCurrentArticle(n);
  unsigned char* text = LoadTextRecord(AppSettings.Lesson, nullptr);
  if (!text) {
    AppSettings.Lesson = remembered;
    return 1;
  }
  ShowRecord(MainPane, text);
  if (n != ReloadMainRecord) LoadCommentary(window);
  PlaceArticleNotes();
  RepaintPanes(window, RepaintErase | 0xFF);
  return 0;
}

int LoadCommentary(HWND window) {
  unsigned char* text = LoadTextRecord(AppSettings.Lesson + 1, nullptr);
  if (!text) return MessageBoxW(window, L"Resource not found", L"Error", MB_ICONWARNING | MB_OK);
  if (!CommentaryPane) {
    free(text);
    return 0;
  }
  ShowRecord(CommentaryPane, text);
  PlaceArticleNotes();
  return 0;
}

void LoadStoredArticle(HWND window) {
  if (!MainPane) return;
  unsigned char* text = LoadTextRecord(AppSettings.Lesson, nullptr);
  if (!text) {
    MessageBoxW(window, L"Resource not found", L"Error", MB_ICONWARNING | MB_OK);
    return;
  }
  ShowRecord(MainPane, text);
  MainPane->FirstRow = AppSettings.LastPosition;
  LoadCommentary(window);
  if (CommentaryPane) CommentaryPane->FirstRow = AppSettings.BottomSectionLastPosition;
  SyncScrollBars();
}

uint16_t TextLength(const unsigned char* text) {
  if (!text) return 0;
  const unsigned char* p = text;
  while (*p) p += 2 + std::strlen(reinterpret_cast<const char*>(p + 2)) + 1;
  return static_cast<uint16_t>(p - text);
}

PlaceHistory History;

Place CurrentPlace() {
  Place place{};
  place.Lesson = AppSettings.Lesson;
  place.Main = TopPosition(MainPane);
  place.Commentary = TopPosition(CommentaryPane);
  place.CommentaryActive = ActivePane && ActivePane == CommentaryPane ? 1 : 0;
  return place;
}

int ShowPlace(HWND window, const Place& place) {
  if (!MainPane) return 1;
  if (place.Lesson != AppSettings.Lesson && GoToRecord(window, place.Lesson) != 0) return 1;
  ScrollToPosition(MainPane, place.Main);
  ScrollToPosition(CommentaryPane, place.Commentary);
  if (place.CommentaryActive && CommentaryPane) {
    ActivePane = CommentaryPane;
    ActiveScrollBar = CommentaryScrollBar;
  } else {
    ActivePane = MainPane;
    ActiveScrollBar = MainScrollBar;
  }
  RepaintPanes(window, RepaintErase | 0xFF);
  return 0;
}

int JumpToPlace(HWND window, const Place& target) {
  const Place left = CurrentPlace();
  if (ShowPlace(window, target) != 0) return 1;
  RecordJump(&History, left, CurrentPlace());
  return 0;
}

int JumpToRecord(HWND window, int32_t n) {
  const Place left = CurrentPlace();
  if (GoToRecord(window, n) != 0) return 1;
  RecordJump(&History, left, CurrentPlace());
  return 0;
}

void RecordPlaceLeft(const Place& left) { RecordJump(&History, left, CurrentPlace()); }

namespace {

// Back (back true) or Forward; a place that cannot be shown puts the
// history back as it was.
int StepThroughHistory(HWND window, bool back) {
  Place target{}, undone{};
  const Place here = CurrentPlace();
  if (!(back ? StepBack : StepForward)(&History, here, &target)) return 1;
  if (ShowPlace(window, target) == 0) return 0;
  (back ? StepForward : StepBack)(&History, target, &undone);
  return 1;
}

}  // namespace

int GoBack(HWND window) { return StepThroughHistory(window, true); }
int GoForward(HWND window) { return StepThroughHistory(window, false); }
