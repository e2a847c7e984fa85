#include "shell/search.h"

#include <cstdlib>

#include "layout/draw.h"
#include "output/settings.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/links.h"
#include "shell/selecting.h"
#include "shell/notes.h"
#include "shell/splitview.h"
#include "store/corpustexts.h"
#include "store/records.h"
#include "store/search.h"

namespace {

// Scrolls the hit's line to the top of the active pane and highlights the
// hit (h: offset of its highest byte, k: its length) with the header box.
int ShowHit(uint16_t h, uint16_t k) {
  PaneView* pane = CurrentPane();
  // A hit shown ends a selection, and a drag making one.
  EndPaneDrag(MainWindow);
  if (MainPane) MainPane->Selection = TextSelection{};
  if (CommentaryPane) CommentaryPane->Selection = TextSelection{};
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
  return FindInText(pane->Text, start, AppSettings.SearchString, length, CurrentOrder());
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
  // ends a line: a hit at its paragraph's first stored byte leaves the rest
  // of a number that ends the paragraph, and then the next paragraph, and
  // past the last one the next record.
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

namespace {

// Shows a hit found while startRecord was shown in the active pane.
int ShowHitIn(int32_t startRecord, const SearchHit& hit) {
  if (hit.Record == startRecord) {
    SelectHitArticle(startRecord, true);
    return ShowHit(hit.Offset, hit.Length);
  }
  unsigned char* text = LoadTextRecord(hit.Record, nullptr);
  if (!text) return 0;
  SetCurrentArticle(hit.Record);
  SelectHitArticle(startRecord, false);
  if (!ShowRecord(CurrentPane(), text)) {
    // Not laid out (no memory for its lines): the pane shows nothing.
    RepaintPanes(MainWindow, RepaintErase | 0xFF);
    return 0;
  }
  // The notes were placed while this pane still held the text it had
  // before: placed again for the texts now shown.
  PlaceArticleNotes();
  return ShowHit(hit.Offset, hit.Length);
}

// Shows a hit as a jump that Back can undo: always (a row of the results),
// or only when it leads to another article (Search Again).
int ShowFoundHit(int32_t startRecord, const SearchHit& hit, bool alwaysAJump) {
  const Place left = CurrentPlace();
  const int shown = ShowHitIn(startRecord, hit);
  if (shown && (alwaysAJump || AppSettings.Lesson != left.Lesson)) RecordPlaceLeft(left);
  return shown;
}

// The record shown in the active pane.
int32_t ShownRecord() { return AppSettings.Lesson + (ActivePane && ActivePane == CommentaryPane ? 1 : 0); }

}  // namespace

int ShowSearchHit(const SearchHit& hit) {
  if (!MainPane || hit.Record < 1 || hit.Record > RecordCount) return 0;
  return ShowFoundHit(ShownRecord(), hit, true);
}

int SearchNext(HWND owner) {
  ParagraphNodeAlloc = AllocOrDie;
  CorpusTextSource = LoadTextRecord;
  if (AppSettings.SearchString[0] == 0 || !MainPane) return 0;
  const int32_t c = ShownRecord();
  PaneView* pane = CurrentPane();
  uint16_t length = 0;

  // The rest of the text shown, from the pane's own buffer.
  int32_t at = SearchOwnText(pane, SearchStartOffset(), &length);
  if (at == SearchNoMemory) return 0;
  SearchHit hit = {c, static_cast<uint16_t>(at), length};
  if (at == 0) {
    // Every other record once, from the one after c round to the one before
    // it. A current article that names no record (a stored Lesson beyond the
    // corpus) has every record after it.
    PreparedPattern pattern;
    PreparePattern(&pattern, AppSettings.SearchString, CorpusByteCounts(), CurrentOrder());
    const bool known = c >= 1 && c <= RecordCount;
    hit = NextHit(pattern, c >= 1 && c < RecordCount ? c + 1 : 1, 0, known ? RecordCount - 1 : RecordCount,
                  AppSettings.BottomSection < 10);
  }
  if (hit.Record == 0) {
    // The pass is complete: the active pane's text once more, whole.
    at = SearchOwnText(pane, 0, &length);
    if (at == SearchNoMemory) return 0;
    hit = {at > 0 ? c : 0, static_cast<uint16_t>(at), length};
  }
  if (hit.Record == 0) {
    MessageBoxW(owner, L"Not Found!", L"Orvane", MB_OK);
    return 0;
  }
  return ShowFoundHit(c, hit, false);
}
