// The reader at the session's DPI. Runs once per DPI, each time in a fresh
// prefix whose LogPixels is set before anything starts (ORVANE_LOGPIXELS, see
// tools/with-display.sh): every length laid out in pixels must be its 96-DPI
// size times the scale, within a pixel, at start and again after the window
// is told it moved to a monitor of another DPI.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "dialogs/search_dialog.h"
#include "layout/paneview.h"
#include "layout/scale.h"
#include "resources/dialogs.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "shell/results.h"
#include "shell/splitview.h"
#include "tests/win/common/gdi_tracking.h"
#include "tests/win/common/reader_setup.h"

namespace {

// The session's DPI as the prefix was set up.
int SessionDpi() {
  DWORD dpi = 96, size = sizeof dpi;
  RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD, nullptr, &dpi, &size);
  return static_cast<int>(dpi);
}

// Rows of the separator's colour in one column of the commentary section.
int SeparatorRows(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC screen = GetDC(window);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PaintCommentarySection(dc);
  int rows = 0;
  for (int y = 0; y < client.bottom; ++y) rows += GetPixel(dc, CommentaryArea.left + 5, y) == SeparatorColour;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(window, screen);
  return rows;
}

struct Measure {
  const char* what;
  double wanted;  // at the DPI
  int measured;
};

// A 96-DPI size at dpi.
double At(int dpi, int size96) { return size96 * dpi / 96.0; }

// What the main window lays out in pixels, and what it should be at dpi.
std::vector<Measure> MeasureWindow(HWND window, int dpi) {
  RECT button{};
  SendMessageW(Toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
  RECT bar;
  GetWindowRect(MainScrollBar, &bar);
  TEXTMETRICW tm{};
  const HFONT old = SelectStyle(MainPane, StylePlain);
  GetTextMetricsW(MainPane->Dc, &tm);
  SelectObject(MainPane->Dc, old);
  return {{"toolbar button width", At(dpi, 23), button.right - button.left},
          {"toolbar button height", At(dpi, 22), button.bottom - button.top},
          {"gutter left", At(dpi, 10), MainPane->AreaLeft},
          {"gutter above", At(dpi, 10), MainPane->AreaTop - ToolbarHeight() + 1},
          {"separator", At(dpi, 2), SeparatorRows(window)},
          // The system's own width at the DPI, which need not be 16 scaled.
          {"scroll bar width", static_cast<double>(MetricForDpi(SM_CXVSCROLL, dpi)), bar.right - bar.left},
          {"line height of DejaVu Sans at 12 points", At(dpi, 19), static_cast<int>(tm.tmHeight)}};
}

void ExpectScaled(const std::vector<Measure>& measures, const std::string& when) {
  for (const Measure& m : measures) EXPECT_NEAR(m.measured, m.wanted, 1.0) << m.what << " " << when;
}

// Tells a window that it is now on a monitor of dpi, as the system does, and
// handles what that posts.
void MoveToDpi(HWND window, int dpi) {
  RECT r;
  GetWindowRect(window, &r);
  TellDpiChanged(window, dpi, r);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Acts on the modal dialog once it shows (from a timer in its own loop), then cancels it.
std::function<void(HWND)> Driver;
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = FindWindowW(L"#32770", nullptr);
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, id);
  Driver(dialog);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

TEST(Dpi, EverythingLaidOutInPixelsFollowsTheDisplayScale) {
  // Each DPI of the session, and the DPI the window is then told it moved to.
  const struct {
    int dpi;
    int movedTo;
  } rows[] = {{96, 192}, {144, 96}, {192, 144}};
  const int dpi = SessionDpi();
  const auto* row = std::find_if(std::begin(rows), std::end(rows), [&](const auto& r) { return r.dpi == dpi; });
  ASSERT_NE(row, std::end(rows)) << "no row for a session at " << dpi << " DPI";
  // This program carries the reader's manifest (resources/version.rc): the
  // system must have read per-monitor awareness from it.
  using GetContext = HANDLE(WINAPI*)();
  using GetAwareness = int(WINAPI*)(HANDLE);
  HMODULE user = GetModuleHandleW(L"user32.dll");
  const auto context = reinterpret_cast<GetContext>(
      reinterpret_cast<void*>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
  const auto awareness = reinterpret_cast<GetAwareness>(
      reinterpret_cast<void*>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
  ASSERT_TRUE(context && awareness);
  EXPECT_EQ(awareness(context()), 2) << "per-monitor aware";
  ASSERT_TRUE(OpenBuiltProgram());
  UsePlainSettings();
  LiveGdiObjects();  // tracks what is made from here on

  HWND window = CreateMainWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(MainPane && CommentaryPane && Toolbar);
  SetWindowPos(window, nullptr, 0, 0, 700, 500, SWP_NOZORDER);
  EXPECT_EQ(DpiOfWindow(window), dpi);
  ExpectScaled(MeasureWindow(window, dpi), "at start");

  // The keyboard picture and the search edit's font; a click on a cell
  // inserts its letter at every scale.
  const int objects = LiveGdiObjects();
  HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SEARCH), window,
                                   SearchDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, IDC_SEARCH_TEXT);
  SetWindowTextW(edit, L"");
  RECT r;
  GetWindowRect(DialogPicture(dialog), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
  ExpectScaled({{"keyboard picture width", At(dpi, KeyboardWidth), static_cast<int>(r.right - r.left)},
                {"keyboard picture height", At(dpi, KeyboardHeight), static_cast<int>(r.bottom - r.top)},
                {"search edit font height", At(dpi, 12), static_cast<int>(font.lfHeight)}},
               "in the search dialog");
  // Clicks at 1x places scaled (the first near a cell's corner): the letter a
  // click inserts goes before the caret, so the text reads backwards.
  const struct {
    int x, y;
  } clicks[] = {{16, 24}, {8 * 17 + 8, 12}, {8 * 17 + 8, 25 + 12}, {0 * 17 + 8, 2 * 25 + 12}, {4 * 17, 3 * 25 + 10}};
  for (const auto& c : clicks) {
    SendMessageW(dialog, WM_LBUTTONDOWN, 0,
                 MAKELPARAM(r.left + MulDiv(c.x, dpi, 96), r.top + MulDiv(c.y, dpi, 96)));
  }
  wchar_t typed[16] = {};
  GetWindowTextW(edit, typed, 16);
  EXPECT_STREQ(typed, L" \u05EA\u05D9\u05D0\u05D8");
  DestroyWindow(dialog);
  EXPECT_EQ(LiveGdiObjects(), objects) << "the dialog's picture and font are given back";

  // The window moves to a monitor of another DPI: the same lengths at that
  // DPI, and each pane still starts with the line it started with.
  const int before = LiveGdiObjects();
  ScrollPane(MainPane, 7, true);
  ASSERT_GT(MainPane->FirstRow, 0) << "the article is longer than the pane";
  const PanePosition top = TopPosition(MainPane);
  GetWindowRect(window, &r);
  // Sent to a system-aware process, the DPI is not the window's: no change.
  SendMessageW(window, DpiChangedMessage, MAKEWPARAM(row->movedTo, row->movedTo), reinterpret_cast<LPARAM>(&r));
  ExpectScaled(MeasureWindow(window, dpi), "told of a DPI it does not have");
  TellDpiChanged(window, row->movedTo, r);
  ExpectScaled(MeasureWindow(window, row->movedTo), "after moving to " + std::to_string(row->movedTo) + " DPI");
  const uint16_t row0 = MainPane->FirstRow;
  ScrollToPosition(MainPane, top);
  EXPECT_EQ(MainPane->FirstRow, row0) << "the line at the top stays at the top";
  // And back: the toolbar, its pictures and the fonts of the other DPI are gone.
  TellDpiChanged(window, dpi, r);
  EXPECT_EQ(LiveGdiObjects(), before);
  DestroyWindow(window);
}

// Each dialog moved to a monitor of another DPI and back: the controls with
// fonts of their own keep the user's face (the link its underline) at the
// new size, the pictures come from the set for that DPI, Choose Daf's lists
// are placed with lengths for it, and nothing made on the way is left
// behind. The results window's columns scale with the DPI.
TEST(Dpi, DialogsAndTheResultsWindowRemakeTheirOwnFontsAndPictures) {
  const int dpi = SessionDpi(), movedTo = dpi == 96 ? 192 : dpi == 144 ? 96 : 144;
  ASSERT_TRUE(OpenBuiltProgram());
  UsePlainSettings();
  MSG quit;  // left by a reader window destroyed before: it would end every dialog at once
  while (PeekMessageW(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  HWND window = CreateMainWindow();
  ASSERT_NE(window, nullptr);
  MainWindow = window;
  // Each dialog's control with a font of its own, that font's height at 96
  // DPI (0: the about link, which keeps its underline) and its picture's width.
  BITMAP logo{};
  HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO), IMAGE_BITMAP, 0, 0, 0);
  GetObjectW(image, sizeof logo, &logo);
  DeleteObject(image);
  const struct { const char* name; std::function<void()> open; int control, height, picture; } rows[] = {
      {"search", [&] { SearchDialog(window, nullptr); }, IDC_SEARCH_TEXT, 12, KeyboardWidth},
      {"choose daf", [&] { ChooseDaf(AppInstance, window, 1); }, IDC_DAF_TRACTATES, 14, 0},
      {"font", [&] { FontSettings f = AppSettings.FontSettings; FontDialog(window, &f); }, IDC_FONT_PREVIEW, 12, 0},
      {"about", [&] { AboutBox(window); }, IDC_ABOUT_LINK, 0, logo.bmWidth},
  };
  for (const auto& row : rows) {
    const int objects = LiveGdiObjects();
    bool driven = false;
    Driver = [&](HWND dialog) {
      driven = true;
      for (const int at : {movedTo, dpi}) {
        MoveToDpi(dialog, at);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendDlgItemMessageW(dialog, row.control, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        RECT client{}, box{}, picture{};
        GetClientRect(dialog, &client);
        GetWindowRect(GetDlgItem(dialog, row.control), &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
        GetWindowRect(DialogPicture(dialog), &picture);
        std::vector<Measure> m = {{"underlined link", 1, font.lfUnderline ? 1 : 0}};
        if (row.height) m = {{"font height", At(at, row.height), static_cast<int>(font.lfHeight)},
                             {"the user's face", 1, lstrcmpW(font.lfFaceName, L"DejaVu Sans") == 0 ? 1 : 0}};
        if (row.picture) m.push_back({"picture width", At(at, row.picture), static_cast<int>(picture.right - picture.left)});
        if (row.control == IDC_DAF_TRACTATES)
          m.push_back({"gap left of the tractates", At(at, 4), static_cast<int>(box.left - client.right / 2)});
        ExpectScaled(m, std::string("in the ") + row.name + " dialog at " + std::to_string(at));
      }
    };
    SetTimer(nullptr, 0, 50, DriveDialog);
    row.open();
    EXPECT_TRUE(driven) << row.name;
    EXPECT_EQ(LiveGdiObjects(), objects) << "the " << row.name << " dialog gives back its fonts and pictures";
  }

  // The results window's columns, measured anew with fonts for the DPI,
  // scale with it (to the rounding of the font's sizes) and come back exactly.
  AppSettings.SearchString[0] = 'a';
  FindAll(window);
  ASSERT_NE(ResultsWindow, nullptr);
  HWND list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  int widths[4];
  for (int c = 0; c < 4; ++c) widths[c] = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
  for (const int at : {movedTo, dpi}) {
    MoveToDpi(ResultsWindow, at);
    for (int c = 0; c < 4; ++c) {
      const double scaled = widths[c] * at / static_cast<double>(dpi);
      EXPECT_NEAR(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0), scaled, at == dpi ? 1 : 2 + scaled * 0.08)
          << "column " << c << " at " << at;
    }
  }
  DestroyWindow(ResultsWindow);
  DestroyWindow(window);
  MainWindow = nullptr;
}
