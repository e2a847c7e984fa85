// Runs: conversion, measuring, fitting, hit-testing and drawing of one
// stretch of stored bytes.
#include "layout/runs.h"

#include <cstdlib>
#include <cstring>

#include "store/letters.h"

namespace {

// Units a run is handled in without going to the heap.
constexpr int32_t StackUnits = 512;

bool RightToLeftFont(HDC dc) {
  const int set = GetTextCharset(dc);
  return set == HEBREW_CHARSET || set == ARABIC_CHARSET;
}

}  // namespace

const wchar_t* ConvertRun(const unsigned char* bytes, int32_t count, bool measuring, int32_t* length) {
  *length = 0;
  if (!bytes || count <= 0) return ToDisplayText(reinterpret_cast<const unsigned char*>(""), &ConversionBuffer, 0);
  const void* end = std::memchr(bytes, 0, static_cast<size_t>(count));
  const int32_t n = end ? static_cast<int32_t>(static_cast<const unsigned char*>(end) - bytes) : count;
  // Widths are those of the characters in stored order, which is their order
  // on the screen; only what is drawn may go in reading order.
  const wchar_t* units = ToDisplayText(bytes, &ConversionBuffer, n, measuring ? RunOrder::Display : CurrentOrder());
  if (units) *length = n;
  return units;
}

void MeasureFit(HDC dc, const unsigned char* bytes, int32_t* width, int32_t* count) {
  if (!width || !count) return;
  const int32_t maxExtent = *width < 0 ? 0 : *width;
  const int32_t wanted = *count;
  *count = 0;
  *width = 0;
  if (!bytes || wanted <= 0) return;
  // How many characters fit depends only on the characters before the
  // first one that does not, so the question is put for a stretch a little
  // longer than a line and only widened while the whole stretch fits. A
  // paragraph's layout then costs time in proportion to its length, not to
  // its length times its lines.
  int32_t stretch = maxExtent / 8 + 16;
  int32_t n = 0;
  INT fit = 0;
  const wchar_t* units = nullptr;
  for (;;) {
    if (stretch > wanted) stretch = wanted;
    units = ConvertRun(bytes, stretch, true, &n);
    SIZE size{};
    if (!units || n == 0 || !GetTextExtentExPointW(dc, units, n, maxExtent, &fit, nullptr, &size)) return;
    if (fit < 0) fit = 0;
    if (fit > n) fit = n;
    if (fit < n || n < stretch || stretch == wanted) break;  // found where the fit ends, or the string did
    stretch = stretch > wanted / 2 ? wanted : stretch * 2;
  }
  *count = fit;
  // The extent above covers all n characters; the width wanted is that of
  // the characters that fit.
  INT fit2 = 0;
  SIZE size2{};
  if (fit > 0 && GetTextExtentExPointW(dc, units, fit, maxExtent, &fit2, nullptr, &size2)) *width = size2.cx;
}

SIZE MeasureRun(HDC dc, const unsigned char* run, int32_t count) {
  SIZE size{};
  int32_t n = 0;
  const wchar_t* units = ConvertRun(run, count, true, &n);
  if (units && n > 0) GetTextExtentPoint32W(dc, units, n, &size);
  return size;
}

int32_t RunBoundaryAt(HDC dc, const unsigned char* run, int32_t count, int32_t dx) {
  int32_t n = 0;
  const wchar_t* units = ConvertRun(run, count, true, &n);
  if (!units || n == 0 || dx <= 0) return 0;
  INT stack[StackUnits];
  INT* extents = n <= StackUnits ? stack : static_cast<INT*>(std::malloc(static_cast<size_t>(n) * sizeof(INT)));
  int32_t boundary = n;
  INT fit = 0;
  SIZE size{};
  if (!extents) {
    // No memory for the extents: the nearest boundary at or left of dx.
    if (GetTextExtentExPointW(dc, units, n, dx, &fit, nullptr, &size)) boundary = fit;
    return boundary;
  }
  if (GetTextExtentExPointW(dc, units, n, 0x7FFF, &fit, extents, &size)) {
    // extents[i] is the right edge of character i; its middle decides.
    int32_t left = 0;
    for (int32_t i = 0; i < n; ++i) {
      if (dx < (left + extents[i]) / 2) {
        boundary = i;
        break;
      }
      left = extents[i];
    }
  }
  if (extents != stack) std::free(extents);
  return boundary;
}

UINT ReadingFlag(UINT rtlFlag) {
  const TextForm form = FormFor(TextUse::Drawn, AppSettings.Flags, AppSettings.FontSettings.FontAsciiBase);
  return form.RightToLeft ? rtlFlag : 0;
}

int DrawUnits(HDC dc, const wchar_t* units, int32_t n, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!units || n <= 0) return 0;
  RECT rect{x, y, x + w, y + h};
  if (!ReadingFlag(1) || RightToLeftFont(dc)) return DrawTextW(dc, units, n, &rect, RunFormat | ReadingFlag(DT_RTLREADING));
  // A font of another character set: the flag would do nothing, the marks
  // make the run a right-to-left one. Windows gives the marks no width, so
  // the letters land where they were measured; a system that draws them
  // with a width of their own (Wine) moves the letters by as much, and
  // nothing is clipped, so that no letter is lost.
  wchar_t stack[StackUnits + 3];
  wchar_t* marked = n <= StackUnits ? stack : static_cast<wchar_t*>(std::malloc((static_cast<size_t>(n) + 3) * sizeof(wchar_t)));
  if (!marked) return DrawTextW(dc, units, n, &rect, RunFormat);
  const int32_t m = EmbedRightToLeft(reinterpret_cast<const DisplayChar*>(units), n, reinterpret_cast<DisplayChar*>(marked));
  const int result = DrawTextW(dc, marked, m, &rect, RunFormat | DT_NOCLIP);
  if (marked != stack) std::free(marked);
  return result;
}

int DrawRun(HDC dc, const unsigned char* bytes, int32_t count, int32_t x, int32_t y, int32_t w, int32_t h) {
  int32_t n = 0;
  const wchar_t* units = ConvertRun(bytes, count, false, &n);
  if (!units || n == 0) return 0;
  return DrawUnits(dc, units, n, x, y, w, h);
}

int DrawRunColored(HDC dc, const unsigned char* bytes, int32_t count, int32_t x, int32_t y, int32_t w,
                   int32_t h, COLORREF textColour, COLORREF backColour) {
  const int oldMode = SetBkMode(dc, OPAQUE);
  const COLORREF oldText = SetTextColor(dc, textColour);
  const COLORREF oldBack = SetBkColor(dc, backColour);
  const int result = DrawRun(dc, bytes, count, x, y, w, h);
  SetBkColor(dc, oldBack);
  SetTextColor(dc, oldText);
  SetBkMode(dc, oldMode);
  return result;
}
