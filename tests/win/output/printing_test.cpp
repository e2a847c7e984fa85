// Printing under Wine: the page geometry and the page loop on a memory
// device context the size of a 300-dpi page, and page setup driven for real
// (the modal dialogs are answered from a thread timer). The Printer tests
// need the CUPS PDF printer that tests/system/print_test.sh starts; they are
// skipped without it.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "output/printing.h"
#include "output/settings.h"
#include "tests/win/layout/test_pane.h"
#include "tests/win/output/registry_helpers.h"

namespace {

bool Dark(COLORREF c) { return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128; }

std::vector<Paragraph> Words(int count) { return std::vector<Paragraph>(count, Paragraph{0x01, 0, "abc def"}); }

// A page of 8.5 x 11 inches at 300 dpi with the print job's PaneView on it.
class Page : public ::testing::Test {
 protected:
  void SetUp() override {
    AppSettings.FontSettings = TestFont(12);
    AppSettings.Flags = 0;
    objects = LiveGdiObjects();
    canvas = MakeCanvas(2550, 3300);
    job.Dc = canvas.Dc;
    job.Font = TestFont(12);
  }
  void TearDown() override {
    DestroyPaneView(&job, false);
    FreeCanvas(canvas);
    EXPECT_EQ(LiveGdiObjects(), objects) << "every font made is deleted";
  }
  // Lays a text out on the page with margins of 1, 0.5, 0.75 and 1 inch
  // (left, top, right, bottom) and reserves the bands; returns F.
  int Lay(int lines) {
    DestroyPaneView(&job, false);
    SetPrintArea(&job, PrintMargins{1000, 500, 750, 1000}, 300, 300, 2550, 3300);
    EXPECT_EQ(LayoutPane(&job, BuildText(Words(lines)), true), LayoutOk);
    return ReserveHeaderFooter(&job);
  }
  int LineHeight() { return job.Lines[0].LineHeight; }
  bool InkIn(int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (Dark(PixelAt(canvas, x, y))) return true;
    return false;
  }

  Canvas canvas;
  PaneView job{};
  int objects = 0;
};

TEST_F(Page, HeaderTextAndFooterBands) {
  const int f = Lay(5);
  // The area before the bands: 300 px in from the left, 150 from the top.
  const int l = 300, t = 150, w = 2550 - 225 - 300, h = 3300 - 300 - 150;
  EXPECT_EQ(job.AreaLeft, l);
  EXPECT_EQ(job.AreaWidth, w);
  EXPECT_GT(f, 5);
  EXPECT_EQ(job.AreaTop, t + f + 5);
  EXPECT_EQ(job.AreaHeight, h - 2 * f - 10);
  EXPECT_EQ(PrintPages(&job, f), 1);

  // Ink only in the three bands, and in each of them.
  EXPECT_FALSE(InkIn(0, 0, canvas.Width, t));
  EXPECT_FALSE(InkIn(0, t + f, canvas.Width, t + f + 5));
  EXPECT_FALSE(InkIn(0, t + h - f - 5, canvas.Width, t + h - f));
  EXPECT_FALSE(InkIn(0, t + h, canvas.Width, canvas.Height));
  EXPECT_FALSE(InkIn(0, 0, l, canvas.Height)) << "nothing left of the area";
  EXPECT_FALSE(InkIn(l + w, 0, canvas.Width, canvas.Height)) << "nothing right of the area";
  EXPECT_TRUE(InkIn(l, t + f + 5, l + w, t + h - f - 5));
  // The title is right-aligned; the footer text starts at the left, the page
  // label ends at the right.
  EXPECT_TRUE(InkIn(l + w - 4 * f, t, l + w, t + f));
  EXPECT_FALSE(InkIn(l, t, l + w / 2, t + f));
  EXPECT_TRUE(InkIn(l, t + h - f, l + 2 * f, t + h));
  EXPECT_TRUE(InkIn(l + w - 2 * f, t + h - f, l + w, t + h));
}

TEST_F(Page, WholePagesOnlyAndNoEmptyLastPage) {
  const int f = Lay(1);
  const int perPage = job.AreaHeight / LineHeight();
  for (int lines : {3 * perPage, 3 * perPage + 1, 1}) {
    Lay(lines);
    EXPECT_EQ(PrintPages(&job, f), (lines + perPage - 1) / perPage) << lines << " lines";
  }
  // Not even one line fits: no page is drawn, no header and no footer.
  FillCanvas(canvas, RGB(255, 255, 255));
  Lay(3);
  job.AreaHeight = LineHeight() - 1;
  EXPECT_EQ(PrintPages(&job, f), 0);
  EXPECT_FALSE(InkIn(0, 0, canvas.Width, canvas.Height));
}

TEST(DevMode, OnlyWholeRecordsReachThePlatform) {
  std::vector<unsigned char> dm(sizeof(DEVMODEW) + 16, 0);
  auto set = [&](uint16_t size, uint16_t extra) {
    std::memcpy(dm.data() + offsetof(DEVMODEW, dmSize), &size, 2);
    std::memcpy(dm.data() + offsetof(DEVMODEW, dmDriverExtra), &extra, 2);
  };
  const uint16_t whole = sizeof(DEVMODEW);
  set(whole, 16);
  EXPECT_TRUE(IsUsableDevMode(dm.data(), dm.size()));
  EXPECT_FALSE(IsUsableDevMode(dm.data(), dm.size() - 1)) << "private data past the block";
  set(whole, 17);
  EXPECT_FALSE(IsUsableDevMode(dm.data(), dm.size()));
  set(whole + 17, 0);
  EXPECT_FALSE(IsUsableDevMode(dm.data(), dm.size())) << "dmSize past the block";
  set(60, 0);
  EXPECT_FALSE(IsUsableDevMode(dm.data(), dm.size())) << "dmSize shorter than the record";
  set(whole, 0);
  EXPECT_FALSE(IsUsableDevMode(dm.data(), 70)) << "block too short for the header";
  EXPECT_FALSE(IsUsableDevMode(nullptr, 0));
}

// Answers the modal windows of this thread: page setup with OK or Cancel,
// message boxes with OK after noting their caption and text.
struct DialogDriver {
  static inline bool Cancel = false;
  static inline std::vector<std::wstring> Boxes;  // "caption: text"
  static inline int PageSetups = 0;

  static BOOL CALLBACK Answer(HWND window, LPARAM) {
    wchar_t cls[32] = {}, caption[128] = {}, text[256] = {};
    GetClassNameW(window, cls, 32);
    if (!IsWindowVisible(window) || std::wcscmp(cls, L"#32770") != 0) return TRUE;
    GetWindowTextW(window, caption, 128);
    if (GetDlgItem(window, 0xFFFF) && !GetDlgItem(window, 0x0483)) {
      GetDlgItemTextW(window, 0xFFFF, text, 256);
      Boxes.push_back(std::wstring(caption) + L": " + text);
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    } else {
      ++PageSetups;
      PostMessageW(window, WM_COMMAND, Cancel ? IDCANCEL : IDOK, 0);
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), Answer, 0); }

  UINT_PTR timer;
  explicit DialogDriver(bool cancel) {
    Cancel = cancel;
    Boxes.clear();
    PageSetups = 0;
    timer = SetTimer(nullptr, 0, 100, Tick);
  }
  ~DialogDriver() { KillTimer(nullptr, timer); }
};

bool HaveCupsPrinter() { return std::getenv("ORVANE_CUPS_PRINTER") != nullptr; }

TEST(NoPrinter, PageSetupFailureIsShownWordForWord) {
  if (HaveCupsPrinter()) GTEST_SKIP() << "a printer is installed";
  DeleteSettingsTree();
  DialogDriver driver(false);
  PrintMargins m{};
  EXPECT_EQ(BeginPrintJob(nullptr, L"test", &m), nullptr);
  // The platform may tell first in a box of its own; ours comes last.
  ASSERT_FALSE(driver.Boxes.empty());
  EXPECT_EQ(driver.Boxes.back(), L"Error Printing: No Default Printer");
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS)
      << "nothing is stored";
}

class Printer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveCupsPrinter()) GTEST_SKIP() << "needs the CUPS printer of tests/system/print_test.sh";
    DeleteSettingsTree();
    AppSettings.FontSettings = TestFont(12);
    AppSettings.Flags = 0;
  }
};

TEST_F(Printer, CancelShowsNothingAndStoresNothing) {
  DialogDriver driver(true);
  PrintMargins m{};
  EXPECT_EQ(BeginPrintJob(nullptr, L"cancelled", &m), nullptr);
  EXPECT_EQ(driver.PageSetups, 1);
  EXPECT_TRUE(driver.Boxes.empty());
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
}

// Prints a text of a known number of pages on the PDF printer, stores the
// expected count for the script, and checks what the registry keeps.
TEST_F(Printer, PrintsAPaneAndKeepsPrinterAndMargins) {
  // Broken stored printer settings are passed over as if none were stored.
  PutBinary(L"DevMode", std::vector<unsigned char>(40, 0xFF));
  PutDword(L"PrintLeft", 500);
  PutDword(L"PrintTop", 750);
  PutDword(L"PrintRight", 600);
  PutDword(L"PrintBottom", 800);
  const int lines = 130;
  PaneView pane{};
  pane.Font = TestFont(12);
  pane.Text = BuildText(Words(lines));
  const int objects = LiveGdiObjects();
  {
    DialogDriver driver(false);
    PrintPane(&pane);
    EXPECT_EQ(LiveGdiObjects(), objects) << "the job's fonts are deleted";
    EXPECT_EQ(driver.PageSetups, 1);
    EXPECT_TRUE(driver.Boxes.empty()) << (driver.Boxes.empty() ? std::wstring() : driver.Boxes[0]).c_str();
  }
  std::free(pane.Text);
  EXPECT_EQ(ReadDwordSetting(nullptr, L"PrintLeft", 0), 500);
  EXPECT_EQ(ReadDwordSetting(nullptr, L"PrintTop", 0), 750);
  EXPECT_EQ(ReadDwordSetting(nullptr, L"PrintRight", 0), 600);
  EXPECT_EQ(ReadDwordSetting(nullptr, L"PrintBottom", 0), 800);
  DWORD size = 0;
  unsigned char* dm = ReadBinarySetting(L"DevMode", &size);
  ASSERT_NE(dm, nullptr);
  ASSERT_TRUE(IsUsableDevMode(dm, size));

  // The expected pages, from the printer's own measures: whole lines of the
  // plain style into the text band.
  wchar_t printer[256] = {};
  DWORD units = 256;
  ASSERT_TRUE(GetDefaultPrinterW(printer, &units));
  EXPECT_GT(std::wcslen(printer), 31u) << "a name longer than the DEVMODE holds";
  HDC dc = CreateDCW(nullptr, printer, nullptr, reinterpret_cast<DEVMODEW*>(dm));
  std::free(dm);
  ASSERT_NE(dc, nullptr);
  PaneView job{};
  job.Dc = dc;
  job.Font = TestFont(12);
  SetPrintArea(&job, PrintMargins{500, 750, 600, 800}, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
               GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
  ReserveHeaderFooter(&job);
  HFONT old = SelectStyle(&job, StylePlain);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  const int perPage = job.AreaHeight / tm.tmHeight;
  DestroyPaneView(&job, false);
  DeleteDC(dc);
  ASSERT_GT(perPage, 0);
  const int pages = (lines + perPage - 1) / perPage;
  EXPECT_GE(pages, 2);
  if (const char* path = std::getenv("ORVANE_PRINT_EXPECT")) std::ofstream(path) << pages << "\n";
}

}  // namespace
