#include "layout/colours.h"

void FillWithColour(HDC dc, const RECT& rect, COLORREF colour) {
  if (HBRUSH brush = CreateSolidBrush(colour)) {
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  }
}
