#include "shell/links.h"

#include <algorithm>
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

// The comments the tint shows (in the commentary's order); none: no tint.
int32_t Tinted[MaxTints];
int32_t TintedCount;
// The comment Alt+Up/Down last went to, -1: none.
int32_t SteppedComment = -1;
// The panes got another text since the links were made.
bool LinksStale = true;

bool LinksOn() { return AppSettings.LinksOff == 0; }

void ClearTints() {
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    if (!pane) continue;
    pane->Tints = nullptr;
    pane->TintCount = 0;
    pane->TintAbove = false;
  }
  TintedCount = 0;
}

void DropLinks() {
  ClearTints();
  std::free(Links);
  Links = nullptr;
  LinkCount = 0;
  SteppedComment = -1;
}

// Links the texts the panes hold now, with the previous side's main text
// when it is of the same tractate (a heading at the top of a side may quote
// the end of it).
void Relink() {
  DropLinks();
  LinksStale = false;
  if (!LinksOn() || !MainPane || !CommentaryPane || !MainPane->Text || !CommentaryPane->Text) return;
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

// Whether there are links to use: made anew first when the panes got
// another text since.
bool HaveLinks() {
  if (!LinksOn()) return false;
  if (LinksStale) Relink();
  return LinkCount > 0;
}

// Tints the given comments and the words they quote: false when that is
// what is tinted already.
bool SetTint(const int32_t* comments, int32_t count) {
  if (count > MaxTints) count = MaxTints;
  if (count == TintedCount && std::equal(comments, comments + count, Tinted)) return false;
  ClearTints();
  if (count > 0 && MainPane && CommentaryPane) {
    int32_t mains = 0, notes = 0;
    for (int32_t k = 0; k < count; ++k) {
      const CommentLink& link = Links[comments[k]];
      Tinted[k] = comments[k];
      if (link.Side == LinkNone) continue;
      CommentaryTints[notes++] = TintRange{link.CommentStart, link.CommentEnd};
      if (link.Side == LinkPreviousSide) {
        MainPane->TintAbove = true;
      } else {
        MainTints[mains++] = TintRange{link.QuoteStart, link.QuoteEnd};
      }
    }
    MainPane->Tints = MainTints;
    MainPane->TintCount = mains;
    CommentaryPane->Tints = CommentaryTints;
    CommentaryPane->TintCount = notes;
    TintedCount = count;
  }
  return true;
}

// The tint's mark at the upper pane's edge lies outside its lines: the pane
// is erased as well when its tint changes, or the old mark stays.
int TintRepaintBits(bool mainHadTint) {
  const bool mainTint = MainPane && (MainPane->TintCount || MainPane->TintAbove);
  return RepaintMain | RepaintCommentary | (mainHadTint || mainTint ? RepaintErase : 0);
}

bool MainTinted() { return MainPane && (MainPane->TintCount || MainPane->TintAbove); }

// The same, both panes redrawn when it changed.
void Tint(HWND window, const int32_t* comments, int32_t count) {
  const bool had = MainTinted();
  if (SetTint(comments, count)) RepaintPanes(window, TintRepaintBits(had));
}

// The comment that holds a commentary offset, or -1.
int32_t CommentAt(int32_t offset) {
  for (int32_t i = 0; i < LinkCount; ++i)
    if (Links[i].CommentStart <= offset && offset < Links[i].CommentEnd) return i;
  return -1;
}

// The comments that quote the main-text offset, in their order (up to
// room of them): how many.
int32_t CommentsOn(int32_t offset, int32_t* out, int32_t room) {
  int32_t count = 0;
  for (int32_t i = 0; i < LinkCount && count < room; ++i) {
    const CommentLink& link = Links[i];
    if (link.Side == LinkThisSide && link.QuoteStart <= offset && offset < link.QuoteEnd) out[count++] = i;
  }
  return count;
}

// The comments the pointer at x, y rests on: how many.
int32_t CommentsAt(int x, int y, int32_t* out) {
  if (PointInPane(CommentaryPane, x, y)) {
    out[0] = CommentAt(PaneBoundaryAt(CommentaryPane, x, y));
    return out[0] >= 0 ? 1 : 0;
  }
  if (PointInPane(MainPane, x, y)) return CommentsOn(PaneBoundaryAt(MainPane, x, y), out, MaxTints);
  return 0;
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
  DropLinks();
  LinksStale = true;
}

void PaneTextChanged() { ForgetLinks(); }

void OnLinkHover(HWND window, int x, int y) {
  // Asked at every move: a capture (a drag) may have ended the last request.
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
  TrackMouseEvent(&track);
  if (!HaveLinks()) return;
  int32_t comments[MaxTints];
  Tint(window, comments, CommentsAt(x, y, comments));
}

void RetintAtPointer(HWND window) {
  if (!HaveLinks()) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  const bool over = WindowFromPoint(p) == window;
  int32_t comments[MaxTints];
  const int32_t count = over && ScreenToClient(window, &p) ? CommentsAt(p.x, p.y, comments) : 0;
  Tint(window, comments, count);
}

void OnLinkLeave(HWND window) {
  Tint(window, nullptr, 0);
}

bool OnLinkClick(HWND window, int x, int y) {
  if (!LinksOn()) return false;
  // While links are on, a Ctrl+click is theirs wherever it falls in a pane.
  if (!HaveLinks()) return PointInPane(CommentaryPane, x, y) || PointInPane(MainPane, x, y);
  if (PointInPane(CommentaryPane, x, y)) {
    const int32_t i = CommentAt(PaneBoundaryAt(CommentaryPane, x, y));
    if (i < 0) return true;
    // A comment on the previous side's words has nothing here to show.
    if (Links[i].Side == LinkThisSide &&
        ScrollLineTo(MainPane, FirstLineOf(MainPane, Links[i].QuoteStart, Links[i].QuoteEnd), true))
      Repaint(window, true, false);
    return true;
  }
  if (PointInPane(MainPane, x, y)) {
    int32_t i = -1;
    if (CommentsOn(PaneBoundaryAt(MainPane, x, y), &i, 1) == 0) return true;
    if (ScrollLineTo(CommentaryPane, LineIndexOf(CommentaryPane, Links[i].CommentStart), false))
      Repaint(window, false, true);
    return true;
  }
  return false;
}

void StepComment(HWND window, int direction) {
  if (!HaveLinks() || !CommentaryPane || !MainPane) return;
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
  const bool had = MainTinted();
  const bool tinted = SetTint(&target, 1);
  if (mainMoved || commentaryMoved) {
    Repaint(window, mainMoved, commentaryMoved);
  } else if (tinted) {
    RepaintPanes(window, TintRepaintBits(had));
  }
}

void ToggleLinks(HWND window) {
  AppSettings.LinksOff = LinksOn() ? 1 : 0;
  SetMenuCheck(MainMenu(window), true, CMD_LINKS, LinksOn() ? 1 : 0);
  const bool had = MainTinted();
  ForgetLinks();
  RepaintPanes(window, TintRepaintBits(had));
}
