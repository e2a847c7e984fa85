// Shared pieces of the layout tests: a memory device context over a DIB
// section whose pixels can be read, paragraph lists built from readable
// parts, and a count of the GDI objects the code under test makes.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "layout/paneview.h"

struct Canvas {
  HDC Dc = nullptr;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ OldBitmap = nullptr;
  uint32_t* Bits = nullptr;  // top-down rows of 0x00RRGGBB
  int Width = 0;
  int Height = 0;
};
Canvas MakeCanvas(int width, int height);
void FreeCanvas(Canvas& canvas);
// Pixel as a COLORREF (0x00BBGGRR).
COLORREF PixelAt(const Canvas& canvas, int x, int y);
void FillCanvas(Canvas& canvas, COLORREF colour);

struct Paragraph {
  uint8_t Style;
  uint8_t Param;
  std::string Bytes;  // LetterCode, stored order
};
// A malloc'ed paragraph list ended by three 0 bytes, as the record loader makes them.
unsigned char* BuildText(const std::vector<Paragraph>& paragraphs);
// Offset of paragraph i's string in the list BuildText makes.
int StringOffset(const std::vector<Paragraph>& paragraphs, size_t i);

FontSettings TestFont(int32_t size);

// Draws LetterCode bytes one character at a time, each at the place the run
// measured whole gives it (x plus the width of the characters before it),
// so that no text layout can reorder them: the line as stored, in the DC's
// font and colour.
void DrawStoredOrder(HDC dc, const std::string& bytes, int x, int y);
// The pixels of a rectangle of the canvas, row by row, and how many of two
// such lists differ (-1 when their sizes do).
std::vector<uint32_t> Pixels(const Canvas& canvas, const RECT& r);
int DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);

// Width of bytes in the font of a style on the pane, measured as the layout does.
int StyleWidth(PaneView* pane, uint8_t style, const std::string& bytes);

// LiveGdiObjects(): the GDI objects the code under test made and has not deleted.
#include "tests/win/common/gdi_tracking.h"

// A pane on an 800 x 600 canvas in DejaVu Sans 12, with the settings the
// layout reads reset (letters from 1488, no Reverse).
class PaneTest : public ::testing::Test {
 protected:
  void MakePane(RECT area) {
    AppSettings.FontSettings = TestFont(12);
    AppSettings.Flags = 0;
    canvas = MakeCanvas(800, 600);
    font = TestFont(12);
    pane = CreatePaneView(canvas.Dc, &area, &font, 100);
    ASSERT_NE(pane, nullptr);
  }
  void TearDown() override {
    DestroyPaneView(pane, true);
    FreeCanvas(canvas);
  }
  int Width(uint8_t style, const std::string& bytes) { return StyleWidth(pane, style, bytes); }

  Canvas canvas;
  FontSettings font{};
  PaneView* pane = nullptr;
};
