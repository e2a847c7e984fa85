// The search from the main window: from a given article and scroll position
// a search lands on the article, pane, first row and hit range that a
// brute-force reference over the decoded records predicts.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "layout/scale.h"
#include "output/settings.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "resources/resource.h"
#include "shell/mainwindow.h"
#include "shell/places.h"
#include "shell/results.h"
#include "shell/search.h"
#include "shell/splitview.h"
#include "store/records.h"
#include "tests/common/wildcard_reference.h"
#include "tests/win/common/gdi_tracking.h"
#include "tests/win/common/reader_setup.h"

namespace {

using Bytes = std::vector<unsigned char>;
std::vector<Bytes> Records;  // Records[n]: the text of record n, with its three 0 bytes

struct Place {
  int record = 0;  // 0: nothing found
  int offset = 0;  // the hit's highest byte
  int length = 0;
};

// The first hit in reading order in one text from offset start on, by trying
// every extent (only the pattern's own length when it has no `*`).
Place FindReference(int record, int start, const std::string& pattern) {
  const Bytes& t = Records[record];
  const bool runs = pattern.find('*') != std::string::npos;
  for (size_t at = 0; t[at] != 0;) {
    const size_t text = at + 2;
    size_t end = text;
    while (t[end]) ++end;
    // A start below a paragraph's text (its style or parameter byte): done.
    if (end >= size_t(start) && !(start != 0 && size_t(start) >= at && size_t(start) < text)) {
      const long upper = size_t(start) >= text && size_t(start) < end ? start : long(end) - 1;
      for (long pos = upper; pos >= long(text); --pos) {
        const long lowest = runs ? long(text) : pos - long(pattern.size()) + 1;
        for (long s = pos; s >= lowest && s >= long(text); --s) {
          if (Glob(t.data() + s, size_t(pos - s + 1), pattern.data(), pattern.size())) {
            return {record, int(pos), int(pos - s + 1)};
          }
        }
      }
    }
    at = end + 1;
  }
  return {};
}

// Where the search should land: the rest of the shown text, every other
// record in ascending order with wrap-around, then the shown text whole.
Place NextReference(int shown, int start, const std::string& pattern, bool minimal) {
  Place p = FindReference(shown, start, pattern);
  for (int i = shown + 1; !p.record; ++i) {
    if (i > RecordCount) i = 1;
    if (i == shown) return FindReference(shown, 0, pattern);
    if (!(minimal && i % 2 == 0)) p = FindReference(i, 0, pattern);
  }
  return p;
}

// The "Not Found!" box: its text is recorded and it is answered with OK.
std::wstring BoxText;
int ResultsEnabledUnderModal = -1;  // whether the results window was enabled under the last box
BOOL CALLBACK AnswerBox(HWND w, LPARAM) {
  wchar_t cls[16] = {}, title[32] = {}, text[64] = {};
  GetClassNameW(w, cls, 16);
  if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
  GetWindowTextW(w, title, 32);
  GetDlgItemTextW(w, 0xFFFF, text, 64);
  BoxText = std::wstring(title) + L": " + text;
  ResultsEnabledUnderModal = ResultsWindow && IsWindowEnabled(ResultsWindow);
  PostMessageW(w, WM_COMMAND, IDOK, 0);
  return TRUE;
}
void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0); }

int RowOfOffset(const PaneView* pane, int offset) {
  int rows = 0;
  for (const LineEntry* e = pane->Lines; e->Style; ++e) {
    if (e->Start <= offset && offset <= e->Start + e->Length) return rows;
    rows += RowsOf(*e);
  }
  return -1;
}

class Search : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(OpenBuiltProgram()) << "pass the path of the built program";
    Records.assign(RecordCount + 1, Bytes(3, 0));
    for (int n = 1; n <= RecordCount; ++n) {
      unsigned char* text = LoadTextRecord(n, nullptr);
      ASSERT_NE(text, nullptr) << n;
      size_t length = 0;
      while (text[length] || text[length + 1] || text[length + 2]) ++length;
      Records[n].assign(text, text + length + 3);
      free(text);
    }
  }

  void SetUp() override {
    UsePlainSettings();
    window_ = CreateMainWindow();
    ASSERT_NE(window_, nullptr);
    OnSize(window_, MAKELPARAM(800, 600));
    RepaintPanes(window_, 0x3FF);
    timer_ = SetTimer(nullptr, 0, 50, AnswerBoxes);
  }

  void TearDown() override {
    KillTimer(nullptr, timer_);
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  static void Store(const std::string& pattern) {
    std::memset(AppSettings.SearchString, 0, sizeof AppSettings.SearchString);
    std::memcpy(AppSettings.SearchString, pattern.data(), pattern.size());
  }

  // Searches once and checks the outcome against the reference; returns
  // where the search landed.
  Place SearchAndCheck(const std::string& pattern, int start, const std::string& what) {
    const int shown = AppSettings.Lesson + (CurrentPane() == CommentaryPane ? 1 : 0);
    const Place want = NextReference(shown, start, pattern, AppSettings.BottomSection < 10);
    const int lesson = AppSettings.Lesson;
    Store(pattern);
    BoxText.clear();
    const int result = SearchNext(window_);
    if (!want.record) {
      EXPECT_EQ(result, 0) << what;
      EXPECT_EQ(BoxText, L"Orvane: Not Found!") << what;
      EXPECT_EQ(AppSettings.Lesson, lesson) << what;
      return want;
    }
    EXPECT_EQ(result, 1) << what;
    EXPECT_EQ(BoxText, L"") << what;
    EXPECT_EQ(AppSettings.Lesson, want.record - (want.record % 2 == 0)) << what;
    PaneView* pane = want.record % 2 ? MainPane : CommentaryPane;
    EXPECT_EQ(CurrentPane(), pane) << what;
    EXPECT_EQ(ActiveScrollBar, pane == MainPane ? MainScrollBar : CommentaryScrollBar) << what;
    EXPECT_EQ(std::memcmp(MainPane->Text, Records[AppSettings.Lesson].data(), Records[AppSettings.Lesson].size()), 0)
        << what << ": the main pane shows the hit's article";
    EXPECT_EQ(std::memcmp(CommentaryPane->Text, Records[AppSettings.Lesson + 1].data(),
                          Records[AppSettings.Lesson + 1].size()), 0)
        << what << ": and its commentary";
    EXPECT_EQ(pane->HitStart, want.offset - want.length + 1) << what;
    EXPECT_EQ(pane->HitEnd, want.offset + 1) << what;
    const int row = RowOfOffset(pane, want.offset);
    EXPECT_EQ(pane->FirstRow, row < pane->MaxFirstRow ? row : pane->MaxFirstRow) << what;
    return want;
  }

  // The reading start of the first visible line of the current pane.
  static int FirstVisibleStart() {
    const PaneView* pane = CurrentPane();
    const LineEntry* line = pane->Lines;
    for (int rows = 0; rows < pane->FirstRow && line[1].Style; ++line) rows += RowsOf(*line);
    return line->Start + line->Length - 1;
  }

  HWND window_ = nullptr;
  UINT_PTR timer_ = 0;
};

// A pattern that occurs exactly once in the whole corpus, taken from a
// commentary paragraph of record `record`.
std::string UniquePattern(int record) {
  const Bytes& t = Records[record];
  for (size_t at = 0; t[at];) {
    size_t end = at + 2;
    while (t[end]) ++end;
    if (t[at] == 0xB2 && end - at > 40) {
      for (size_t from = at + 10; from + 24 < end; from += 5) {
        const std::string p(reinterpret_cast<const char*>(t.data() + from), 24);
        int count = 0;
        for (int n = 1; n <= RecordCount && count < 2; ++n) {
          const Bytes& r = Records[n];
          for (auto it = r.begin(); count < 2;) {
            it = std::search(it, r.end(), p.begin(), p.end());
            if (it == r.end()) break;
            ++count, ++it;
          }
        }
        if (count == 1) return p;
      }
    }
    at = end + 1;
  }
  return "";
}

TEST_F(Search, LandsWhereTheReferencePredicts) {
  // A pattern found only in another article's commentary: the main pane
  // shows that article and the commentary pane holds the hit.
  const std::string once = UniquePattern(4000);
  ASSERT_FALSE(once.empty());
  Place first = SearchAndCheck(once, FirstVisibleStart(), "the unique pattern");
  EXPECT_EQ(first.record, 4000);
  // Search Again goes round the whole corpus and finds the same place.
  const Place again = SearchAndCheck(once, CommentaryPane->HitStart - 1, "the unique pattern again");
  EXPECT_EQ(again.offset, first.offset);
  EXPECT_EQ(AppSettings.Lesson, 3999);

  // Nothing anywhere: "Not Found!", and the panes keep what they show.
  const uint16_t hitStart = CommentaryPane->HitStart;
  SearchAndCheck("qqqxqqq", CommentaryPane->HitStart - 1, "a fruitless pattern");
  EXPECT_EQ(CommentaryPane->HitStart, hitStart);

  // From a scroll position in a main text, with both wildcards and the
  // same search again after the hit.
  ActivePane = MainPane;
  ActiveScrollBar = MainScrollBar;
  ASSERT_EQ(GoToRecord(window_, 2001), 0);
  MainPane->FirstRow = 4;
  ASSERT_LT(MainPane->FirstRow, MainPane->MaxFirstRow);
  const int start = FirstVisibleStart();
  const unsigned char* t = Records[2001].data() + start - 30;  // some way down the same line
  const std::string wild = {char(t[0]), '?', char(t[2]), '*', char(t[10]), char(t[11])};
  Place p = SearchAndCheck(wild, start, "wildcards from row 4");
  EXPECT_EQ(p.record, 2001) << "found in the text shown";
  p = SearchAndCheck(wild, CurrentPane()->HitStart - 1, "wildcards again");
  p = SearchAndCheck("b?a", CurrentPane()->HitStart - 1, "a short pattern after the hit");

  // An article that fits the pane, a hit at the lowest text byte of its last
  // paragraph: the hit's line cannot come to the top, and Search Again moves
  // on instead of finding the same hit for ever.
  ActivePane = MainPane;
  ActiveScrollBar = MainScrollBar;
  int fits = 1;
  while (GoToRecord(window_, fits) == 0 && MainPane->MaxFirstRow != 0) fits += 2;
  ASSERT_EQ(MainPane->MaxFirstRow, 0) << "no article fits the pane";
  size_t lastText = 0;
  for (size_t at = 0; Records[fits][at]; at += 3 + std::strlen(reinterpret_cast<const char*>(&Records[fits][at + 2])))
    lastText = at + 2;
  const std::string lowest(reinterpret_cast<const char*>(&Records[fits][lastText]), 3);
  MainPane->HitStart = uint16_t(lastText);  // as the hit there left it
  MainPane->HitEnd = uint16_t(lastText + 3);
  ASSERT_NE(NextReference(fits, int(lastText) - 1, lowest, false).record, fits) << "found elsewhere too";
  SearchAndCheck(lowest, int(lastText) - 1, "the stuck search");

  // A pane at its last page with no hit is searched from its first visible
  // line, not skipped.
  ActivePane = MainPane;
  ActiveScrollBar = MainScrollBar;
  int record = 2003;
  while (GoToRecord(window_, record) == 0 && MainPane->MaxFirstRow == 0) record += 2;
  MainPane->FirstRow = MainPane->MaxFirstRow;
  ASSERT_GT(MainPane->MaxFirstRow, 0);
  const int last = FirstVisibleStart();
  const std::string tail(reinterpret_cast<const char*>(Records[record].data() + last - 3), 4);
  p = SearchAndCheck(tail, last, "the last page");
  EXPECT_EQ(p.record, record);

  // With the Minimal share commentary records are passed over.
  AppSettings.BottomSection = 1;
  SearchAndCheck(UniquePattern(4100), MainPane->HitStart - 1, "Minimal share");
  EXPECT_EQ(AppSettings.Lesson, record) << "the one occurrence is in a commentary";
}

// A hit shown keeps its range through every new layout of its text, so that
// Search Again goes on past it.
TEST_F(Search, AHitShownOutlivesEveryRelayoutOfItsText) {
  const struct { const char* what; std::function<void()> relayout; } rows[] = {
      {"zoom in", [&] { SendMessageW(window_, WM_COMMAND, CMD_ZOOM_IN, 0); }},
      {"a narrower window", [&] { OnSize(window_, MAKELPARAM(520, 600)); }},
      {"another share", [&] { SendMessageW(window_, WM_COMMAND, CMD_SHARE_QUARTER, 0); }},
      {"Choose Font", [&] { AppSettings.FontSettings.FontSize = 16; ApplyFontKeepingPlace(window_); }},
      {"another display scale", [&] {
         RECT r;
         GetWindowRect(window_, &r);
         TellDpiChanged(window_, 144, r);
       }},
  };
  for (const auto& row : rows) {
    ActivePane = MainPane;
    ActiveScrollBar = MainScrollBar;
    ASSERT_EQ(GoToRecord(window_, 2001), 0);
    MainPane->FirstRow = 4;
    const int start = FirstVisibleStart();
    const std::string pattern(reinterpret_cast<const char*>(Records[2001].data() + start - 40), 2);
    SearchAndCheck(pattern, start, row.what);
    PaneView* pane = CurrentPane();
    const uint16_t hitStart = pane->HitStart, hitEnd = pane->HitEnd;
    row.relayout();
    EXPECT_TRUE(pane->HitStart == hitStart && pane->HitEnd == hitEnd) << row.what;
    SearchAndCheck(pattern, hitStart - 1, std::string("Search Again after ") + row.what);
  }
}

// A stored article beyond the corpus: the panes come up empty, and a search
// still ends its pass (a fruitless one with "Not Found!") or finds its hit.
TEST_F(Search, ACurrentArticleBeyondTheCorpusStillEndsItsPass) {
  AppSettings.Lesson = 30001;
  Store("qqqxqqq");
  BoxText.clear();
  EXPECT_EQ(SearchNext(window_), 0);
  EXPECT_EQ(BoxText, L"Orvane: Not Found!");
  Store(UniquePattern(4000));
  EXPECT_EQ(SearchNext(window_), 1);
  EXPECT_EQ(AppSettings.Lesson, 3999);
}

// The search dialog, once open: types Typed and presses Find All.
std::wstring Typed;
void CALLBACK PressFindAll(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"Orvane");
  if (!dialog || !GetDlgItem(dialog, IDC_SEARCH_TEXT)) return;
  KillTimer(nullptr, timer);
  SetDlgItemTextW(dialog, IDC_SEARCH_TEXT, Typed.c_str());
  PostMessageW(dialog, WM_COMMAND, IDC_FIND_ALL, 0);
}

// Posts a message and runs the reader's loop over the queue: accelerators,
// then the results window's dialog keys, then the window itself.
void ThroughLoop(HWND to, UINT message, WPARAM wParam) {
  static HACCEL keys = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(IDA_ACCELERATORS));
  PostMessageW(to, message, wParam, 1);  // pressed once
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (ReaderPreTranslate(&msg, keys)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The share of the part in view that a row's hit (yellow) takes in its
// context cell, drawn into a bitmap; 0 unless it stands inside that part with
// ink on both sides of it.
double HitShowsWithWordsAround(HWND list, int row) {
  RECT client, cell = {LVIR_BOUNDS, 3 /* the context column */};
  GetClientRect(list, &client);
  SendMessageW(list, LVM_GETSUBITEMRECT, row, LPARAM(&cell));
  HDC screen = GetDC(list);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(list, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT | PRF_ERASEBKGND);
  const int left = std::max(cell.left, client.left), right = std::min(cell.right, client.right);
  int low = right, high = left - 1, inkLow = right, inkHigh = left - 1;
  for (int x = left; x < right; ++x) {
    for (int y = cell.top + 1; y < cell.bottom - 1; ++y) {
      const COLORREF c = GetPixel(dc, x, y);
      if (c == RGB(255, 255, 0)) low = std::min(low, x), high = std::max(high, x);
      if (GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128) inkLow = std::min(inkLow, x), inkHigh = x;
    }
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(list, screen);
  const bool shown = high >= low && low > left && high < right - 1 && inkLow < low && inkHigh > high;
  return shown ? (high - low + 1) / double(right - left) : 0;
}

// Find All from the dialog lists every hit of the reference in corpus order;
// keys reach the list through the reader's loop: Enter on a row shows that
// hit (a typed letter that begins no tractate moves nothing), F3 searches
// again from it, Esc closes the window.
TEST_F(Search, FindAllListsEveryHitAndEnterShowsOne) {
  const std::string pattern = "b?mr";
  std::vector<Place> all;
  for (int r = 1; r <= RecordCount; ++r)
    for (Place p = FindReference(r, 0, pattern); p.record; p = FindReference(r, p.offset - p.length, pattern))
      all.push_back(p);
  ASSERT_GT(all.size(), 2u);
  Typed.clear();
  for (char c : pattern) Typed += c >= 'a' && c <= '{' ? wchar_t(AsciiBaseUnicode + c - 'a') : wchar_t(c);
  KillTimer(nullptr, timer_);  // it would answer the dialog with OK
  SetTimer(nullptr, 0, 50, PressFindAll);
  SendMessageW(window_, WM_COMMAND, CMD_SEARCH, 0);
  timer_ = SetTimer(nullptr, 0, 50, AnswerBoxes);
  ASSERT_NE(ResultsWindow, nullptr);
  while (FillResultsSlice()) {
  }
  HWND list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  EXPECT_EQ(GetFocus(), list);
  wchar_t caption[64] = {};
  GetWindowTextW(ResultsWindow, caption, 64);
  EXPECT_EQ(caption, L"Search Results (" + std::to_wstring(all.size()) + L")");
  ASSERT_EQ(size_t(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)), all.size());

  ThroughLoop(list, WM_KEYDOWN, VK_END);
  ThroughLoop(list, WM_KEYDOWN, VK_UP);
  ThroughLoop(list, WM_CHAR, L'9');  // no tractate begins with it: the row stays
  ThroughLoop(list, WM_KEYDOWN, VK_RETURN);
  const Place& row = all[all.size() - 2];
  PaneView* pane = row.record % 2 ? MainPane : CommentaryPane;
  EXPECT_EQ(AppSettings.Lesson, row.record - (row.record % 2 == 0));
  EXPECT_EQ(CurrentPane(), pane);
  EXPECT_EQ(pane->HitStart, row.offset - row.length + 1);
  EXPECT_EQ(GetFocus(), window_) << "the main window has the focus";
  HWND below = ResultsWindow;
  while (below && below != window_) below = GetWindow(below, GW_HWNDNEXT);
  EXPECT_TRUE(IsWindowVisible(ResultsWindow) && below == window_) << "the list stays above the main window";
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), LRESULT(all.size() - 2));
  // F3 from the list is the main window's Search Again.
  SetFocus(list);
  ThroughLoop(list, WM_KEYDOWN, VK_F3);
  PaneView* last = all.back().record % 2 ? MainPane : CommentaryPane;
  EXPECT_EQ(last->HitEnd, all.back().offset + 1) << "Search Again after the row";

  // A fruitless Find All refills the same window with nothing, restored
  // when it was minimised; Esc closes it.
  Store("qqqxqqq");
  HWND same = ResultsWindow;
  ShowWindow(ResultsWindow, SW_MINIMIZE);
  SendMessageW(window_, WM_COMMAND, CMD_FIND_ALL, 0);
  while (FillResultsSlice()) {
  }
  EXPECT_EQ(ResultsWindow, same);
  EXPECT_FALSE(IsIconic(ResultsWindow));
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  ThroughLoop(list, WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(ResultsWindow, nullptr);
}

TEST_F(Search, TheResultsWindowFollowsTheMainWindowUnderModalWindowsAndFontChanges) {
  Store("b?mr");
  SendMessageW(window_, WM_COMMAND, CMD_FIND_ALL, 0);
  while (FillResultsSlice()) {
  }
  ASSERT_NE(ResultsWindow, nullptr);
  HWND list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  // Under a modal dialog of the main window the results window is disabled
  // with it (AnswerBox notes it), and enabled after.
  SendMessageW(window_, WM_COMMAND, CMD_ORGANIZE_BOOKMARKS, 0);
  EXPECT_EQ(ResultsEnabledUnderModal, 0);
  EXPECT_TRUE(IsWindowEnabled(ResultsWindow));

  // Each column's text fits its column.
  for (int row = 0; row < 200 && row < SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); row += 7)
    for (int column = 0; column < 3; ++column) {
      wchar_t text[64] = {};
      LVITEMW item = {0, 0, column, 0, 0, text, 64};
      SendMessageW(list, LVM_GETITEMTEXTW, row, LPARAM(&item));
      EXPECT_LT(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, LPARAM(text)) + 8,
                SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)) << "row " << row << " column " << column;
    }
  // A window narrower than its columns still shows a hit with words on both
  // sides (rows after the first are not selected: their hits are marked);
  // long `*` hits (from one rare letter to the next) show as their two ends.
  RECT r;
  GetWindowRect(ResultsWindow, &r);
  MoveWindow(ResultsWindow, r.left, r.top, ScaleForDpi(450, DpiOfWindow(ResultsWindow)), r.bottom - r.top, TRUE);
  EXPECT_GT(HitShowsWithWordsAround(list, 1), 0);
  int counts[128] = {};
  for (int n = 1; n < 200; ++n)
    for (unsigned char b : Records[n]) counts[b & 127] += b >= 'a' && b <= '{';
  char rare = 'a';
  for (char c = 'a'; c <= '{'; ++c) rare = counts[int(c)] && counts[int(c)] < counts[int(rare)] ? c : rare;
  Store(std::string{rare, '*', rare});
  SendMessageW(window_, WM_COMMAND, CMD_FIND_ALL, 0);
  while (FillResultsSlice()) {
  }
  MoveWindow(ResultsWindow, r.left, r.top, ScaleForDpi(900, DpiOfWindow(ResultsWindow)), r.bottom - r.top, TRUE);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 3, LVSCW_AUTOSIZE_USEHEADER);
  for (int row = 1; row < 8; ++row) {
    const double share = HitShowsWithWordsAround(list, row);
    EXPECT_TRUE(share > 0 && share <= 0.5) << "long hit " << row << ": " << share;
  }

  // Choose Font's new face reaches the list, and the window's life, with its
  // fonts made anew, gives back all it takes.
  DestroyWindow(ResultsWindow);
  const int objects = LiveGdiObjects(), dcs = HeldDcs();
  SendMessageW(window_, WM_COMMAND, CMD_FIND_ALL, 0);
  while (FillResultsSlice()) {
  }
  lstrcpyW(reinterpret_cast<wchar_t*>(AppSettings.FontSettings.FontName), L"DejaVu Serif");
  ApplyFontKeepingPlace(window_);
  UpdateWindow(ResultsWindow);
  LOGFONTW face = {};
  list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  GetObjectW(HFONT(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof face, &face);
  EXPECT_STREQ(face.lfFaceName, L"DejaVu Serif");
  DestroyWindow(ResultsWindow);
  EXPECT_TRUE(LiveGdiObjects() == objects && HeldDcs() == dcs);
}

}  // namespace
