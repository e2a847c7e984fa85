// The settings accessors, LoadSettings, SaveSettings, SetCurrentArticle and
// the out-of-memory exit, against the private prefix's HKCU.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "output/bookmarks.h"
#include "output/settings.h"
#include "registry_helpers.h"
#include "tests/win/common/gdi_tracking.h"
#include "tests/win/common/message_boxes.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteSettingsTree();
    std::memset(&AppSettings, 0, sizeof AppSettings);
    while (TakeQuitMessage(nullptr)) {
    }
  }
  void TearDown() override {
    DeleteSettingsTree();
    while (TakeQuitMessage(nullptr)) {
    }
  }
};

std::wstring FontNameOf(const AppSettingsRecord& s) {
  return std::wstring(reinterpret_cast<const wchar_t*>(s.FontSettings.FontName));
}

void SetFontName(const wchar_t* name) {
  std::memset(AppSettings.FontSettings.FontName, 0, sizeof AppSettings.FontSettings.FontName);
  std::wcsncpy(reinterpret_cast<wchar_t*>(AppSettings.FontSettings.FontName), name, FontNameUnits - 1);
}

std::string SearchOf(const AppSettingsRecord& s) { return reinterpret_cast<const char*>(s.SearchString); }

PaneView* ZeroedPane(uint16_t firstRow) {
  auto* pane = static_cast<PaneView*>(std::calloc(1, sizeof(PaneView)));
  pane->FirstRow = firstRow;
  return pane;
}

TEST_F(Settings, FirstRunWithoutKeysGivesEveryDefault) {
  LoadSettings();
  SetCurrentArticle(0);
  EXPECT_EQ(L"", FontNameOf(AppSettings));
  EXPECT_EQ("", SearchOf(AppSettings));
  EXPECT_EQ(0, AppSettings.FontSettings.FontSize);
  EXPECT_EQ(1488, AppSettings.FontSettings.FontAsciiBase);
  EXPECT_EQ(0u, AppSettings.LastPosition);
  EXPECT_EQ(0xD1140040u, AppSettings.Flags);
  EXPECT_EQ(1u, AppSettings.Lesson);
  EXPECT_EQ(12, AppSettings.BottomSection);
  EXPECT_EQ(0u, AppSettings.BottomSectionLastPosition);
  EXPECT_EQ(10, ReadSurroundingGutter());
  // Loading creates nothing.
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillary", 0, KEY_READ, &key));
}

TEST_F(Settings, LoadReadsStoredValuesKeepingLow16BitsOfPositions) {
  PutString(L"FontName", L"DejaVu Sans");
  PutBinary(L"SearchString", {'a', 'b', 'c', 0});
  PutDword(L"FontSize", 14);
  PutDword(L"FontAsciiBase", 224);
  PutDword(L"LastPosition", 0x12345);
  PutDword(L"Flags", 0x800);
  PutDword(L"Lesson", 0x10007);
  PutDword(L"BottomSection", 34);
  PutDword(L"BottomSectionLastPosition", 0xFFFF0009);
  LoadSettings();
  EXPECT_EQ(L"DejaVu Sans", FontNameOf(AppSettings));
  EXPECT_EQ("abc", SearchOf(AppSettings));
  EXPECT_EQ(14, AppSettings.FontSettings.FontSize);
  EXPECT_EQ(224, AppSettings.FontSettings.FontAsciiBase);
  EXPECT_EQ(0x2345u, AppSettings.LastPosition);
  EXPECT_EQ(0x800u, AppSettings.Flags);
  EXPECT_EQ(7u, AppSettings.Lesson);
  EXPECT_EQ(34, AppSettings.BottomSection);
  EXPECT_EQ(9u, AppSettings.BottomSectionLastPosition);
}

TEST_F(Settings, SurroundingGutterComesFromTheParentKeyOnly) {
  uint32_t seven = 7;
  PutValue(ParentKeyPath, L"SurroundingGutter", REG_DWORD, &seven, sizeof seven);
  PutDword(L"SurroundingGutter", 99);
  EXPECT_EQ(7, ReadSurroundingGutter());
  EXPECT_EQ(99, ReadDwordSetting(SettingsKeyPath, L"SurroundingGutter", 10));
}

TEST_F(Settings, NumbersStoredAsOtherTypesAreFolded) {
  PutString(L"BottomSection", L"12");
  EXPECT_EQ(12, ReadDwordSetting(SettingsKeyPath, L"BottomSection", 5));
  PutString(L"Empty", L"");
  EXPECT_EQ(0, ReadDwordSetting(SettingsKeyPath, L"Empty", 5));
  // No digit check and no sign: each unit counts as its code minus 48.
  PutString(L"Letters", L"1a");
  EXPECT_EQ(10 + ('a' - 48), ReadDwordSetting(SettingsKeyPath, L"Letters", 5));
  // Wraps at 32 bits.
  PutString(L"Huge", L"99999999999");
  EXPECT_EQ(static_cast<int32_t>(static_cast<uint32_t>(99999999999ull)),
            ReadDwordSetting(SettingsKeyPath, L"Huge", 5));
  // Stops at the first zero unit, or at the end of unterminated data.
  PutStringBytes(L"Stops", std::wstring(L"4\0" L"9", 3), 6);
  EXPECT_EQ(4, ReadDwordSetting(SettingsKeyPath, L"Stops", 5));
  PutStringBytes(L"Unterminated", L"345", 4);
  EXPECT_EQ(34, ReadDwordSetting(SettingsKeyPath, L"Unterminated", 5));
  // Binary data of odd size: the lone last byte is no unit.
  PutBinary(L"Odd", {'3', 0, '4'});
  EXPECT_EQ(3, ReadDwordSetting(SettingsKeyPath, L"Odd", 5));
  PutBinary(L"OneByte", {'8'});
  EXPECT_EQ(0, ReadDwordSetting(SettingsKeyPath, L"OneByte", 5));
  // A REG_DWORD shorter than four bytes is zero-extended.
  uint16_t shortValue = 0x1234;
  PutValue(SettingsKeyPath, L"Short", REG_DWORD, &shortValue, sizeof shortValue);
  EXPECT_EQ(0x1234, ReadDwordSetting(SettingsKeyPath, L"Short", 5));
  EXPECT_EQ(-77, ReadDwordSetting(SettingsKeyPath, L"Missing", -77));
  // LoadSettings takes the folded number like any other.
  PutString(L"Lesson", L"13");
  LoadSettings();
  EXPECT_EQ(13u, AppSettings.Lesson);
  EXPECT_EQ(12, AppSettings.BottomSection);
}

TEST_F(Settings, FontNameIsTruncatedAndAlwaysTerminated) {
  // Longer than the field: 31 characters are kept.
  std::wstring longName(40, L'x');
  for (size_t i = 0; i < longName.size(); ++i) longName[i] = static_cast<wchar_t>(L'A' + i % 26);
  PutString(L"FontName", longName);
  std::memset(AppSettings.FontSettings.FontName, 0x55, sizeof AppSettings.FontSettings.FontName);
  LoadSettings();
  EXPECT_EQ(longName.substr(0, 31), FontNameOf(AppSettings));

  // Unterminated data of odd length: the whole units are the name.
  PutStringBytes(L"FontName", L"Serif", 7);
  LoadSettings();
  EXPECT_EQ(L"Ser", FontNameOf(AppSettings));

  // An empty or missing value keeps the name in memory.
  SetFontName(L"Kept");
  PutString(L"FontName", L"");
  LoadSettings();
  EXPECT_EQ(L"Kept", FontNameOf(AppSettings));
  PutBinary(L"FontName", {});
  LoadSettings();
  EXPECT_EQ(L"Kept", FontNameOf(AppSettings));
}

TEST_F(Settings, SearchStringIsLimitedAndTerminated) {
  std::vector<unsigned char> longSearch(50);
  for (size_t i = 0; i < longSearch.size(); ++i) longSearch[i] = static_cast<unsigned char>('a' + i % 26);
  PutBinary(L"SearchString", longSearch);
  std::memset(AppSettings.SearchString, 0x55, sizeof AppSettings.SearchString);
  LoadSettings();
  EXPECT_EQ(std::string(longSearch.begin(), longSearch.begin() + 33), SearchOf(AppSettings));

  PutBinary(L"SearchString", {'x', 'y', 0, 'z'});
  LoadSettings();
  EXPECT_EQ("xy", SearchOf(AppSettings));

  // Unterminated and short: exactly the data, then a zero.
  std::memset(AppSettings.SearchString, 0x55, sizeof AppSettings.SearchString);
  PutBinary(L"SearchString", {'q', 'r'});
  LoadSettings();
  EXPECT_EQ("qr", SearchOf(AppSettings));

  // A first byte of zero, or no bytes, keeps what is in memory.
  PutBinary(L"SearchString", {0, 'z'});
  LoadSettings();
  EXPECT_EQ("qr", SearchOf(AppSettings));
  PutBinary(L"SearchString", {});
  LoadSettings();
  EXPECT_EQ("qr", SearchOf(AppSettings));
}

TEST_F(Settings, BottomSectionOutsideTheMenuFallsBackTo12) {
  for (uint32_t menuCode : {1u, 12u, 13u, 14u, 23u, 34u}) {
    PutDword(L"BottomSection", menuCode);
    LoadSettings();
    EXPECT_EQ(static_cast<int32_t>(menuCode), AppSettings.BottomSection);
  }
  for (uint32_t bad : {0u, 10u, 20u, 40u, 2u, 11u, 99u, 0xFFFFFFF4u, 0x8000000Cu}) {
    PutDword(L"BottomSection", bad);
    LoadSettings();
    EXPECT_EQ(12, AppSettings.BottomSection) << bad;
  }
  PutString(L"BottomSection", L"x0");
  LoadSettings();
  EXPECT_EQ(12, AppSettings.BottomSection);
}

TEST_F(Settings, SetCurrentArticleResetsThePositionOnlyOnAChange) {
  AppSettings.Lesson = 0;
  AppSettings.LastPosition = 40;
  SetCurrentArticle(0);
  EXPECT_EQ(1u, AppSettings.Lesson);
  EXPECT_EQ(0u, AppSettings.LastPosition);

  AppSettings.Lesson = 7;
  AppSettings.LastPosition = 40;
  SetCurrentArticle(0);
  EXPECT_EQ(7u, AppSettings.Lesson);
  EXPECT_EQ(40u, AppSettings.LastPosition);
  SetCurrentArticle(7);
  EXPECT_EQ(40u, AppSettings.LastPosition);
  // Compared as 16 bits.
  SetCurrentArticle(0x10007);
  EXPECT_EQ(7u, AppSettings.Lesson);
  EXPECT_EQ(40u, AppSettings.LastPosition);
  SetCurrentArticle(9);
  EXPECT_EQ(9u, AppSettings.Lesson);
  EXPECT_EQ(0u, AppSettings.LastPosition);
}

TEST_F(Settings, EmptyValuesAreNotWrittenSoOldOnesStay) {
  PutString(L"FontName", L"Old Face");
  PutBinary(L"SearchString", {'o', 'l', 'd', 0});
  PutDword(L"FontSize", 20);
  PutDword(L"FontAsciiBase", 97);
  PutDword(L"Lesson", 301);
  PutDword(L"LastPosition", 11);
  PutDword(L"BottomSectionLastPosition", 12);
  PutDword(L"Flags", 1);
  PutDword(L"BottomSection", 13);
  // Everything empty or 0, no panes.
  SaveSettings(nullptr, nullptr);
  EXPECT_EQ(L"Old Face", std::wstring(reinterpret_cast<const wchar_t*>(GetValue(L"FontName").bytes.data())));
  EXPECT_EQ(4u, GetValue(L"SearchString").bytes.size());
  EXPECT_EQ(20u, GetValue(L"FontSize").Dword());
  EXPECT_EQ(97u, GetValue(L"FontAsciiBase").Dword());
  EXPECT_EQ(301u, GetValue(L"Lesson").Dword());
  EXPECT_EQ(11u, GetValue(L"LastPosition").Dword());
  EXPECT_EQ(12u, GetValue(L"BottomSectionLastPosition").Dword());
  // Always written, even when 0.
  EXPECT_EQ(0u, GetValue(L"Flags").Dword());
  EXPECT_EQ(REG_DWORD, GetValue(L"BottomSection").type);
  EXPECT_EQ(0u, GetValue(L"BottomSection").Dword());
}

TEST_F(Settings, SaveWritesEachValueWithItsTypeAndSize) {
  SetFontName(L"DejaVu Sans");
  std::strcpy(reinterpret_cast<char*>(AppSettings.SearchString), "shalom");
  AppSettings.FontSettings.FontSize = -3;
  AppSettings.FontSettings.FontAsciiBase = 1488;
  AppSettings.Flags = 0xD1140840u;
  AppSettings.Lesson = 0xFFFF;
  AppSettings.BottomSection = 23;
  AppSettings.LastPosition = 5;  // not written without a pane
  SaveSettings(nullptr, nullptr);

  StoredValue font = GetValue(L"FontName");
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), font.type);
  ASSERT_EQ(2 * 11 + 2u, font.bytes.size());
  EXPECT_EQ(L"DejaVu Sans", std::wstring(reinterpret_cast<const wchar_t*>(font.bytes.data())));
  StoredValue search = GetValue(L"SearchString");
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), search.type);
  EXPECT_EQ(std::vector<unsigned char>({'s', 'h', 'a', 'l', 'o', 'm', 0}), search.bytes);
  EXPECT_EQ(static_cast<uint32_t>(-3), GetValue(L"FontSize").Dword());
  EXPECT_EQ(1488u, GetValue(L"FontAsciiBase").Dword());
  EXPECT_EQ(0xD1140840u, GetValue(L"Flags").Dword());
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), GetValue(L"Lesson").type);
  EXPECT_EQ(0xFFFFu, GetValue(L"Lesson").Dword());
  EXPECT_EQ(23u, GetValue(L"BottomSection").Dword());
  EXPECT_FALSE(GetValue(L"LastPosition").present);
  EXPECT_FALSE(GetValue(L"BottomSectionLastPosition").present);
}

TEST_F(Settings, SaveNeverWritesMoreThanTheFieldsHold) {
  // Fields with no terminator in memory still give a terminated value.
  std::memset(AppSettings.SearchString, 'k', sizeof AppSettings.SearchString);
  for (auto& unit : AppSettings.FontSettings.FontName) unit = L'f';
  SaveSettings(nullptr, nullptr);
  StoredValue search = GetValue(L"SearchString");
  ASSERT_EQ(34u, search.bytes.size());
  EXPECT_EQ(0, search.bytes[33]);
  EXPECT_EQ(std::string(33, 'k'), std::string(search.bytes.begin(), search.bytes.begin() + 33));
  StoredValue font = GetValue(L"FontName");
  ASSERT_EQ(64u, font.bytes.size());
  EXPECT_EQ(std::wstring(31, L'f'), std::wstring(reinterpret_cast<const wchar_t*>(font.bytes.data())));
}

TEST_F(Settings, SaveTakesPositionsFromThePanesDestroysThemAndPostsQuit) {
  AppSettings.LastPosition = 3;
  AppSettings.BottomSectionLastPosition = 4;
  PaneView* mainPane = ZeroedPane(77);
  PaneView* commentaryPane = ZeroedPane(0xFFFF);
  SaveSettings(&mainPane, &commentaryPane);
  EXPECT_EQ(nullptr, mainPane);
  EXPECT_EQ(nullptr, commentaryPane);
  EXPECT_EQ(77u, GetValue(L"LastPosition").Dword());
  EXPECT_EQ(0xFFFFu, GetValue(L"BottomSectionLastPosition").Dword());
  WPARAM code = 99;
  ASSERT_TRUE(TakeQuitMessage(&code));
  EXPECT_EQ(0u, code);

  // Either pane may be missing; only the existing one's position is written.
  DeleteSettingsTree();
  mainPane = nullptr;
  commentaryPane = ZeroedPane(21);
  SaveSettings(&mainPane, &commentaryPane);
  EXPECT_EQ(nullptr, commentaryPane);
  EXPECT_FALSE(GetValue(L"LastPosition").present);
  EXPECT_EQ(21u, GetValue(L"BottomSectionLastPosition").Dword());
  EXPECT_TRUE(TakeQuitMessage(nullptr));

  // No place for the main pane at all: the rest is written as usual.
  DeleteSettingsTree();
  AppSettings.Flags = 0x77;
  commentaryPane = ZeroedPane(5);
  SaveSettings(nullptr, &commentaryPane);
  EXPECT_EQ(nullptr, commentaryPane);
  EXPECT_FALSE(GetValue(L"LastPosition").present);
  EXPECT_EQ(5u, GetValue(L"BottomSectionLastPosition").Dword());
  EXPECT_EQ(0x77u, GetValue(L"Flags").Dword());
  EXPECT_TRUE(TakeQuitMessage(nullptr));
}

TEST_F(Settings, WritersCreateTheKeyAndBinaryReadsReportTheirSize) {
  EXPECT_TRUE(WriteDwordSetting(L"PrintTop", 1000));
  EXPECT_EQ(1000, ReadDwordSetting(SettingsKeyPath, L"PrintTop", 0));
  EXPECT_FALSE(WriteStringSetting(L"Null", nullptr));
  EXPECT_EQ(nullptr, ReadStringSetting(L"Missing"));
  const unsigned char bytes[] = {1, 2, 3, 0, 5};
  EXPECT_TRUE(WriteBinarySetting(L"Block", bytes, sizeof bytes));
  DWORD size = 0;
  unsigned char* read = ReadBinarySetting(L"Block", &size);
  ASSERT_NE(nullptr, read);
  EXPECT_EQ(5u, size);
  EXPECT_EQ(0, std::memcmp(bytes, read, sizeof bytes));
  std::free(read);
  size = 9;
  EXPECT_EQ(nullptr, ReadBinarySetting(L"Missing", &size));
  EXPECT_EQ(0u, size);
}

TEST_F(Settings, ReadBlobSettingCopiesIntoGlobalMemoryOrGivesTheFallback) {
  HGLOBAL fallback = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(0x1234));
  EXPECT_EQ(fallback, ReadBlobSetting(L"DevMode", fallback));
  std::vector<unsigned char> devMode(220);
  for (size_t i = 0; i < devMode.size(); ++i) devMode[i] = static_cast<unsigned char>(i);
  PutBinary(L"DevMode", devMode);
  HGLOBAL block = ReadBlobSetting(L"DevMode", fallback);
  ASSERT_NE(fallback, block);
  ASSERT_NE(nullptr, block);
  ASSERT_GE(GlobalSize(block), devMode.size());
  void* bytes = GlobalLock(block);
  ASSERT_NE(nullptr, bytes);
  EXPECT_EQ(0, std::memcmp(devMode.data(), bytes, devMode.size()));
  GlobalUnlock(block);
  GlobalFree(block);
}

int exitRuns = 0;
void CountExit() { ++exitRuns; }

TEST_F(Settings, OutOfMemoryShowsTheMessageSavesAndRunsOnlyOnce) {
  AnswerMessageBoxes();
  const SeenBox& seenBox = LastMessageBox();
  OutOfMemoryExitBegun = false;
  AppSettings.Flags = 0x1234;
  AppSettings.BottomSection = 13;
  volatile size_t impossible = static_cast<size_t>(-16);

  void* block = AllocOrDie(16);
  EXPECT_NE(nullptr, block);
  std::free(block);
  EXPECT_EQ(0, seenBox.count);

  // With no exit function, SaveSettings runs without panes.
  EXPECT_EQ(nullptr, AllocOrDie(impossible));
  EXPECT_EQ(1, seenBox.count);
  EXPECT_EQ(L"Error", seenBox.caption);
  EXPECT_EQ(L"There is not enough memory, aborting", seenBox.text);
  EXPECT_EQ(nullptr, seenBox.owner);
  EXPECT_TRUE(seenBox.icon);
  EXPECT_EQ(0x1234u, GetValue(L"Flags").Dword());
  EXPECT_EQ(13u, GetValue(L"BottomSection").Dword());
  EXPECT_FALSE(GetValue(L"Top").present);  // no window placement
  WPARAM quitCode = 99;
  EXPECT_TRUE(TakeQuitMessage(&quitCode));
  EXPECT_EQ(0u, quitCode);

  // Once the exit has begun, a further failure only returns null.
  OutOfMemoryExit = CountExit;
  EXPECT_EQ(nullptr, AllocOrDie(impossible));
  EXPECT_EQ(1, seenBox.count);
  EXPECT_EQ(0, exitRuns);
  EXPECT_FALSE(TakeQuitMessage(nullptr));
  OutOfMemoryExit = nullptr;
  OutOfMemoryExitBegun = false;
  StopAnsweringMessageBoxes();
}

TEST_F(Settings, OutOfMemoryWhileLoadingSavesNothing) {
  // Either string read runs out of memory; the user's values must stay.
  const std::wstring face = L"Unusual Face Name Q";
  const std::vector<unsigned char> search(23, 'b');
  const size_t faceBlock = (face.size() + 1) * sizeof(wchar_t) + 4;
  for (size_t failing : {faceBlock, search.size() + 4}) {
    DeleteSettingsTree();
    PutString(L"FontName", face);
    PutBinary(L"SearchString", search);
    PutDword(L"Flags", 0x80000040u);
    PutDword(L"BottomSection", 34);
    std::memset(&AppSettings, 0, sizeof AppSettings);
    OutOfMemoryExitBegun = false;
    AnswerMessageBoxes();
    FailAllocation(failing);
    EXPECT_EQ(1, LoadSettings()) << failing;
    StopAnsweringMessageBoxes();
    EXPECT_EQ(1, LastMessageBox().count) << failing;
    EXPECT_EQ(L"There is not enough memory, aborting", LastMessageBox().text);
    EXPECT_TRUE(TakeQuitMessage(nullptr)) << failing;
    EXPECT_EQ(0x80000040u, GetValue(L"Flags").Dword()) << failing;
    EXPECT_EQ(34u, GetValue(L"BottomSection").Dword()) << failing;
    EXPECT_EQ(face, std::wstring(reinterpret_cast<const wchar_t*>(GetValue(L"FontName").bytes.data())));
    EXPECT_FALSE(GetValue(L"Lesson").present) << failing;
    EXPECT_EQ(0u, AppSettings.Flags) << "loading stopped at once";
  }
  OutOfMemoryExitBegun = false;
}

}  // namespace

// Bookmarks as stored: damaged values and a gap are skipped on reading, and
// the next write puts the list back in order with nothing else left.
TEST(Bookmarks, ReadSkipsWhatIsDamagedAndTheNextWriteTidiesUp) {
  DeleteSettingsTree();
  auto good = [](int lesson) {
    Bookmark mark{};
    mark.At.Lesson = lesson;
    mark.At.Main = PanePosition{300, 1};
    mark.Name[0] = L'n';
    std::vector<unsigned char> bytes(StoreBookmark(mark, nullptr));
    StoreBookmark(mark, bytes.data());
    return bytes;
  };
  const std::vector<unsigned char> big(100000, 1);
  const struct { const wchar_t* name; DWORD type; std::vector<unsigned char> bytes; } values[] = {
      {L"0", REG_BINARY, good(7)},  {L"1", REG_BINARY, big},       {L"2", REG_SZ, good(9)},
      {L"3", REG_BINARY, good(11)}, {L"5", REG_BINARY, good(13)}, {L"x", REG_BINARY, good(15)},
  };
  for (const auto& v : values)
    PutValue(BookmarksKeyPath, v.name, v.type, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
  static BookmarkList list;
  LoadBookmarks(&list, 10716);
  ASSERT_EQ(list.Count, 2) << "0 and 3; 1 and 2 damaged, 5 after the gap, x no number";
  EXPECT_EQ(list.Items[1].At.Lesson, 11);
  EXPECT_EQ(list.Items[1].At.Main.Offset, 300);
  ASSERT_TRUE(SaveBookmarks(&list));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, BookmarksKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD count = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  EXPECT_EQ(count, 2u) << "only 0 and 1 remain";
  LoadBookmarks(&list, 10716);
  ASSERT_EQ(list.Count, 2);
  EXPECT_EQ(list.Items[1].At.Lesson, 11);
  DeleteSettingsTree();
}
