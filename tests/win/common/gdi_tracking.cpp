#include "tests/win/common/gdi_tracking.h"

#include <windows.h>

#include <cstring>
#include <set>

namespace {

std::set<HGDIOBJ>& Live() {
  static std::set<HGDIOBJ> live;
  return live;
}
int dcs = 0;
size_t failBytes = 0;
int failSkip = 0;
bool failGetDc = false;

decltype(&CreateFontIndirectW) RealCreateFontIndirectW;
decltype(&CreatePen) RealCreatePen;
decltype(&CreateSolidBrush) RealCreateSolidBrush;
decltype(&CreateBrushIndirect) RealCreateBrushIndirect;
decltype(&DeleteObject) RealDeleteObject;
decltype(&CreateCompatibleDC) RealCreateCompatibleDC;
decltype(&CreateDCW) RealCreateDCW;
decltype(&DeleteDC) RealDeleteDC;
decltype(&CreateCompatibleBitmap) RealCreateCompatibleBitmap;
decltype(&CreateDIBSection) RealCreateDIBSection;
decltype(&LoadBitmapW) RealLoadBitmapW;
decltype(&GetDC) RealGetDC;
decltype(&ReleaseDC) RealReleaseDC;
void* (*RealMalloc)(size_t);
void* (*RealCalloc)(size_t, size_t);
void* (*RealRealloc)(void*, size_t);
void (*RealFree)(void*);
size_t (*RealMsize)(void*);
long long heapBytes = 0;

bool FailHere(size_t bytes) {
  if (failBytes == 0 || bytes != failBytes) return false;
  if (failSkip-- > 0) return false;
  failBytes = 0;
  return true;
}
// The size of a block of the C heap; 0 for one it does not know.
long long BlockSize(void* block) {
  if (!block || !RealMsize) return 0;
  const size_t size = RealMsize(block);
  return size == static_cast<size_t>(-1) ? 0 : static_cast<long long>(size);
}
void* Counted(void* block) {
  heapBytes += BlockSize(block);
  return block;
}
void* HookMalloc(size_t bytes) { return FailHere(bytes) ? nullptr : Counted(RealMalloc(bytes)); }
void* HookCalloc(size_t count, size_t size) {
  return FailHere(count * size) ? nullptr : Counted(RealCalloc(count, size));
}
void* HookRealloc(void* block, size_t bytes) {
  const long long before = BlockSize(block);
  void* moved = RealRealloc(block, bytes);
  if (moved || bytes == 0) heapBytes -= before;
  return moved ? Counted(moved) : nullptr;
}
void HookFree(void* block) {
  heapBytes -= BlockSize(block);
  RealFree(block);
}

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
HDC WINAPI HookCreateCompatibleDC(HDC dc) { return static_cast<HDC>(Track(RealCreateCompatibleDC(dc))); }
HDC WINAPI HookCreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const DEVMODEW* mode) {
  return static_cast<HDC>(Track(RealCreateDCW(driver, device, port, mode)));
}
BOOL WINAPI HookDeleteDC(HDC dc) {
  const BOOL ok = RealDeleteDC(dc);
  if (ok) Live().erase(dc);
  return ok;
}
HBITMAP WINAPI HookCreateCompatibleBitmap(HDC dc, int width, int height) {
  return static_cast<HBITMAP>(Track(RealCreateCompatibleBitmap(dc, width, height)));
}
HBITMAP WINAPI HookCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                   DWORD offset) {
  return static_cast<HBITMAP>(Track(RealCreateDIBSection(dc, info, usage, bits, section, offset)));
}
HBITMAP WINAPI HookLoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  return static_cast<HBITMAP>(Track(RealLoadBitmapW(instance, name)));
}
BOOL WINAPI HookDeleteObject(HGDIOBJ h) {
  const BOOL ok = RealDeleteObject(h);
  if (ok) Live().erase(h);
  return ok;
}
HDC WINAPI HookGetDC(HWND window) {
  if (failGetDc) {
    failGetDc = false;
    return nullptr;
  }
  HDC dc = RealGetDC(window);
  if (dc) ++dcs;
  return dc;
}
int WINAPI HookReleaseDC(HWND window, HDC dc) {
  const int released = RealReleaseDC(window, dc);
  if (released) --dcs;
  return released;
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
void Patch(const char* dll, const char* name, F hook, F* real) {
  void** slot = ImportSlot(dll, name);
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
  Patch("gdi32.dll", "CreateFontIndirectW", &HookCreateFontIndirectW, &RealCreateFontIndirectW);
  Patch("gdi32.dll", "CreatePen", &HookCreatePen, &RealCreatePen);
  Patch("gdi32.dll", "CreateSolidBrush", &HookCreateSolidBrush, &RealCreateSolidBrush);
  Patch("gdi32.dll", "CreateBrushIndirect", &HookCreateBrushIndirect, &RealCreateBrushIndirect);
  Patch("gdi32.dll", "DeleteObject", &HookDeleteObject, &RealDeleteObject);
  Patch("user32.dll", "GetDC", &HookGetDC, &RealGetDC);
  Patch("user32.dll", "ReleaseDC", &HookReleaseDC, &RealReleaseDC);
  Patch("gdi32.dll", "CreateCompatibleDC", &HookCreateCompatibleDC, &RealCreateCompatibleDC);
  Patch("gdi32.dll", "CreateDCW", &HookCreateDCW, &RealCreateDCW);
  Patch("gdi32.dll", "DeleteDC", &HookDeleteDC, &RealDeleteDC);
  Patch("gdi32.dll", "CreateCompatibleBitmap", &HookCreateCompatibleBitmap, &RealCreateCompatibleBitmap);
  Patch("gdi32.dll", "CreateDIBSection", &HookCreateDIBSection, &RealCreateDIBSection);
  Patch("user32.dll", "LoadBitmapW", &HookLoadBitmapW, &RealLoadBitmapW);
  RealMsize = reinterpret_cast<size_t (*)(void*)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"msvcrt.dll"), "_msize")));
  Patch("msvcrt.dll", "malloc", &HookMalloc, &RealMalloc);
  Patch("msvcrt.dll", "calloc", &HookCalloc, &RealCalloc);
  Patch("msvcrt.dll", "realloc", &HookRealloc, &RealRealloc);
  Patch("msvcrt.dll", "free", &HookFree, &RealFree);
}

}  // namespace

int LiveGdiObjects() {
  InstallHooks();
  return static_cast<int>(Live().size());
}

int HeldDcs() {
  InstallHooks();
  return dcs;
}

void FailAllocation(size_t bytes, int skip) {
  InstallHooks();
  failBytes = bytes;
  failSkip = skip;
}

bool AllocationFailurePending() { return failBytes != 0; }

void FailNextGetDc() {
  InstallHooks();
  failGetDc = true;
}

long long LiveHeapBytes() {
  InstallHooks();
  return heapBytes;
}
