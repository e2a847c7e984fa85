#include "test_pane.h"

#include <cstdlib>
#include <cstring>
#include <set>

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

namespace {

std::set<HGDIOBJ>& Live() {
  static std::set<HGDIOBJ> live;
  return live;
}

decltype(&CreateFontIndirectW) RealCreateFontIndirectW;
decltype(&CreatePen) RealCreatePen;
decltype(&CreateSolidBrush) RealCreateSolidBrush;
decltype(&CreateBrushIndirect) RealCreateBrushIndirect;
decltype(&DeleteObject) RealDeleteObject;

HGDIOBJ Track(HGDIOBJ h) {
  if (h) Live().insert(h);
  return h;
}
HFONT WINAPI HookCreateFontIndirectW(const LOGFONTW* lf) {
  return static_cast<HFONT>(Track(RealCreateFontIndirectW(lf)));
}
HPEN WINAPI HookCreatePen(int style, int width, COLORREF colour) {
  return static_cast<HPEN>(Track(RealCreatePen(style, width, colour)));
}
HBRUSH WINAPI HookCreateSolidBrush(COLORREF colour) {
  return static_cast<HBRUSH>(Track(RealCreateSolidBrush(colour)));
}
HBRUSH WINAPI HookCreateBrushIndirect(const LOGBRUSH* lb) {
  return static_cast<HBRUSH>(Track(RealCreateBrushIndirect(lb)));
}
BOOL WINAPI HookDeleteObject(HGDIOBJ h) {
  const BOOL ok = RealDeleteObject(h);
  if (ok) Live().erase(h);
  return ok;
}

void** ImportSlot(const char* dll, const char* name) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
    if (_stricmp(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) == 0)
        return reinterpret_cast<void**>(&slots->u1.Function);
    }
  }
  return nullptr;
}

template <typename F>
void Patch(const char* name, F hook, F* real) {
  void** slot = ImportSlot("gdi32.dll", name);
  if (!slot) return;
  DWORD old = 0;
  VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
  *real = reinterpret_cast<F>(*slot);
  *slot = reinterpret_cast<void*>(hook);
  VirtualProtect(slot, sizeof(void*), old, &old);
}

void InstallHooks() {
  static bool done = false;
  if (done) return;
  done = true;
  Patch("CreateFontIndirectW", &HookCreateFontIndirectW, &RealCreateFontIndirectW);
  Patch("CreatePen", &HookCreatePen, &RealCreatePen);
  Patch("CreateSolidBrush", &HookCreateSolidBrush, &RealCreateSolidBrush);
  Patch("CreateBrushIndirect", &HookCreateBrushIndirect, &RealCreateBrushIndirect);
  Patch("DeleteObject", &HookDeleteObject, &RealDeleteObject);
}

}  // namespace

int LiveGdiObjects() {
  InstallHooks();
  return static_cast<int>(Live().size());
}

int StyleWidth(PaneView* pane, uint8_t style, const std::string& bytes) {
  HFONT old = SelectStyle(pane, style);
  int32_t width = 0x7FFF;
  int32_t count = static_cast<int32_t>(bytes.size());
  MeasureFit(pane->Dc, reinterpret_cast<const unsigned char*>(bytes.c_str()), &width, &count);
  SelectObject(pane->Dc, old);
  return width;
}
