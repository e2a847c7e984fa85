#include "test_pane.h"

#include <cstdlib>
#include <cstring>

Canvas MakeCanvas(int width, int height) {
  Canvas c;
  c.Width = width;
  c.Height = height;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  c.Dc = CreateCompatibleDC(nullptr);
  c.Bitmap = CreateDIBSection(c.Dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  c.Bits = static_cast<uint32_t*>(bits);
  c.OldBitmap = SelectObject(c.Dc, c.Bitmap);
  FillCanvas(c, RGB(255, 255, 255));
  return c;
}

void FreeCanvas(Canvas& c) {
  if (c.Dc) {
    SelectObject(c.Dc, c.OldBitmap);
    DeleteDC(c.Dc);
  }
  if (c.Bitmap) DeleteObject(c.Bitmap);
  c = Canvas{};
}

COLORREF PixelAt(const Canvas& c, int x, int y) {
  GdiFlush();
  const uint32_t v = c.Bits[y * c.Width + x] & 0xFFFFFF;
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void FillCanvas(Canvas& c, COLORREF colour) {
  GdiFlush();
  const uint32_t v = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  for (int i = 0; i < c.Width * c.Height; ++i) c.Bits[i] = v;
}

unsigned char* BuildText(const std::vector<Paragraph>& paragraphs) {
  std::string all;
  for (const Paragraph& p : paragraphs) {
    all += static_cast<char>(p.Style);
    all += static_cast<char>(p.Param);
    all += p.Bytes;
    all += '\0';
  }
  all.append(3, '\0');
  auto* text = static_cast<unsigned char*>(std::malloc(all.size()));
  std::memcpy(text, all.data(), all.size());
  return text;
}

int StringOffset(const std::vector<Paragraph>& paragraphs, size_t i) {
  int offset = 0;
  for (size_t k = 0; k < i; ++k) offset += 2 + static_cast<int>(paragraphs[k].Bytes.size()) + 1;
  return offset + 2;
}

FontSettings TestFont(int32_t size) {
  FontSettings f{};
  const wchar_t face[] = L"DejaVu Sans";
  std::memcpy(f.FontName, face, sizeof(face));
  f.FontSize = size;
  f.FontAsciiBase = AsciiBaseUnicode;
  return f;
}


int StyleWidth(PaneView* pane, uint8_t style, const std::string& bytes) {
  HFONT old = SelectStyle(pane, style);
  int32_t width = 0x7FFF;
  int32_t count = static_cast<int32_t>(bytes.size());
  MeasureFit(pane->Dc, reinterpret_cast<const unsigned char*>(bytes.c_str()), &width, &count);
  SelectObject(pane->Dc, old);
  return width;
}
