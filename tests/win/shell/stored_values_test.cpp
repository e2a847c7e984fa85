// Starts the reader's window from stored values of the wrong type, length or
// range, one value at a time: it must come up, work and close, and what it
// writes back must start it again with an article on screen. Runs in Wine's
// virtual desktop (see tools/wine-desktop-run.sh): each start shows a window.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "output/settings.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "store/records.h"
#include "tests/win/common/message_boxes.h"
#include "tests/win/common/reader_setup.h"

namespace {

struct StoredData {
  const char* what;
  DWORD type;
  std::vector<unsigned char> bytes;
};

std::vector<unsigned char> Units(const wchar_t* text, bool terminated = true) {
  std::vector<unsigned char> out;
  for (const wchar_t* p = text;; ++p) {
    if (!*p && !terminated) break;
    out.push_back(static_cast<unsigned char>(*p & 0xFF));
    out.push_back(static_cast<unsigned char>(*p >> 8));
    if (!*p) break;
  }
  return out;
}

const std::vector<StoredData>& BadData() {
  static const std::vector<StoredData> data = {
      {"dword 0", REG_DWORD, {0, 0, 0, 0}},
      {"dword -1", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"dword 0x80000000", REG_DWORD, {0, 0, 0, 0x80}},
      {"short dword", REG_DWORD, {7, 1}},
      {"string of other characters", REG_SZ, Units(L"x9!")},
      {"string past 32 bits", REG_SZ, Units(L"99999999999")},
      {"string without terminator, odd length", REG_SZ, [] {
         auto u = Units(L"DejaVu", false);
         u.push_back('S');
         return u;
       }()},
      {"empty binary", REG_BINARY, {}},
      {"huge binary", REG_BINARY, std::vector<unsigned char>(100000, 0xFF)},
  };
  return data;
}

void Put(const wchar_t* key, const wchar_t* name, DWORD type, const std::vector<unsigned char>& bytes) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  RegSetValueExW(k, name, 0, type, bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()));
  RegCloseKey(k);
}

void PutDword(const wchar_t* name, DWORD v) {
  Put(L"Software\\Quillary\\Orvane", name, REG_DWORD,
      {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
       static_cast<unsigned char>(v >> 24)});
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
}

// One run as a user has it: start, read on, scroll, resize, close.
// Returns what went wrong, or an empty string.
std::string RunOnce(bool wantText) {
  AppSettings = {};
  AppSettings.SurroundingGutter = ReadSurroundingGutter();
  HWND window = InitInstance(SW_SHOWNORMAL);
  if (!window) return "no window";
  std::string fault;
  if (!IsWindowVisible(window)) fault += " not visible;";
  if (!MainPane || !CommentaryPane) fault += " no panes;";
  if (wantText && (!MainPane || !MainPane->Text || !CommentaryPane || !CommentaryPane->Text)) fault += " no text;";
  RECT r;
  GetWindowRect(window, &r);
  if (!MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) fault += " off every screen;";
  const WPARAM keys[] = {VK_DOWN, VK_NEXT, VK_END, VK_HOME, VK_UP};
  for (WPARAM k : keys) SendMessageW(window, WM_KEYDOWN, k, 0);
  SendMessageW(window, WM_COMMAND, CMD_NEXT_ARTICLE, 0);
  SendMessageW(window, WM_COMMAND, CMD_PREVIOUS_ARTICLE, 0);
  SendMessageW(window, WM_COMMAND, CMD_NEXT_ARTICLE, 0);
  SendMessageW(window, WM_COMMAND, CMD_SHARE_THIRD, 0);
  SendMessageW(window, WM_COMMAND, CMD_REVERSE, 0);
  SendMessageW(window, WM_COMMAND, CMD_REVERSE, 0);
  MoveWindow(window, 20, 20, 300, 200, TRUE);
  UpdateWindow(window);
  Pump();
  DestroyWindow(window);
  Pump();
  if (MainPane || CommentaryPane) fault += " panes left after closing;";
  return fault;
}

struct Setting {
  const wchar_t* key;
  const wchar_t* name;
};

}  // namespace

TEST(StoredValues, EveryValueOfEveryWrongKindStartsWorksAndIsUsableAfterwards) {
  ASSERT_TRUE(OpenBuiltProgram()) << "pass the path of the built program";

  const wchar_t* settings = L"Software\\Quillary\\Orvane";
  const Setting values[] = {
      {settings, L"FontName"},   {settings, L"SearchString"}, {settings, L"FontSize"},
      {settings, L"FontAsciiBase"}, {settings, L"LastPosition"}, {settings, L"Flags"},
      {settings, L"Lesson"},     {settings, L"BottomSection"}, {settings, L"BottomSectionLastPosition"},
      {settings, L"Top"},        {settings, L"Left"},          {settings, L"Width"},
      {settings, L"Height"},     {settings, L"showCmd"},       {L"software\\Quillary", L"SurroundingGutter"},
      {settings, L"NightColours"}, {settings, L"TopLesson"},   {settings, L"MainTop"},
      {settings, L"CommentaryTop"}, {settings, L"TopRows"},     {settings, L"TopLengths"},
      {settings, L"ShowNotes"},
  };
  AnswerMessageBoxes();  // "Resource not found" for a Lesson that names no record
  unsigned char* texts[] = {LoadTextRecord(5, nullptr), LoadTextRecord(6, nullptr)};
  const uint32_t lengths = PackPair(TextLength(texts[0]), TextLength(texts[1]));
  for (unsigned char* text : texts) std::free(text);
  int runs = 0;
  for (const Setting& value : values) {
    for (const StoredData& data : BadData()) {
      RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary");
      Put(settings, L"FontName", REG_SZ, Units(L"DejaVu Sans"));
      PutDword(L"FontSize", 12);
      PutDword(L"Lesson", 5);
      PutDword(L"TopLesson", 5);  // the stored tops belong to it: they are read
      PutDword(L"TopLengths", lengths);
      Put(value.key, value.name, data.type, data.bytes);
      std::string what = std::string(value.name, value.name + wcslen(value.name)) + " as " + data.what;
      std::string first = RunOnce(false);
      EXPECT_EQ(first, "") << what << ": first start";
      std::string second = RunOnce(true);
      EXPECT_EQ(second, "") << what << ": start from what the first one wrote back";
      runs += 2;
    }
  }
  StopAnsweringMessageBoxes();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary");
  std::printf("%d starts from malformed stored values\n", runs);
}
