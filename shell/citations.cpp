#include "shell/citations.h"

#include <commctrl.h>

#include <cstdlib>
#include <cwchar>

#include "layout/draw.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/splitview.h"
#include "store/folios.h"
#include "store/letters.h"
#include "store/places.h"
#include "store/references.h"

namespace {

// The citations of the commentary shown, found for that text on that page.
Citation* Found;
int32_t FoundCount;
const unsigned char* FoundText;
int32_t FoundLesson;
// The one under the pointer, -1: none.
int32_t Pointed = -1;

HWND Tooltip;
constexpr UINT_PTR TooltipTool = 1;
DisplayChar TooltipText[MaxBookmarkNameUnits + 1];
void PointTooltip(HWND window);

void Forget() {
  std::free(Found);
  Found = nullptr;
  FoundCount = 0;
  FoundText = nullptr;
  FoundLesson = 0;
  Pointed = -1;
}

// Finds the commentary's citations when it shows another text than the
// last time (a new article, a search hit in another commentary).
void Refresh() {
  const unsigned char* text = CommentaryPane ? CommentaryPane->Text : nullptr;
  if (text == FoundText && AppSettings.Lesson == FoundLesson) return;
  Forget();
  if (Tooltip) PointTooltip(MainWindow);  // the page it named is gone
  FoundText = text;
  FoundLesson = AppSettings.Lesson;
  if (!text) return;
  const int32_t article = ArticleOfRecord(AppSettings.Lesson);
  const int32_t count = FindRecordCitations(text, article, nullptr, 0);
  if (count <= 0) return;
  Found = static_cast<Citation*>(std::malloc(static_cast<size_t>(count) * sizeof(Citation)));
  // Without memory for them the commentary simply shows none.
  if (Found && FindRecordCitations(text, article, Found, count) == count) {
    FoundCount = count;
  } else {
    std::free(Found);
    Found = nullptr;
  }
}

// The citation drawn under x, y, or -1.
int32_t CitationAt(int x, int y) {
  Refresh();
  // The main pane's margin reaches over the commentary's top: a click
  // there is the main pane's.
  if (FoundCount == 0 || !PointInPane(CommentaryPane, x, y) || PointInPane(MainPane, x, y)) return -1;
  const int32_t at = PaneCharAt(CommentaryPane, x, y);
  if (at < 0) return -1;
  for (int32_t i = 0; i < FoundCount; ++i)
    if (Found[i].Start <= at && at < Found[i].End) return i;
  return -1;
}

// The tooltip answers over the commentary pane while a citation is pointed
// at, and nowhere else.
void PointTooltip(HWND window) {
  if (!Tooltip) {
    Tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                              AppInstance, nullptr);
    if (!Tooltip) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = TooltipTool;
    tool.lpszText = TooltipText;
    SendMessageW(Tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = TooltipTool;
  if (Pointed >= 0 && CommentaryPane) {
    // Hebrew words only: a right-to-left run wherever it is shown (marks
    // around it would be measured and cost the tip its first letter).
    PlaceName(RecordOfArticle(Found[Pointed].Article), TooltipText);
    tool.lpszText = TooltipText;
    SendMessageW(Tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.rect = RECT{CommentaryPane->AreaLeft, CommentaryPane->AreaTop,
                     CommentaryPane->AreaLeft + CommentaryPane->AreaWidth,
                     CommentaryPane->AreaTop + CommentaryPane->AreaHeight};
  }
  SendMessageW(Tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  if (Pointed < 0) {
    SendMessageW(Tooltip, TTM_POP, 0, 0);
    return;
  }
  // The move that reached the citation reached the tooltip before the tool
  // was there: it is told of it again, so that the tip comes without another.
  MSG move{};
  move.hwnd = window;
  move.message = WM_MOUSEMOVE;
  GetCursorPos(&move.pt);
  POINT client = move.pt;
  ScreenToClient(window, &client);
  move.lParam = MAKELPARAM(client.x, client.y);
  move.time = static_cast<DWORD>(GetMessageTime());
  SendMessageW(Tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

void Point(HWND window, int32_t index) {
  if (index == Pointed) return;
  Pointed = index;
  if (CommentaryPane) {
    CommentaryPane->CitationShown =
        index >= 0 ? TintRange{static_cast<uint16_t>(Found[index].Start), static_cast<uint16_t>(Found[index].End)}
                   : TintRange{0, 0};
    RepaintPanes(window, RepaintCommentary);
  }
  PointTooltip(window);
}

}  // namespace

void OnCitationHover(HWND window, int x, int y) {
  if (GetCapture() == window) return;
  Point(window, CitationAt(x, y));
}

void OnCitationLeave(HWND window) { Point(window, -1); }

bool SetCitationCursor(HWND window) {
  POINT p;
  if (!GetCursorPos(&p) || !ScreenToClient(window, &p) || CitationAt(p.x, p.y) < 0) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

bool FollowCitation(HWND window, const PaneView* pane, int x, int y) {
  if (!pane || pane != CommentaryPane) return false;
  const int32_t i = CitationAt(x, y);
  if (i < 0) return false;
  const int32_t record = RecordOfArticle(Found[i].Article);
  if (record != AppSettings.Lesson) JumpToRecord(window, record);
  return true;
}

void ForgetCitations() {
  Forget();
  if (Tooltip) DestroyWindow(Tooltip);
  Tooltip = nullptr;
}
