#include "shell/reverseprobe.h"

#include <cstdlib>
#include <cstring>

#include "output/settings.h"

namespace {

constexpr int ProbeWidth = 96;
constexpr int ProbeHeight = 48;
constexpr wchar_t Alef = 0x05D0;
constexpr wchar_t Bet = 0x05D1;

// A white 32-bit picture with text drawn black at its left edge.
struct Picture {
  uint32_t Pixels[ProbeWidth * ProbeHeight];
};

bool Draw(HDC dc, uint32_t* bits, TextOutFunction draw, const wchar_t* text, UINT length, Picture* out) {
  RECT all = {0, 0, ProbeWidth, ProbeHeight};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  GdiFlush();
  if (!draw(dc, text, static_cast<int>(length), &all, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX)) return false;
  GdiFlush();
  std::memcpy(out->Pixels, bits, sizeof out->Pixels);
  return true;
}

// Pixels that differ between two pictures in the columns [0, width).
int Difference(const Picture& a, const Picture& b, int width) {
  int n = 0;
  for (int y = 0; y < ProbeHeight; ++y) {
    for (int x = 0; x < width && x < ProbeWidth; ++x) {
      if (a.Pixels[y * ProbeWidth + x] != b.Pixels[y * ProbeWidth + x]) ++n;
    }
  }
  return n;
}

}  // namespace

bool TextOutputReorders(TextOutFunction draw) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = ProbeWidth;
  info.bmiHeader.biHeight = -ProbeHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  LOGFONTW lf = {};
  lf.lfHeight = -32;
  lf.lfCharSet = HEBREW_CHARSET;
  HFONT font = CreateFontIndirectW(&lf);
  auto* pictures = static_cast<Picture*>(std::malloc(3 * sizeof(Picture)));

  bool reorders = false;
  if (bitmap && font && pictures) {
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
  std::free(pictures);
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
