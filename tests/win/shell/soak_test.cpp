// A long session in one process, through the main window's own handlers:
// every article forward and back, the shares, fonts, searches, copies and
// appends, each dialog opened and closed, pages printed to a memory device
// context. What the program holds at the end must be what it held after a
// first, short round of the same work. Runs in Wine's virtual desktop (see
// tools/wine-desktop-run.sh), where the dialogs open quickly.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "output/printing.h"
#include "resources/resource.h"
#include "shell/article.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/mainwindow.h"
#include "shell/search.h"
#include "shell/splitview.h"
#include "store/records.h"
#include "store/search.h"
#include "store/tractates.h"
#include "tests/win/common/gdi_tracking.h"
#include "tests/win/common/reader_setup.h"

namespace {

// Every dialog and message box is cancelled as soon as it is active.
HHOOK cancelHook = nullptr;
int cancelled = 0;
LRESULT CALLBACK CancelDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    wchar_t cls[16] = {};
    GetClassNameW(reinterpret_cast<HWND>(wParam), cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0) {
      ++cancelled;
      PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
    }
  }
  return CallNextHookEx(cancelHook, code, wParam, lParam);
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, CountWindow, count);
  return TRUE;
}

// The panes keep one font per style key met so far (at most 64 keys); such
// fonts are a cache, not a leak, and are counted apart.
int CachedFonts() {
  int fonts = 0;
  for (PaneView* pane : {MainPane, CommentaryPane})
    for (FontCacheEntry* e = pane ? pane->FontCache : nullptr; e; e = e->Next) fonts += e->Font != nullptr;
  return fonts;
}

struct Holdings {
  int gdi, cachedFonts, dcs, windows;
  long long heap;
  size_t privateBytes;
};

Holdings Now() {
  Holdings h{LiveGdiObjects() - CachedFonts(), CachedFonts(), HeldDcs(), 0, LiveHeapBytes(), 0};
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&h.windows));
  // Private bytes: the committed private memory of the process.
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) h.privateBytes += region.RegionSize;
    if (static_cast<const char*>(region.BaseAddress) + region.RegionSize < at) break;
  }
  return h;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
}

// A memory page has no document: its pages begin and end without one.
int WINAPI MemoryPage(HDC) { return 1; }

// Lays the active pane out again on a memory page and prints it there.
int PrintToMemory() {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP page = CreateCompatibleBitmap(screen, 850, 1100);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, page);
  PaneView job{};
  job.Dc = dc;
  job.Font = AppSettings.FontSettings;
  SetPrintArea(&job, PrintMargins{500, 500, 500, 500}, PageMeasures{100, 100, 850, 1100, 0, 0, 0, 0});
  int pages = 0;
  // The pane's own buffer, not handed over: the job is released without it.
  if (CurrentPane()->Text && LayoutPane(&job, CurrentPane()->Text, false) == LayoutOk)
    pages = PrintPages(&job, ReserveHeaderFooter(&job), {MemoryPage, MemoryPage});
  job.Text = nullptr;
  DestroyPaneView(&job, false);
  SelectObject(dc, old);
  DeleteObject(page);
  DeleteDC(dc);
  return pages;
}

}  // namespace

TEST(Soak, ALongSessionGivesBackWhatItTakes) {
  ASSERT_TRUE(OpenBuiltProgram()) << "pass the path of the built program";
  cancelHook = SetWindowsHookExW(WH_CBT, CancelDialogs, nullptr, GetCurrentThreadId());
  LiveGdiObjects();  // hooks in before anything is made
  UsePlainSettings();
  HWND window = CreateMainWindow();
  ASSERT_NE(window, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  MoveWindow(window, 0, 0, 800, 600, TRUE);
  auto command = [&](int id) { SendMessageW(window, WM_COMMAND, id, 0); };

  const char* patterns[] = {"ab", "qqxqq", "a?c", "b*d", "zzzzzzzz", "?e", "mn*op", "k l"};
  const int shares[] = {CMD_SHARE_QUARTER, CMD_SHARE_THIRD,      CMD_SHARE_TWO_THIRDS,
                        CMD_SHARE_MINIMAL, CMD_SHARE_THREE_QUARTERS, CMD_SHARE_HALF};
  const wchar_t* faces[] = {L"DejaVu Sans", L"David CLM", L"Frank Ruehl CLM", L"Miriam CLM"};
  const int dialogs[] = {CMD_CHOOSE_ARTICLE, CMD_SEARCH, CMD_FONT, CMD_ABOUT};

  // round 0 is the short first round; round 1 the long one.
  Holdings after[2]{};
  int pages = 0, hits = 0, misses = 0;
  // The longest page side: what is worked out for a page (its layout, its
  // comments' links) takes the most there, and the first round shows it too.
  int32_t longest = 1;
  size_t longestLength = 0;
  for (int32_t n = 1; n < RecordCount; n += 2) {
    unsigned char* text = LoadTextRecord(n, nullptr);
    const size_t length = text ? TextLength(text) : 0;
    if (length > longestLength) longest = n, longestLength = length;
    std::free(text);
  }
  for (int round = 0; round < 2; ++round) {
    const int articles = round ? ArticleCount : 20;
    GoToRecord(window, longest);
    for (int i = 0; i < articles; ++i) command(CMD_NEXT_ARTICLE);
    for (int i = 0; i < articles; ++i) command(CMD_PREVIOUS_ARTICLE);
    for (int share : shares) command(share);
    for (int i = 0; i < (round ? 20 : 4); ++i) {
      AppSettings.FontSettings.FontSize = 9 + i % 7;
      wcscpy(AppSettings.FontSettings.FontName, faces[i % 4]);
      SetPaneFont(MainPane, &AppSettings.FontSettings);
      SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
      RepaintPanes(window, 0x3FF);
    }
    for (int i = 0; i < (round ? 100 : 8); ++i) {
      DisplayChar typed[SearchStringBytes] = {};
      const char* p = patterns[i % 8];
      for (int k = 0; p[k]; ++k) typed[k] = p[k] >= 'a' && p[k] <= '{' ? p[k] - 'a' + AsciiBaseUnicode : p[k];
      SetSearchString(typed);
      if (SearchNext(window)) ++hits; else ++misses;
    }
    for (int i = 0; i < (round ? 100 : 4); ++i) command(i % 2 ? CMD_APPEND : CMD_COPY);
    for (int id : dialogs) {
      // Once warmed up, a dialog opened and cancelled keeps no heap byte.
      const long long heap = LiveHeapBytes();
      command(id);
      if (round) {
        EXPECT_EQ(LiveHeapBytes(), heap) << "heap bytes kept by dialog " << id;
      }
    }
    for (int i = 0; i < 3; ++i) pages += PrintToMemory();
    // Back to the same article and font, so the style-font caches of the
    // panes hold the same fonts after each round.
    GoToRecord(window, 1);
    LoadCommentary(window);
    wcscpy(AppSettings.FontSettings.FontName, faces[0]);
    AppSettings.FontSettings.FontSize = 12;
    SetPaneFont(MainPane, &AppSettings.FontSettings);
    SetPaneFont(CommentaryPane, &AppSettings.FontSettings);
    RepaintPanes(window, 0x3FF);
    Pump();
    after[round] = Now();
  }
  for (int round = 0; round < 2; ++round) {
    const Holdings& h = after[round];
    std::printf("after the %s round: %d GDI objects and %d cached style fonts, %d DCs, %d windows, %lld heap bytes, "
                "%zu private bytes\n",
                round ? "long " : "first", h.gdi, h.cachedFonts, h.dcs, h.windows, h.heap, h.privateBytes);
  }
  std::printf("%d hits, %d misses, %d dialogs and boxes cancelled, %d pages printed\n", hits, misses, cancelled,
              pages);
  EXPECT_EQ(after[1].gdi, after[0].gdi) << "GDI objects besides the style-font caches";
  EXPECT_LE(after[1].cachedFonts, 2 * 64) << "a font per style key and pane at most";
  EXPECT_EQ(after[1].dcs, after[0].dcs) << "device contexts";
  EXPECT_EQ(after[1].windows, after[0].windows) << "windows";
  // The shared conversion buffer grows to the longest run drawn so far: a
  // few kilobytes at most. Nothing else may grow.
  EXPECT_LT(after[1].heap - after[0].heap, 16 * 1024) << "heap bytes";
  EXPECT_LT(static_cast<long long>(after[1].privateBytes) - static_cast<long long>(after[0].privateBytes),
            1024 * 1024)
      << "private bytes";
  EXPECT_GT(hits, 0);
  EXPECT_GT(misses, 0);
  EXPECT_GT(pages, 0);

  DestroyWindow(window);
  Pump();
  UnhookWindowsHookEx(cancelHook);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary");
}
