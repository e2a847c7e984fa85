// Copy and Append through the real clipboard: the RTF document and the same
// text in reading order for the Unicode mapping, plain text for the others,
// a selection with its source, and what other programs may have left there
// (one format of the two, unterminated, empty, binary and huge blocks).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "output/clipboard.h"
#include "output/rtf.h"

namespace {

const std::string Break = "\\par\\par\r\n";
// The body of 'a' 'b': in reading order, the letter stored last first.
const std::string Letters = "\\u1489\\u1488" + Break + Break;

UINT RtfFormat() { return RegisterClipboardFormatW(L"Rich Text Format"); }

// Puts exactly these bytes on the clipboard as its only data; no bytes
// leave it empty.
void SetRaw(UINT format, const std::string& bytes) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  if (bytes.empty()) {
    CloseClipboard();
    return;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  EXPECT_NE(SetClipboardData(format, block), nullptr);
  CloseClipboard();
}

// The whole block of a format, or "<none>".
std::string GetRaw(UINT format) {
  std::string out = "<none>";
  if (!OpenClipboard(nullptr)) return "<not opened>";
  if (HANDLE h = GetClipboardData(format)) {
    const char* p = static_cast<const char*>(GlobalLock(h));
    out.assign(p, GlobalSize(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return out;
}

std::string Terminated(const std::string& s) { return s + std::string(1, '\0'); }

// The plain text, its terminator included.
std::wstring Text() {
  const std::string raw = GetRaw(CF_UNICODETEXT);
  return raw == "<none>" ? L"<none>" : std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / 2);
}

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    // One paragraph, page-header style, the letters 'a' and 'b'.
    static const unsigned char text[] = {0xD1, 0, 'a', 'b', 0, 0, 0, 0};
    pane.Text = const_cast<unsigned char*>(text);
    AppSettings.FontSettings.FontAsciiBase = 1488;
    AppSettings.Flags = Reverse;
    SetRaw(CF_UNICODETEXT, "");
    owner = CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(owner); }
  std::string Fresh(const std::string& body) { return Terminated(RtfHeader + body + "}\r\n"); }

  PaneView pane{};
  HWND owner = nullptr;
};

TEST_F(Clipboard, CopyAndAppendCollectOneRtfDocument) {
  CopyPaneToClipboard(owner, &pane, false, nullptr, nullptr);
  EXPECT_EQ(AppSettings.Flags, Reverse) << "the Reverse bit is put back";
  EXPECT_EQ(GetClipboardOwner(), owner) << "the data set has an owner";
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh(Letters));
  const std::wstring reading = L"\u05D1\u05D0\r\n\r\n";
  EXPECT_EQ(Text(), reading + L'\0') << "the same text in reading order beside it";

  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  AppSettings.Flags = 0;  // the word processor reorders whatever Reverse says
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()),
            Terminated(RtfHeader + Letters + RtfSeparator + Letters + RtfSeparator + Letters + "}\r\n"));
  EXPECT_EQ(Text(), reading + reading + reading + L'\0');

  // Each format the clipboard holds is appended to; one it lacks starts anew.
  SetRaw(CF_UNICODETEXT, std::string("o\0l\0d\0\0\0", 8));
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh(Letters));
  EXPECT_EQ(Text(), L"old\r\n" + reading + L'\0');
  SetRaw(RtfFormat(), "{\\rtf1 old}");
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()), Terminated("{\\rtf1 old" + std::string(RtfSeparator) + Letters + "}\r\n"));
  EXPECT_EQ(Text(), reading + L'\0');

  // A selection (the letter read first) with its source on a line of its own.
  const TextSelection first{4, 3};
  CopyPaneToClipboard(owner, &pane, false, &first, L"\u05D0");
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh("\\u1489" + Break + "(\\u1488)" + Break + Break));
  EXPECT_EQ(Text(), std::wstring(L"\u05D1\r\n(\u05D0)\r\n") + L'\0');
  CopyPaneToClipboard(owner, &pane, false, nullptr, L"\u05D0");
  EXPECT_EQ(Text(), reading + L'\0') << "a whole pane names no source";
  CopyPaneToClipboard(owner, &pane, false, &first, nullptr);
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh("\\u1489" + Break + RtfSeparator + Letters));
  EXPECT_EQ(Text(), L"\u05D1\r\n" + reading + L'\0');

  // Copy replaces; a pane without text, or none, changes nothing.
  CopyPaneToClipboard(owner, &pane, false, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh(Letters));
  PaneView empty{};
  CopyPaneToClipboard(owner, &empty, false, nullptr, nullptr);
  CopyPaneToClipboard(owner, nullptr, true, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh(Letters));
}

TEST_F(Clipboard, PlainTextBelowTheUnicodeMapping) {
  AppSettings.FontSettings.FontAsciiBase = 224;
  AppSettings.Flags = 0;
  SetRaw(RtfFormat(), Terminated(RtfHeader));
  CopyPaneToClipboard(owner, &pane, false, nullptr, nullptr);
  const std::wstring one = L"\u00E0\u00E1\r\n\r\n";
  EXPECT_EQ(Text(), one + L'\0');
  EXPECT_FALSE(IsClipboardFormatAvailable(RtfFormat())) << "plain text only";

  AppSettings.FontSettings.FontAsciiBase = 97;
  AppSettings.Flags = Reverse;  // never reverses Latin letters
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(Text(), one + L"ab\r\n\r\n" + L'\0') << "old text, then the new, no separator";
  EXPECT_EQ(AppSettings.Flags, Reverse);

  // A foreign text without terminator and with an odd byte count.
  SetRaw(CF_UNICODETEXT, std::string("h\0i\0!", 5));
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(Text(), L"hi\r\nab\r\n\r\n" + std::wstring(1, L'\0'));

  // The source in the letters and the order of the screen, numbers kept.
  AppSettings.FontSettings.FontAsciiBase = 224;
  const TextSelection both{4, 2};
  CopyPaneToClipboard(owner, &pane, false, &both, L"\u05D0\u05D1 12");
  EXPECT_EQ(Text(), std::wstring(L"\u00E0\u00E1\r\n\r\n(12 \u00E1\u00E0)\r\n") + L'\0');
}

TEST_F(Clipboard, ForeignRtfBlocks) {
  // No terminating 0: only the block's own bytes are taken.
  SetRaw(RtfFormat(), "{\\rtf1 foreign}}\r\n");
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  EXPECT_EQ(GetRaw(RtfFormat()), Terminated("{\\rtf1 foreign}" + std::string(RtfSeparator) + Letters + "}\r\n"));

  // Empty, binary, or text that is no RTF document: a fresh document.
  for (const std::string& old : {std::string(), std::string(1, '\0'), std::string("\x7F\xFF\x01{\\rt\0\\rtf1", 11),
                                 std::string("plain words }")}) {
    SetRaw(RtfFormat(), old);
    CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
    EXPECT_EQ(GetRaw(RtfFormat()), Fresh(Letters)) << old.size() << " bytes";
  }

  // A large document (32 MB) is appended to whole.
  std::string big = "{\\rtf1 " + std::string(32 << 20, 'x') + "}";
  SetRaw(RtfFormat(), big);
  CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
  big.pop_back();
  const std::string joined = GetRaw(RtfFormat());
  EXPECT_EQ(joined.size(), big.size() + std::strlen(RtfSeparator) + Letters.size() + 4);
  EXPECT_EQ(joined.substr(0, big.size()), big);
  EXPECT_EQ(joined.substr(big.size()), Terminated(RtfSeparator + Letters + "}\r\n"));

  // Read directly: the length stops at the first 0 byte or the block's end.
  SetRaw(RtfFormat(), std::string("ab\0cd", 5));
  unsigned char* data = nullptr;
  size_t length = 99;
  ASSERT_EQ(ReadClipboardData(RtfFormat(), &data, &length), ClipboardRead);
  EXPECT_EQ(length, 2u);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "ab");
  std::free(data);
  ASSERT_EQ(ReadClipboardData(CF_UNICODETEXT, &data, &length), ClipboardRead);
  EXPECT_EQ(data, nullptr) << "nothing of that format";
}

// An owner that promises data and counts the requests to render it.
int Renders = 0;
LRESULT CALLBACK PromisingOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RENDERFORMAT) ++Renders;
  return DefWindowProcW(window, message, wParam, lParam);
}

// What the clipboard holds but will not give: a block that cannot be locked
// (discarded), and data promised by its owner and never rendered. An append
// leaves it alone; a copy replaces it without asking for it.
TEST_F(Clipboard, AnAppendLeavesAloneWhatItCannotRead) {
  const WNDCLASSW promising{0, PromisingOwner, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"PromisingOwner"};
  RegisterClassW(&promising);
  HWND other = CreateWindowExW(0, L"PromisingOwner", L"other", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int base : {1488, 224}) {
    AppSettings.FontSettings.FontAsciiBase = base;
    const UINT format = base > 256 ? RtfFormat() : CF_UNICODETEXT;
    for (bool promised : {false, true}) {
      const char* what = promised ? "never rendered" : "discarded";
      ASSERT_TRUE(OpenClipboard(other));
      EmptyClipboard();
      HGLOBAL block = promised ? nullptr : GlobalAlloc(GMEM_MOVEABLE, 8);
      if (block) {
        std::memset(GlobalLock(block), 'x', 8);
        GlobalUnlock(block);
      }
      SetClipboardData(format, block);
      if (!promised) {
        // The block this process is given for it (Wine hands out its own copy).
        HANDLE given = GetClipboardData(format);
        GlobalDiscard(given);
        EXPECT_EQ(GlobalLock(GetClipboardData(format)), nullptr) << base << ": the block cannot be locked";
      }
      CloseClipboard();
      ASSERT_TRUE(IsClipboardFormatAvailable(format)) << what;
      const DWORD before = GetClipboardSequenceNumber();
      CopyPaneToClipboard(owner, &pane, true, nullptr, nullptr);
      EXPECT_EQ(GetClipboardSequenceNumber(), before) << base << ", " << what << ": nothing written";
      EXPECT_EQ(GetClipboardOwner(), other) << base << ", " << what;
      const int asked = Renders;
      CopyPaneToClipboard(owner, &pane, false, nullptr, nullptr);
      EXPECT_EQ(GetClipboardOwner(), owner) << base << ", " << what << ": a copy replaces it";
      EXPECT_EQ(Renders, asked) << base << ", " << what << ": a copy asks for nothing";
    }
  }
  DestroyWindow(other);
}

DWORD WINAPI HoldClipboard(void* opened) {
  if (!OpenClipboard(nullptr)) return 1;
  SetEvent(opened);
  Sleep(60);
  CloseClipboard();
  return 0;
}

TEST_F(Clipboard, WaitsForAnotherProgramToLetGo) {
  // Another thread holds the clipboard open for about 60 ms.
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE holder = CreateThread(nullptr, 0, HoldClipboard, opened, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(opened, 5000), WAIT_OBJECT_0);
  CopyPaneToClipboard(owner, &pane, false, nullptr, nullptr);
  WaitForSingleObject(holder, 5000);
  CloseHandle(holder);
  CloseHandle(opened);
  EXPECT_EQ(GetRaw(RtfFormat()), Fresh(Letters)) << "copied once the clipboard was free";
}

}  // namespace
