// The modal dialogs in process under Wine, each driven through its messages
// from a thread timer that fires inside the dialog's own message loop; the
// update and site addresses reach a stand-in browser; the first-run probe of
// the system's text reordering.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "dialogs/dialogs.h"
#include "output/bookmarks.h"
#include "resources/dialogs.h"
#include "resources/resource.h"
#include "shell/reverseprobe.h"
#include "store/folios.h"
#include "store/letters.h"
#include "store/product.h"
#include "store/records.h"
#include "store/tractates.h"
#include "tests/win/common/gdi_tracking.h"
#include "tests/win/common/message_boxes.h"

namespace {

std::string BrowserScript;  // unix path of the stand-in browser (argument 1)

std::function<void(HWND)> Driver;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[16];
  if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && lstrcmpW(name, L"#32770") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

int DriveTries;

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  // A modal dialog is shown only once its loop first runs out of messages:
  // on a busy machine the timer can come first. Look again a little later.
  if (!dialog && ++DriveTries < 100) return;
  KillTimer(nullptr, id);
  EXPECT_NE(dialog, nullptr) << "the dialog is open";
  if (!dialog) return;
  Driver(dialog);
  // Whatever the driver did, the dialog ends; after an ending the driver
  // caused, this message finds no dialog.
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Runs open() (which shows a modal dialog) while drive() acts on the dialog.
template <typename Open>
auto WithDialog(std::function<void(HWND)> drive, Open open) {
  Driver = std::move(drive);
  DriveTries = 0;
  SetTimer(nullptr, 0, 50, DriveDialog);
  return open();
}

std::wstring ItemText(HWND list, int index) {
  wchar_t text[64] = {};
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

int Selected(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCURSEL, 0, 0)); }
int Items(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCOUNT, 0, 0)); }

// A user's click on a list item: the selection, then its notification.
void Pick(HWND dialog, int id, int index) {
  SendDlgItemMessageW(dialog, id, LB_SETCURSEL, index, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring Display(const DisplayChar* letterCode, bool reversed) {
  DisplayChar buffer[32];
  MapLetters16(buffer, letterCode);
  std::wstring s(buffer);
  if (reversed) ReverseMirror(s.data(), static_cast<int32_t>(s.size()));
  return s;
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings = {};
    lstrcpyW(AppSettings.FontSettings.FontName, L"DejaVu Sans");
    AppSettings.FontSettings.FontSize = 12;
    AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
    AppSettings.Flags = DefaultFlags;
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    objects_ = LiveGdiObjects();
    dcs_ = HeldDcs();
  }
  void TearDown() override {
    EXPECT_EQ(LiveGdiObjects(), objects_) << "a font was left behind";
    EXPECT_EQ(HeldDcs(), dcs_) << "a device context was not released";
    DestroyWindow(owner_);
  }
  HWND owner_ = nullptr;
  int objects_ = 0, dcs_ = 0;
};

TEST_F(Dialogs, ChooseDafOffersThePagesThatExistAndReturnsTheChosenRecord) {
  const int32_t chosen = WithDialog(
      [](HWND d) {
        // Opened on the last article, 73a of tractate 38.
        EXPECT_EQ(Selected(d, IDC_DAF_TRACTATES), 37);
        EXPECT_EQ(Items(d, IDC_DAF_HUNDREDS), 0);
        EXPECT_EQ(Selected(d, IDC_DAF_TENS), 7);
        EXPECT_EQ(Selected(d, IDC_DAF_UNITS), 3);
        EXPECT_EQ(Items(d, IDC_DAF_SIDE), 1) << "73b does not exist";
        EXPECT_EQ(ItemText(GetDlgItem(d, IDC_DAF_TENS), 7), std::wstring(1, static_cast<wchar_t>(1488 + 's' - 'a')));
        EXPECT_EQ(ItemText(GetDlgItem(d, IDC_DAF_SIDE), 0), Display((L"a" + std::wstring(SIDE_SUFFIX)).c_str(), false));

        // Tractate 36 begins at 25b: its folio 3 lies before it, and OK stays
        // disabled, so that OK (as Enter) leaves the dialog open.
        Pick(d, IDC_DAF_TRACTATES, 35);
        EXPECT_EQ(Items(d, IDC_DAF_TENS), 4) << "tens up to 30";
        EXPECT_EQ(Selected(d, IDC_DAF_TENS), -1) << "70 is gone";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK)));
        SendMessageW(d, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(d));
        Pick(d, IDC_DAF_TENS, 2);
        Pick(d, IDC_DAF_UNITS, 5);
        Pick(d, IDC_DAF_SIDE, 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDOK))) << "25a";
        Pick(d, IDC_DAF_SIDE, 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDOK))) << "25b";
        SendMessageW(d, WM_COMMAND, IDOK, 0);
      },
      [&] { return ChooseDaf(GetModuleHandleW(nullptr), owner_, 10715); });
  EXPECT_EQ(chosen, 2 * 5191 - 1);

  // Cancel returns 0; under Reverse the items go in reading order between
  // right-to-left embedding marks.
  AppSettings.Flags |= Reverse;
  const int32_t cancelled = WithDialog(
      [](HWND d) {
        EXPECT_EQ(Selected(d, IDC_DAF_TRACTATES), 0);
        EXPECT_EQ(Selected(d, IDC_DAF_UNITS), 2);
        EXPECT_EQ(ItemText(GetDlgItem(d, IDC_DAF_TRACTATES), 0),
                  L'\u202B' + Display(TractateTable[0].Name, true) + L'\u202C');
        EXPECT_EQ(ItemText(GetDlgItem(d, IDC_DAF_SIDE), 1),
                  L'\u202B' + Display((L"b" + std::wstring(SIDE_SUFFIX)).c_str(), true) + L'\u202C');
        EXPECT_EQ(ItemText(GetDlgItem(d, IDC_DAF_UNITS), 2), L"\u202B\u05D1\u202C");
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
      },
      [&] { return ChooseDaf(GetModuleHandleW(nullptr), owner_, 1); });
  EXPECT_EQ(cancelled, 0);
}

std::wstring PreviewText(HWND d) {
  wchar_t text[64] = {};
  GetDlgItemTextW(d, IDC_FONT_PREVIEW, text, 64);
  return text;
}

std::wstring Letters(int base) {
  std::wstring s;
  for (int i = 26; i >= 0; --i) s += static_cast<wchar_t>(base + i);
  return s;
}

std::wstring SelectedItem(HWND d, int id) {
  const int i = Selected(d, id);
  return i < 0 ? L"" : ItemText(GetDlgItem(d, id), i);
}

TEST_F(Dialogs, ChooseFontSwitchesToUnicodeForHebrewFacesAndKeepsOddStoredValues) {
  FontSettings settings = AppSettings.FontSettings;
  settings.FontSize = 2;
  settings.FontAsciiBase = AsciiBaseCodePage;
  INT_PTR result = WithDialog(
      [](HWND d) {
        EXPECT_EQ(SelectedItem(d, IDC_FONT_FACES), L"DejaVu Sans");
        EXPECT_EQ(SelectedItem(d, IDC_FONT_SIZES), L"20") << "a stored 2 selects 20 by prefix";
        int dejaVu = 0;
        HWND faces = GetDlgItem(d, IDC_FONT_FACES);
        for (int i = 0, n = static_cast<int>(SendMessageW(faces, LB_GETCOUNT, 0, 0)); i < n; ++i)
          dejaVu += ItemText(faces, i) == L"DejaVu Sans";
        EXPECT_EQ(dejaVu, 1) << "a face enumerated for two character sets is listed once";
        EXPECT_TRUE(IsDlgButtonChecked(d, IDC_FONT_BASE_224));
        EXPECT_EQ(PreviewText(d), Letters(224));

        const int david = static_cast<int>(
            SendDlgItemMessageW(d, IDC_FONT_FACES, LB_FINDSTRINGEXACT, -1, (LPARAM)L"David CLM"));
        ASSERT_GE(david, 0) << "culmus provides a Hebrew-only face";
        Pick(d, IDC_FONT_FACES, david);
        EXPECT_FALSE(IsDlgButtonChecked(d, IDC_FONT_BASE_224));
        EXPECT_TRUE(IsDlgButtonChecked(d, IDC_FONT_BASE_5D0));
        EXPECT_EQ(PreviewText(d), Letters(1488));
        HFONT preview = reinterpret_cast<HFONT>(SendDlgItemMessageW(d, IDC_FONT_PREVIEW, WM_GETFONT, 0, 0));
        LOGFONTW lf = {};
        ASSERT_TRUE(preview && GetObjectW(preview, sizeof lf, &lf));
        EXPECT_STREQ(lf.lfFaceName, L"David CLM");
        EXPECT_EQ(lf.lfHeight, 20) << "the size number is the height";

        // Back to a face that is not Hebrew-only: the mapping stays.
        Pick(d, IDC_FONT_FACES,
             static_cast<int>(SendDlgItemMessageW(d, IDC_FONT_FACES, LB_FINDSTRINGEXACT, -1, (LPARAM)L"DejaVu Sans")));
        EXPECT_TRUE(IsDlgButtonChecked(d, IDC_FONT_BASE_5D0));
        SendDlgItemMessageW(d, IDC_FONT_BASE_5D0, BM_CLICK, 0, 0);
        SendDlgItemMessageW(d, IDC_FONT_BASE_224, BM_CLICK, 0, 0);
        EXPECT_EQ(PreviewText(d), Letters(224));
        SendMessageW(d, WM_COMMAND, IDOK, 0);
      },
      [&] { return FontDialog(nullptr, &settings); });
  EXPECT_EQ(result, 1);
  EXPECT_STREQ(settings.FontName, L"DejaVu Sans");
  EXPECT_EQ(settings.FontSize, 20);
  EXPECT_EQ(settings.FontAsciiBase, AsciiBaseCodePage);

  // A stored 13 selects no size and a stored 97 no button: OK keeps both.
  settings.FontSize = 13;
  settings.FontAsciiBase = AsciiBaseLatin;
  result = WithDialog(
      [](HWND d) {
        EXPECT_EQ(Selected(d, IDC_FONT_SIZES), -1);
        EXPECT_FALSE(IsDlgButtonChecked(d, IDC_FONT_BASE_224));
        EXPECT_FALSE(IsDlgButtonChecked(d, IDC_FONT_BASE_5D0));
        EXPECT_EQ(PreviewText(d), Letters(97));
        SendMessageW(d, WM_COMMAND, IDOK, 0);
      },
      [&] { return FontDialog(owner_, &settings); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(settings.FontSize, 13);
  EXPECT_EQ(settings.FontAsciiBase, AsciiBaseLatin);

  // Cancel after a change writes nothing and gives the preview font back.
  const FontSettings before = settings;
  result = WithDialog(
      [](HWND d) {
        Pick(d, IDC_FONT_SIZES, 5);
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
      },
      [&] { return FontDialog(owner_, &settings); });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(settings.FontSize, before.FontSize);
  EXPECT_STREQ(settings.FontName, before.FontName);
}

std::wstring WinePath(const std::string& unix) {
  std::wstring out = L"Z:";
  for (char c : unix) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return out;
}

// The addresses the stand-in browser was started with so far, one a line;
// waits until count of them have arrived (winebrowser runs apart from us).
std::string BrowserAddresses(size_t count) {
  const std::wstring log = WinePath(BrowserScript + ".log");
  std::string text;
  for (int i = 0; i < 200; ++i) {
    text.clear();
    if (FILE* f = _wfopen(log.c_str(), L"rb")) {
      char buffer[512];
      size_t n;
      while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
      fclose(f);
    }
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    if (lines >= count) break;
    Sleep(50);
  }
  return text;
}

// Organize Bookmarks: a click on a row shows its name and leaves the list
// scrolled where it was; Rename, Move Up, Move Down and Delete change the
// list and store it at once; a save that fails is told.
TEST_F(Dialogs, OrganizeBookmarksEditsStoresAndTellsAFailedSave) {
  const wchar_t* const settings = L"Software\\Quillary\\Orvane";
  RegDeleteTreeW(HKEY_CURRENT_USER, settings);
  static BookmarkList list, stored;
  list.Count = 40;
  for (int i = 0; i < list.Count; ++i) {
    list.Items[i] = Bookmark{};
    list.Items[i].At.Lesson = 2 * i + 1;
    swprintf(list.Items[i].Name, MaxBookmarkNameUnits + 1, L"n%d", i);
  }
  auto names = [](const BookmarkList& l, int from, int to) {
    std::wstring all;
    for (int i = from; i < to && i < l.Count; ++i) all += std::wstring(l.Items[i].Name) + L" ";
    return all;
  };
  WithDialog(
      [&](HWND d) {
        HWND box = GetDlgItem(d, IDC_BOOKMARK_LIST);
        SendMessageW(box, LB_SETTOPINDEX, 20, 0);
        Pick(d, IDC_BOOKMARK_LIST, 25);
        wchar_t name[64] = {};
        GetDlgItemTextW(d, IDC_BOOKMARK_NAME, name, 64);
        EXPECT_STREQ(name, L"n25");
        SetDlgItemTextW(d, IDC_BOOKMARK_NAME, L"renamed");
        for (const int command : {IDC_BOOKMARK_RENAME, IDC_BOOKMARK_UP, IDC_BOOKMARK_UP, IDC_BOOKMARK_DOWN})
          SendMessageW(d, WM_COMMAND, command, 0);
        Pick(d, IDC_BOOKMARK_LIST, 22);
        SendMessageW(d, WM_COMMAND, IDC_BOOKMARK_DELETE, 0);
        EXPECT_EQ(names(list, 21, 26), L"n21 n23 renamed n24 n26 ");
        EXPECT_EQ(ItemText(box, 23), L"renamed");
        EXPECT_EQ(Selected(d, IDC_BOOKMARK_LIST), 22);
        EXPECT_EQ(SendMessageW(box, LB_GETTOPINDEX, 0, 0), 20) << "the clicks and changes leave the list there";
        LoadBookmarks(&stored, RecordCount);
        EXPECT_EQ(names(stored, 0, 40), names(list, 0, 40)) << "stored at once";
        // A settings key that cannot hold a lasting subkey: the save fails.
        HKEY key = nullptr;
        RegDeleteTreeW(HKEY_CURRENT_USER, settings);
        RegCreateKeyExW(HKEY_CURRENT_USER, settings, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        RegCloseKey(key);
        AnswerMessageBoxes();
        SendMessageW(d, WM_COMMAND, IDC_BOOKMARK_DELETE, 0);
        StopAnsweringMessageBoxes();
        EXPECT_NE(LastMessageBox().text.find(L"could not be saved"), std::wstring::npos) << "told";
        EXPECT_EQ(list.Count, 38) << "kept for the session";
      },
      [&] { return OrganizeBookmarks(owner_, &list); });
  RegDeleteTreeW(HKEY_CURRENT_USER, settings);
}

TEST_F(Dialogs, AboutLinkAndUpdateCheckHandTheirAddressesToTheBrowser) {
  const auto& args = ::testing::internal::GetArgvs();
  ASSERT_GE(args.size(), 2u) << "pass the stand-in browser script";
  BrowserScript = args[1];
  DeleteFileW(WinePath(BrowserScript + ".log").c_str());
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring script(BrowserScript.begin(), BrowserScript.end());
  RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                 static_cast<DWORD>((script.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  const INT_PTR result = WithDialog(
      [](HWND d) {
        HWND link = GetDlgItem(d, IDC_ABOUT_LINK);
        LOGFONTW lf = {};
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0));
        ASSERT_TRUE(font && GetObjectW(font, sizeof lf, &lf));
        EXPECT_TRUE(lf.lfUnderline);
        EXPECT_EQ(lf.lfWeight, 800);
        // The notice fits its static whole, wrapped as the static wraps it.
        HWND notice = GetDlgItem(d, IDC_ABOUT_NOTICE);
        RECT room{}, need{};
        GetClientRect(notice, &room);
        need.right = room.right;
        HDC dc = GetDC(notice);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(notice, WM_GETFONT, 0, 0)));
        wchar_t text[64] = {};
        DrawTextW(dc, text, GetWindowTextW(notice, text, 64), &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ReleaseDC(notice, (SelectObject(dc, old), dc));
        EXPECT_LE(need.bottom, room.bottom) << "the notice's last line is cut";

        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, 0)));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
        // A double click: the second click opens nothing more.
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, BN_CLICKED), reinterpret_cast<LPARAM>(link));
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(link));
        SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
      },
      [&] { return AboutBox(owner_); });
  EXPECT_EQ(result, IDCANCEL);
  // The shell hands on the site address in its canonical form.
  EXPECT_EQ(BrowserAddresses(1), std::string("http://www.quillary.example/\n"));

  AnswerMessageBoxes();
  CheckForUpdates(owner_);
  EXPECT_EQ(BrowserAddresses(2), std::string("http://www.quillary.example/\n"
                                             "http://www.quillary.example/cgi-bin/upgrade?p=windows/Quillary/Orvane&v=1.84a\n"));
  EXPECT_EQ(LastMessageBox().count, 0);
  // An address that no program takes: the shell shows nothing, so the box says so.
  OpenUrl(owner_, L"orvane-no-such-scheme:page");
  StopAnsweringMessageBoxes();
  EXPECT_EQ(LastMessageBox().count, 1);
  EXPECT_NE(LastMessageBox().text.find(L"could not be opened"), std::wstring::npos) << LastMessageBox().text;
}

// A system whose text output keeps memory order: the run is handed over
// already reversed, so that the platform's own reordering undoes it.
int WINAPI OrderKeepingTextOut(HDC dc, LPCWSTR text, int n, LPRECT r, UINT format) {
  std::wstring visual(text, n);
  std::reverse(visual.begin(), visual.end());
  return DrawTextW(dc, visual.c_str(), n, r, format);
}

// The main-text record of a tractate's side (2 x folio + side), counted from
// the tractate table; a side code of 0 is the tractate's first side.
int32_t RecordOfSide(int32_t tractate, int32_t sideCode) {
  int32_t article = 1;
  for (int32_t t = 0; t < tractate; ++t) article += TractateTable[t].SideCount;
  return 2 * (article + (sideCode ? sideCode - TractateTable[tractate].FirstSideOffset - 2 : 0)) - 1;
}

// Keys typed into Go To (as WM_CHAR, through the search edit's letter
// input) in every mapping and order, the line under the edit (the page's
// name, or the start of why not), the candidates of an ambiguous name, and
// what Enter returns. The first tractate and the 32nd begin with נדגל.
TEST_F(Dialogs, GoToReadsWhatIsTypedAndReturnsThePageChosen) {
  const std::wstring both(L"\u05E0\u05D3\u05D2\u05DC");
  const int32_t unicode = AsciiBaseUnicode;
  const struct {
    int32_t base;
    bool reverse;
    std::wstring keys;
    int downs;
    int32_t record;       // 0: Enter takes nothing, the dialog is cancelled
    const wchar_t* line;  // null: the page's name
  } rows[] = {{unicode, false, L"\u05DB:", 0, RecordOfSide(0, 41), nullptr},
              {unicode, true, L"\u05DB:", 0, RecordOfSide(0, 41), nullptr},
              {unicode, false, L"f/", 0, RecordOfSide(0, 40), nullptr},  // Latin keys: כ.
              {AsciiBaseLatin, false, L"f/", 0, RecordOfSide(0, 40), nullptr},
              {AsciiBaseCodePage, false, L"f/", 0, RecordOfSide(0, 40), nullptr},
              {unicode, true, both + L"\u05E2 \u05D4 \u05E2\u05DE\u05D5\u05D3 \u05D1", 0, RecordOfSide(31, 11), nullptr},
              {unicode, true, both, 0, 1, L""}, {unicode, true, both, 1, RecordOfSide(31, 0), L""},
              {unicode, true, both, 5, RecordOfSide(31, 0), L""},
              {unicode, true, L"\u05E7\u05E6\u05D8:", 0, 0, L"No such page"},
              {unicode, true, L"\u05E9\u05DE\u05D5\u05EA \u05DC\u05D3", 0, 0, L"No tractate"},
              {unicode, true, L"", 0, 0, L"Type"}};
  for (const auto& row : rows) {
    const std::string what(row.keys.begin(), row.keys.end());
    AppSettings.FontSettings.FontAsciiBase = row.base;
    AppSettings.Flags = row.reverse ? DefaultFlags | Reverse : DefaultFlags;
    wchar_t line[ReferenceLineUnits] = {};
    int candidates = 0;
    const int32_t record = WithDialog(
        [&](HWND dialog) {
          HWND edit = GetDlgItem(dialog, IDC_GO_TO_TEXT);
          for (wchar_t c : row.keys) SendMessageW(edit, WM_CHAR, c, 0);
          if (IsWindowVisible(GetDlgItem(dialog, IDC_GO_TO_LIST))) candidates = Items(dialog, IDC_GO_TO_LIST);
          else GetDlgItemTextW(dialog, IDC_GO_TO_STATUS, line, ReferenceLineUnits);
          for (int i = 0; i < row.downs; ++i) SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 0);
          SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        },
        [] { return GoToDialog(nullptr, 1); });
    EXPECT_EQ(record, row.record) << what;
    EXPECT_EQ(candidates, row.keys == both ? 2 : 0) << what << ": the list in place of the line";
    DisplayChar name[MaxBookmarkNameUnits + 1];
    PlaceName(row.record, name);
    const std::wstring page = std::wstring(1, RightToLeftEmbedding) + name + std::wstring(1, PopDirectionalFormatting);
    EXPECT_EQ(std::wstring(line).rfind(row.line ? row.line : page.c_str(), 0), 0u) << what;
  }
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
  AppSettings.Flags = DefaultFlags;
}

TEST_F(Dialogs, FirstRunSetsReverseOnlyWhereTextOutputReordersAndNoFlagsAreStored) {
  EXPECT_TRUE(TextOutputReorders()) << "Wine 8 reorders right-to-left runs in DrawTextW";
  EXPECT_FALSE(TextOutputReorders(OrderKeepingTextOut));

  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary");
  SetReverseOnFirstRun(OrderKeepingTextOut);
  EXPECT_EQ(AppSettings.Flags, DefaultFlags);
  SetReverseOnFirstRun();
  EXPECT_EQ(AppSettings.Flags, DefaultFlags | Reverse);

  // Stored Flags are used as stored, Reverse or not.
  AppSettings.Flags = DefaultFlags;
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillary\\Orvane", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD stored = DefaultFlags;
  RegSetValueExW(key, L"Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
  RegCloseKey(key);
  SetReverseOnFirstRun();
  EXPECT_EQ(AppSettings.Flags, DefaultFlags);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary");
}

}  // namespace
