// The main window in process: the geometry of the split view, scroll-bar
// sync, commands, navigation, keyboard, wheel and click paging.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "layout/colours.h"
#include "output/bookmarks.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "shell/places.h"
#include "shell/results.h"
#include "shell/splitview.h"
#include "shell/view.h"
#include "store/records.h"
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
      {VK_HOME, 0}, {VK_NEXT, CommentaryPane->RowsDrawn - 1}, {VK_PRIOR, 0}};
  for (const auto& step : steps) {
    SendMessageW(CommentaryScrollBar, WM_KEYDOWN, step.key, 0);
    EXPECT_EQ(CommentaryPane->FirstRow, step.row) << "key " << step.key;
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

TEST_F(Shell, ClickPagingSplitsThePaneByTheChosenAxis) {
  PaneView* c = CommentaryPane;
  ASSERT_GT(c->MaxFirstRow, c->RowsDrawn);
  const int page = c->RowsDrawn - 1;
  auto click = [&](int x, int y) { SendMessageW(window_, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y)); };
  const int lowerY = c->AreaTop + c->AreaHeight - 3;
  // Below the band where the main pane's gutter margin overlaps this pane.
  const int upperY = c->AreaTop + 10 + 3;
  click(c->AreaLeft + 5, lowerY);
  EXPECT_EQ(ActivePane, c);
  EXPECT_EQ(ActiveScrollBar, CommentaryScrollBar);
  EXPECT_EQ(c->FirstRow, page) << "lower half pages forward";
  click(c->AreaLeft + 5, upperY);
  EXPECT_EQ(c->FirstRow, 0) << "upper half pages back";

  AppSettings.Flags &= ~ClickVertical;
  click(c->AreaLeft + c->AreaWidth - 3, upperY);
  EXPECT_EQ(c->FirstRow, page) << "right half pages forward";
  click(c->AreaLeft + 3, lowerY);
  EXPECT_EQ(c->FirstRow, 0) << "left half pages back";

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

// Ctrl+B puts the place at the front of the bookmarks and stores them; a
// full list, and a list that cannot be stored, are told.
TEST_F(Shell, AddBookmarkStoresOrSaysWhyNot) {
  const wchar_t* const settings = L"Software\\Quillary\\Orvane";
  const struct { const char* what; int32_t before; bool failing; int32_t after; const wchar_t* told; } rows[] = {
      {"stored", 3, false, 4, nullptr},
      {"a full list", MaxBookmarks, false, MaxBookmarks, L"full"},
      {"a failed save", 3, true, 4, L"could not be saved"},
  };
  for (const auto& row : rows) {
    RegDeleteTreeW(HKEY_CURRENT_USER, settings);
    Bookmarks.Count = row.before;
    for (int32_t i = 0; i < row.before; ++i) Bookmarks.Items[i] = Bookmark{{2001 + 2 * i, {0, 0}, {0, 0}, 0}, {L'n'}};
    if (row.failing) {
      HKEY key = nullptr;  // a volatile key cannot hold the lasting Bookmarks key
      RegCreateKeyExW(HKEY_CURRENT_USER, settings, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
      RegCloseKey(key);
    }
    AnswerMessageBoxes();
    Command(CMD_ADD_BOOKMARK);
    StopAnsweringMessageBoxes();
    EXPECT_EQ(Bookmarks.Count, row.after) << row.what;
    EXPECT_EQ(LastMessageBox().count, row.told ? 1 : 0) << row.what;
    const std::wstring told = LastMessageBox().text;
    EXPECT_TRUE(!row.told || told.find(row.told) != std::wstring::npos) << row.what;
    static BookmarkList stored;
    LoadBookmarks(&stored, RecordCount);
    EXPECT_EQ(stored.Count, row.failing || row.told ? 0 : row.after) << row.what;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, settings);
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
    SendMessageW(window_, WM_LBUTTONDOWN, 0,
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
  const int buttons[] = {CMD_PREVIOUS_ARTICLE, CMD_CHOOSE_ARTICLE, CMD_NEXT_ARTICLE,
                         CMD_FONT,             CMD_SEARCH,         CMD_SEARCH_AGAIN};
  ASSERT_EQ(SendMessageW(Toolbar, TB_BUTTONCOUNT, 0, 0), 6);
  for (int i = 0; i < 6; ++i) {
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


// The client area as one paint draws it, read back from a memory bitmap that
// both panes draw on for that paint.
class PaintedClient {
 public:
  explicit PaintedClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    HDC screen = GetDC(window);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(window, screen);
    old_ = SelectObject(dc_, bitmap_);
    HDC paneDc = MainPane->Dc;
    MainPane->Dc = CommentaryPane->Dc = dc_;
    PaintPanes(dc_, window, RepaintClear | RepaintErase | 0xFF);
    MainPane->Dc = CommentaryPane->Dc = paneDc;
  }
  ~PaintedClient() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  // Pixels of a pane's area in the colour.
  int Count(const PaneView* pane, COLORREF colour) const {
    int n = 0;
    for (int y = pane->AreaTop; y < pane->AreaTop + pane->AreaHeight; ++y)
      for (int x = pane->AreaLeft; x < pane->AreaLeft + pane->AreaWidth; ++x) n += GetPixel(dc_, x, y) == colour;
    return n;
  }
  HDC Dc() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// WCAG 2's contrast ratio of two colours.
double Contrast(COLORREF a, COLORREF b) {
  auto luminance = [](COLORREF c) {
    auto channel = [](int v) {
      const double s = v / 255.0;
      return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int Area(const PaneView* pane) { return pane->AreaWidth * pane->AreaHeight; }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
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
    EXPECT_GT(night.Count(MainPane, n.Page), Area(MainPane) / 2);
    EXPECT_GT(night.Count(MainPane, n.PlainText), 0) << "the body text";
    EXPECT_GT(night.Count(MainPane, n.HitBack), 0) << "the hit's highlight";
    EXPECT_GT(night.Count(MainPane, n.HitText), 0) << "the hit's letters";
    EXPECT_GT(night.Count(CommentaryPane, n.CommentaryPage), Area(CommentaryPane) / 2);
    EXPECT_GT(night.Count(CommentaryPane, n.PlainText) + night.Count(CommentaryPane, n.SmallText), 0);
    EXPECT_EQ(night.Count(MainPane, 0xFFFFFF) + night.Count(CommentaryPane, 0xFFFFFF), 0) << "no white left";
    // Readable for long, without glare.
    for (const COLORREF page : {n.Page, n.CommentaryPage}) {
      EXPECT_GE(Contrast(n.PlainText, page), 7.0);
      EXPECT_LE(Contrast(n.PlainText, page), 15.0);
    }
    EXPECT_GE(Contrast(n.HitText, n.HitBack), 7.0);
  }
  // The results list follows the scheme, both ways.
  std::strcpy(reinterpret_cast<char*>(AppSettings.SearchString), "a");
  FindAll(window_);
  HWND list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), NightScheme.Page);
  Command(CMD_NIGHT_COLOURS);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
  DestroyWindow(ResultsWindow);
  EXPECT_FALSE(GetMenuState(GetMenu(window_), CMD_NIGHT_COLOURS, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_GT(PaintedClient(window_).Count(MainPane, 0xFFFFFF), Area(MainPane) / 2) << "day again";

  // Stored at exit, and read back as 1 only from a 1.
  Command(CMD_NIGHT_COLOURS);
  DestroyWindow(window_);
  Pump();
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"NightColours", -1), 1);
  const struct { uint32_t stored, read; } values[] = {{0, 0}, {2, 0}, {0xFFFFFFFF, 0}, {0x10001, 0}, {1, 1}};
  for (const auto& v : values) {
    WriteDwordSetting(L"NightColours", static_cast<int32_t>(v.stored));
    LoadSettings();
    EXPECT_EQ(AppSettings.NightColours, v.read) << v.stored;
  }
  // A night start is dark from its first paint, background included.
  window_ = CreateMainWindow();
  ASSERT_NE(MainPane, nullptr);
  EXPECT_EQ(MainPane->Colours, &NightScheme);
  EXPECT_EQ(CommentaryPane->Colours, &NightScheme);
  EXPECT_TRUE(GetMenuState(GetMenu(window_), CMD_NIGHT_COLOURS, MF_BYCOMMAND) & MF_CHECKED);
  const PaintedClient first(window_);
  SendMessageW(window_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(first.Dc()), 0);
  EXPECT_EQ(GetPixel(first.Dc(), 1, 1), NightScheme.Page);
}

// Closes the menu a test opened, from inside the menu's own message loop.
void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

TEST_F(Shell, FullScreenCoversTheMonitorAndPutsBackExactlyTheWindowThatWasThere) {
  GoToLongArticle(1, 60, 5);  // long enough to scroll on a whole screen
  Bookmarks = BookmarkList{};
  AddBookmarkHere();
  // The window at 30,40 700x500, maximised over that or not.
  auto place = [&](bool maximised) {
    ShowWindow(window_, SW_SHOWNORMAL);
    MoveWindow(window_, 30, 40, 700, 500, TRUE);
    if (maximised) ShowWindow(window_, SW_SHOWMAXIMIZED);
  };
  for (const bool maximised : {false, true}) {
    const char* what = maximised ? "maximised" : "normal";
    place(maximised);
    ASSERT_EQ(IsZoomed(window_) != FALSE, maximised);
    const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE), exStyle = GetWindowLongPtrW(window_, GWL_EXSTYLE);
    RECT before;
    GetWindowRect(window_, &before);
    HMENU menu = GetMenu(window_);
    const int paneTop = MainPane->AreaTop;

    Command(CMD_FULL_SCREEN);
    EXPECT_TRUE(InFullScreen());
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT r, client;
    GetWindowRect(window_, &r);
    GetClientRect(window_, &client);
    EXPECT_TRUE(EqualRect(&r, &monitor.rcMonitor)) << what;
    EXPECT_TRUE(client.right == r.right - r.left && client.bottom == r.bottom - r.top) << "no caption, menu or frame";
    EXPECT_EQ(ToolbarHeight(), 0);
    EXPECT_EQ(MainPane->AreaTop, Gutter()) << "the panes take the toolbar's room";
    const uint16_t row = MainPane->FirstRow;
    Key(VK_DOWN);
    EXPECT_EQ(MainPane->FirstRow, row + 1);
    // Alt+B drops the Bookmarks list down (a timer closes it again).
    HMENU bookmarks = GetSubMenu(MainMenu(window_), BOOKMARKS_MENU_POSITION);
    while (GetMenuItemCount(bookmarks) > 2) DeleteMenu(bookmarks, 2, MF_BYPOSITION);
    SetTimer(nullptr, 0, 100, EndMenuSoon);
    SendMessageW(window_, WM_SYSCOMMAND, SC_KEYMENU, 'b');
    EXPECT_EQ(GetMenuItemCount(bookmarks), 4) << "opened and filled: two commands, a separator, the bookmark";

    // Esc leaves it, and F11 again.
    if (maximised) {
      Command(CMD_FULL_SCREEN);
    } else {
      EXPECT_EQ(Key(VK_ESCAPE), 0);
    }
    EXPECT_FALSE(InFullScreen());
    RECT after;
    GetWindowRect(window_, &after);
    EXPECT_TRUE(EqualRect(&after, &before)) << what;
    EXPECT_EQ(GetWindowLongPtrW(window_, GWL_STYLE), style) << what;
    EXPECT_EQ(GetWindowLongPtrW(window_, GWL_EXSTYLE), exStyle) << what;
    EXPECT_EQ(IsZoomed(window_) != FALSE, maximised);
    EXPECT_EQ(GetMenu(window_), menu);
    EXPECT_GT(ToolbarHeight(), 0);
    EXPECT_EQ(MainPane->AreaTop, paneTop);
  }
  EXPECT_EQ(Key(VK_ESCAPE), 1) << "outside full screen Esc is not the main window's";

  // Closed in full screen, the window is saved as it was before.
  for (const bool maximised : {false, true}) {
    place(maximised);
    Command(CMD_FULL_SCREEN);
    DestroyWindow(window_);
    Pump();
    EXPECT_FALSE(InFullScreen());
    EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"Left", -1), 30);
    EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"Top", -1), 40);
    EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"Width", -1), 700);
    EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"Height", -1), 500);
    EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"showCmd", -1), maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    window_ = CreateMainWindow();
    ASSERT_NE(MainPane, nullptr);
  }
  Bookmarks = BookmarkList{};
}

TEST_F(Shell, AStartWithAnotherSizeAndFontOpensOnTheSameLines) {
  ShowWindow(window_, SW_SHOWNORMAL);
  MoveWindow(window_, 20, 20, 900, 700, TRUE);
  GoToLongArticle(1, 60, 30);
  MainPane->FirstRow = 17;
  CommentaryPane->FirstRow = 9;
  const int32_t lesson = AppSettings.Lesson;
  const PanePosition main = TopPosition(MainPane), commentary = TopPosition(CommentaryPane);
  DestroyWindow(window_);
  Pump();
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"TopLesson", -1), lesson);
  EXPECT_EQ(ReadDwordSetting(SettingsKeyPath, L"LastPosition", -1), 17) << "the rows as before";
  // Another size and a larger font: other rows, the same lines.
  WriteDwordSetting(L"Width", 600);
  WriteDwordSetting(L"Height", 450);
  WriteDwordSetting(L"FontSize", 16);
  auto start = [&] {
    AppSettings = {};
    AppSettings.SurroundingGutter = ReadSurroundingGutter();
    window_ = InitInstance(SW_SHOWNORMAL);
    ASSERT_NE(window_, nullptr);
    ASSERT_NE(MainPane, nullptr);
  };
  start();
  // The text broke into other lines: the one at the top holds the same place.
  for (const PaneView* pane : {MainPane, CommentaryPane}) {
    const uint16_t offset = (pane == MainPane ? main : commentary).Offset;
    const LineEntry* line = pane->Lines;
    for (int rows = 0; line->Style && rows + RowsOf(*line) <= pane->FirstRow; ++line) rows += RowsOf(*line);
    EXPECT_TRUE(line->Start <= offset && offset <= line->Start + line->Length)
        << offset << " in " << line->Start << "+" << line->Length;
  }
  EXPECT_NE(MainPane->FirstRow, 17) << "not the stored row";

  // Tops that belong to another article (an older version ran since) or
  // name no line of the texts: the stored rows.
  const struct { const wchar_t* name; uint32_t value; } damaged[] = {
      {L"TopLesson", static_cast<uint32_t>(lesson + 2)}, {L"MainTop", 0xFFFF}, {L"MainTop", 0x20000},
      {L"CommentaryTop", 0x1FFFF}, {L"CommentaryTop", 0xFFFFFFFF}};
  for (const auto& d : damaged) {
    DestroyWindow(window_);
    Pump();
    WriteDwordSetting(L"LastPosition", 3);
    WriteDwordSetting(L"BottomSectionLastPosition", 2);
    WriteDwordSetting(d.name, static_cast<int32_t>(d.value));
    start();
    EXPECT_EQ(MainPane->FirstRow, 3) << d.value;
    EXPECT_EQ(CommentaryPane->FirstRow, 2) << d.value;
  }
}

}  // namespace
