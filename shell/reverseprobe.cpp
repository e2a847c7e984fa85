#include "shell/reverseprobe.h"

#include <cstdlib>
#include <cstring>

#include "layout/scale.h"
#include "output/settings.h"

namespace {

// The picture at 96 DPI; it and its letters grow with the system's DPI.
constexpr int ProbeWidth96 = 96;
constexpr int ProbeHeight96 = 48;
constexpr int ProbeLetter96 = 32;
constexpr wchar_t Alef = 0x05D0;
constexpr wchar_t Bet = 0x05D1;

// A white 32-bit picture with text drawn black at its left edge: Width x
// Height pixels from Pixels on.
struct Picture {
  int Width;
  int Height;
  uint32_t* Pixels;
};

bool Draw(HDC dc, const uint32_t* bits, TextOutFunction draw, const wchar_t* text, UINT length, Picture* out) {
  RECT all = {0, 0, out->Width, out->Height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  GdiFlush();
  if (!draw(dc, text, static_cast<int>(length), &all, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX)) return false;
  GdiFlush();
  std::memcpy(out->Pixels, bits, static_cast<size_t>(out->Width) * out->Height * sizeof(uint32_t));
  return true;
}

// Pixels that differ between two pictures in the columns [0, width).
int Difference(const Picture& a, const Picture& b, int width) {
  int n = 0;
  for (int y = 0; y < a.Height; ++y) {
    for (int x = 0; x < width && x < a.Width; ++x) {
      if (a.Pixels[y * a.Width + x] != b.Pixels[y * a.Width + x]) ++n;
    }
  }
  return n;
}

}  // namespace

bool TextOutputReorders(TextOutFunction draw) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  const int dpi = DpiOfWindow(nullptr);
  const int width = ScaleForDpi(ProbeWidth96, dpi);
  const int height = ScaleForDpi(ProbeHeight96, dpi);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  LOGFONTW lf = {};
  lf.lfHeight = -ScaleForDpi(ProbeLetter96, dpi);
  lf.lfCharSet = HEBREW_CHARSET;
  HFONT font = CreateFontIndirectW(&lf);
  const size_t pixels = static_cast<size_t>(width) * height;
  auto* store = static_cast<uint32_t*>(std::malloc(3 * pixels * sizeof(uint32_t)));
  Picture pictures[3];
  for (int i = 0; i < 3; ++i) pictures[i] = Picture{width, height, store ? store + i * pixels : nullptr};

  bool reorders = false;
  if (bitmap && font && store) {
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    const wchar_t pair[] = {Alef, Bet, 0};
    SIZE alef = {}, bet = {};
    GetTextExtentPoint32W(dc, &Alef, 1, &alef);
    GetTextExtentPoint32W(dc, &Bet, 1, &bet);
    Picture& alone = pictures[0];
    Picture& betAlone = pictures[1];
    Picture& both = pictures[2];
    if (Draw(dc, static_cast<uint32_t*>(bits), draw, &Alef, 1, &alone) &&
        Draw(dc, static_cast<uint32_t*>(bits), draw, &Bet, 1, &betAlone) &&
        Draw(dc, static_cast<uint32_t*>(bits), draw, pair, 2, &both)) {
      // Where the first letter stayed first, the pair's left part is the
      // letter drawn alone; where the system reordered, it is the second.
      const int stayed = Difference(both, alone, alef.cx);
      const int moved = Difference(both, betAlone, bet.cx);
      reorders = moved < stayed;
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
  }
  std::free(store);
  if (font) DeleteObject(font);
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(dc);
  return reorders;
}

void SetReverseOnFirstRun(TextOutFunction draw) {
  unsigned char* stored = ReadBinarySetting(L"Flags", nullptr);
  if (stored) {
    std::free(stored);
    return;
  }
  if (TextOutputReorders(draw)) AppSettings.Flags |= Reverse;
}
