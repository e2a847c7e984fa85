#include "test_pane.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "store/letters.h"

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

void DrawStoredOrder(HDC dc, const std::string& bytes, int x, int y) {
  const int n = static_cast<int>(bytes.size());
  wchar_t* units = ToDisplayText(reinterpret_cast<const unsigned char*>(bytes.c_str()), nullptr, n, RunOrder::Display);
  std::vector<INT> extents(static_cast<size_t>(n) + 1);
  INT fit = 0;
  SIZE size{};
  GetTextExtentExPointW(dc, units, n, INT_MAX, &fit, extents.data() + 1, &size);
  const UINT align = SetTextAlign(dc, TA_LEFT | TA_TOP);
  for (int i = 0; i < n; ++i) ExtTextOutW(dc, x + extents[i], y, 0, nullptr, units + i, 1, nullptr);
  SetTextAlign(dc, align);
  std::free(units);
}

std::vector<uint32_t> Pixels(const Canvas& c, const RECT& r) {
  GdiFlush();
  std::vector<uint32_t> out;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out.push_back(c.Bits[y * c.Width + x] & 0xFFFFFF);
  return out;
}

int DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}
