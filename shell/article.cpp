#include "shell/article.h"

#include <cstdlib>

#include "output/settings.h"
#include "shell/globals.h"
#include "shell/splitview.h"
#include "store/records.h"

namespace {

// Lays a freshly loaded record out in a pane; a text the pane did not take
// (rejected, or no memory for its lines) is released here.
void ShowRecord(PaneView* pane, unsigned char* text) {
  LayoutPane(pane, text, true);
  if (pane->Text != text) free(text);
  pane->FirstRow = 0;
}

}  // namespace

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
  return 0;
}

void LoadStoredArticle(HWND window) {
  if (!MainPane) return;
  unsigned char* text = LoadTextRecord(AppSettings.Lesson, nullptr);
  if (!text) {
    MessageBoxW(window, L"Resource not found", L"Error", MB_ICONWARNING | MB_OK);
    return;
  }
  LayoutPane(MainPane, text, false);
  if (MainPane->Text != text) free(text);  // rejected: the pane did not take it
  MainPane->FirstRow = AppSettings.LastPosition;
  LoadCommentary(window);
  if (CommentaryPane) CommentaryPane->FirstRow = AppSettings.BottomSectionLastPosition;
  SyncScrollBars();
}
