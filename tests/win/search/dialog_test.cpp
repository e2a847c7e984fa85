// The search dialog: the mapped and mirrored keys of its edit control, clicks
// on the keyboard picture, and OK with and without a hit.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "dialogs/search_dialog.h"
#include "resources/resource.h"
#include "store/appsettings.h"
#include "tests/win/common/gdi_tracking.h"

namespace {

int SearchResult;
int Searches;
int FakeSearch(HWND) {
  ++Searches;
  return SearchResult;
}

void SetScrollLock(bool on) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SCROLL] = on ? 1 : 0;
  SetKeyboardState(keys);
}

class Dialog : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings = {};
    wcscpy(AppSettings.FontSettings.FontName, L"DejaVu Sans");
    AppSettings.FontSettings.FontSize = 20;
    AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
    std::strcpy(reinterpret_cast<char*>(AppSettings.SearchString), "ba");
    SetScrollLock(false);
    objects_ = LiveGdiObjects();
    Open();
  }

  void Open() {
    if (dialog_) DestroyWindow(dialog_);
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SEARCH), nullptr,
                                 SearchDialogProc, reinterpret_cast<LPARAM>(FakeSearch));
    ASSERT_NE(dialog_, nullptr);
    edit_ = GetDlgItem(dialog_, IDC_SEARCH_TEXT);
  }
  std::string Stored() const { return reinterpret_cast<const char*>(AppSettings.SearchString); }

  void TearDown() override {
    DestroyWindow(dialog_);
    SetScrollLock(false);
    EXPECT_EQ(LiveGdiObjects(), objects_) << "the edit font is deleted with the dialog";
  }

  std::wstring Text() const {
    wchar_t buffer[64] = {};
    GetWindowTextW(edit_, buffer, 64);
    return buffer;
  }
  void Type(const std::wstring& keys) const {
    for (wchar_t k : keys) SendMessageW(edit_, WM_CHAR, k, 0);
  }
  void Key(WPARAM vk) const { SendMessageW(edit_, WM_KEYDOWN, vk, 0); }
  void Caret(int at) const { SendMessageW(edit_, EM_SETSEL, at, at); }
  void Click(int x, int y) const {
    HWND picture = GetDlgItem(dialog_, -1);
    for (HWND c = GetWindow(dialog_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) picture = c;
    RECT r;
    GetWindowRect(picture, &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.right - r.left, KeyboardWidth);
    EXPECT_EQ(r.bottom - r.top, KeyboardHeight);
    SendMessageW(dialog_, WM_LBUTTONDOWN, 0, MAKELPARAM(r.left + x, r.top + y));
  }

  HWND dialog_ = nullptr;
  HWND edit_ = nullptr;
  int objects_ = 0;
};

TEST_F(Dialog, KeysAreMappedAndMirrored) {
  EXPECT_EQ(Text(), L"\u05D1\u05D0") << "the stored string, shown";
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit_, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, 20);
  EXPECT_STREQ(font.lfFaceName, L"DejaVu Sans");

  SetWindowTextW(edit_, L"");
  Type(L"tCd");  // t, c, d: the first three letters; upper case maps as lower
  EXPECT_EQ(Text(), L"\u05D2\u05D1\u05D0") << "each new letter goes left of the previous";
  Type(L" q/w;");
  EXPECT_EQ(Text(), L"\u05E3'./ \u05D2\u05D1\u05D0") << "space and punctuation go left too";
  Caret(0);
  Type(L"12");
  EXPECT_EQ(Text().substr(0, 2), L"12") << "digits in typing order";

  SetWindowTextW(edit_, L"\u05D0\u05D1\u05D2");
  Caret(3);
  Type(L"\b");
  EXPECT_EQ(Text(), L"\u05D0\u05D1\u05D2") << "Backspace at the end does nothing";
  Caret(1);
  Type(L"\b");
  EXPECT_EQ(Text(), L"\u05D0\u05D2") << "Backspace deletes to the right";
  Key(VK_DELETE);
  EXPECT_EQ(Text(), L"\u05D2") << "Delete deletes to the left";
  Key(VK_DELETE);
  EXPECT_EQ(Text(), L"\u05D2") << "Delete at the start does nothing";
  Key(VK_HOME);
  DWORD at = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&at), 0);
  EXPECT_EQ(at, 1u) << "Home goes to the end";
  Key(VK_END);
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&at), 0);
  EXPECT_EQ(at, 0u) << "End goes to the start";

  SetScrollLock(true);
  SetWindowTextW(edit_, L"");
  Type(L"abc\b");
  EXPECT_EQ(Text(), L"ab") << "with Scroll Lock the keys are Latin and plain";
  SetScrollLock(false);

  SetWindowTextW(edit_, std::wstring(33, L'x').c_str());
  Caret(10);
  Type(L"t");
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&at), 0);
  EXPECT_EQ(Text(), std::wstring(33, L'x')) << "33 characters at most";
  EXPECT_EQ(at, 10u) << "the caret stays when nothing fits";
}

TEST_F(Dialog, ClicksOnThePictureInsertLettersAndSpace) {
  SetWindowTextW(edit_, L"");
  Click(8 * 17 + 8, 12);  // top row, rightmost cell: the first letter
  Click(0 * 17 + 8, 2 * 25 + 12);  // bottom row, leftmost cell: cell 27
  Click(4 * 17, 3 * 25 + 10);  // the space bar
  Click(1 * 17 + 8, 3 * 25 + 10);  // beside it
  Click(7 * 17 + 8, 3 * 25 + 10);  // and on its other side
  Click(153, 12);  // the sliver right of the cells
  Click(-3, 12);  // outside the picture
  Click(8 * 17 + 8, 25 + 12);  // second row, rightmost: cell 10
  EXPECT_EQ(Text(), L"\u05D9 \u05EA\u05D0");
}

TEST_F(Dialog, OkSearchesAndStaysOpenWhileNothingIsFound) {
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseCodePage;
  SetWindowTextW(edit_, L"\u00E1  \u00E0?");
  SearchResult = 0;
  Searches = 0;
  SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(AppSettings.SearchString), "b a?");
  EXPECT_EQ(Searches, 1);
  DWORD from = 1, to = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 5u) << "the whole text selected";
  EXPECT_TRUE(IsWindowVisible(dialog_)) << "still open";

  SearchResult = 1;
  SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Searches, 2);
  EXPECT_FALSE(IsWindowVisible(dialog_)) << "closed after a hit";

  SetWindowTextW(edit_, L"");
  SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Searches, 2) << "an empty string is stored, not searched";
  EXPECT_EQ(AppSettings.SearchString[0], 0);
}

// Under Reverse (the Unicode letters) the edit holds reading order between
// right-to-left embedding marks: what is typed stays in typing order, the
// marks stay at the ends whatever is typed or deleted there, and OK on the
// reopened dialog stores the same string again.
TEST_F(Dialog, UnderReverseTheStringRoundTrips) {
  AppSettings.Flags |= Reverse;
  Open();
  EXPECT_EQ(Text(), L"\u202B\u05D0\u05D1\u202C") << "the stored \"ba\" in reading order";
  SetWindowTextW(edit_, L"");
  EXPECT_EQ(Text(), L"\u202B\u202C");
  Type(L"tcx\b");
  EXPECT_EQ(Text(), L"\u202B\u05D0\u05D1\u202C") << "typing order; Backspace is the edit's own";
  Caret(0);
  Type(L"\b");
  Key(VK_END);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), L"\u202B\u05D0\u05D1\u202C") << "nothing before the first or after the last";
  Type(L"d 12{");
  Click(8 * 17 + 8, 12);
  EXPECT_EQ(Text(), L"\u202B\u05D0\u05D1\u05D2 12{\u05D0\u202C");
  SearchResult = 1;
  SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
  const std::string stored = Stored();
  EXPECT_EQ(stored, "a}12 cba") << "stored order: reversed, the brace mirrored, the number as typed";
  Open();
  SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Stored(), stored) << "unchanged on OK";
}

// Letters from a Hebrew keyboard layout are letters in any mapping; a brace
// is the brace, also where '{' is the last letter.
TEST_F(Dialog, HebrewLettersAndTheBraceStandForThemselves) {
  struct Case {
    int32_t base;
    const wchar_t* typed;
    const wchar_t* shown;  // in memory order
    const char* stored;
  } cases[] = {
      {AsciiBaseCodePage, L"\u05D0\u05EA{", L"{\u00FA\u00E0", "~{a"},
      {AsciiBaseLatin, L"\u05D1{t", L"a~b", "a~b"},
  };
  SearchResult = 1;
  for (const Case& c : cases) {
    AppSettings.FontSettings.FontAsciiBase = c.base;
    Open();
    SetWindowTextW(edit_, L"");
    Type(c.typed);
    EXPECT_EQ(Text(), c.shown) << c.base;
    SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Stored(), c.stored) << c.base;
    Open();
    EXPECT_EQ(Text(), c.shown) << c.base << ": shown again as typed";
  }
}

}  // namespace
