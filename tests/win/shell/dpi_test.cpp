// The reader at the session's DPI. Runs once per DPI, each time in a fresh
// prefix whose LogPixels is set before anything starts (ORVANE_LOGPIXELS, see
// tools/with-display.sh): every length laid out in pixels must be its 96-DPI
// size times the scale, within a pixel, at start and again after the window
// is told it moved to a monitor of another DPI.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "dialogs/search_dialog.h"
#include "layout/paneview.h"
#include "layout/scale.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
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
  ScrollPane(MainPane, 7, 0, true);
  ASSERT_GT(MainPane->FirstRow, 0) << "the article is longer than the pane";
  const PanePosition top = TopPosition(MainPane);
  GetWindowRect(window, &r);
  SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(row->movedTo, row->movedTo),
               reinterpret_cast<LPARAM>(&r));
  ExpectScaled(MeasureWindow(window, row->movedTo), "after moving to " + std::to_string(row->movedTo) + " DPI");
  const uint16_t row0 = MainPane->FirstRow;
  ScrollToPosition(MainPane, top);
  EXPECT_EQ(MainPane->FirstRow, row0) << "the line at the top stays at the top";
  // And back: the toolbar, its pictures and the fonts of the other DPI are gone.
  SendMessageW(window, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(LiveGdiObjects(), before);
  DestroyWindow(window);
}
