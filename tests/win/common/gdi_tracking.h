// Counts the GDI objects and device contexts the code under test takes and
// gives back. GetGuiResources is not implemented under Wine, so the test
// program's own import table is patched once: every call that the program's
// code makes to these functions is seen.
#pragma once

// Fonts, pens and brushes made through CreateFontIndirectW, CreatePen,
// CreateSolidBrush and CreateBrushIndirect and not yet deleted.
int LiveGdiObjects();
// Device contexts obtained with GetDC and not yet released with ReleaseDC.
int HeldDcs();
