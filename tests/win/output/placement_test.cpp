// Saving and restoring the main window's placement, with plain test windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "output/settings.h"
#include "registry_helpers.h"

namespace {

const wchar_t TestClass[] = L"PlacementTestWindow";

class Placement : public ::testing::Test {
 protected:
  // The work area is moved off the screen's corner (as by a taskbar at the
  // top and left), so that work-area and screen coordinates differ.
  static void SetUpTestSuite() {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &savedWork, 0);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = TestClass;
    RegisterClassW(&wc);
  }
  static void TearDownTestSuite() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &savedWork, 0); }
  void SetUp() override {
    DeleteSettingsTree();
    RECT moved{savedWork.left + 50, savedWork.top + 40, savedWork.right, savedWork.bottom};
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &moved, 0);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_EQ(work.left, savedWork.left + 50) << "the work area can be moved";
    ASSERT_EQ(work.top, savedWork.top + 40);
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    DeleteSettingsTree();
    Pump();
  }

  HWND NewWindow(int x, int y, int width, int height) {
    HWND w = CreateWindowExW(WS_EX_WINDOWEDGE, TestClass, L"Placement", WS_OVERLAPPEDWINDOW, x, y, width, height,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, w);
    windows_.push_back(w);
    return w;
  }
  HWND DefaultWindow() { return NewWindow(CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT); }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      DispatchMessageW(&msg);
    }
  }

  static RECT WindowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
  }

  static void StorePlacement(int left, int top, int width, int height, int show) {
    PutDword(L"Left", static_cast<uint32_t>(left));
    PutDword(L"Top", static_cast<uint32_t>(top));
    PutDword(L"Width", static_cast<uint32_t>(width));
    PutDword(L"Height", static_cast<uint32_t>(height));
    PutDword(L"showCmd", static_cast<uint32_t>(show));
  }

  static RECT WorkAreaOf(const RECT& r) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
  }

  std::vector<HWND> windows_;
  static RECT savedWork;
};
RECT Placement::savedWork{};

void ExpectRect(const RECT& r, int left, int top, int width, int height) {
  EXPECT_EQ(left, r.left);
  EXPECT_EQ(top, r.top);
  EXPECT_EQ(width, r.right - r.left);
  EXPECT_EQ(height, r.bottom - r.top);
}

TEST_F(Placement, NormalWindowRoundTrip) {
  HWND first = NewWindow(100, 120, 400, 300);
  ShowWindow(first, SW_SHOWNORMAL);
  SaveWindowPlacement(first);
  EXPECT_EQ(100u, GetValue(L"Left").Dword());
  EXPECT_EQ(120u, GetValue(L"Top").Dword());
  EXPECT_EQ(400u, GetValue(L"Width").Dword());
  EXPECT_EQ(300u, GetValue(L"Height").Dword());
  EXPECT_EQ(static_cast<uint32_t>(SW_SHOWNORMAL), GetValue(L"showCmd").Dword());

  HWND next = DefaultWindow();
  RestoreWindowPlacement(next, SW_SHOWMINIMIZED);
  EXPECT_TRUE(IsWindowVisible(next));
  EXPECT_FALSE(IsZoomed(next));
  EXPECT_FALSE(IsIconic(next));
  ExpectRect(WindowRect(next), 100, 120, 400, 300);
}

TEST_F(Placement, MaximizedWindowRestoresMaximizedOverItsNormalRect) {
  HWND first = NewWindow(100, 120, 400, 300);
  ShowWindow(first, SW_SHOWMAXIMIZED);
  ASSERT_TRUE(IsZoomed(first));
  SaveWindowPlacement(first);
  EXPECT_EQ(static_cast<uint32_t>(SW_SHOWMAXIMIZED), GetValue(L"showCmd").Dword());
  EXPECT_EQ(400u, GetValue(L"Width").Dword());
  EXPECT_EQ(300u, GetValue(L"Height").Dword());
  int left = static_cast<int>(GetValue(L"Left").Dword());
  int top = static_cast<int>(GetValue(L"Top").Dword());
  // Screen coordinates of the restored window (up to a padded border on
  // systems that draw one), whatever the work area's corner.
  EXPECT_NEAR(100, left, 8);
  EXPECT_NEAR(120, top, 8);

  HWND next = DefaultWindow();
  RestoreWindowPlacement(next, SW_SHOWNORMAL);
  EXPECT_TRUE(IsZoomed(next));
  ShowWindow(next, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(next));
  ExpectRect(WindowRect(next), left, top, 400, 300);
}

TEST_F(Placement, MinimisedWindowStoresTheRectItRestoresTo) {
  // Windows reports a minimised window's normal rectangle in work-area
  // coordinates, Wine 8 in screen coordinates unless the window is maximized;
  // with the work area at the screen's corner both agree.
  SystemParametersInfoW(SPI_SETWORKAREA, 0, &savedWork, 0);
  HWND normal = NewWindow(150, 160, 320, 240);
  ShowWindow(normal, SW_SHOWNORMAL);
  ShowWindow(normal, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(normal));
  SaveWindowPlacement(normal);
  EXPECT_EQ(150u, GetValue(L"Left").Dword());
  EXPECT_EQ(160u, GetValue(L"Top").Dword());
  EXPECT_EQ(320u, GetValue(L"Width").Dword());
  EXPECT_EQ(240u, GetValue(L"Height").Dword());
  EXPECT_EQ(static_cast<uint32_t>(SW_SHOWNORMAL), GetValue(L"showCmd").Dword());

  HWND next = DefaultWindow();
  RestoreWindowPlacement(next, SW_SHOWNORMAL);
  EXPECT_FALSE(IsIconic(next));
  ExpectRect(WindowRect(next), 150, 160, 320, 240);

  // Minimised from maximized: it comes back maximized.
  HWND maximized = NewWindow(150, 160, 320, 240);
  ShowWindow(maximized, SW_SHOWMAXIMIZED);
  ShowWindow(maximized, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(maximized));
  SaveWindowPlacement(maximized);
  EXPECT_EQ(static_cast<uint32_t>(SW_SHOWMAXIMIZED), GetValue(L"showCmd").Dword());
  EXPECT_EQ(320u, GetValue(L"Width").Dword());
  EXPECT_EQ(150u, GetValue(L"Left").Dword());
}

TEST_F(Placement, PlacementOffEveryScreenIsBroughtBack) {
  HWND w = DefaultWindow();
  StorePlacement(30000, -20000, 400, 300, SW_SHOWNORMAL);
  RestoreWindowPlacement(w, SW_SHOWNORMAL);
  RECT r = WindowRect(w);
  EXPECT_NE(nullptr, MonitorFromRect(&r, MONITOR_DEFAULTTONULL));
  EXPECT_EQ(400, r.right - r.left);
  EXPECT_EQ(300, r.bottom - r.top);
  RECT work = WorkAreaOf(r);
  EXPECT_GE(r.left, work.left);
  EXPECT_LE(r.right, work.right);
  EXPECT_GE(r.top, work.top);
  EXPECT_LE(r.bottom, work.bottom);

  // Larger than the work area: shrunk to it.
  StorePlacement(-50000, 40000, 100000, 100000, SW_SHOWNORMAL);
  RestoreWindowPlacement(w, SW_SHOWNORMAL);
  r = WindowRect(w);
  work = WorkAreaOf(r);
  ExpectRect(r, work.left, work.top, work.right - work.left, work.bottom - work.top);

  // Right or bottom beyond the 32-bit range.
  StorePlacement(0x7FFFFF00, 0x7FFFFF00, 1000, 700, SW_SHOWNORMAL);
  RestoreWindowPlacement(w, SW_SHOWNORMAL);
  r = WindowRect(w);
  EXPECT_NE(nullptr, MonitorFromRect(&r, MONITOR_DEFAULTTONULL));
  EXPECT_EQ(1000, r.right - r.left);

  // Partly on a screen: used as stored.
  StorePlacement(-100, 50, 400, 300, SW_SHOWNORMAL);
  RestoreWindowPlacement(w, SW_SHOWNORMAL);
  ExpectRect(WindowRect(w), -100, 50, 400, 300);
}

TEST_F(Placement, ToolWindowPlaceOnNoMonitorComesWholeOntoTheOneGiven) {
  const HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetMonitorInfoW(primary, &info));
  const RECT work = info.rcWork;
  const struct {
    const wchar_t* prefix;
    bool (*read)(RECT*, HMONITOR);
  } windows[] = {{L"Results", ReadResultsPlacement}, {L"Notes", ReadNotesPlacement}};
  const struct {
    int left, top, width, height;
    bool moved;  // false: the rectangle as stored
  } rows[] = {{200, 150, 500, 300, false}, {-100, 50, 500, 300, false}, {-30000, 100, 500, 300, true},
              {20000, 20000, 640, 480, true}, {-30000, -30000, 0x7000, 0x7000, true},
              {200, -280, 500, 300, true}, {-470, 100, 500, 300, true}};  // on the monitor, the caption not
  for (const auto& window : windows) {
    RECT r{};
    EXPECT_FALSE(window.read(&r, primary)) << "nothing stored";
    const std::wstring p = window.prefix;
    for (const auto& row : rows) {
      PutDword((p + L"Left").c_str(), static_cast<uint32_t>(row.left));
      PutDword((p + L"Top").c_str(), static_cast<uint32_t>(row.top));
      PutDword((p + L"Width").c_str(), static_cast<uint32_t>(row.width));
      PutDword((p + L"Height").c_str(), static_cast<uint32_t>(row.height));
      ASSERT_TRUE(window.read(&r, primary)) << row.left;
      if (!row.moved) {
        ExpectRect(r, row.left, row.top, row.width, row.height);
        continue;
      }
      EXPECT_EQ(std::min<LONG>(row.width, work.right - work.left), r.right - r.left) << row.left;
      EXPECT_EQ(std::min<LONG>(row.height, work.bottom - work.top), r.bottom - r.top) << row.left;
      EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom)
          << row.left << " comes whole into the work area";
    }
  }
}

TEST_F(Placement, ZeroSizeDoesNotMoveButOneNonZeroSideDoes) {
  HWND w = NewWindow(60, 70, 300, 200);
  StorePlacement(500, 400, 0, 0, SW_SHOWNORMAL);
  RestoreWindowPlacement(w, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsWindowVisible(w));
  EXPECT_FALSE(IsZoomed(w));
  ExpectRect(WindowRect(w), 60, 70, 300, 200);

  StorePlacement(500, 400, 0, 250, SW_SHOWNORMAL);
  RestoreWindowPlacement(w, SW_SHOWNORMAL);
  RECT r = WindowRect(w);
  EXPECT_EQ(500, r.left);
  EXPECT_EQ(400, r.top);
  EXPECT_EQ(250, r.bottom - r.top);
}

TEST_F(Placement, ShowStateFallsBackToTheStartState) {
  // Nothing stored: the state the program was started with.
  HWND w = DefaultWindow();
  RestoreWindowPlacement(w, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(w));

  // A stored state that would leave the window hidden.
  HWND h = DefaultWindow();
  PutDword(L"showCmd", SW_HIDE);
  RestoreWindowPlacement(h, SW_SHOWNORMAL);
  EXPECT_TRUE(IsWindowVisible(h));
}

}  // namespace
