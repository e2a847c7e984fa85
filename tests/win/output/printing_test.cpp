// Printing under Wine: the page geometry and the page loop on a memory
// device context the size of a 300-dpi page, and page setup driven for real
// (the modal dialogs are answered from a thread timer). The Printer tests
// need the CUPS PDF printer that tests/system/print_test.sh starts; they are
// skipped without it.
#include <gtest/gtest.h>
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "output/printing.h"
#include "output/settings.h"
#include "store/records.h"
#include "tests/win/layout/test_pane.h"
#include "tests/win/output/registry_helpers.h"

namespace {

bool Dark(COLORREF c) { return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128; }

std::vector<Paragraph> Words(int count) { return std::vector<Paragraph>(count, Paragraph{0x01, 0, "abc def"}); }

// The page calls on the memory page, counted.
int Started, Ended;
int WINAPI Start(HDC) { return ++Started; }
int WINAPI End(HDC) { return ++Ended; }
PageCalls Counted() { return Started = Ended = 0, PageCalls{Start, End}; }
// A DEVNAMES block: four offsets in characters, then driver, device and port.
const std::wstring Names(L"\4\xF\x1C\0wineps.drv\0Gone printer\0LPT1:\0", 34);

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
    SetPrintArea(&job, PrintMargins{1000, 500, 750, 1000}, PageMeasures{300, 300, 2550, 3300, 0, 0, 0, 0});
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
  EXPECT_EQ(PrintPages(&job, f, Counted()), 1);

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

// Under Reverse with the Unicode letters the printed line and the header's
// title show as stored: drawn again a glyph at a time in stored order, they match.
TEST_F(Page, UnderReverseTheLineAndTheTitleShowAsStored) {
  const std::string line = ".bc :(12 de) fg ,\"hi\" 3.5 jk";
  SetPrintArea(&job, PrintMargins{1000, 500, 750, 1000}, PageMeasures{300, 300, 2550, 3300, 0, 0, 0, 0});
  ASSERT_EQ(LayoutPane(&job, BuildText({{0x91, 0, line}}), true), LayoutOk);
  const int f = ReserveHeaderFooter(&job);
  AppSettings.Flags = Reverse;
  SetBkMode(canvas.Dc, TRANSPARENT);
  ASSERT_EQ(PrintPages(&job, f, Counted()), 1);
  const RECT body{0, job.AreaTop, canvas.Width, job.AreaTop + job.Lines[0].LineHeight};
  const RECT header{0, job.AreaTop - f - 5, canvas.Width, job.AreaTop - 5};
  const std::vector<uint32_t> printed = Pixels(canvas, body), title = Pixels(canvas, header);
  FillCanvas(canvas, RGB(255, 255, 255));
  HFONT old = SelectStyle(&job, 0x91);
  DrawStoredOrder(canvas.Dc, line, job.Lines[0].X, job.AreaTop);
  SelectStyle(&job, StyleSmallPrint);
  SIZE size{};  // the title as held: dalet, a double quote, samekh, bet
  GetTextExtentPoint32W(canvas.Dc, L"\u05D3\"\u05E1\u05D1", 4, &size);
  DrawStoredOrder(canvas.Dc, "d\"rb", job.AreaLeft + job.AreaWidth - size.cx, job.AreaTop - f - 5);
  SelectObject(canvas.Dc, old);
  EXPECT_EQ(DifferingPixels(printed, Pixels(canvas, body)), 0);
  EXPECT_EQ(DifferingPixels(title, Pixels(canvas, header)), 0);
  AppSettings.Flags = 0;
}

TEST_F(Page, WholePagesOnlyAndNoEmptyLastPage) {
  const int f = Lay(1);
  const int perPage = job.AreaHeight / LineHeight();
  struct Row { int lines, pages; };
  for (Row r : {Row{3 * perPage, 3}, Row{3 * perPage + 1, 4}, Row{1, 1}}) {
    Lay(r.lines);
    EXPECT_EQ(PrintPages(&job, f, Counted()), r.pages) << r.lines << " lines";
    EXPECT_EQ(Started + Ended, 2 * r.pages);
  }
  // Not even one line fits: no page is begun, no header and no footer.
  FillCanvas(canvas, RGB(255, 255, 255));
  Lay(3);
  job.AreaHeight = LineHeight() - 1;
  EXPECT_EQ(PrintPages(&job, f, Counted()), PrintNothingFits);
  EXPECT_EQ(Started, 0);
  EXPECT_FALSE(InkIn(0, 0, canvas.Width, canvas.Height));
}

// Page Setup's margins are from the paper's edges, the device's coordinates
// from the printable area: a 300-dpi letter page whose printer cannot reach
// the outer 75 dots left and right and 150 top and bottom.
TEST(PrintArea, MarginsAreMeasuredFromThePapersEdge) {
  const PageMeasures printer{300, 300, 2400, 3000, 75, 150, 2550, 3300};
  const struct { PrintMargins margins; PageMeasures page; std::vector<int> area; } rows[] = {
      {{1000, 1000, 1000, 1000}, printer, {225, 150, 2175, 2850}},
      {{1000, 500, 750, 2000}, printer, {225, 0, 2250, 2550}},  // a top margin just the unprintable strip
      {{200, 100, 0, 400}, printer, {0, 0, 2400, 3000}},        // inside the strips: the printable area
      {{-1000, -5, 250, 500}, printer, {0, 0, 2400, 3000}},     // negative margins count as none
      {{1000, 1000, 1000, 1000}, {300, 300, 2550, 3300, 0, 0, 0, 0}, {300, 300, 2250, 3000}},  // no paper size
      {{1000, 1000, 1000, 1000}, {600, 600, 4800, 6000, 150, 300, 5100, 6600}, {450, 300, 4350, 5700}},
  };
  for (const auto& r : rows) {
    PaneView job{};
    SetPrintArea(&job, r.margins, r.page);
    EXPECT_EQ((std::vector<int>{job.AreaLeft, job.AreaTop, job.AreaLeft + job.AreaWidth, job.AreaTop + job.AreaHeight}),
              r.area) << "row " << &r - rows;
  }
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

  // DEVNAMES whole; its port's terminator past the block, a device offset
  // past it, a driver offset in the header, no device name, no names at all.
  struct Row { size_t units, at; wchar_t unit; bool usable; };
  for (Row r : {Row{34, 0, 4, 1}, Row{33, 0, 4, 0}, Row{34, 1, 40, 0}, Row{34, 0, 2, 0}, Row{34, 15, 0, 0},
                Row{3, 0, 4, 0}}) {
    std::wstring n = Names;
    n[r.at] = r.unit;
    EXPECT_EQ(IsUsableDevNames(n.data(), r.units * 2), r.usable) << r.units << " " << r.at;
  }
}

// Answers the modal windows of this thread: the Print and page setup dialogs
// with OK or Cancel, message boxes with OK after noting caption and text.
struct DialogDriver {
  static inline bool Cancel = false;
  static inline std::vector<std::wstring> Boxes;  // "caption: text"
  static inline int Prints = 0, PageSetups = 0;
  static inline bool HalfInchLeft = false;

  static BOOL CALLBACK Answer(HWND window, LPARAM) {
    wchar_t cls[32] = {}, caption[128] = {}, text[512] = {};
    GetClassNameW(window, cls, 32);
    if (!IsWindowVisible(window) || std::wcscmp(cls, L"#32770") != 0) return TRUE;
    GetWindowTextW(window, caption, 128);
    if (GetDlgItem(window, 0x0473)) {  // the printer list of the Print dialog
      ++Prints;
    } else if (HWND left = GetDlgItem(window, 0x0483)) {  // page setup's left margin
      ++PageSetups;
      GetWindowTextW(left, text, 32);  // inches or millimetres, as the locale measures
      if (HalfInchLeft) SetWindowTextW(left, _wtof(text) > 2 ? L"12.7" : L"0.5");
      SendMessageW(window, WM_COMMAND, MAKEWPARAM(0x0483, EN_KILLFOCUS), reinterpret_cast<LPARAM>(left));
    } else {
      GetDlgItemTextW(window, 0xFFFF, text, 512);
      Boxes.push_back(std::wstring(caption) + L": " + text);
      PostMessageW(window, WM_COMMAND, IDOK, 0);
      return TRUE;
    }
    PostMessageW(window, WM_COMMAND, Cancel ? IDCANCEL : IDOK, 0);
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), Answer, 0); }

  UINT_PTR timer;
  explicit DialogDriver(bool cancel, bool halfInchLeft = false) {
    Cancel = cancel;
    HalfInchLeft = halfInchLeft;
    Boxes.clear();
    Prints = PageSetups = 0;
    timer = SetTimer(nullptr, 0, 100, Tick);
  }
  ~DialogDriver() { KillTimer(nullptr, timer); }
  std::wstring FirstBox() const { return Boxes.empty() ? std::wstring() : Boxes[0]; }
};

bool HaveCupsPrinter() { return std::getenv("ORVANE_CUPS_PRINTER") != nullptr; }

TEST(NoPrinter, PageSetupFailureIsShownWordForWord) {
  if (HaveCupsPrinter()) GTEST_SKIP() << "a printer is installed";
  DeleteSettingsTree();
  DialogDriver driver(false);
  PageSetup(nullptr);
  // The platform may tell first in a box of its own; ours comes last.
  ASSERT_FALSE(driver.Boxes.empty());
  EXPECT_EQ(driver.Boxes.back(), L"Error Printing: No Default Printer");
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS)
      << "nothing is stored";
}

// Stand-ins for the printer dialogs and the printer look-up: each dialog call
// takes the next answer of a script (Ok, 0 for Cancel, else the extended
// error) and notes whether it was handed the names, and their flags.
namespace standin {
constexpr DWORD Ok = 0xFFFFFFFF;
std::vector<DWORD> Answers;
DWORD Error = 0, OpenError = 0;
struct Handed { bool names; WORD flags; };
std::vector<Handed> Calls;

template <class Request>
BOOL WINAPI Dialog(Request* r) {
  Handed h{r->hDevNames != nullptr, 0};
  const DWORD answer = Calls.size() < Answers.size() ? Answers[Calls.size()] : 0;
  if (auto* names = h.names ? static_cast<DEVNAMES*>(GlobalLock(r->hDevNames)) : nullptr) {
    h.flags = names->wDefault;
    if (answer == Ok) names->wDefault |= DN_DEFAULTPRN;  // as for the default printer
    GlobalUnlock(r->hDevNames);
  }
  Calls.push_back(h);
  Error = answer == Ok ? 0 : answer;
  return answer == Ok;
}
DWORD WINAPI LastError() { return Error; }
BOOL WINAPI Open(LPWSTR, HANDLE* printer, PRINTER_DEFAULTSW*) {
  *printer = nullptr;
  SetLastError(OpenError);
  return OpenError == 0;
}
std::wstring Listed;  // the one printer the enumeration lists, or none
BOOL WINAPI Enum(DWORD, LPWSTR, DWORD, LPBYTE list, DWORD size, LPDWORD needed, LPDWORD count) {
  *needed = Listed.empty() ? 0 : DWORD(sizeof(PRINTER_INFO_4W) + 2 * (Listed.size() + 1));
  *count = 0;
  if (size < *needed) return SetLastError(ERROR_INSUFFICIENT_BUFFER), FALSE;
  auto* info = reinterpret_cast<PRINTER_INFO_4W*>(list);
  if (*needed) *info = {wcscpy(reinterpret_cast<wchar_t*>(info + 1), Listed.c_str()), nullptr, 0}, *count = 1;
  return TRUE;
}
}  // namespace standin

// A remembered printer (stored marked as the default's, by an older version)
// in either dialog, by what the system and the dialog say: handed over
// unmarked, a second call without it after an error, forgotten only when gone.
TEST(PrinterDialogs, ARememberedPrinterIsForgottenOnlyWhenItIsGone) {
  struct Restore {
    const PrinterDialogCalls platform = PrinterDialogs;
    ~Restore() { PrinterDialogs = platform; }
  } restore;
  PrinterDialogs = {standin::Dialog<PRINTDLGW>, standin::Dialog<PAGESETUPDLGW>, standin::LastError, standin::Open,
                    standin::Enum};
  std::wstring marked = Names;
  marked[3] = DN_DEFAULTPRN;
  const auto* bytes = reinterpret_cast<const unsigned char*>(marked.data());
  const std::vector<unsigned char> stored(bytes, bytes + 2 * marked.size()), forgotten;
  std::vector<unsigned char> cleared = stored;
  cleared[6] = 0;
  using Boxes = std::vector<std::wstring>;
  const struct {
    DWORD openError; std::vector<DWORD> answers; const std::vector<unsigned char>& after; Boxes box;
    std::wstring listed = L"";  // by the enumeration of printers
  } rows[] = {
      {0, {standin::Ok}, cleared, {}},                 // chosen: stored unmarked
      {0, {PDERR_DEFAULTDIFFERENT, 0}, stored, {}},    // refused: once more without it
      {0, {PDERR_DEFAULTDIFFERENT, PDERR_DEFAULTDIFFERENT}, stored, {L"Error Printing: Default Different"}},
      {0, {PDERR_NODEFAULTPRN}, stored, {L"Error Printing: No Default Printer"}},  // told at once
      {ERROR_ACCESS_DENIED, {0}, stored, {}},          // out of reach: kept, the dialog without it
      {0, {PDERR_PRINTERNOTFOUND, 0}, forgotten, {}},  // not found by the dialog
      {ERROR_INVALID_PRINTER_NAME, {0}, forgotten, {}},
      {ERROR_INVALID_PRINTER_NAME, {0}, stored, {}, L"GONE PRINTER"},  // a server out of reach: kept
  };
  for (const auto& r : rows) {
    for (bool print : {false, true}) {
      if (print && r.answers[0] == standin::Ok) continue;  // OK in the Print dialog wants a real printer
      DeleteSettingsTree();
      PutBinary(L"DevNames", stored);
      standin::OpenError = r.openError;
      standin::Listed = r.listed;
      standin::Answers = r.answers;
      standin::Calls.clear();
      DialogDriver driver(false);
      ChosenPrinter chosen{};
      if (print) EXPECT_FALSE(ChoosePrinter(nullptr, &chosen));
      else PageSetup(nullptr);
      const std::string what = (print ? "Print, row " : "Page Setup, row ") + std::to_string(&r - rows);
      ASSERT_EQ(standin::Calls.size(), r.answers.size()) << what;
      EXPECT_EQ(standin::Calls[0].names, r.openError == 0) << what;
      EXPECT_EQ(standin::Calls[0].flags & DN_DEFAULTPRN, 0) << what << ": handed over unmarked";
      EXPECT_FALSE(r.answers.size() > 1 && standin::Calls[1].names) << what << ": the second time without it";
      EXPECT_EQ(GetValue(L"DevNames").bytes, r.after) << what;
      EXPECT_EQ(driver.Boxes, r.box) << what;
    }
  }
}

// The script's printer, with a name longer than a DEVMODE holds.
constexpr wchar_t CupsPrinter[] = L"Orvane-PDF-printer-with-a-long-queue-name";
std::wstring StoredDevice() {
  const StoredValue v = GetValue(L"DevNames");
  const auto* all = reinterpret_cast<const wchar_t*>(v.bytes.data());
  return IsUsableDevNames(all, v.bytes.size()) ? all + reinterpret_cast<const DEVNAMES*>(all)->wDeviceOffset : L"";
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
  ChosenPrinter chosen{};
  EXPECT_FALSE(ChoosePrinter(nullptr, &chosen));
  PageSetup(nullptr);
  EXPECT_EQ(driver.Prints, 1);
  EXPECT_EQ(driver.PageSetups, 1);
  EXPECT_TRUE(driver.Boxes.empty());
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
}

// A remembered printer that is gone: the default printer is offered instead,
// without a message, and remembered from then on.
TEST_F(Printer, AGonePrinterFallsBackToTheDefaultOnce) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(Names.data());
  PutBinary(L"DevNames", std::vector<unsigned char>(bytes, bytes + 2 * Names.size()));
  DialogDriver driver(false);
  PageSetup(nullptr);  // Wine's page setup ends the program when given a printer that is gone
  EXPECT_TRUE(driver.Boxes.empty()) << driver.FirstBox().c_str();
  EXPECT_EQ(StoredDevice(), CupsPrinter);
}

// Page setup stores the margins the dialog returns and the printer whole;
// the next print lays out with them, writes them back, and the expected
// pages of a text of a known length go to the script.
TEST_F(Printer, PrintsAPaneAndKeepsPrinterAndMargins) {
  // Broken stored printer settings are passed over as if none were stored.
  PutBinary(L"DevMode", std::vector<unsigned char>(40, 0xFF));
  PutBinary(L"DevNames", std::vector<unsigned char>(12, 0xFF));
  {
    DialogDriver driver(false, true);
    PageSetup(nullptr);
    EXPECT_TRUE(driver.PageSetups == 1 && driver.Boxes.empty()) << driver.FirstBox().c_str();
  }
  EXPECT_EQ(GetValue(L"PrintLeft").Dword(), 500u) << "the margin the dialog returned";
  EXPECT_EQ(GetValue(L"PrintTop").Dword(), 1000u) << "the default the dialog was given";
  EXPECT_EQ(StoredDevice(), CupsPrinter);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKeyPath, L"PrintBottom");

  const int lines = 130;
  PaneView pane{};
  pane.Font = TestFont(12);
  pane.Text = BuildText(Words(lines));
  const int objects = LiveGdiObjects();
  {
    DialogDriver driver(false);
    PrintPane(&pane, nullptr);
    EXPECT_EQ(LiveGdiObjects(), objects) << "the job's fonts are deleted";
    EXPECT_EQ(driver.Prints, 1);
    EXPECT_TRUE(driver.Boxes.empty()) << driver.FirstBox().c_str();
  }
  EXPECT_NE(pane.Text, nullptr) << "the pane keeps its text";
  std::free(pane.Text);
  EXPECT_EQ(GetValue(L"PrintLeft").Dword(), 500u);
  EXPECT_EQ(GetValue(L"PrintBottom").Dword(), 1000u) << "the default written on printing";
  DWORD size = 0;
  unsigned char* dm = ReadBinarySetting(L"DevMode", &size);
  ASSERT_NE(dm, nullptr);
  ASSERT_TRUE(IsUsableDevMode(dm, size));

  // The expected pages, from the printer's own measures and fonts made here:
  // the paper less an inch at top and bottom, less the header and footer bands
  // (the face at 8 points) and their 5-dot gaps, holds whole lines at 12 points.
  HDC dc = CreateDCW(nullptr, CupsPrinter, nullptr, reinterpret_cast<DEVMODEW*>(dm));
  std::free(dm);
  ASSERT_NE(dc, nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY), printable = GetDeviceCaps(dc, VERTRES);
  const int top = GetDeviceCaps(dc, PHYSICALOFFSETY), bottom = GetDeviceCaps(dc, PHYSICALHEIGHT) - top - printable;
  auto cell = [&](int points) {
    HGDIOBJ old = SelectObject(dc, CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                               0, 0, 0, 0, L"DejaVu Sans"));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    DeleteObject(SelectObject(dc, old));
    return static_cast<int>(tm.tmHeight);
  };
  const int perPage = (printable - std::max(0, dpi - top) - std::max(0, dpi - bottom) - 2 * cell(8) - 10) / cell(12);
  DeleteDC(dc);
  ASSERT_GT(perPage, 0);
  const int pages = (lines + perPage - 1) / perPage;
  EXPECT_GE(pages, 2);
  if (const char* path = std::getenv("ORVANE_PRINT_EXPECT")) std::ofstream(path) << pages << "\n";
}

// A job that cannot print says so, aborts its document (nothing reaches the
// queue) and gives the window back.
TEST_F(Printer, NothingFitsIsToldAndNothingIsPrinted) {
  PutDword(L"PrintTop", 6000);
  PutDword(L"PrintBottom", 6000);
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 99, 99, nullptr, 0, 0, nullptr);
  PaneView pane{nullptr, GetDC(window), BuildText(Words(5)), 0, TestFont(12)};
  DialogDriver driver(false);
  PrintPane(&pane, nullptr);
  EXPECT_EQ(driver.Boxes.size(), 1u);
  EXPECT_EQ(driver.FirstBox().rfind(L"Error Printing: Not even one line", 0), 0u) << driver.FirstBox().c_str();
  EXPECT_TRUE(IsWindowEnabled(window));
  std::free(pane.Text);
  ReleaseDC(window, pane.Dc);
  DestroyWindow(window);
}

// The first article in the face the script names; a face the printer cannot
// draw is offered to be replaced by the one the script expects.
TEST_F(Printer, PrintsTheFirstArticleInAFace) {
  const char* program = std::getenv("ORVANE_PROGRAM");
  const char* face = std::getenv("ORVANE_PRINT_FACE");
  const char* box = std::getenv("ORVANE_PRINT_BOX");  // what the one box before printing says, if any
  if (!program || !face || !box) GTEST_SKIP() << "run by tests/system/print_test.sh";
  RecordModule = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  PaneView pane{nullptr, nullptr, LoadTextRecord(1, nullptr), 0, TestFont(12)};
  ASSERT_NE(pane.Text, nullptr) << program;
  MultiByteToWideChar(CP_UTF8, 0, face, -1, pane.Font.FontName, FontNameUnits);
  DialogDriver driver(false);
  PrintPane(&pane, nullptr);
  std::string seen(512, 0);
  seen.resize(WideCharToMultiByte(CP_UTF8, 0, driver.FirstBox().c_str(), -1, seen.data(), 512, 0, 0) - 1);
  EXPECT_EQ(driver.Boxes.size(), box[0] ? 1u : 0u) << seen;
  EXPECT_NE(seen.find(box), std::string::npos) << seen;
  std::free(pane.Text);
  FreeLibrary(RecordModule);
  RecordModule = nullptr;
}

}  // namespace
