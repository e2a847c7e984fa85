// The main window in process: the geometry of the split view, scroll-bar
// sync, commands, navigation, keyboard, wheel and click paging.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "dialogs/dialogs.h"
#include "layout/colours.h"
#include "layout/draw.h"
#include "layout/scale.h"
#include "output/bookmarks.h"
#include "output/clipboard.h"
#include "output/notesfile.h"
#include "output/settings.h"
#include "resources/dialogs.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "shell/notes.h"
#include "shell/places.h"
#include "shell/results.h"
#include "shell/search.h"
#include "shell/selecting.h"
#include "shell/splitview.h"
#include "shell/view.h"
#include "store/folios.h"
#include "store/letters.h"
#include "store/links.h"
#include "store/places.h"
#include "store/records.h"
#include "store/tractates.h"
#include "tests/win/common/gdi_tracking.h"
#include "tests/win/common/message_boxes.h"
#include "tests/win/common/reader_setup.h"

namespace {

RECT ClientRectOf(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(const RECT& r, int left, int top, int right, int bottom, const char* what) {
  EXPECT_EQ(r.left, left) << what;
  EXPECT_EQ(r.top, top) << what;
  EXPECT_EQ(r.right, right) << what;
  EXPECT_EQ(r.bottom, bottom) << what;
}

class Shell : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(OpenBuiltProgram()) << "pass the path of the built program: its records are needed";
  }

  void SetUp() override {
    UsePlainSettings();
    window_ = CreateMainWindow();
    ASSERT_NE(window_, nullptr);
    ASSERT_NE(MainPane, nullptr);
    ASSERT_NE(CommentaryPane, nullptr);
    Resize(800, 600);
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(MainPane, nullptr) << "shut-down releases the panes";
  }

  void Resize(int width, int height) {
    OnSize(window_, MAKELPARAM(width, height));
    RepaintPanes(window_, 0x3FF);
  }

  // Marks both panes as not drawn: DrawPane sets NextLine again (RowsDrawn
  // stays, since paging reads it).
  static void ForgetDrawing() {
    MainPane->NextLine = nullptr;
    CommentaryPane->NextLine = nullptr;
  }

  void Command(int id) { SendMessageW(window_, WM_COMMAND, id, 0); }
  // Goes to the first article from n on whose panes both scroll further
  // than the given rows.
  void GoToLongArticle(int32_t n, int mainRows, int commentaryRows) {
    while (n < RecordCount && (GoToRecord(window_, n) != 0 || MainPane->MaxFirstRow <= mainRows ||
                               CommentaryPane->MaxFirstRow <= commentaryRows))
      n += 2;
    ASSERT_LT(n, RecordCount) << "an article long enough";
  }
  LRESULT Key(WPARAM vk) { return SendMessageW(window_, WM_KEYDOWN, vk, 0); }

  HWND window_ = nullptr;
};

TEST_F(Shell, GeometryFollowsTheClientSizeForEveryShare) {
  const int g = 10;
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  const int t = ToolbarHeight();
  ASSERT_GT(t, 0) << "the toolbar exists";
  const int sizes[][2] = {{800, 600}, {640, 480}, {1000, 300}};
  const int codes[] = {14, 13, 12, 23, 34, 1};
  for (const auto& size : sizes) {
    for (int code : codes) {
      const int wc = size[0], hc = size[1];
      const uint16_t previousHeight = static_cast<uint16_t>(CommentaryPane->AreaHeight);
      AppSettings.BottomSection = code;
      OnSize(window_, MAKELPARAM(wc, hc));
      const int a = hc - 2 * g - t;
      const int b = a * (code / 10) / (code % 10);
      const int separator = hc - g - 1 - b;
      std::string what = std::to_string(wc) + "x" + std::to_string(hc) + " share " + std::to_string(code);
      EXPECT_EQ(MainPane->AreaLeft, g) << what;
      EXPECT_EQ(MainPane->AreaTop, t - 1 + g) << what;
      EXPECT_EQ(MainPane->AreaWidth, wc - 2 * g - cx) << what;
      EXPECT_EQ(MainPane->AreaHeight, a - b - 2) << what;
      EXPECT_EQ(CommentaryArea.top, separator) << what;
      EXPECT_EQ(CommentaryPane->AreaLeft, g) << what;
      EXPECT_EQ(CommentaryPane->AreaTop, separator + g / 2) << what;
      EXPECT_EQ(CommentaryPane->AreaWidth, wc - 2 * g - cx) << what;
      EXPECT_EQ(CommentaryPane->AreaHeight, b ? b : previousHeight) << what << ": Minimal keeps the height";
      ExpectRect(ClientRectOf(MainScrollBar), wc - cx, t, wc, separator, ("main bar " + what).c_str());
      ExpectRect(ClientRectOf(CommentaryScrollBar), wc - cx, separator + 2, wc,
                 separator + 2 + CommentaryPane->AreaHeight + g - 1, ("commentary bar " + what).c_str());
    }
  }
}

TEST_F(Shell, TinyClientAreasAreNotInsetAndDoNotBreak) {
  const int g = 10;
  const int t = ToolbarHeight();
  const int cx = GetSystemMetrics(SM_CXVSCROLL);
  const int left = CommentaryArea.left;
  // No wider than 2g: the commentary section takes the whole width.
  OnSize(window_, MAKELPARAM(2 * g, 600));
  EXPECT_EQ(CommentaryArea.right, left + 2 * g - cx);
  EXPECT_EQ(CommentaryArea.bottom, MainPane->AreaTop + (600 - 2 * g - t) - g + 1);
  // No taller than 2g: the available height is the client's less the toolbar.
  OnSize(window_, MAKELPARAM(800, 2 * g));
  EXPECT_EQ(CommentaryArea.right, left + 800 - 2 * g - cx);
  EXPECT_EQ(CommentaryArea.bottom, MainPane->AreaTop + (2 * g - t) - g + 1);
  // One more pixel each way is inset.
  OnSize(window_, MAKELPARAM(2 * g + 1, 2 * g + 1));
  EXPECT_EQ(CommentaryArea.right, left + 1 - cx);
  EXPECT_EQ(CommentaryArea.bottom, MainPane->AreaTop + (1 - t) - g + 1);
  // None of these breaks drawing.
  RepaintPanes(window_, 0x3FF);
  OnSize(window_, MAKELPARAM(0, 0));
  RepaintPanes(window_, 0x3FF);
}

TEST_F(Shell, TheGutterIsUsedAsStoredUnlessItBreaksTheArithmetic) {
  const struct { int32_t stored, used; } cases[] = {
      {0, 0}, {10, 10}, {250, 250}, {MaxGutter, MaxGutter}, {MaxGutter + 1, 10}, {-1, 10}, {INT32_MIN, 10}};
  for (const auto& c : cases) {
    AppSettings.SurroundingGutter = c.stored;
    EXPECT_EQ(Gutter(), c.used) << c.stored;
  }
  // A wide gutter places everything by it.
  DestroyWindow(window_);
  AppSettings.SurroundingGutter = 250;
  window_ = CreateMainWindow();
  ASSERT_NE(MainPane, nullptr);
  Resize(1000, 900);
  const int t = ToolbarHeight();
  EXPECT_EQ(MainPane->AreaLeft, 250);
  EXPECT_EQ(MainPane->AreaTop, t - 1 + 250);
  EXPECT_EQ(MainPane->AreaWidth, 1000 - 500 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(CommentaryPane->AreaHeight, (900 - 500 - t) / 2);
}

TEST_F(Shell, StoredPositionsBeyondTheTextComeBackToTheLastPage) {
  DestroyWindow(window_);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  AppSettings.LastPosition = 60000;
  AppSettings.BottomSectionLastPosition = 60000;
  window_ = CreateMainWindow();
  ASSERT_NE(MainPane, nullptr);
  EXPECT_EQ(MainPane->FirstRow, 60000) << "kept as stored until drawn";
  Resize(800, 600);
  EXPECT_EQ(MainPane->FirstRow, MainPane->MaxFirstRow);
  EXPECT_EQ(CommentaryPane->FirstRow, CommentaryPane->MaxFirstRow);
  SCROLLINFO info = {sizeof info, SIF_ALL};
  GetScrollInfo(CommentaryScrollBar, SB_CTL, &info);
  EXPECT_EQ(info.nPos, CommentaryPane->MaxFirstRow);
}

TEST_F(Shell, ShareCommandsRelayOutAndMoveTheRadioCheck) {
  HMENU menu = GetMenu(window_);
  EXPECT_TRUE(GetMenuState(menu, CMD_SHARE_HALF, MF_BYCOMMAND) & MF_CHECKED);
  ForgetDrawing();
  Command(CMD_SHARE_HALF);
  EXPECT_EQ(MainPane->NextLine, nullptr) << "the share already chosen: no layout, no repaint";
  const int heightBefore = CommentaryPane->AreaHeight;
  Command(CMD_SHARE_THREE_QUARTERS);
  EXPECT_EQ(AppSettings.BottomSection, 34);
  EXPECT_GT(CommentaryPane->AreaHeight, heightBefore);
  EXPECT_NE(MainPane->NextLine, nullptr);
  EXPECT_TRUE(GetMenuState(menu, CMD_SHARE_THREE_QUARTERS, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(menu, CMD_SHARE_HALF, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Shell, UnusableShareCodesFallBackToHalf) {
  for (int code : {0, 10, 20, 99, -3, 7}) {
    AppSettings.BottomSection = code;
    EXPECT_EQ(CommentaryHeight(300), 150) << code;
  }
}

TEST_F(Shell, ScrollBarsFollowThePanesUnlessSyncIsOff) {
  ASSERT_GT(CommentaryPane->MaxFirstRow, 3);
  CommentaryPane->FirstRow = 3;
  SyncScrollBars();
  SCROLLINFO info = {sizeof info, SIF_ALL};
  GetScrollInfo(CommentaryScrollBar, SB_CTL, &info);
  EXPECT_EQ(info.nMax, CommentaryPane->MaxFirstRow);
  EXPECT_EQ(info.nPos, 3);

  AppSettings.Flags &= ~ScrollBarSync;
  CommentaryPane->FirstRow = 5;
  SyncScrollBars();
  GetScrollInfo(CommentaryScrollBar, SB_CTL, &info);
  EXPECT_EQ(info.nPos, 3) << "with both sync bits clear the bar never moves";
}

TEST_F(Shell, ScrollBarRequestsScrollTheirOwnPane) {
  ASSERT_GT(CommentaryPane->MaxFirstRow, 2);
  auto scroll = [&](HWND bar, int code, int pos = 0) {
    SendMessageW(window_, WM_VSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(bar));
  };
  scroll(CommentaryScrollBar, SB_LINEDOWN);
  EXPECT_EQ(ActivePane, CommentaryPane);
  EXPECT_EQ(ActiveScrollBar, CommentaryScrollBar);
  EXPECT_EQ(CommentaryPane->FirstRow, 1);
  scroll(CommentaryScrollBar, SB_BOTTOM);
  EXPECT_EQ(CommentaryPane->FirstRow, CommentaryPane->MaxFirstRow) << "the bottom is the last page";
  scroll(CommentaryScrollBar, SB_TOP);
  EXPECT_EQ(CommentaryPane->FirstRow, 0);
  scroll(CommentaryScrollBar, SB_THUMBTRACK, 2);
  EXPECT_EQ(CommentaryPane->FirstRow, 2);
  scroll(CommentaryScrollBar, SB_ENDSCROLL);
  EXPECT_EQ(CommentaryPane->FirstRow, 2);
  scroll(MainScrollBar, SB_LINEDOWN);
  EXPECT_EQ(ActivePane, MainPane);
  EXPECT_EQ(MainPane->FirstRow, MainPane->MaxFirstRow > 0 ? 1 : 0);
}

TEST_F(Shell, NextAndPreviousWrapAroundTheCorpus) {
  AppSettings.Lesson = 10715;
  Command(CMD_NEXT_ARTICLE);
  EXPECT_EQ(AppSettings.Lesson, 1);
  Command(CMD_PREVIOUS_ARTICLE);
  EXPECT_EQ(AppSettings.Lesson, 10715);
  EXPECT_EQ(Key(VK_RIGHT), 0);
  EXPECT_EQ(AppSettings.Lesson, 1);
  EXPECT_EQ(Key(VK_LEFT), 0);
  EXPECT_EQ(AppSettings.Lesson, 10715);
}

TEST_F(Shell, ArticleChangesStartBothPanesAtTheTop) {
  MainPane->FirstRow = 2;
  CommentaryPane->FirstRow = 4;
  AppSettings.LastPosition = 2;
  Command(CMD_NEXT_ARTICLE);
  EXPECT_EQ(AppSettings.Lesson, 3);
  EXPECT_EQ(MainPane->FirstRow, 0);
  EXPECT_EQ(CommentaryPane->FirstRow, 0);
  EXPECT_EQ(AppSettings.LastPosition, 0);
}

TEST_F(Shell, FailedLoadKeepsTheArticleAndThePanes) {
  AppSettings.Lesson = 7;
  ASSERT_EQ(GoToRecord(window_, 7), 0);
  const unsigned char* shown = MainPane->Text;
  EXPECT_EQ(GoToRecord(window_, RecordCount + 1), 1);
  EXPECT_EQ(AppSettings.Lesson, 7);
  EXPECT_EQ(MainPane->Text, shown);
}

TEST_F(Shell, ReloadingTheMainRecordKeepsLessonAndCommentary) {
  const unsigned char* commentary = CommentaryPane->Text;
  EXPECT_EQ(GoToRecord(window_, ReloadMainRecord), 0);
  EXPECT_EQ(AppSettings.Lesson, 1);
  EXPECT_EQ(CommentaryPane->Text, commentary);
}

TEST_F(Shell, KeysScrollTheActivePaneAndRepaintOnlyIt) {
  // A main text longer than its pane.
  for (int n = 1; n < 2001 && MainPane->MaxFirstRow <= MainPane->RowsDrawn; n += 2) {
    GoToRecord(window_, n);
  }
  ASSERT_GT(MainPane->MaxFirstRow, MainPane->RowsDrawn);
  const int page = MainPane->RowsDrawn - 1;
  ForgetDrawing();
  EXPECT_EQ(Key(VK_NEXT), 0);
  EXPECT_EQ(MainPane->FirstRow, page);
  EXPECT_NE(MainPane->NextLine, nullptr) << "main pane repainted";
  EXPECT_EQ(CommentaryPane->NextLine, nullptr) << "commentary left alone";
  Key(VK_HOME);
  EXPECT_EQ(MainPane->FirstRow, 0);
  Key(VK_DOWN);
  EXPECT_EQ(MainPane->FirstRow, 1);
  Key(VK_UP);
  EXPECT_EQ(MainPane->FirstRow, 0);
  Key(VK_END);
  EXPECT_EQ(MainPane->FirstRow, MainPane->MaxFirstRow);
  ForgetDrawing();
  Key(VK_DOWN);
  EXPECT_EQ(MainPane->FirstRow, MainPane->MaxFirstRow) << "no step past the last page";
  EXPECT_EQ(MainPane->NextLine, nullptr) << "nothing changed, nothing drawn";
  EXPECT_EQ(Key('Z'), 1) << "other keys are not handled";

  // Half pages with page mode 2, on the commentary pane.
  AppSettings.Flags = (AppSettings.Flags & ~KeyPageModeMask) | (2u << KeyPageModeShift);
  ActivePane = CommentaryPane;
  ActiveScrollBar = CommentaryScrollBar;
  ASSERT_GT(CommentaryPane->MaxFirstRow, CommentaryPane->RowsDrawn);
  const int half = CommentaryPane->RowsDrawn / 2;
  ForgetDrawing();
  Key(VK_NEXT);
  EXPECT_EQ(CommentaryPane->FirstRow, half);
  EXPECT_EQ(MainPane->NextLine, nullptr);
  EXPECT_NE(CommentaryPane->NextLine, nullptr);
}

TEST_F(Shell, KeysOnAFocusedScrollBarScrollItsPane) {
  ASSERT_GT(CommentaryPane->MaxFirstRow, CommentaryPane->RowsDrawn);
  const struct { WPARAM key; int row; } steps[] = {
      {VK_DOWN, 1}, {VK_RIGHT, 2}, {VK_UP, 1}, {VK_LEFT, 0}, {VK_END, CommentaryPane->MaxFirstRow},
      {VK_HOME, 0}, {VK_NEXT, CommentaryPane->RowsDrawn - 1}, {VK_PRIOR, -1}};
  for (const auto& step : steps) {
    // -1: a page back, as many rows as were drawn from here less one.
    const int back = CommentaryPane->FirstRow - (CommentaryPane->RowsDrawn - 1);
    SendMessageW(CommentaryScrollBar, WM_KEYDOWN, step.key, 0);
    EXPECT_EQ(CommentaryPane->FirstRow, step.row >= 0 ? step.row : back > 0 ? back : 0) << "key " << step.key;
    EXPECT_EQ(ActivePane, CommentaryPane) << "key " << step.key;
  }
  EXPECT_EQ(AppSettings.Lesson, 1) << "the arrows do not change the article";
  EXPECT_EQ(MainPane->FirstRow, 0);
}

TEST_F(Shell, EnterWithoutSearchStringDoesNothing) {
  AppSettings.SearchString[0] = 0;
  ForgetDrawing();
  EXPECT_EQ(Key(VK_RETURN), 0);
  EXPECT_EQ(AppSettings.Lesson, 1);
  EXPECT_EQ(MainPane->NextLine, nullptr);
  EXPECT_EQ(CommentaryPane->NextLine, nullptr);
}

TEST_F(Shell, WheelScrollsThePaneUnderThePointer) {
  POINT p = {CommentaryPane->AreaLeft + 5, CommentaryPane->AreaTop + 5};
  ClientToScreen(window_, &p);
  ForgetDrawing();
  // Deltas in turn, and the commentary's first row after each: whole notches,
  // parts of a notch (touchpads) adding up, a change of direction afresh.
  const struct { int delta, row; } turns[] = {
      {-240, 2}, {120, 1}, {-40, 1}, {-40, 1}, {-40, 2}, {-80, 2}, {40, 2}, {80, 1}, {-119, 1}, {-1, 2},
  };
  for (const auto& t : turns) {
    SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(t.delta)), MAKELPARAM(p.x, p.y));
    EXPECT_EQ(CommentaryPane->FirstRow, t.row) << "after a delta of " << t.delta;
  }
  EXPECT_EQ(ActivePane, CommentaryPane);
  EXPECT_EQ(MainPane->NextLine, nullptr);
  // Outside both panes nothing happens.
  POINT outside = {2000, 2000};
  ClientToScreen(window_, &outside);
  SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(CommentaryPane->FirstRow, 2);
}

// The clipboard's text in a format as UTF-16 (empty when it holds none).
std::wstring ClipboardUnits(UINT format) {
  unsigned char* data = nullptr;
  size_t length = 0;
  std::wstring units;
  if (ReadClipboardData(format, &data, &length) == ClipboardRead && data) {
    if (format == CF_UNICODETEXT) {
      units.assign(reinterpret_cast<const wchar_t*>(data), length / 2);
    } else {
      units.assign(data, data + length);
    }
  }
  std::free(data);
  return units;
}

TEST_F(Shell, ADragSelectsLinesInReadingOrderAndCopiesThemInBothFormats) {
  GoToLongArticle(1, 3, 3);
  const UINT rtf = RegisterClipboardFormatW(L"Rich Text Format");
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    // Three text lines after the page header, pressed at the right end of
    // the first (where its reading starts) and dragged to the left end of
    // the third.
    int k = 1, top = pane->AreaTop;
    auto lineTop = [&](int index) {
      int y = pane->AreaTop;
      for (int i = 0; i < index; ++i) y += pane->Lines[i].LineHeight * RowsOf(pane->Lines[i]);
      return y;
    };
    while ((pane->Lines[k].Style & StyleRule) == StyleRule || (pane->Lines[k + 1].Style & StyleRule) == StyleRule ||
           (pane->Lines[k + 2].Style & StyleRule) == StyleRule)
      ++k;
    top = lineTop(k);
    const int last = lineTop(k + 2) + pane->Lines[k + 2].LineHeight / 2;
    ASSERT_LT(last, pane->AreaTop + pane->AreaHeight);
    const int row = pane->FirstRow;
    SendMessageW(window_, WM_LBUTTONDOWN, 0,
                 MAKELPARAM(pane->AreaLeft + pane->AreaWidth - 1, top + pane->Lines[k].LineHeight / 2));
    EXPECT_EQ(GetCapture(), window_) << "the mouse is captured from the press";
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pane->AreaLeft + 1, last));
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(pane->AreaLeft + 1, last));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(pane->FirstRow, row) << "a drag does not page";
    ASSERT_TRUE(HasSelection(pane->Selection));
    Command(CMD_COPY);

    // The three lines' characters in reading order, spaces and line ends aside.
    std::wstring expected;
    for (int i = k; i <= k + 2; ++i) {
      wchar_t* units = ToDisplayText(pane->Text + pane->Lines[i].Start, nullptr, pane->Lines[i].Length, RunOrder::Reading);
      for (const wchar_t* u = units; *u; ++u)
        if (*u != ' ') expected += *u;
      std::free(units);
    }
    const std::wstring plain = ClipboardUnits(CF_UNICODETEXT);
    std::wstring bare;
    for (const wchar_t u : plain) {
      EXPECT_FALSE(u < 0x20 && u != '\r' && u != '\n') << "control character " << int(u);
      EXPECT_FALSE(IsDirectionalMark(u)) << "embedding mark";
      if (u != ' ' && u != '\r' && u != '\n') bare += u;
    }
    EXPECT_EQ(bare, expected) << (pane == MainPane ? "main" : "commentary");
    EXPECT_EQ(plain.find(L"  "), std::wstring::npos) << "no doubled spaces";
    const std::wstring document = ClipboardUnits(rtf);
    EXPECT_EQ(document.rfind(L"{\\rtf", 0), 0u) << "the RTF beside the plain text";

    // With its source: the same text, then the place on a line of its own.
    Command(CMD_COPY_WITH_SOURCE);
    DisplayChar source[MaxBookmarkNameUnits + 1];
    CopySourceName(AppSettings.Lesson, pane == CommentaryPane, source);
    const std::wstring sourced = ClipboardUnits(CF_UNICODETEXT);
    EXPECT_NE(sourced.find(std::wstring(L"\r\n(") + reinterpret_cast<const wchar_t*>(source) + L")"), std::wstring::npos);
    EXPECT_EQ(sourced.rfind(plain, 0), 0u);

    // A click in a pane with a selection only clears it; the next one pages.
    // Either may slip by the drag distance.
    const int x = pane->AreaLeft + 5, y = pane->AreaTop + pane->AreaHeight - 3;
    const LPARAM slipped = MAKELPARAM(x + GetSystemMetrics(SM_CXDRAG), y - GetSystemMetrics(SM_CYDRAG));
    for (int click = 0; click < 2; ++click) {
      SendMessageW(window_, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
      SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, slipped);
      SendMessageW(window_, WM_LBUTTONUP, 0, slipped);
      EXPECT_FALSE(HasSelection(pane->Selection));
      EXPECT_EQ(pane->FirstRow > row, click == 1) << "click " << click;
    }

    // Esc ends a drag: the pointer moving on selects nothing.
    const LPARAM press = MAKELPARAM(pane->AreaLeft + pane->AreaWidth - 1, pane->AreaTop + pane->AreaHeight / 2);
    SendMessageW(window_, WM_LBUTTONDOWN, 0, press);
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, slipped);
    Key(VK_ESCAPE);
    for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONUP}) SendMessageW(window_, m, MK_LBUTTON, MAKELPARAM(x, y));
    EXPECT_FALSE(HasSelection(pane->Selection)) << "after Esc";

    // Below the pane it scrolls while the pointer keeps moving.
    Key(VK_HOME);
    POINT below{x, pane->AreaTop + pane->AreaHeight + 20};
    ClientToScreen(window_, &below);
    ASSERT_TRUE(SetCursorPos(below.x, below.y));
    SendMessageW(window_, WM_LBUTTONDOWN, 0, press);
    for (const DWORD until = GetTickCount() + 500; GetTickCount() < until; Sleep(5)) {
      SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + GetTickCount() % 2, y + 23));
      for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    }
    EXPECT_GT(pane->FirstRow, 0) << "rows scrolled by a moving pointer";
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y + 23));
  }
}

TEST_F(Shell, TheSelectionIsSearchedForAsTheSearchLineTakesIt) {
  // 34 letters ending in the brace pair ~ } around x, between two spaces on
  // either side; then "c*d".
  unsigned char text[] = "\x01\x00  bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb~x}y  \0\x01\x00" "c*d\0\0\0";
  PaneView pane{nullptr, nullptr, text};
  const std::pair<TextSelection, const char*> cases[] = {  // null: the search items are greyed
      {{2, 40}, nullptr}, {{5, 40}, "bbbbbbbbbbbbbbbbbbbbbbbbbbbbb~x}y"}, {{34, 37}, "~x}"},
      {{43, 46}, nullptr}, {{30, 44}, nullptr}};
  for (const auto& [selection, search] : cases) {
    unsigned char out[SearchStringBytes];
    pane.Selection = selection;
    EXPECT_EQ(SelectionSearchString(&pane, out), search != nullptr) << selection.Anchor << "-" << selection.Focus;
    EXPECT_STREQ(reinterpret_cast<char*>(out), search ? search : "") << selection.Anchor << "-" << selection.Focus;
  }
}

TEST_F(Shell, ClickPagingSplitsThePaneByTheChosenAxis) {
  PaneView* c = CommentaryPane;
  ASSERT_GT(c->MaxFirstRow, c->RowsDrawn);
  const int page = c->RowsDrawn - 1;
  auto click = [&](int x, int y) {
    SendMessageW(window_, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  };
  const int lowerY = c->AreaTop + c->AreaHeight - 3;
  // Below the band where the main pane's gutter margin overlaps this pane.
  const int upperY = c->AreaTop + 10 + 3;
  // A page is the rows drawn less one, as drawn at the row paged from.
  auto back = [&] { return c->FirstRow - (c->RowsDrawn - 1) > 0 ? c->FirstRow - (c->RowsDrawn - 1) : 0; };
  click(c->AreaLeft + 5, lowerY);
  EXPECT_EQ(ActivePane, c);
  EXPECT_EQ(ActiveScrollBar, CommentaryScrollBar);
  EXPECT_EQ(c->FirstRow, page) << "lower half pages forward";
  int expected = back();
  click(c->AreaLeft + 5, upperY);
  EXPECT_EQ(c->FirstRow, expected) << "upper half pages back";

  AppSettings.Flags &= ~ClickVertical;
  c->FirstRow = 0;
  RepaintPanes(window_, RepaintCommentary);
  click(c->AreaLeft + c->AreaWidth - 3, upperY);
  EXPECT_EQ(c->FirstRow, page) << "right half pages forward";
  expected = back();
  click(c->AreaLeft + 3, lowerY);
  EXPECT_EQ(c->FirstRow, expected) << "left half pages back";
  c->FirstRow = 0;

  // Just outside the text area, within the gutter, still counts as the pane.
  AppSettings.Flags |= ClickVertical;
  click(MainPane->AreaLeft - 10, MainPane->AreaTop + MainPane->AreaHeight - 1);
  EXPECT_EQ(ActivePane, MainPane);

  AppSettings.Flags &= ~ClickPaging;
  click(c->AreaLeft + 5, lowerY);
  EXPECT_EQ(ActivePane, c) << "the click still chooses the pane";
  EXPECT_EQ(c->FirstRow, 0) << "but does not page";
}

TEST_F(Shell, ReverseTogglesBitAndCheckMarkTogether) {
  HMENU menu = GetMenu(window_);
  EXPECT_FALSE(GetMenuState(menu, CMD_REVERSE, MF_BYCOMMAND) & MF_CHECKED);
  // Every layout clears the hit: one that stays shows there was none.
  MainPane->HitStart = CommentaryPane->HitStart = 3;
  MainPane->HitEnd = CommentaryPane->HitEnd = 4;
  MainPane->RowsDrawn = CommentaryPane->RowsDrawn = -1;
  Command(CMD_REVERSE);
  EXPECT_TRUE(AppSettings.Flags & Reverse);
  EXPECT_TRUE(GetMenuState(menu, CMD_REVERSE, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(MainPane->HitEnd, 4);
  EXPECT_EQ(CommentaryPane->HitEnd, 4);
  EXPECT_GT(MainPane->RowsDrawn, 0) << "redrawn";
  EXPECT_GT(CommentaryPane->RowsDrawn, 0) << "redrawn";
  Command(CMD_REVERSE);
  EXPECT_FALSE(AppSettings.Flags & Reverse);
  EXPECT_FALSE(GetMenuState(menu, CMD_REVERSE, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Shell, UnknownCommandsGetDefaultProcessing) {
  EXPECT_EQ(OnCommand(window_, 31999), 1);
  EXPECT_EQ(OnCommand(window_, CMD_UNBOUND), 1) << "command 1 from a menu or control is nobody's";
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(CMD_UNBOUND, 0), 0);
  EXPECT_TRUE(IsWindow(window_));
  // Notification 1 from a control is no accelerator either.
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(CMD_UNBOUND, 1), reinterpret_cast<LPARAM>(Toolbar));
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(Shell, CtrlQAndExitCloseTheWindowAndSaveTheSettings) {
  MainPane->FirstRow = 2;
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(CMD_UNBOUND, 1), 0);  // from the accelerator
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"LastPosition", -1), 2);
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"Lesson", -1), 1);
  EXPECT_NE(ReadDwordSetting(SettingsKeyPath, L"Width", -1), -1) << "the placement is saved too";
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message is posted";
}

TEST_F(Shell, AMainPaneThatCannotBeMadeLeavesNoPaneOnTheDeviceContext) {
  DestroyWindow(window_);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  const int dcs = HeldDcs();
  FailAllocation(sizeof(PaneView), 1);  // the commentary pane is made first
  window_ = CreateMainWindow();
  ASSERT_NE(window_, nullptr);
  EXPECT_FALSE(AllocationFailurePending());
  EXPECT_EQ(MainPane, nullptr);
  EXPECT_EQ(CommentaryPane, nullptr);
  EXPECT_EQ(HeldDcs(), dcs) << "released, and nothing holds it";
  EXPECT_EQ(MainScrollBar, nullptr);
  // The window still sizes, paints, scrolls and closes.
  Resize(800, 600);
  InvalidateRect(window_, nullptr, TRUE);
  UpdateWindow(window_);
  Key(VK_DOWN);
  SendMessageW(window_, WM_VSCROLL, SB_LINEDOWN, 0);
  DestroyWindow(window_);
  EXPECT_EQ(HeldDcs(), dcs);
}

TEST_F(Shell, RepaintWithoutADeviceContextLeavesTheUpdateToThePaintMessage) {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  ForgetDrawing();
  FailNextGetDc();
  RepaintPanes(window_, 0x1FF);
  EXPECT_EQ(MainPane->NextLine, nullptr) << "nothing drawn";
  RECT pending{};
  EXPECT_TRUE(GetUpdateRect(window_, &pending, FALSE)) << "still to be painted";
  UpdateWindow(window_);
  EXPECT_NE(MainPane->NextLine, nullptr);
  EXPECT_NE(CommentaryPane->NextLine, nullptr);
}

TEST_F(Shell, ACommentaryThatFailsToLoadWarnsAfterTheMainPaneMoved) {
  const unsigned char* commentary = CommentaryPane->Text;
  AnswerMessageBoxes();
  // An even record as the main text: its "commentary" lies past the last record.
  EXPECT_EQ(GoToRecord(window_, RecordCount), 0);
  StopAnsweringMessageBoxes();
  EXPECT_EQ(LastMessageBox().count, 1);
  EXPECT_EQ(LastMessageBox().text, L"Resource not found");
  EXPECT_EQ(LastMessageBox().caption, L"Error");
  EXPECT_EQ(LastMessageBox().owner, window_);
  EXPECT_EQ(AppSettings.Lesson, RecordCount);
  unsigned char* expected = LoadTextRecord(RecordCount, nullptr);
  ASSERT_NE(expected, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(MainPane->Text)), std::string(reinterpret_cast<char*>(expected)));
  free(expected);
  EXPECT_EQ(CommentaryPane->Text, commentary) << "the previous commentary stays";
}

// The running reader, as a second start sees it: command 119 is recorded
// instead of opening the Choose Daf dialog.
int chooseCommands = 0;
WNDPROC mainProc = nullptr;
LRESULT CALLBACK RecordChoose(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == CMD_CHOOSE_ARTICLE) {
    ++chooseCommands;
    return 0;
  }
  return CallWindowProcW(mainProc, window, message, wParam, lParam);
}

TEST_F(Shell, ASecondStartSignalsTheRunningReader) {
  ShowWindow(window_, SW_SHOW);
  mainProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordChoose)));
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100,
                               nullptr, nullptr, AppInstance, nullptr);
  HWND dialog = CreateWindowExW(0, L"STATIC", L"own dialog", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60, 200,
                                100, window_, nullptr, AppInstance, nullptr);
  const struct { HWND front; bool minimised; int commands; HWND frontAfter; const char* what; } cases[] = {
      {window_, false, 1, window_, "the reader in front: Choose Daf"},
      {other, false, 0, window_, "another program in front: the reader comes forward"},
      {other, true, 0, window_, "a minimised reader is restored"},
      {dialog, false, 0, dialog, "the reader's own dialog in front: nothing changes"},
      {other, false, 0, dialog, "the dialog it last had active comes forward, not the main window"},
  };
  for (const auto& c : cases) {
    if (c.minimised) ShowWindow(window_, SW_MINIMIZE);
    SetForegroundWindow(c.front);
    ASSERT_EQ(GetForegroundWindow(), c.front) << c.what;
    chooseCommands = 0;
    EXPECT_EQ(InitInstance(SW_SHOW), nullptr) << c.what;
    EXPECT_EQ(chooseCommands, c.commands) << c.what;
    EXPECT_EQ(GetForegroundWindow(), c.frontAfter) << c.what;
    EXPECT_FALSE(IsIconic(window_)) << c.what;
  }
  DestroyWindow(dialog);
  DestroyWindow(other);
}

TEST_F(Shell, BackAndForwardReturnToBothScrollPositions) {
  GoToLongArticle(1, 3, 5);
  const int32_t start = AppSettings.Lesson;
  History = PlaceHistory{};
  MainPane->FirstRow = 3;
  CommentaryPane->FirstRow = 5;
  ActivePane = CommentaryPane;
  // The jump Choose Daf makes, then Back (Alt+Left) and Forward (Alt+Right).
  ASSERT_EQ(JumpToRecord(window_, 2001), 0);
  EXPECT_EQ(MainPane->FirstRow, 0);
  MainPane->FirstRow = 2;
  Command(CMD_BACK);
  EXPECT_EQ(AppSettings.Lesson, start);
  EXPECT_EQ(MainPane->FirstRow, 3);
  EXPECT_EQ(CommentaryPane->FirstRow, 5);
  EXPECT_EQ(ActivePane, CommentaryPane);
  Command(CMD_FORWARD);
  EXPECT_EQ(AppSettings.Lesson, 2001);
  EXPECT_EQ(MainPane->FirstRow, 2) << "the place Back left";
  EXPECT_EQ(CommentaryPane->FirstRow, 0);
  // Steps record nothing; Forward with nowhere to go changes nothing.
  Command(CMD_NEXT_ARTICLE);
  Command(CMD_FORWARD);
  EXPECT_EQ(AppSettings.Lesson, 2003);
  Command(CMD_BACK);
  EXPECT_EQ(AppSettings.Lesson, start);
}

// Ctrl+B stores the list with the new place; a full list and a failed save
// are told.
TEST_F(Shell, AddBookmarkStoresOrSaysWhyNot) {
  const struct { int32_t before; bool failing; int32_t after; const wchar_t* told; } rows[] = {
      {3, false, 4, nullptr}, {MaxBookmarks, false, MaxBookmarks, L"full"}, {3, true, 4, L"could not be saved"}};
  for (const auto& row : rows) {
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKeyPath);
    Bookmarks.Count = row.before;
    for (int32_t i = 0; i < row.before; ++i) Bookmarks.Items[i] = Bookmark{{2001 + 2 * i, {0, 0}, {0, 0}, 0}, {L'n'}};
    HKEY key = nullptr;  // a volatile key cannot hold the lasting Bookmarks key
    if (row.failing && RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
      RegCloseKey(key);
    AnswerMessageBoxes();
    Command(CMD_ADD_BOOKMARK);
    StopAnsweringMessageBoxes();
    EXPECT_EQ(Bookmarks.Count, row.after) << row.before << row.failing;
    EXPECT_EQ(LastMessageBox().count, row.told ? 1 : 0) << row.before << row.failing;
    EXPECT_TRUE(!row.told || LastMessageBox().text.find(row.told) != std::wstring::npos) << row.before;
    static BookmarkList stored;
    LoadBookmarks(&stored, RecordCount);
    EXPECT_EQ(stored.Count, row.told ? 0 : row.after) << row.before << row.failing;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKeyPath);
  Bookmarks.Count = 0;
}

TEST_F(Shell, ControlWheelZoomsKeepingTheTopLines) {
  AppSettings.FontSettings.FontSize = 12;
  SetPaneFont(MainPane, &AppSettings.FontSettings);
  SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
  GoToLongArticle(1, 30, 30);
  MainPane->FirstRow = 6;
  CommentaryPane->FirstRow = 4;
  const PanePosition main = TopPosition(MainPane), commentary = TopPosition(CommentaryPane);
  POINT p = {MainPane->AreaLeft + 5, MainPane->AreaTop + 5};
  ClientToScreen(window_, &p);
  auto wheel = [&](int delta) {
    SendMessageW(window_, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(delta)), MAKELPARAM(p.x, p.y));
  };
  // Each row: a delta and the size after it (parts of a notch add up).
  const struct { int delta, size; } turns[] = {{120, 14}, {240, 18}, {60, 18}, {60, 20}, {-120, 18}, {-360, 12}};
  for (const auto& t : turns) {
    wheel(t.delta);
    EXPECT_EQ(AppSettings.FontSettings.FontSize, t.size) << "after " << t.delta;
    EXPECT_EQ(MainPane->Font.FontSize, t.size);
    // The line that was at the top stays there, whatever the new breaks.
    const uint16_t top = TopPosition(MainPane).Offset;
    const LineEntry* line = MainPane->Lines;
    for (int rows = 0; rows + RowsOf(*line) <= MainPane->FirstRow; ++line) rows += RowsOf(*line);
    EXPECT_TRUE(line->Start <= main.Offset && main.Offset <= line->Start + line->Length) << t.size << " " << top;
  }
  EXPECT_EQ(TopPosition(MainPane).Offset, main.Offset) << "back at 12: the very same line";
  EXPECT_EQ(TopPosition(CommentaryPane).Offset, commentary.Offset);
  EXPECT_EQ(MainPane->FirstRow, 6);
  Command(CMD_ZOOM_RESET);
  EXPECT_EQ(AppSettings.FontSettings.FontSize, 12);
}

TEST_F(Shell, AWholeRunGivesBackEveryGdiObjectAndDeviceContext) {
  auto closeWindow = [&] {
    DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  };
  closeWindow();  // made before counting began
  const int objects = LiveGdiObjects();
  const int dcs = HeldDcs();
  for (int round = 0; round < 3; ++round) {
    window_ = CreateMainWindow();
    ASSERT_NE(MainPane, nullptr);
    Resize(800, 600);
    Command(CMD_NEXT_ARTICLE);
    Command(CMD_SHARE_QUARTER);
    Command(CMD_SHARE_MINIMAL);
    Command(CMD_SHARE_HALF);
    Command(CMD_REVERSE);
    Command(CMD_REVERSE);
    Command(CMD_NIGHT_COLOURS);
    Command(CMD_FULL_SCREEN);
    Command(CMD_FULL_SCREEN);
    Command(CMD_NIGHT_COLOURS);
    AppSettings.FontSettings.FontSize = 14 + round;
    SetPaneFont(MainPane, &AppSettings.FontSettings);
    SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
    Key(VK_NEXT);
    for (UINT button : {WM_LBUTTONDOWN, WM_LBUTTONUP})
      SendMessageW(window_, button, 0,
                   MAKELPARAM(CommentaryPane->AreaLeft + 20, CommentaryPane->AreaTop + CommentaryPane->AreaHeight - 3));
    SendMessageW(window_, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(MainScrollBar));
    EXPECT_EQ(HeldDcs(), dcs + 1) << "the panes share one device context of the window";
    closeWindow();
    EXPECT_EQ(LiveGdiObjects(), objects) << "round " << round << ": fonts, pens or brushes left behind";
    EXPECT_EQ(HeldDcs(), dcs) << "round " << round << ": a device context was not released";
  }
  window_ = CreateMainWindow();
}

TEST_F(Shell, ToolbarMenuAndAcceleratorsCarryTheCommandTable) {
  const int buttons[] = {CMD_PREVIOUS_ARTICLE, CMD_CHOOSE_ARTICLE, CMD_GO_TO,       CMD_NEXT_ARTICLE,
                         CMD_FONT,             CMD_SEARCH,         CMD_SEARCH_AGAIN};
  ASSERT_EQ(SendMessageW(Toolbar, TB_BUTTONCOUNT, 0, 0), 7);
  for (int i = 0; i < 7; ++i) {
    TBBUTTON b = {};
    SendMessageW(Toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(b.idCommand, buttons[i]) << "button " << i;
    EXPECT_EQ(b.iBitmap, i) << "button " << i;
  }

  HMENU menu = GetMenu(window_);
  wchar_t label[64];
  GetMenuStringW(menu, CMD_EXIT, label, 64, MF_BYCOMMAND);
  EXPECT_STREQ(label, L"E&xit\bCtrl+Q");
  GetMenuStringW(menu, CMD_SEARCH_AGAIN, label, 64, MF_BYCOMMAND);
  EXPECT_STREQ(label, L"Search A&gain\bF3");
  GetMenuStringW(GetSubMenu(menu, 4), 0, label, 64, MF_BYPOSITION);
  EXPECT_STREQ(label, L"1/&4 Screen");

  HACCEL table = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(IDA_ACCELERATORS));
  ACCEL entries[64];
  const int count = CopyAcceleratorTableW(table, entries, 64);
  const struct { BYTE flags; WORD key; WORD command; } expected[] = {
      {FCONTROL, 'F', CMD_FONT},          {FALT, VK_F3, CMD_SEARCH},   {0, VK_F3, CMD_SEARCH_AGAIN},
      {FCONTROL, 'P', CMD_PRINT},         {FCONTROL, 'C', CMD_COPY},   {FCONTROL, 'E', CMD_APPEND},
      {FCONTROL, 'D', CMD_CHOOSE_ARTICLE}, {FCONTROL, 'Q', CMD_UNBOUND}, {FCONTROL, 'N', CMD_NEXT_ARTICLE},
      {FCONTROL, 'W', CMD_SEARCH},        {FCONTROL, 'A', CMD_SEARCH_AGAIN}, {FCONTROL | FSHIFT, 'F', CMD_FIND_ALL}};
  ASSERT_GE(count, 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(entries[i].fVirt & ~FNOINVERT, FVIRTKEY | expected[i].flags) << "entry " << i;
    EXPECT_TRUE(entries[i].fVirt & FNOINVERT) << "entry " << i;
    EXPECT_EQ(entries[i].key, expected[i].key) << "entry " << i;
    EXPECT_EQ(entries[i].cmd, expected[i].command) << "entry " << i;
  }
}


// The client area as one paint draws it, in a memory bitmap that both panes
// draw on for that paint.
struct PaintedClient {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  // paint: what draws the panes (by default the paint handler's call).
  explicit PaintedClient(HWND window, const std::function<void()>& paint = {}) {
    RECT client;
    GetClientRect(window, &client);
    HDC screen = GetDC(window);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(window, screen);
    old = SelectObject(dc, bitmap);
    HDC paneDc = MainPane->Dc;
    MainPane->Dc = CommentaryPane->Dc = dc;
    if (paint) {
      paint();
    } else {
      PaintPanes(dc, window, RepaintClear | RepaintErase | 0xFF);
    }
    MainPane->Dc = CommentaryPane->Dc = paneDc;
  }
  ~PaintedClient() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  bool Has(const PaneView* pane, COLORREF colour) const {  // anywhere in the pane's area
    for (int y = pane->AreaTop; y < pane->AreaTop + pane->AreaHeight; ++y)
      for (int x = pane->AreaLeft; x < pane->AreaLeft + pane->AreaWidth; ++x)
        if (GetPixel(dc, x, y) == colour) return true;
    return false;
  }
  // A pixel of the gutter left of a pane.
  COLORREF Beside(const PaneView* pane) const { return GetPixel(dc, pane->AreaLeft / 2, pane->AreaTop + 2); }
};

// The links of the texts the panes show, made here from those texts.
int32_t LinksShown(CommentLink* links, int32_t room) {
  int32_t tractate = 0, side = 0, before = -1, beforeSide = 0;
  const int32_t article = ArticleOfRecord(AppSettings.Lesson);
  unsigned char* previous = article > 1 && LocateArticle(article, &tractate, &side) &&
                                    LocateArticle(article - 1, &before, &beforeSide) && before == tractate
                                ? LoadTextRecord(AppSettings.Lesson - 2, nullptr)
                                : nullptr;
  const int32_t n = LinkComments(MainPane->Text, previous, CommentaryPane->Text, links, room);
  std::free(previous);
  return n < room ? n : room;
}

// A point of the pane (client coordinates) whose text offset passes the test.
template <typename Test>
bool PointWhere(PaneView* pane, Test test, LPARAM* at) {
  const int x = pane->AreaLeft + pane->AreaWidth / 2;
  for (int y = pane->AreaTop + 1; y < pane->AreaTop + pane->AreaHeight; y += 2) {
    if (test(PaneBoundaryAt(pane, x, y))) return *at = MAKELPARAM(x, y), true;
  }
  return false;
}

TEST_F(Shell, AfterASearchHitInAnotherArticleTheTintFollowsTheTextsShown) {
  // A hit in a main-text record, and one in a commentary record.
  for (const int32_t record : {201, 302}) {
    GoToRecord(window_, 1);
    CommentLink links[256];
    int32_t n = LinksShown(links, 256), on = -1;
    LPARAM at = 0;
    auto onComment = [&](int32_t o) {
      for (on = 0; on < n; ++on)
        if (links[on].Side == LinkThisSide && links[on].CommentStart <= o && o < links[on].CommentEnd) return true;
      return false;
    };
    ASSERT_TRUE(PointWhere(CommentaryPane, onComment, &at));
    SendMessageW(window_, WM_MOUSEMOVE, 0, at);
    ASSERT_GT(MainPane->TintCount, 0) << "a tint before the jump";

    unsigned char* text = LoadTextRecord(record, nullptr);
    ASSERT_NE(text, nullptr);
    const size_t second = 3 + std::strlen(reinterpret_cast<char*>(text) + 2);  // the second paragraph
    std::free(text);
    ASSERT_EQ(ShowSearchHit(SearchHit{record, static_cast<uint16_t>(second + 3), 1}), 1) << record;
    EXPECT_EQ(AppSettings.Lesson, record - 1 + record % 2) << record;
    EXPECT_EQ(MainPane->TintCount + CommentaryPane->TintCount + MainPane->TintAbove, 0) << "the tint goes";

    n = LinksShown(links, 256);
    ASSERT_TRUE(PointWhere(CommentaryPane, onComment, &at)) << record;
    SendMessageW(window_, WM_MOUSEMOVE, 0, at);
    ASSERT_EQ(MainPane->TintCount, 1) << record;
    EXPECT_EQ(MainPane->Tints[0].Start, links[on].QuoteStart) << record;
    EXPECT_EQ(MainPane->Tints[0].End, links[on].QuoteEnd) << record;
  }
}

TEST_F(Shell, ACtrlClickWithLinksOnNeverPagesOrSelects) {
  AppSettings.Flags |= ClickPaging;
  GoToLongArticle(1, 3, 3);
  CommentLink links[256];
  const int32_t n = LinksShown(links, 256);
  // Places no comment is on: the commentary's page header, main-text words no comment quotes.
  auto nowhere = [&](int32_t o) {
    for (int32_t i = 0; i < n; ++i)
      if ((links[i].CommentStart <= o && o < links[i].CommentEnd) ||
          (links[i].Side == LinkThisSide && links[i].QuoteStart <= o && o < links[i].QuoteEnd))
        return false;
    return o >= 0;
  };
  for (PaneView* pane : {MainPane, CommentaryPane}) {
    for (const uint16_t focus : {0, 20}) {
      LPARAM at = 0;
      ASSERT_TRUE(PointWhere(pane, nowhere, &at));
      pane->Selection = TextSelection{0, focus};
      const uint16_t row = pane->FirstRow;
      SendMessageW(window_, WM_LBUTTONDOWN, MK_CONTROL | MK_LBUTTON, at);
      SendMessageW(window_, WM_LBUTTONUP, MK_CONTROL, at);
      EXPECT_EQ(pane->FirstRow, row) << "no paging, selection up to " << focus;
      EXPECT_EQ(pane->Selection.Focus, focus) << "the selection stays";
    }
  }
}

TEST_F(Shell, ACommentUnderThePointerTintsItsWordsAndCtrlClickBringsThemIntoView) {
  // The client area this window has (not always the size asked for).
  RECT client;
  GetClientRect(window_, &client);
  Resize(client.right, client.bottom);
  // A comment in view whose quoted words lie below the main pane's rows.
  CommentLink links[256];
  int32_t found = -1, lineOfWords = -1, headingY = 0;
  for (int32_t n = 1; n < RecordCount && found < 0; n += 2) {
    if (GoToRecord(window_, n) != 0 || MainPane->MaxFirstRow <= MainPane->RowsDrawn) continue;
    const int32_t count = LinkComments(MainPane->Text, nullptr, CommentaryPane->Text, links, 256);
    for (int32_t i = 0; i < count && i < 256 && found < 0; ++i) {
      const int32_t heading = LineIndexOf(CommentaryPane, links[i].CommentStart);
      lineOfWords = LineIndexOf(MainPane, links[i].QuoteEnd - 1);
      if (links[i].Side != LinkThisSide || RowOfLine(CommentaryPane, heading) + 2 >= CommentaryPane->RowsDrawn ||
          RowOfLine(MainPane, lineOfWords) < MainPane->RowsDrawn + 2)
        continue;
      found = i;
      headingY = CommentaryPane->AreaTop;
      for (int32_t k = 0; k < heading; ++k) headingY += CommentaryPane->Lines[k].LineHeight * RowsOf(CommentaryPane->Lines[k]);
      headingY += CommentaryPane->Lines[heading].LineHeight / 2;
    }
  }
  ASSERT_GE(found, 0) << "a comment on words out of view";
  const LPARAM onHeading = MAKELPARAM(CommentaryPane->AreaLeft + CommentaryPane->AreaWidth / 2, headingY);
  SendMessageW(window_, WM_MOUSEMOVE, 0, onHeading);
  EXPECT_TRUE(PaintedClient(window_).Has(CommentaryPane, DayScheme.LinkTint)) << "the comment is tinted";
  EXPECT_FALSE(PaintedClient(window_).Has(MainPane, DayScheme.LinkTint)) << "its words are out of view";
  EXPECT_EQ(MainPane->FirstRow, 0) << "nothing moves on hover";
  // The mark at the bottom edge that points at them goes with the tint.
  const int markX = MainPane->AreaLeft + MainPane->AreaWidth / 2;
  const int markY = MainPane->AreaTop + MainPane->AreaHeight - 1 - PaneLength(MainPane, 3);
  COLORREF marked = 0;
  const PaintedClient left(window_, [&] {
    PaintPanes(MainPane->Dc, window_, RepaintClear | RepaintErase | 0xFF);
    marked = GetPixel(MainPane->Dc, markX, markY);
    SendMessageW(window_, WM_MOUSELEAVE, 0, 0);
  });
  EXPECT_EQ(marked, DayScheme.HeadingText);
  EXPECT_NE(GetPixel(left.dc, markX, markY), DayScheme.HeadingText) << "the mark goes";
  SendMessageW(window_, WM_MOUSEMOVE, 0, onHeading);

  // Ctrl+click scrolls the main pane to the words, and does nothing else.
  const uint16_t commentaryRow = CommentaryPane->FirstRow;
  SendMessageW(window_, WM_LBUTTONDOWN, MK_CONTROL | MK_LBUTTON, onHeading);
  SendMessageW(window_, WM_LBUTTONUP, MK_CONTROL, onHeading);
  const int32_t row = RowOfLine(MainPane, lineOfWords);
  EXPECT_TRUE(row >= MainPane->FirstRow && row < MainPane->FirstRow + MainPane->RowsDrawn) << "the words in view";
  EXPECT_EQ(CommentaryPane->FirstRow, commentaryRow) << "no paging";
  EXPECT_FALSE(HasSelection(CommentaryPane->Selection));
  EXPECT_TRUE(PaintedClient(window_).Has(MainPane, DayScheme.LinkTint)) << "the words, now in view, are tinted";
  SendMessageW(window_, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(PaintedClient(window_).Has(MainPane, DayScheme.LinkTint)) << "the tint goes with the pointer";
}

namespace {

// An offset inside the second paragraph of a paragraph list (the first is
// the page header).
int32_t MainPaneLikeOffset(const unsigned char* text) {
  return static_cast<int32_t>(2 + std::strlen(reinterpret_cast<const char*>(text + 2)) + 1 + 2 + 1);
}

// What the note dialog's stand-in types, and how often it was opened.
const wchar_t* TypedNote = L"";
int NoteDialogs = 0;
INT_PTR TypeNote(HWND, const wchar_t*, wchar_t* text) {
  ++NoteDialogs;
  lstrcpynW(text, TypedNote, NoteTextUnits + 1);
  return IDOK;
}

}  // namespace

TEST_F(Shell, NotesGoOnTheSelectionOrTheTopParagraphAndLeaveOnlyWhenTheUserSaysSo) {
  FreeNotes(&ReaderNotes);
  RunNoteDialog = TypeNote;
  AnswerMessageBoxes();  // a save that fails, and Delete's question, answered OK (not Yes)
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);  // over no pane
  const LineEntry& top = MainPane->Lines[0];
  const LineEntry& third = MainPane->Lines[2];
  const uint16_t lo = third.Start, hi = static_cast<uint16_t>(third.Start + 3);
  const struct {
    const char* what;
    bool select;
    const wchar_t* typed;
    int32_t notes;       // the notes kept after it
    uint16_t from, to;  // the last note's passage (either order)
  } rows[] = {
      {"empty: not saved", true, L"", 0, 0, 0},
      {"blank: not saved", true, L"  \r\n\t", 0, 0, 0},
      {"on the selection", true, L"first", 1, lo, hi},
      {"no selection: the top paragraph", false, L"second", 2, top.Start,
       static_cast<uint16_t>(top.Start + std::strlen(reinterpret_cast<const char*>(MainPane->Text + top.Start)))},
  };
  for (const auto& row : rows) {
    MainPane->Selection = row.select ? TextSelection{lo, hi} : TextSelection{};
    ActivePane = MainPane;
    TypedNote = row.typed;
    OnCommand(window_, CMD_ADD_NOTE);
    ASSERT_EQ(ReaderNotes.Count, row.notes) << row.what;
    if (!row.notes) continue;
    const NoteAnchor& a = ReaderNotes.Items[row.notes - 1].Anchor;
    EXPECT_EQ(std::min(a.Start, a.End), std::min(row.from, row.to)) << row.what;
    EXPECT_EQ(std::max(a.Start, a.End), std::max(row.from, row.to)) << row.what;
    EXPECT_EQ(a.Lesson, AppSettings.Lesson) << row.what;
  }
  MainPane->Selection = {};
  RepaintPanes(window_, 0xFF);
  EXPECT_EQ(MainPane->NoteCount, 2);
  EXPECT_TRUE(PaintedClient(window_).Has(MainPane, DayScheme.NoteLine)) << "underlined";

  // The context menu over the first note's mark offers Edit and Delete.
  RECT mark{};
  ASSERT_TRUE(NoteMarkRect(MainPane, 0, &mark));
  HMENU menu = CreatePopupMenu();
  AddNoteMenuItems(menu, MainPane, POINT{(mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2}, true);
  EXPECT_EQ(GetMenuState(menu, CMD_EDIT_NOTE, MF_BYCOMMAND) & MF_GRAYED, 0u);
  const uint32_t id = ReaderNotes.Items[0].Id;
  TypedNote = L"";
  EditNoteUnderMenu(window_);
  EXPECT_EQ(std::wstring(ReaderNotes.Items[0].Text), L"first") << "an emptied note stays as it was";
  TypedNote = L"changed\r\nagain";
  EditNoteUnderMenu(window_);
  EXPECT_EQ(std::wstring(ReaderNotes.Items[0].Text), L"changed\r\nagain");
  DeleteNoteUnderMenu(window_);
  EXPECT_EQ(LastMessageBox().text, L"Delete this note?");
  EXPECT_EQ(FindNote(&ReaderNotes, id), 0) << "kept: the answer was not Yes";
  ForgetNoteMenu();
  DestroyMenu(menu);
  menu = CreatePopupMenu();
  AddNoteMenuItems(menu, MainPane, POINT{MainPane->AreaLeft + 2, MainPane->AreaTop + MainPane->AreaHeight - 2}, true);
  EXPECT_EQ(GetMenuState(menu, CMD_EDIT_NOTE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "no note there";
  ForgetNoteMenu();
  DestroyMenu(menu);

  // View > Notes hides the marks, and shows them again.
  OnCommand(window_, CMD_SHOW_NOTES);
  EXPECT_EQ(MainPane->NoteCount, 0);
  EXPECT_FALSE(PaintedClient(window_).Has(MainPane, DayScheme.NoteLine));
  OnCommand(window_, CMD_SHOW_NOTES);
  EXPECT_EQ(MainPane->NoteCount, 2);
  EXPECT_EQ(NoteDialogs, 6);
  StopAnsweringMessageBoxes();
  RunNoteDialog = NoteDialog;
  FreeNotes(&ReaderNotes);
  wchar_t folder[MAX_PATH];
  if (NotesFolder(folder)) DeleteFileW((std::wstring(folder) + L"\\Notes.txt").c_str());
}

TEST_F(Shell, AllNotesListsNewestFirstOrInTheTextsOrderFiltersAndJumps) {
  FreeNotes(&ReaderNotes);
  AnswerMessageBoxes();
  // Three pages, written in another order than theirs, and a note whose
  // passage is on no page of its own (taken from page 9).
  const struct {
    int32_t lesson, from;  // from: the page its passage is taken from
    const wchar_t* text;
    int64_t changed;
  } notes[] = {{5, 5, L"alpha", 300}, {3, 3, L"beta", 100}, {7, 7, L"gamma", 200}, {3, 9, L"delta", 50}};
  for (const auto& n : notes) {
    unsigned char* text = LoadTextRecord(n.from, nullptr);
    ASSERT_NE(text, nullptr);
    NoteAnchor anchor{};
    ASSERT_TRUE(CaptureNoteAnchor(text, ParagraphSelectionAt(text, MainPaneLikeOffset(text)), n.lesson, 0, &anchor));
    std::free(text);
    ASSERT_NE(AddNote(&ReaderNotes, anchor, n.text, lstrlenW(n.text), n.changed), 0u);
  }
  OnCommand(window_, CMD_ALL_NOTES);
  ASSERT_NE(NotesWindow, nullptr);
  HWND list = FindWindowExW(NotesWindow, nullptr, WC_LISTVIEWW, nullptr);
  HWND filter = GetDlgItem(NotesWindow, IDC_NOTES_FILTER);
  const auto cell = [&](int row, int column) {
    wchar_t out[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return std::wstring(out);
  };
  const auto notesColumn = [&] {
    std::wstring all;
    for (int r = 0; r < ListView_GetItemCount(list); ++r) all += cell(r, 2) + L";";
    return all;
  };
  EXPECT_EQ(notesColumn(), L"alpha;gamma;beta;delta;") << "newest first";
  const auto clickHeader = [&](int column) {
    NMLISTVIEW click{};
    click.hdr = NMHDR{list, static_cast<UINT_PTR>(IDC_NOTES_LIST), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iSubItem = column;
    SendMessageW(NotesWindow, WM_NOTIFY, IDC_NOTES_LIST, reinterpret_cast<LPARAM>(&click));
  };
  clickHeader(0);
  const std::wstring texts = notesColumn();
  EXPECT_EQ(texts.substr(texts.size() - 12), L"alpha;gamma;") << "page 3's two notes first, then 5 and 7";
  int detached = 0;
  for (int r = 0; r < 4; ++r) detached += cell(r, 1).rfind(L"not found in the text", 0) == 0 ? 1 : 0;
  EXPECT_EQ(detached, 1) << "the note whose passage is gone";
  clickHeader(3);
  EXPECT_EQ(notesColumn(), L"alpha;gamma;beta;delta;") << "the date: newest first again";
  SetWindowTextW(filter, L"GAM");
  EXPECT_EQ(notesColumn(), L"gamma;") << "the filter, letters without case";
  SetWindowTextW(filter, L"");
  EXPECT_EQ(ListView_GetItemCount(list), 4);

  // Enter on a row goes to its page; Back returns.
  const uint16_t before = AppSettings.Lesson;
  ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(NotesWindow, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(AppSettings.Lesson, 7);
  EXPECT_EQ(MainPane->NoteCount, 1) << "its mark on the page";
  OnCommand(window_, CMD_BACK);
  EXPECT_EQ(AppSettings.Lesson, before);
  DestroyWindow(NotesWindow);
  EXPECT_EQ(NotesWindow, nullptr);
  StopAnsweringMessageBoxes();
  FreeNotes(&ReaderNotes);
}

TEST_F(Shell, AHitShownInAnotherArticleBringsTheNotesAndLinksOfTheTextsShown) {
  FreeNotes(&ReaderNotes);
  const int32_t page = 41;  // another article than the one shown
  for (const int32_t record : {page, page + 1}) {  // a hit in its main text, then in its commentary
    ASSERT_EQ(GoToRecord(window_, 5), 0);
    unsigned char* text = LoadTextRecord(record, nullptr);
    ASSERT_NE(text, nullptr);
    const TextSelection passage = ParagraphSelectionAt(text, MainPaneLikeOffset(text));
    NoteAnchor anchor{};
    ASSERT_TRUE(CaptureNoteAnchor(text, passage, page, static_cast<uint8_t>(record - page), &anchor));
    std::free(text);
    ASSERT_NE(AddNote(&ReaderNotes, anchor, L"n", 1, 1), 0u);
    const uint16_t first = std::min(passage.Anchor, passage.Focus);
    ASSERT_NE(ShowSearchHit(SearchHit{record, static_cast<uint16_t>(first + 3), 4}), 0) << record;
    ASSERT_EQ(AppSettings.Lesson, page);
    PaneView* pane = record == page ? MainPane : CommentaryPane;
    ASSERT_EQ(pane->NoteCount, 1) << record << ": the note on the text shown";
    EXPECT_EQ(std::min(pane->Notes[0].Anchor, pane->Notes[0].Focus), first) << record;
    // The links are those of the two texts shown: resting on the first linked
    // comment tints the words the linker finds for them.
    unsigned char* previous = LoadTextRecord(page - 2, nullptr);
    CommentLink links[256];
    const int32_t count = std::min<int32_t>(256, LinkComments(MainPane->Text, previous, CommentaryPane->Text, links, 256));
    std::free(previous);
    int32_t k = 0;
    while (k < count && links[k].Side != LinkThisSide) ++k;
    ASSERT_LT(k, count) << record;
    CommentaryPane->FirstRow = static_cast<uint16_t>(RowOfLine(CommentaryPane, LineIndexOf(CommentaryPane, links[k].CommentStart)));
    RepaintPanes(window_, 0xFF);
    SendMessageW(window_, WM_MOUSEMOVE, 0,
                 MAKELPARAM(CommentaryPane->AreaLeft + CommentaryPane->AreaWidth / 2,
                            CommentaryPane->AreaTop + CommentaryPane->Lines[LineIndexOf(CommentaryPane, links[k].CommentStart)].LineHeight / 2));
    ASSERT_GE(MainPane->TintCount, 1) << record;
    EXPECT_EQ(MainPane->Tints[0].Start, links[k].QuoteStart) << record;
    EXPECT_EQ(MainPane->Tints[0].End, links[k].QuoteEnd) << record;
    SendMessageW(window_, WM_MOUSELEAVE, 0, 0);
    FreeNotes(&ReaderNotes);
  }
}

TEST_F(Shell, NightColoursPaintThePanesDarkFollowTheResultsListAndAreStored) {
  GoToLongArticle(1, 3, 3);
  const LineEntry* line = MainPane->Lines + 1;  // the first line below the page header
  ASSERT_GT(line->Length, 3);
  MainPane->HitStart = line->Start;
  MainPane->HitEnd = line->Start + 3;
  Command(CMD_NIGHT_COLOURS);
  EXPECT_TRUE(GetMenuState(GetMenu(window_), CMD_NIGHT_COLOURS, MF_BYCOMMAND) & MF_CHECKED);
  {
    const PaintedClient night(window_);
    const ColourScheme& n = NightScheme;
    EXPECT_EQ(night.Beside(MainPane), n.Page);
    EXPECT_EQ(night.Beside(CommentaryPane), n.CommentaryPage);
    for (const COLORREF c : {n.PlainText, n.HitBack, n.HitText}) EXPECT_TRUE(night.Has(MainPane, c)) << std::hex << c;
    EXPECT_TRUE(night.Has(CommentaryPane, n.PlainText) || night.Has(CommentaryPane, n.SmallText));
    EXPECT_FALSE(night.Has(MainPane, 0xFFFFFF) || night.Has(CommentaryPane, 0xFFFFFF)) << "no white left";
    // A click that pages draws the pane at once, outside the paint handler.
    const PaintedClient paged(window_, [&] {
      const LPARAM lower = MAKELPARAM(MainPane->AreaLeft + 5, MainPane->AreaTop + MainPane->AreaHeight - 3);
      SendMessageW(window_, WM_LBUTTONDOWN, 0, lower);
      SendMessageW(window_, WM_LBUTTONUP, 0, lower);
    });
    EXPECT_GT(MainPane->FirstRow, 0);
    EXPECT_FALSE(paged.Has(MainPane, 0xFFFFFF)) << "a click page at night";
  }
  // The results list follows the scheme, both ways.
  std::strcpy(reinterpret_cast<char*>(AppSettings.SearchString), "a");
  FindAll(window_);
  HWND list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), NightScheme.Page);
  Command(CMD_NIGHT_COLOURS);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
  DestroyWindow(ResultsWindow);
  EXPECT_EQ(PaintedClient(window_).Beside(MainPane), 0xFFFFFFu) << "day again";

  // Stored at exit (damaged values are rows of the stored-values table); a
  // night start is dark from its first paint, background included.
  Command(CMD_NIGHT_COLOURS);
  DestroyWindow(window_);
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"NightColours", -1), 1);
  LoadSettings();
  window_ = CreateMainWindow();
  ASSERT_NE(MainPane, nullptr);
  EXPECT_TRUE(MainPane->Colours == &NightScheme && CommentaryPane->Colours == &NightScheme);
  const PaintedClient first(window_);
  SendMessageW(window_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(first.dc), 0);
  EXPECT_EQ(GetPixel(first.dc, 1, 1), NightScheme.Page);
}

// Closes the menu a test opened, from inside the menu's own message loop.
void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

TEST_F(Shell, FullScreenCoversTheMonitorAndPutsBackExactlyTheWindowThatWasThere) {
  for (const bool maximised : {false, true}) {
    ShowWindow(window_, SW_SHOWNORMAL);
    MoveWindow(window_, 30, 40, 700, 500, TRUE);
    if (maximised) ShowWindow(window_, SW_SHOWMAXIMIZED);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE), exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    const HMENU menu = GetMenu(window_);
    const int paneTop = MainPane->AreaTop;
    RECT before, r, client;
    GetWindowRect(window_, &before);

    Command(CMD_FULL_SCREEN);
    MONITORINFO monitor{sizeof monitor};
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    GetWindowRect(window_, &r);
    GetClientRect(window_, &client);
    EXPECT_TRUE(EqualRect(&r, &monitor.rcMonitor)) << maximised;
    EXPECT_TRUE(client.right == r.right - r.left && client.bottom == r.bottom - r.top) << "no caption, menu or frame";
    EXPECT_EQ(MainPane->AreaTop, Gutter()) << "the panes take the toolbar's room";
    // A change of scale in full screen, with the window's rectangle scaled as
    // the suggestion: it covers the monitor still, the toolbar made anew and
    // hidden; the window to come back to is scaled there and back.
    const int dpi = WindowDpi;
    for (const int to : {dpi * 3 / 2, dpi}) {
      const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, to, WindowDpi),
                           r.top + MulDiv(r.bottom - r.top, to, WindowDpi)};
      TellDpiChanged(window_, to, suggested);
      GetWindowRect(window_, &r);
      EXPECT_TRUE(EqualRect(&r, &monitor.rcMonitor) && ToolbarHeight() == 0) << to;
    }

    if (maximised) {  // F11 leaves it, and so does Esc
      Command(CMD_FULL_SCREEN);
    } else {
      EXPECT_EQ(Key(VK_ESCAPE), 0);
    }
    GetWindowRect(window_, &r);
    EXPECT_TRUE(EqualRect(&r, &before)) << maximised;
    EXPECT_TRUE(GetWindowLongPtrW(window_, GWL_STYLE) == style && GetWindowLongPtrW(window_, GWL_EXSTYLE) == exStyle);
    EXPECT_EQ(IsZoomed(window_) != FALSE, maximised);
    EXPECT_EQ(GetMenu(window_), menu);
    EXPECT_EQ(MainPane->AreaTop, paneTop);
  }
  EXPECT_EQ(Key(VK_ESCAPE), 1) << "outside full screen Esc is not the main window's";
  // A rectangle to come back to that no screen shows any more: the window comes back where its caption is in reach.
  RECT r;
  ShowWindow(window_, SW_SHOWNORMAL);
  MoveWindow(window_, -5000, -4000, 700, 500, TRUE);
  for (int press = 0; press < 2; ++press) Command(CMD_FULL_SCREEN);
  EXPECT_TRUE(GetWindowRect(window_, &r) && CaptionInReach(r)) << r.left << "," << r.top;

  // In full screen Alt+B drops the Bookmarks list down, filled (a timer
  // closes it again); closed there, the (normal) window is saved as it was
  // before at the scale it is closed at, and the tops as full screen shows them.
  Bookmarks = BookmarkList{};
  AddBookmarkHere();
  ShowWindow(window_, SW_SHOWNORMAL);
  MoveWindow(window_, 30, 40, 520, 420, TRUE);
  Command(CMD_FULL_SCREEN);
  TellDpiChanged(window_, WindowDpi * 3 / 2, RECT{0, 0, 1, 1});  // the size saved is for the new scale
  GoToLongArticle(1, 40, 0);
  MainPane->FirstRow = 40;
  const PanePosition top = TopPosition(MainPane);
  HMENU bookmarks = GetSubMenu(MainMenu(window_), BOOKMARKS_MENU_POSITION);
  while (GetMenuItemCount(bookmarks) > 2) DeleteMenu(bookmarks, 2, MF_BYPOSITION);
  SetTimer(nullptr, 0, 100, EndMenuSoon);
  SendMessageW(window_, WM_SYSCOMMAND, SC_KEYMENU, 'b');
  EXPECT_EQ(GetMenuItemCount(bookmarks), 4) << "two commands, a separator, the bookmark";
  Bookmarks = BookmarkList{};
  DestroyWindow(window_);
  EXPECT_FALSE(InFullScreen());
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"Width", -1), 780);
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"showCmd", -1), SW_SHOWNORMAL);
  EXPECT_EQ(static_cast<uint32_t>(ReadDwordSetting(SettingsKeyPath, L"MainTop", -1)), PackPosition(top));
}

TEST_F(Shell, AStartWithAnotherSizeAndFontOpensOnTheSameLines) {
  ShowWindow(window_, SW_SHOWNORMAL);
  MoveWindow(window_, 20, 20, 900, 700, TRUE);
  GoToLongArticle(1, 60, 30);
  MainPane->FirstRow = 17;
  CommentaryPane->FirstRow = 9;
  const int32_t lesson = AppSettings.Lesson;
  const PanePosition tops[] = {TopPosition(MainPane), TopPosition(CommentaryPane)};
  DestroyWindow(window_);
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"LastPosition", -1), 17) << "the rows as before";
  WriteDwordSetting(L"Width", 600);
  WriteDwordSetting(L"Height", 450);
  WriteDwordSetting(L"FontSize", 16);
  auto start = [&] {
    AppSettings = {};
    AppSettings.SurroundingGutter = ReadSurroundingGutter();
    window_ = InitInstance(SW_SHOWNORMAL);
    ASSERT_NE(MainPane, nullptr);
  };
  start();
  // The text broke into other lines: the one at the top holds the same place.
  EXPECT_NE(MainPane->FirstRow, 17) << "not the stored row";
  for (const PaneView* pane : {MainPane, CommentaryPane}) {
    const uint16_t offset = tops[pane == CommentaryPane].Offset;
    const LineEntry* line = pane->Lines;
    for (int rows = 0; line->Style && rows + RowsOf(*line) <= pane->FirstRow; ++line) rows += RowsOf(*line);
    EXPECT_TRUE(line->Start <= offset && offset <= line->Start + line->Length)
        << offset << " in " << line->Start << "+" << line->Length;
  }

  // Tops of another article or of no line of the texts, beside other rows
  // (an older version ran since) or texts of other lengths: the stored rows.
  // The commentary's first, while the main pane's stored top is a good one
  // away from row 3.
  const struct { const wchar_t* name; uint32_t value; } damaged[] = {
      {L"CommentaryTop", 0x1FFFF}, {L"TopLesson", static_cast<uint32_t>(lesson + 2)}, {L"MainTop", 0xFFFF},
      {L"MainTop", 0x20000}, {L"TopRows", PackPair(3, 1)}, {L"TopLengths", 0}};
  for (const auto& d : damaged) {
    DestroyWindow(window_);
    WriteDwordSetting(L"LastPosition", 3);
    WriteDwordSetting(L"BottomSectionLastPosition", 2);
    WriteDwordSetting(L"TopRows", static_cast<int32_t>(PackPair(3, 2)));
    WriteDwordSetting(d.name, static_cast<int32_t>(d.value));
    start();
    EXPECT_EQ(MainPane->FirstRow, 3) << d.value;
    EXPECT_EQ(CommentaryPane->FirstRow, 2) << d.value;
  }
}

CivilDate Today;  // the date of the clock the daily folio tests put in place
CivilDate TestClock() { return Today; }

// The Go menu's Today's Folio label once the menu opens.
std::wstring TodaysLabel(HWND window) {
  HMENU bar = GetMenu(window);
  SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, 1)), 1);
  wchar_t text[128] = {};
  GetMenuStringW(bar, CMD_TODAYS_FOLIO, text, 128, MF_BYCOMMAND);
  return text;
}

// A folio as the label and the dialog name it: the page header's name kept
// right to left.
std::wstring Embedded(int32_t record) {
  DisplayChar name[MaxBookmarkNameUnits + 1];
  PlaceName(record, name);
  return std::wstring(1, RightToLeftEmbedding) + name + std::wstring(1, PopDirectionalFormatting);
}

TEST_F(Shell, TodaysFolioJumpsThereAndItsLabelFollowsTheDate) {
  const auto systemClock = LocalDate;
  LocalDate = TestClock;
  // 16 March 2027: folio 26 of tractate 36, the side after 25b (article 5191).
  const int32_t folio26 = RecordOfArticle(5192);
  Today = {2027, 3, 16};
  EXPECT_NE(TodaysLabel(window_).find(Embedded(folio26)), std::wstring::npos);
  Command(CMD_TODAYS_FOLIO);
  EXPECT_EQ(AppSettings.Lesson, folio26);
  Today = {2027, 3, 17};  // left open overnight
  EXPECT_NE(TodaysLabel(window_).find(Embedded(RecordOfArticle(5194))), std::wstring::npos);
  Command(CMD_BACK);
  EXPECT_EQ(AppSettings.Lesson, 1) << "a jump that Back undoes";

  // A day the text lacks: the label says so; the command names the next day
  // it holds, and changes nothing.
  Today = {2027, 3, 13};
  EXPECT_NE(TodaysLabel(window_).find(L"not in this text"), std::wstring::npos);
  AnswerMessageBoxes();
  Command(CMD_TODAYS_FOLIO);
  StopAnsweringMessageBoxes();
  EXPECT_NE(LastMessageBox().text.find(L"holds is Tuesday, 16 March 2027."), std::wstring::npos);
  EXPECT_EQ(AppSettings.Lesson, 1);
  LocalDate = systemClock;
}

// Runs a test's steps in the Daily Folio dialog once it is shown, from a
// timer inside the dialog's own loop, then cancels it; answers the boxes the
// steps bring up, from inside theirs.
std::function<void(HWND)> DialogSteps;
int Boxes;
void CALLBACK DriveDailyFolio(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND box = FindWindowW(L"#32770", L"Orvane")) {
    ++Boxes;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return;
  }
  HWND dialog = FindWindowW(L"#32770", L"Daily Folio");
  if (!dialog || !IsWindowVisible(dialog) || !DialogSteps) return;
  const auto steps = DialogSteps;
  DialogSteps = nullptr;
  steps(dialog);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // finds no dialog after an OK that ended it
}

TEST_F(Shell, DailyFolioOpensOnTodayAndGoesToTheChosenDaysFolio) {
  const auto systemClock = LocalDate;
  LocalDate = TestClock;
  Today = {2021, 2, 23};  // folio 94 of tractate 4
  auto withDialog = [&](std::function<void(HWND)> steps) {
    DialogSteps = std::move(steps);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, DriveDailyFolio);
    Command(CMD_DAILY_FOLIO);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(DialogSteps) << "the dialog opened";
  };
  withDialog([](HWND) {});
  EXPECT_EQ(AppSettings.Lesson, 1) << "Cancel goes nowhere";
  withDialog([](HWND d) {
    HWND picker = GetDlgItem(d, IDC_DAILY_DATE);
    EXPECT_EQ(GetFocus(), picker);
    SYSTEMTIME t = {}, range[2] = {};
    DateTime_GetSystemtime(picker, &t);
    DateTime_GetRange(picker, range);
    EXPECT_EQ(t.wYear * 10000 + t.wMonth * 100 + t.wDay, 20210223);
    EXPECT_EQ(range[0].wYear * 10000 + range[0].wMonth * 100 + range[0].wDay, 19750624) << "no earlier date";
    auto line = [d] {
      wchar_t text[128] = {};
      GetDlgItemTextW(d, IDC_DAILY_FOLIO, text, 128);
      return std::wstring(text);
    };
    EXPECT_EQ(line(), Embedded(DailyFolioOn(Today).Record));
    // As a user types: Right selects the month, Up steps it to 23 March, the
    // first of the 21 days the text lacks, where OK shows a box and stays.
    SendMessageW(picker, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(picker, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(line(), L"not in this text");
    Boxes = 0;
    SendMessageW(d, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Boxes, 1);
    EXPECT_TRUE(IsWindowVisible(d));
    DateTime_SetSystemtime(picker, GDT_VALID, &t);
    SendMessageW(d, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Boxes, 1);
  });
  EXPECT_EQ(AppSettings.Lesson, DailyFolioOn(Today).Record);
  LocalDate = systemClock;
}

}  // namespace
