// Counts the GDI objects and device contexts the code under test takes and
// gives back, and makes chosen allocations and GetDC calls fail. GetGuiResources is not implemented under Wine, so the test
// program's own import table is patched once: every call that the program's
// code makes to these functions is seen.
#pragma once
#include <cstddef>

// Fonts, pens, brushes, bitmaps and memory or printer device contexts made
// (CreateFontIndirectW, CreatePen, CreateSolidBrush, CreateBrushIndirect,
// CreateCompatibleBitmap, CreateDIBSection, LoadBitmapW, CreateCompatibleDC,
// CreateDCW) and not yet deleted.
int LiveGdiObjects();
// Device contexts obtained with GetDC and not yet released with ReleaseDC.
int HeldDcs();

// The next malloc or calloc of exactly this many bytes after skip others of
// that size returns null (once); 0 disarms it.
void FailAllocation(size_t bytes, int skip = 0);
// True while an armed FailAllocation has not yet fired.
bool AllocationFailurePending();
// The next GetDC returns null.
void FailNextGetDc();
// Bytes of malloc, calloc and realloc blocks not yet freed, counted from the
// first call into this module (a difference between two readings is what
// counts).
long long LiveHeapBytes();
