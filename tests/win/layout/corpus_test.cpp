// Every record of the built program laid out and drawn in a wide and a
// narrow pane, with the GDI objects counted before and after.
// Argument: the program's path (its resources hold the records).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "layout/draw.h"
#include "layout/paneview.h"
#include "store/letters.h"
#include "store/records.h"
#include "test_pane.h"

namespace {

std::string ProgramPath() { return __argc > 1 ? __argv[1] : ""; }

// Length of a paragraph list up to and including its ending 0 style byte.
int ListLength(const unsigned char* text) {
  const unsigned char* p = text;
  while (*p) p += 2 + std::strlen(reinterpret_cast<const char*>(p + 2)) + 1;
  return static_cast<int>(p - text) + 1;
}

// The table must describe the text: every run inside it, rows adding up,
// every line inside the area.
void CheckTable(const PaneView* pane, int length, int record) {
  int rows = 0;
  for (int i = 0; i < pane->LineCount; ++i) {
    const LineEntry& e = pane->Lines[i];
    rows += RowsOf(e);
    ASSERT_LE(e.Start + e.Length, length) << "record " << record << " line " << i;
    ASSERT_GT(e.Length, 0) << "record " << record << " line " << i;
    ASSERT_GE(e.X, pane->AreaLeft) << "record " << record << " line " << i;
    ASSERT_LE(e.X + e.RunWidth, pane->AreaLeft + pane->AreaWidth) << "record " << record << " line " << i;
  }
  ASSERT_EQ(rows, pane->RowCount) << "record " << record;
  ASSERT_EQ(pane->Lines[pane->LineCount].Style, 0) << "record " << record;
}

TEST(Corpus, EveryRecordLaysOutAndDrawsInAWideAndANarrowPane) {
  const std::string path = ProgramPath();
  HMODULE module = path.empty() ? nullptr : LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << "the built program is missing (" << (path.empty() ? "no path given" : path)
                             << "): build it before running this test";
  RecordModule = module;
  int32_t code = 0;
  unsigned char* probe = LoadTextRecord(1, &code);
  ASSERT_NE(probe, nullptr) << path << " holds no text records (code " << code << ")";
  std::free(probe);

  AppSettings.FontSettings = TestFont(12);
  AppSettings.Flags = 0;
  Canvas canvas = MakeCanvas(800, 600);
  const FontSettings font = TestFont(12);
  const int before = LiveGdiObjects();
  const DWORD guiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);

  RECT wideArea{10, 10, 610, 410}, narrowArea{620, 10, 680, 410};
  PaneView* wide = CreatePaneView(canvas.Dc, &wideArea, &font, 100);
  PaneView* narrow = CreatePaneView(canvas.Dc, &narrowArea, &font, 100);
  int failures = 0;
  for (int32_t n = 1; n <= RecordCount && failures < 10; ++n) {
    unsigned char* text = LoadTextRecord(n, &code);
    if (!text) {
      ADD_FAILURE() << "record " << n << " does not load (code " << code << ")";
      ++failures;
      continue;
    }
    const int length = ListLength(text);
    auto* copy = static_cast<unsigned char*>(std::malloc(length + 2));
    std::memcpy(copy, text, length + 2);
    for (auto [pane, buffer] : {std::pair{wide, text}, std::pair{narrow, copy}}) {
      const int32_t result = LayoutPane(pane, buffer, true);
      if (result != LayoutOk) {
        ADD_FAILURE() << "record " << n << " in width " << pane->AreaWidth << ": " << result;
        ++failures;
        std::free(buffer);
        continue;
      }
      CheckTable(pane, length, n);
      pane->FirstRow = static_cast<uint16_t>(n % 7 == 0 ? pane->MaxFirstRow : 0);
      EXPECT_EQ(DrawPane(pane, 1), 0);
      if (n % 97 == 0) {
        pane->HitStart = 2;
        pane->HitEnd = 40;
        EXPECT_EQ(DrawPane(pane, 0), 0);
        DrawHeaderBox(pane);
      }
    }
    if (HasFatalFailure()) break;
  }
  for (int i = 0; i < 20; ++i) {
    FontSettings other = TestFont(6 + 2 * i);
    EXPECT_EQ(SetPaneFont(wide, &other), 0);
    EXPECT_EQ(SetPaneFont(narrow, &other), 0);
  }
  DestroyPaneView(wide, true);
  DestroyPaneView(narrow, true);
  EXPECT_EQ(LiveGdiObjects(), before) << "fonts, pens or brushes left behind";
  // Not implemented under Wine (always 0); on Windows it must agree.
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), guiBefore);
  FreeCanvas(canvas);
  FreeLibrary(module);
  RecordModule = nullptr;
}

}  // namespace
