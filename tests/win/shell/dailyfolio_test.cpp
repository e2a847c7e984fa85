// Today's Folio and Daily Folio in process, with the date from a clock of the
// test's own: the jump and its Back, the Go menu's label overnight, the days
// the text lacks, and the dialog driven from a timer inside its own loop.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "dialogs/dialogs.h"
#include "resources/dialogs.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "store/folios.h"
#include "store/letters.h"
#include "store/places.h"
#include "tests/win/common/message_boxes.h"
#include "tests/win/common/reader_setup.h"

namespace {

CivilDate Today;
CivilDate TestClock() { return Today; }

std::function<void(HWND)> Driver;
int DriveTries;

// Runs inside the dialog's own loop once the dialog is shown.
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"Daily Folio");
  if ((!dialog || !IsWindowVisible(dialog)) && ++DriveTries < 100) return;
  KillTimer(nullptr, id);
  ASSERT_NE(dialog, nullptr) << "the dialog is open";
  Driver(dialog);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // finds no dialog after an OK that ended it
}

// OK in the dialog, answering the box it may show (and not the dialog, which
// is activated again once the box closes).
HWND BoxOwner;
HHOOK BoxHook;
std::wstring BoxText;
int Boxes;

LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && GetWindow(box, GW_OWNER) == BoxOwner) {
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's text
    BoxText = text;
    ++Boxes;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(BoxHook, code, wParam, lParam);
}

void PressOk(HWND dialog) {
  BoxOwner = dialog;
  Boxes = 0;
  BoxHook = SetWindowsHookExW(WH_CBT, AnswerBox, nullptr, GetCurrentThreadId());
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  UnhookWindowsHookEx(BoxHook);
}

// The folio as the label and the dialog show it: the page header's name kept
// right to left.
std::wstring Embedded(int32_t record) {
  DisplayChar name[MaxBookmarkNameUnits + 1];
  PlaceName(record, name);
  return std::wstring(1, RightToLeftEmbedding) + name + std::wstring(1, PopDirectionalFormatting);
}

std::wstring FolioLine(HWND dialog) {
  wchar_t text[128] = {};
  GetDlgItemTextW(dialog, IDC_DAILY_FOLIO, text, 128);
  return text;
}

class DailyFolioCommands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(OpenBuiltProgram()); }

  void SetUp() override {
    UsePlainSettings();
    LocalDate = TestClock;
    window_ = CreateMainWindow();
    ASSERT_NE(window_, nullptr);
    History = PlaceHistory{};
  }

  void TearDown() override {
    StopAnsweringMessageBoxes();
    LocalDate = saved_;
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  void Command(int id) { SendMessageW(window_, WM_COMMAND, id, 0); }

  // The label as the menu shows it once the Go menu opens.
  std::wstring Label() {
    HMENU bar = GetMenu(window_);
    SendMessageW(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, 1)), 1);
    wchar_t text[128] = {};
    GetMenuStringW(bar, CMD_TODAYS_FOLIO, text, 128, MF_BYCOMMAND);
    return text;
  }

  void WithDialog(std::function<void(HWND)> drive) {
    Driver = std::move(drive);
    DriveTries = 0;
    SetTimer(nullptr, 0, 50, DriveDialog);
    Command(CMD_DAILY_FOLIO);
  }

  HWND window_ = nullptr;
  CivilDate (*saved_)() = LocalDate;
};

TEST_F(DailyFolioCommands, TodaysFolioJumpsThereAndItsLabelFollowsTheDate) {
  // 16 March 2027: folio 26 of tractate 36, the side after 25b (article 5191).
  const int32_t folio26 = RecordOfArticle(5192);
  Today = {2027, 3, 16};
  EXPECT_EQ(Label(), L"&Today's Folio: " + Embedded(folio26) + L"\bCtrl+T");
  Command(CMD_TODAYS_FOLIO);
  EXPECT_EQ(AppSettings.Lesson, folio26);
  // Left open overnight, the menu shows the new day's folio.
  Today = {2027, 3, 17};
  EXPECT_EQ(Label(), L"&Today's Folio: " + Embedded(RecordOfArticle(5194)) + L"\bCtrl+T");
  Command(CMD_BACK);
  EXPECT_EQ(AppSettings.Lesson, 1) << "a jump that Back undoes";

  // A day the text lacks: the label says so; the command names the next day
  // it holds, and changes nothing.
  Today = {2027, 3, 13};
  EXPECT_EQ(Label(), L"&Today's Folio: not in this text\bCtrl+T");
  AnswerMessageBoxes();
  Command(CMD_TODAYS_FOLIO);
  EXPECT_EQ(LastMessageBox().count, 1);
  EXPECT_EQ(LastMessageBox().caption, L"Orvane");
  EXPECT_EQ(LastMessageBox().owner, window_);
  EXPECT_EQ(LastMessageBox().text,
            L"The folio of Saturday, 13 March 2027 is not in this text.\n\nThe first day after it whose folio the "
            L"text holds is Tuesday, 16 March 2027.");
  EXPECT_EQ(AppSettings.Lesson, 1);
  EXPECT_EQ(History.BackCount, 0);
}

TEST_F(DailyFolioCommands, TheDialogOpensOnTodayAndGoesToTheChosenDaysFolio) {
  Today = {2021, 2, 23};  // folio 94 of tractate 4
  WithDialog([](HWND d) {
    HWND picker = GetDlgItem(d, IDC_DAILY_DATE);
    EXPECT_EQ(GetFocus(), picker);
    SYSTEMTIME t = {}, range[2] = {};
    EXPECT_EQ(DateTime_GetSystemtime(picker, &t), GDT_VALID);
    EXPECT_EQ(t.wYear * 10000 + t.wMonth * 100 + t.wDay, 20210223);
    EXPECT_EQ(DateTime_GetRange(picker, range) & GDTR_MIN, static_cast<DWORD>(GDTR_MIN));
    EXPECT_EQ(range[0].wYear * 10000 + range[0].wMonth * 100 + range[0].wDay, 19750624);
    EXPECT_EQ(FolioLine(d), Embedded(DailyFolioOn(Today).Record));
    // As a user types: Right selects the month, Up steps it to 23 March, the
    // first of the 21 days the text lacks, then to 23 April, folio 12 of
    // tractate 6, and Down back.
    SendMessageW(picker, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(picker, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(FolioLine(d), L"not in this text");
    SendMessageW(picker, WM_KEYDOWN, VK_UP, 0);
    EXPECT_NE(FolioLine(d).find(L"\u05d9\u05d1"), std::wstring::npos) << "the numeral 12";
    SendMessageW(picker, WM_KEYDOWN, VK_DOWN, 0);
    PressOk(d);
    EXPECT_EQ(Boxes, 1);
    EXPECT_NE(BoxText.find(L"is Tuesday, 13 April 2021."), std::wstring::npos) << "the day after: " << BoxText;
    EXPECT_TRUE(IsWindowVisible(d)) << "the dialog stays for another date";
    SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(AppSettings.Lesson, 1) << "Cancel goes nowhere";

  // OK on today's date goes there, as a jump that Back undoes.
  Today = {2021, 4, 23};
  WithDialog([](HWND d) {
    PressOk(d);
    EXPECT_EQ(Boxes, 0);
  });
  EXPECT_EQ(AppSettings.Lesson, DailyFolioOn(Today).Record);
  ASSERT_EQ(History.BackCount, 1);
  EXPECT_EQ(History.Back[0].Lesson, 1);
}

}  // namespace
