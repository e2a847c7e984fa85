#include "shell/links.h"

#include <cstdlib>
#include <initializer_list>

#include "layout/draw.h"
#include "resources/resource.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/menus.h"
#include "shell/splitview.h"
#include "shell/view.h"
#include "store/folios.h"
#include "store/links.h"
#include "store/records.h"
#include "store/tractates.h"

namespace {

// The links of the article shown, in the commentary's order.
CommentLink* Links;
int32_t LinkCount;

// What the panes are tinted with: one stretch in the pane a comment or words
// are pointed at on, and the other end's stretches (several comments may
// quote the same words).
constexpr int32_t MaxTints = 64;
TintRange MainTints[MaxTints];
TintRange CommentaryTints[MaxTints];

// What the tint shows: the comment (or, over the main text, the first
// comment on the words) and how many follow it; -1: none.
int32_t TintedComment = -1;
int32_t TintedCount;
// The comment Alt+Up/Down last went to, -1: none.
int32_t SteppedComment = -1;

bool LinksOn() { return AppSettings.LinksOff == 0; }

void ClearTints() {
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    if (!pane) continue;
    pane->Tints = nullptr;
    pane->TintCount = 0;
    pane->TintAbove = false;
  }
  TintedComment = -1;
  TintedCount = 0;
}

// Tints comments [first, first + count) and the words they quote: false
// when that is what is tinted already.
bool SetTint(int32_t first, int32_t count) {
  if (first == TintedComment && count == TintedCount) return false;
  ClearTints();
  if (first >= 0 && MainPane && CommentaryPane) {
    int32_t mains = 0, comments = 0;
    for (int32_t i = first; i < first + count && i < LinkCount && comments < MaxTints; ++i) {
      const CommentLink& link = Links[i];
      if (link.Side == LinkNone) continue;
      CommentaryTints[comments++] = TintRange{link.CommentStart, link.CommentEnd};
      if (link.Side == LinkPreviousSide) {
        MainPane->TintAbove = true;
      } else {
        MainTints[mains++] = TintRange{link.QuoteStart, link.QuoteEnd};
      }
    }
    MainPane->Tints = MainTints;
    MainPane->TintCount = mains;
    CommentaryPane->Tints = CommentaryTints;
    CommentaryPane->TintCount = comments;
    TintedComment = first;
    TintedCount = count;
  }
  return true;
}

// The same, both panes redrawn when it changed.
void Tint(HWND window, int32_t first, int32_t count) {
  if (SetTint(first, count)) RepaintPanes(window, RepaintMain | RepaintCommentary);
}

// The comment that holds a commentary offset, or -1.
int32_t CommentAt(int32_t offset) {
  for (int32_t i = 0; i < LinkCount; ++i)
    if (Links[i].CommentStart <= offset && offset < Links[i].CommentEnd) return i;
  return -1;
}

// The comments that quote the main-text offset: the first, and *count of
// them in a row from it (headings follow the text, so they stand together).
int32_t CommentsOn(int32_t offset, int32_t* count) {
  *count = 0;
  int32_t first = -1;
  for (int32_t i = 0; i < LinkCount; ++i) {
    const CommentLink& link = Links[i];
    const bool on = link.Side == LinkThisSide && link.QuoteStart <= offset && offset < link.QuoteEnd;
    if (on && first < 0) first = i;
    if (first >= 0) {
      if (!on) break;
      ++*count;
    }
  }
  return first;
}

// The first line (in reading order) of stored bytes [start, end).
int32_t FirstLineOf(const PaneView* pane, int32_t start, int32_t end) {
  const int32_t a = LineIndexOf(pane, start), b = LineIndexOf(pane, end > start ? end - 1 : start);
  if (a < 0) return b;
  if (b < 0) return a;
  return a < b ? a : b;
}

// Scrolls a pane so that the line starts at about a fraction of its height
// (third 0: at the top); false when it did not move.
bool ScrollLineTo(PaneView* pane, int32_t line, bool third) {
  if (!pane || line < 0) return false;
  int32_t row = RowOfLine(pane, line);
  if (third) row -= pane->RowsDrawn / 3;
  if (row > pane->MaxFirstRow) row = pane->MaxFirstRow;
  if (row < 0) row = 0;
  if (row == pane->FirstRow) return false;
  pane->FirstRow = static_cast<uint16_t>(row);
  return true;
}

// Whether line lies among the rows the pane showed when last drawn.
bool LineInView(const PaneView* pane, int32_t line) {
  if (line < 0) return false;
  const int32_t row = RowOfLine(pane, line);
  return row >= pane->FirstRow && row < pane->FirstRow + pane->RowsDrawn;
}

void Repaint(HWND window, bool mainMoved, bool commentaryMoved) {
  RepaintPanes(window, RepaintErase | RepaintMain | RepaintCommentary);
  if (mainMoved) SyncScrollBar(MainScrollBar);
  if (commentaryMoved) SyncScrollBar(CommentaryScrollBar);
}

}  // namespace

void ForgetLinks() {
  ClearTints();
  std::free(Links);
  Links = nullptr;
  LinkCount = 0;
  SteppedComment = -1;
}

void RelinkArticle() {
  ForgetLinks();
  if (!LinksOn() || !MainPane || !CommentaryPane || !MainPane->Text || !CommentaryPane->Text) return;
  // The previous side's main text, when it is of the same tractate: a
  // heading at the top of a side may quote the end of it.
  const int32_t article = ArticleOfRecord(AppSettings.Lesson);
  int32_t tractate = 0, side = 0, previousTractate = -1, previousSide = 0;
  unsigned char* previous = nullptr;
  if (article > 1 && LocateArticle(article, &tractate, &side) &&
      LocateArticle(article - 1, &previousTractate, &previousSide) && previousTractate == tractate)
    previous = LoadTextRecord(AppSettings.Lesson - 2, nullptr);
  const int32_t count = LinkComments(MainPane->Text, previous, CommentaryPane->Text, nullptr, 0);
  if (count > 0) {
    Links = static_cast<CommentLink*>(std::malloc(static_cast<size_t>(count) * sizeof(CommentLink)));
    if (Links && LinkComments(MainPane->Text, previous, CommentaryPane->Text, Links, count) == count) {
      LinkCount = count;
    } else {
      std::free(Links);
      Links = nullptr;
    }
  }
  std::free(previous);
}

void OnLinkHover(HWND window, int x, int y) {
  // Asked at every move: a capture (a drag) may have ended the last request.
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
  TrackMouseEvent(&track);
  if (!LinksOn() || LinkCount == 0) return;
  int32_t first = -1, count = 0;
  if (PointInPane(CommentaryPane, x, y)) {
    first = CommentAt(PaneBoundaryAt(CommentaryPane, x, y));
    count = first >= 0 ? 1 : 0;
  } else if (PointInPane(MainPane, x, y)) {
    first = CommentsOn(PaneBoundaryAt(MainPane, x, y), &count);
  }
  Tint(window, first, count);
}

void OnLinkLeave(HWND window) {
  Tint(window, -1, 0);
}

bool OnLinkClick(HWND window, int x, int y) {
  if (!LinksOn() || LinkCount == 0) return false;
  if (PointInPane(CommentaryPane, x, y)) {
    const int32_t i = CommentAt(PaneBoundaryAt(CommentaryPane, x, y));
    if (i < 0) return false;
    // A comment on the previous side's words has nothing here to show.
    if (Links[i].Side == LinkThisSide &&
        ScrollLineTo(MainPane, FirstLineOf(MainPane, Links[i].QuoteStart, Links[i].QuoteEnd), true))
      Repaint(window, true, false);
    return true;
  }
  if (PointInPane(MainPane, x, y)) {
    int32_t count = 0;
    const int32_t i = CommentsOn(PaneBoundaryAt(MainPane, x, y), &count);
    if (i < 0) return false;
    if (ScrollLineTo(CommentaryPane, LineIndexOf(CommentaryPane, Links[i].CommentStart), false))
      Repaint(window, false, true);
    return true;
  }
  return false;
}

void StepComment(HWND window, int direction) {
  if (!LinksOn() || LinkCount == 0 || !CommentaryPane || !MainPane) return;
  int32_t target;
  const bool inView = SteppedComment >= 0 && SteppedComment < LinkCount &&
                      LineInView(CommentaryPane, LineIndexOf(CommentaryPane, Links[SteppedComment].CommentStart));
  if (inView) {
    target = SteppedComment + direction;
  } else {
    // From the first comment at or below the commentary pane's top line.
    target = 0;
    while (target < LinkCount &&
           RowOfLine(CommentaryPane, LineIndexOf(CommentaryPane, Links[target].CommentStart)) < CommentaryPane->FirstRow)
      ++target;
    if (direction < 0) --target;
  }
  if (target < 0 || target >= LinkCount) {
    MessageBeep(MB_OK);
    return;
  }
  SteppedComment = target;
  const CommentLink& link = Links[target];
  const int32_t heading = LineIndexOf(CommentaryPane, link.CommentStart);
  const int32_t last = LineIndexOf(CommentaryPane, link.CommentEnd - 1);
  bool commentaryMoved = false, mainMoved = false;
  if (!LineInView(CommentaryPane, heading) || !LineInView(CommentaryPane, last))
    commentaryMoved = ScrollLineTo(CommentaryPane, heading, false);
  if (link.Side == LinkThisSide) {
    const int32_t words = FirstLineOf(MainPane, link.QuoteStart, link.QuoteEnd);
    if (!LineInView(MainPane, words)) mainMoved = ScrollLineTo(MainPane, words, true);
  }
  const bool tinted = SetTint(target, 1);
  if (mainMoved || commentaryMoved) {
    Repaint(window, mainMoved, commentaryMoved);
  } else if (tinted) {
    RepaintPanes(window, RepaintMain | RepaintCommentary);
  }
}

void ToggleLinks(HWND window) {
  AppSettings.LinksOff = LinksOn() ? 1 : 0;
  SetMenuCheck(MainMenu(window), true, CMD_LINKS, LinksOn() ? 1 : 0);
  if (LinksOn()) {
    RelinkArticle();
  } else {
    ForgetLinks();
  }
  RepaintPanes(window, RepaintMain | RepaintCommentary);
}
