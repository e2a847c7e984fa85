// The reader at the session's DPI. Runs once per DPI, each time in a fresh
// prefix whose LogPixels is set before anything starts (ORVANE_LOGPIXELS, see
// tools/with-display.sh): every length laid out in pixels must be its 96-DPI
// size times the scale, within a pixel, at start and again after the window
// is told it moved to a monitor of another DPI.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
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

// The DPI of another monitor for each DPI of the session.
int MovedTo(int dpi) {
  switch (dpi) {
    case 96: return 192;
    case 144: return 96;
    case 192: return 144;
    default: return 0;
  }
}

// Tells a window that it is now on a monitor of dpi, as the system does, and
// handles what that posts.
void MoveToDpi(HWND window, int dpi) {
  RECT r;
  GetWindowRect(window, &r);
  SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The width of a picture as drawn at 1x.
int PictureWidth(UINT id) {
  BITMAP bitmap{};
  HANDLE image = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0);
  GetObjectW(image, sizeof bitmap, &bitmap);
  DeleteObject(image);
  return bitmap.bmWidth;
}

int WidthOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.right - r.left;
}

// A modal dialog, driven from a timer that fires inside its own loop.
std::function<void(HWND)> Driver;
BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
  wchar_t name[16];
  if (!IsWindowVisible(w) || !GetClassNameW(w, name, 16) || lstrcmpW(name, L"#32770") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR id, DWORD) {
  static int tries = 0;
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog && ++tries < 100) return;  // not shown yet: look again
  tries = 0;
  KillTimer(nullptr, id);
  ASSERT_NE(dialog, nullptr) << "the dialog is open";
  Driver(dialog);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

TEST(Dpi, EverythingLaidOutInPixelsFollowsTheDisplayScale) {
  // Each DPI of the session, and the DPI the window is then told it moved to.
  const int dpi = SessionDpi();
  const int movedTo = MovedTo(dpi);
  ASSERT_NE(movedTo, 0) << "no row for a session at " << dpi << " DPI";
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
  SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(movedTo, movedTo), reinterpret_cast<LPARAM>(&r));
  ExpectScaled(MeasureWindow(window, movedTo), "after moving to " + std::to_string(movedTo) + " DPI");
  const uint16_t row0 = MainPane->FirstRow;
  ScrollToPosition(MainPane, top);
  EXPECT_EQ(MainPane->FirstRow, row0) << "the line at the top stays at the top";
  // And back: the toolbar, its pictures and the fonts of the other DPI are gone.
  SendMessageW(window, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(LiveGdiObjects(), before);
  DestroyWindow(window);
}

// Each dialog moved to a monitor of another DPI and back: the controls with
// fonts of their own keep their face (and the link its underline) at the new
// size, the pictures come from the set for that DPI, Choose Daf's lists are
// placed with lengths for it, and nothing made on the way is left behind.
// The results window's columns keep their share of the width.
TEST(Dpi, DialogsAndTheResultsWindowRemakeTheirOwnFontsAndPictures) {
  const int dpi = SessionDpi();
  const int movedTo = MovedTo(dpi);
  ASSERT_NE(movedTo, 0) << "no row for a session at " << dpi << " DPI";
  ASSERT_TRUE(OpenBuiltProgram());
  UsePlainSettings();
  MSG quit;  // left by a reader window destroyed before: it would end every dialog at once
  while (PeekMessageW(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
  HWND window = CreateMainWindow();
  ASSERT_NE(window, nullptr);
  MainWindow = window;
  // The link's font at the session's DPI, from the dialog's: what it is at
  // another DPI is measured against it.
  int linkHeight = 0;
  using Measurer = std::function<std::vector<Measure>(HWND dialog, int dpi)>;
  const struct Row {
    const char* name;
    std::function<void()> open;
    int control;  // the control with a font of its own
    bool atStart;  // whether measure holds before the first DPI change
    Measurer measure;
  } rows[] = {
      {"search", [&] { SearchDialog(window, nullptr); }, IDC_SEARCH_TEXT, true,
       [](HWND dialog, int at) -> std::vector<Measure> {
         return {{"edit font height", At(at, 12), static_cast<int>(FontOf(GetDlgItem(dialog, IDC_SEARCH_TEXT)).lfHeight)},
                 {"keyboard width", At(at, PictureWidth(IDB_KEYBOARD)), WidthOf(DialogPicture(dialog))}};
       }},
      {"choose daf", [&] { ChooseDaf(AppInstance, window, 1); }, IDC_DAF_TRACTATES, false,
       [](HWND dialog, int at) -> std::vector<Measure> {
         RECT client{}, tractates{};
         GetClientRect(dialog, &client);
         GetWindowRect(GetDlgItem(dialog, IDC_DAF_TRACTATES), &tractates);
         MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&tractates), 2);
         return {{"list font height", At(at, 14), static_cast<int>(FontOf(GetDlgItem(dialog, IDC_DAF_TRACTATES)).lfHeight)},
                 {"gap left of the tractates", At(at, 4), static_cast<int>(tractates.left - client.right / 2)}};
       }},
      {"font", [&] { FontSettings f = AppSettings.FontSettings; FontDialog(window, &f); }, IDC_FONT_PREVIEW, false,
       [](HWND dialog, int at) -> std::vector<Measure> {
         return {{"preview font height", At(at, 12), static_cast<int>(FontOf(GetDlgItem(dialog, IDC_FONT_PREVIEW)).lfHeight)}};
       }},
      {"about", [&] { AboutBox(window); }, IDC_ABOUT_LINK, true,
       [&](HWND dialog, int at) -> std::vector<Measure> {
         const LOGFONTW link = FontOf(GetDlgItem(dialog, IDC_ABOUT_LINK));
         if (at == dpi && !linkHeight) linkHeight = std::abs(link.lfHeight);
         return {{"link underlined", 1, link.lfUnderline ? 1 : 0},
                 {"link font height", linkHeight * at / static_cast<double>(dpi), std::abs(static_cast<int>(link.lfHeight))},
                 {"logo width", At(at, PictureWidth(IDB_LOGO)), WidthOf(DialogPicture(dialog))}};
       }},
  };
  for (const Row& row : rows) {
    const int objects = LiveGdiObjects();
    bool driven = false;
    Driver = [&](HWND dialog) {
      driven = true;
      const std::string name = std::string("in the ") + row.name + " dialog";
      // The font dialog's preview has a font of its own once a face or size
      // is chosen; Choose Daf's lists stand as the template has them until
      // the dialog is resized.
      if (row.atStart) ExpectScaled(row.measure(dialog, dpi), name + " at start");
      MoveToDpi(dialog, movedTo);
      ExpectScaled(row.measure(dialog, movedTo), name + " at " + std::to_string(movedTo) + " DPI");
      wchar_t face[LF_FACESIZE];
      lstrcpyW(face, FontOf(GetDlgItem(dialog, row.control)).lfFaceName);
      if (row.control != IDC_ABOUT_LINK) {
        EXPECT_STREQ(face, L"DejaVu Sans") << name << ": the user's face";
      }
      MoveToDpi(dialog, dpi);
      ExpectScaled(row.measure(dialog, dpi), name + " back at " + std::to_string(dpi) + " DPI");
    };
    SetTimer(nullptr, 0, 50, DriveDialog);
    row.open();
    EXPECT_TRUE(driven) << row.name;
    EXPECT_EQ(LiveGdiObjects(), objects) << "the " << row.name << " dialog gives back its fonts and pictures";
  }

  // The results window: its columns are measured anew with fonts for the
  // DPI, so they scale with it (to the rounding of the font's sizes), and
  // come back exactly.
  AppSettings.SearchString[0] = 'a';
  FindAll(window);
  ASSERT_NE(ResultsWindow, nullptr);
  HWND list = FindWindowExW(ResultsWindow, nullptr, WC_LISTVIEWW, nullptr);
  std::vector<int> widths;
  for (int c = 0; c < 4; ++c) widths.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0)));
  MoveToDpi(ResultsWindow, movedTo);
  for (int c = 0; c < 4; ++c) {
    const double scaled = widths[c] * movedTo / static_cast<double>(dpi);
    EXPECT_NEAR(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0), scaled, 2 + scaled * 0.08) << "column " << c;
  }
  MoveToDpi(ResultsWindow, dpi);
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0), widths[c], 1.0) << "column " << c;
  DestroyWindow(ResultsWindow);
  DestroyWindow(window);
  MainWindow = nullptr;
}
