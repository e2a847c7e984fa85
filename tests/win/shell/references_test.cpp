// References from outside the panes and the commentary's citations, in
// process: the command line's arguments, a reference handed over by a
// second start, and a citation pointed at, clicked and dragged from; and the
// comments' links after a search hit in another article.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "layout/draw.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "shell/reference_input.h"
#include "shell/search.h"
#include "shell/splitview.h"
#include "store/folios.h"
#include "store/links.h"
#include "store/records.h"
#include "store/references.h"
#include "store/selection.h"
#include "tests/win/common/message_boxes.h"
#include "tests/win/common/reader_setup.h"

namespace {

// The system's rules: blanks split, quotes group (and are dropped), \" is a
// quote, other backslashes stay, "" adds nothing, and the program's name
// (quoted, with spaces) is not an argument.
TEST(CommandLine, ArgumentsJoinedBySpaces) {
  const struct { const wchar_t* line; const wchar_t* joined; } rows[] = {
      {L"orvane.exe", L""}, {L"\"C:\\Program Files\\orvane.exe\"", L""}, {L"orvane.exe\tx", L"x"},
      {L"\"C:\\Program Files\\orvane.exe\" \"orvane:%D7%9B%3A\"", L"orvane:%D7%9B%3A"},
      {L"orvane.exe  \u05E9\u05D1\u05EA\t \u05DB:  ", L"\u05E9\u05D1\u05EA \u05DB:"},
      {L"orvane.exe \u05D1\"\u05E7 \u05DB\u05D6.", L"\u05D1\u05E7 \u05DB\u05D6."},
      {L"orvane.exe \u05D1\\\"\u05E7", L"\u05D1\"\u05E7"}, {L"orvane.exe a\\\\\"b c\" d\\e", L"a\\b c d\\e"},
      {L"orvane.exe \"\" x \"\"", L"x"}, {L"orvane.exe \"a \"\"b\"\" c\"", L"a \"b\" c"}};
  for (const auto& row : rows) {
    wchar_t* joined = JoinedArguments(row.line);
    EXPECT_STREQ(joined, row.joined) << row.line;
    std::free(joined);
  }
}

class References : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenBuiltProgram()); }
  void SetUp() override {
    UsePlainSettings();
    History = PlaceHistory{};
    window_ = CreateMainWindow();
    ASSERT_NE(window_, nullptr);
    OnSize(window_, MAKELPARAM(800, 600));
    AnswerMessageBoxes();
  }
  void TearDown() override {
    StopAnsweringMessageBoxes();
    if (IsWindow(window_)) DestroyWindow(window_);
    Pump();
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  HWND window_ = nullptr;
};

// The record of a tractate's side, counted from the tractate table.
int32_t RecordOf(int32_t tractate, int32_t folio, int32_t side) {
  int32_t article = 1;
  for (int32_t t = 0; t < tractate; ++t) article += TractateTable[t].SideCount;
  return 2 * (article + 2 * folio + side - (TractateTable[tractate].FirstSideOffset + 2)) - 1;
}

TEST_F(References, HandedOverReferenceGoneToOnceTheSenderIsAnswered) {
  const wchar_t lone[] = {L'\u05DB', 0xD800, L':', 0};
  constexpr ULONG_PTR ours = HandedOverReference;
  const struct {
    ULONG_PTR marker;
    std::wstring text;
    int oddByte;     // 1: one byte more than the text's
    bool busy;       // a modal dialog has the window disabled
    LRESULT taken;
    int32_t lesson;  // 1: stays where it was
    int boxes;
  } rows[] = {{ours, L"\u05DB:", 0, false, TRUE, RecordOf(0, 20, 1), 0},
              {ours, L"ORVANE://%D7%9B%D7%90%3A/", 0, false, TRUE, RecordOf(0, 21, 1), 0},
              {7, L"\u05DB:", 0, false, FALSE, 1, 0}, {ours, L"\u05DB:", 1, false, FALSE, 1, 0},
              {ours, L"\u05DB:", 0, true, TRUE, 1, 0}, {ours, L"(\u05E9\u05DE\u05D5\u05EA \u05DC\u05D3)", 0, false, TRUE, 1, 1},
              {ours, L"orvane:%D7%9", 0, false, TRUE, 1, 1}, {ours, L"orvane:%D7%D7", 0, false, TRUE, 1, 1},
              {ours, std::wstring(10000, L'\u05D0'), 0, false, TRUE, 1, 1}, {ours, lone, 0, false, TRUE, 1, 1},
              {ours, L"", 0, false, TRUE, 1, 1}};
  for (const auto& row : rows) {
    const std::string what(row.text.begin(), row.text.begin() + (row.text.size() < 30 ? row.text.size() : 30));
    GoToRecord(window_, 1);
    History = PlaceHistory{};
    AnswerMessageBoxes();
    COPYDATASTRUCT data{row.marker, static_cast<DWORD>(row.text.size() * sizeof(wchar_t) + row.oddByte),
                        const_cast<wchar_t*>(row.text.c_str())};
    EnableWindow(window_, !row.busy);
    EXPECT_EQ(SendMessageW(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), row.taken) << what;
    EXPECT_EQ(AppSettings.Lesson, 1) << what << ": nothing happens before the sender is answered";
    Pump();
    EnableWindow(window_, TRUE);
    EXPECT_EQ(AppSettings.Lesson, row.lesson) << what;
    EXPECT_EQ(History.BackCount, row.lesson != 1 ? 1 : 0) << what << ": a jump that Back undoes";
    EXPECT_EQ(LastMessageBox().count, row.boxes) << what;
  }
}

// A point of the commentary pane over a character inside (lo, hi), and not
// in the main pane's margin (which a click takes first).
bool PointOn(int32_t lo, int32_t hi, POINT* at) {
  const PaneView& p = *CommentaryPane;
  for (int y = p.AreaTop; y < p.AreaTop + p.AreaHeight; y += 3)
    for (int x = p.AreaLeft; x < p.AreaLeft + p.AreaWidth; x += 3) {
      const int32_t c = PaneCharAt(CommentaryPane, x, y);
      if (c > lo && c < hi && !PointInPane(MainPane, x, y)) return *at = POINT{x, y}, true;
    }
  return false;
}

TEST_F(References, CitationPointedAtClickedAndDraggedFrom) {
  // The first commentary that cites another page.
  int32_t record = 1;
  Citation citation{};
  for (; record < RecordCount; record += 2) {
    unsigned char* text = LoadTextRecord(record + 1, nullptr);
    const bool found = text && FindRecordCitations(text, ArticleOfRecord(record), &citation, 1) > 0 &&
                       RecordOfArticle(citation.Article) != record;
    std::free(text);
    if (found) break;
  }
  ASSERT_LT(record, RecordCount) << "the generated commentary cites pages";
  GoToRecord(window_, record);
  CommentaryPane->FirstRow = static_cast<uint16_t>(RowOfLine(CommentaryPane, LineIndexOf(CommentaryPane, citation.Start)));
  RepaintPanes(window_, 0x3FF);
  POINT at{};
  ASSERT_TRUE(PointOn(citation.Start, citation.End - 1, &at));
  const LPARAM point = MAKELPARAM(at.x, at.y), aside = MAKELPARAM(at.x - 40, at.y);
  SendMessageW(window_, WM_MOUSEMOVE, 0, point);
  EXPECT_EQ(CommentaryPane->CitationShown.Start, citation.Start) << "pointed at: shown";
  EXPECT_EQ(CommentaryPane->CitationShown.End, citation.End);
  POINT screen = at;
  ClientToScreen(window_, &screen);
  SetCursorPos(screen.x, screen.y);
  EXPECT_TRUE(SendMessageW(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(window_), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND)) << "the hand";
  SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(CommentaryPane->AreaLeft + 1, CommentaryPane->AreaTop + CommentaryPane->AreaHeight - 1));
  EXPECT_EQ(CommentaryPane->CitationShown.End, 0) << "off it: not shown";

  // Dragged from: a selection, and no jump. Clicked: the cited page, as a
  // jump, with no paging before it.
  const uint16_t top = CommentaryPane->FirstRow;
  SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, aside);
  SendMessageW(window_, WM_LBUTTONUP, 0, aside);
  EXPECT_EQ(AppSettings.Lesson, record) << "a drag does not follow it";
  EXPECT_TRUE(HasSelection(CommentaryPane->Selection)) << "a drag selects";
  SendMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
  History = PlaceHistory{};
  SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, point);
  EXPECT_EQ(CommentaryPane->FirstRow, top);
  SendMessageW(window_, WM_LBUTTONUP, 0, point);
  EXPECT_EQ(AppSettings.Lesson, RecordOfArticle(citation.Article)) << "a click goes to the page cited";
  SendMessageW(window_, WM_COMMAND, CMD_BACK, 0);
  EXPECT_EQ(AppSettings.Lesson, record) << "Back returns";
  EXPECT_EQ(CommentaryPane->FirstRow, top);
}

// A search hit in another article, in its main text or its commentary: the
// tint under the pointer is that of the links of the article shown, as
// linking its two texts (and the side before) afresh gives them.
TEST_F(References, LinksFollowASearchHitIntoAnotherArticle) {
  for (const int32_t record : {201, 202}) {
    GoToRecord(window_, 1);
    unsigned char* text = LoadTextRecord(record, nullptr);  // the hit: its second paragraph's first letters
    ASSERT_NE(text, nullptr);
    const auto at = static_cast<uint16_t>(2 + std::strlen(reinterpret_cast<char*>(text + 2)) + 1 + 2);
    std::free(text);
    ASSERT_EQ(ShowSearchHit(SearchHit{record, at, 3}), 1);
    unsigned char* previous = LoadTextRecord(199, nullptr);  // the same tractate's side before
    CommentLink links[256];
    const int32_t count = LinkComments(MainPane->Text, previous, CommentaryPane->Text, links, 256);
    std::free(previous);
    int32_t i = 0;
    POINT point{};
    while (i < count && i < 256 && (links[i].Side != LinkThisSide || !PointOn(links[i].CommentStart - 1, links[i].CommentEnd, &point))) ++i;
    ASSERT_LT(i, count) << record << ": a linked comment in view";
    SendMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    ASSERT_TRUE(CommentaryPane->TintCount >= 1 && MainPane->TintCount >= 1) << record;
    EXPECT_EQ(CommentaryPane->Tints[0].Start, links[i].CommentStart) << record;
    EXPECT_EQ(MainPane->Tints[0].Start, links[i].QuoteStart) << record << ": the words of this article";
    EXPECT_EQ(MainPane->Tints[0].End, links[i].QuoteEnd) << record;
    SendMessageW(window_, WM_MOUSELEAVE, 0, 0);
  }
}

}  // namespace
