#include "shell/search.h"

#include <cstdlib>

#include "layout/draw.h"
#include "output/settings.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/splitview.h"
#include "store/records.h"
#include "store/search.h"

namespace {

// Scrolls the hit's line to the top of the active pane and highlights the
// hit (h: offset of its highest byte, k: its length) with the header box.
int ShowHit(uint16_t h, uint16_t k) {
  PaneView* pane = CurrentPane();
  ScrollToOffset(pane, h);
  RepaintPanes(MainWindow, RepaintErase | 0xFF);
  pane->HitStart = static_cast<uint16_t>(h - k + 1);
  pane->HitEnd = static_cast<uint16_t>(h + 1);
  RepaintPanes(MainWindow, 0xFF);
  DrawHeaderBox(pane);
  return 1;
}

// Searches the active pane's own text from offset start.
int32_t SearchOwnText(PaneView* pane, uint16_t start, uint16_t* length) {
  if (!pane || !pane->Text) return 0;
  return FindInText(pane->Text, start, AppSettings.SearchString, length);
}

}  // namespace

uint16_t SearchStartOffset() {
  const PaneView* pane = CurrentPane();
  if (!pane || !pane->Lines || pane->Lines[0].Style == 0) return 0;
  // L: the first visible line, never the terminator.
  const LineEntry* line = pane->Lines;
  for (int rows = 0; rows < pane->FirstRow && line[1].Style != 0; ++line) rows += RowsOf(*line);
  const unsigned lineEnd = line->Start + line->Length;
  const bool noHit = pane->HitStart == 0 && pane->HitEnd == 0;
  // Without a hit range the pane is searched from its first visible line,
  // also on its last page.
  if (noHit || ((pane->HitEnd < line->Start || pane->HitEnd > lineEnd) && pane->FirstRow < pane->MaxFirstRow)) {
    return static_cast<uint16_t>(lineEnd - 1);
  }
  // Otherwise on from just past the hit in reading order, also when the hit
  // ends a line: a start below its paragraph's text moves on to the next
  // paragraph, and past the last one to the next record.
  return static_cast<uint16_t>(pane->HitStart - 1);
}

void SelectHitArticle(int32_t startRecord, bool sameText) {
  if (sameText) {
    if (ActivePane == CommentaryPane && CommentaryPane) {
      ActiveScrollBar = CommentaryScrollBar;
    } else {
      ActivePane = MainPane;
      ActiveScrollBar = MainScrollBar;
    }
    return;
  }
  const int32_t lesson = AppSettings.Lesson;
  if (lesson % 2 == 1) {
    ActivePane = MainPane;
    ActiveScrollBar = MainScrollBar;
    if (startRecord != lesson && startRecord != lesson + 1) LoadCommentary(MainWindow);
  } else {
    AppSettings.Lesson = static_cast<uint16_t>(lesson - 1);
    ActivePane = CommentaryPane;
    ActiveScrollBar = CommentaryScrollBar;
    if (startRecord != lesson - 1 && startRecord != lesson) GoToRecord(MainWindow, ReloadMainRecord);
  }
}

int SearchNext(HWND owner) {
  ParagraphNodeAlloc = AllocOrDie;
  if (AppSettings.SearchString[0] == 0 || !MainPane) return 0;
  const int32_t c = AppSettings.Lesson + (ActivePane && ActivePane == CommentaryPane ? 1 : 0);
  PaneView* pane = CurrentPane();
  uint16_t length = 0;

  int32_t hit = SearchOwnText(pane, SearchStartOffset(), &length);
  if (hit == SearchNoMemory) return 0;
  if (hit > 0) {
    SelectHitArticle(c, true);
    return ShowHit(static_cast<uint16_t>(hit), length);
  }

  // Every record once, then the active pane's own text again. A current
  // article that names no record (a stored Lesson beyond the corpus) is never
  // met on the way round, so the count of records visited ends that pass.
  for (int32_t i = c + 1, visited = 0;; ++i, ++visited) {
    if (i > RecordCount) i = 1;
    if (i == c || visited == RecordCount) {
      // The pass is complete: the active pane's text once more, whole.
      hit = SearchOwnText(pane, 0, &length);
      if (hit == SearchNoMemory) return 0;
      if (hit > 0) {
        SelectHitArticle(c, true);
        return ShowHit(static_cast<uint16_t>(hit), length);
      }
      MessageBoxW(owner, L"Not Found!", L"Orvane", MB_OK);
      return 0;
    }
    // With the Minimal share the commentary records are not searched.
    if (AppSettings.BottomSection < 10 && i % 2 == 0) continue;
    unsigned char* text = LoadTextRecord(i, nullptr);
    if (!text) continue;
    hit = FindInText(text, 0, AppSettings.SearchString, &length);
    if (hit == SearchNoMemory) {
      free(text);
      return 0;
    }
    if (hit == 0) {
      free(text);
      continue;
    }
    SetCurrentArticle(i);
    SelectHitArticle(c, false);
    PaneView* target = CurrentPane();
    LayoutPane(target, text, true);
    if (target->Text != text) {
      // Not laid out (no memory for its lines): the pane shows nothing.
      free(text);
      RepaintPanes(MainWindow, RepaintErase | 0xFF);
      return 0;
    }
    target->FirstRow = 0;
    return ShowHit(static_cast<uint16_t>(hit), length);
  }
}
