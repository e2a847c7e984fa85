// Runs: a stretch of one line's stored bytes on a device context. Converting
// it to display characters, measuring it, fitting it to a width, drawing it
// and finding the character boundary under an x position all happen here,
// so that line breaking (paneview), drawing (draw) and hit-testing measure
// exactly the same characters.
//
// A run's bytes are in stored order, which is their order on the screen from
// left to right; widths are always measured in that order. Only what is
// drawn may go to the system in reading order (store/letters.h: OrderFor),
// and then it is laid out as a right-to-left line: with the reading flag of
// the text call when the selected font has a right-to-left character set
// (the only fonts the flag is documented for), else between the embedding
// marks U+202B ... U+202C, which the system's bidirectional layout honours
// for any font.
//
// Owns nothing: the conversion goes through the shared ConversionBuffer.
#pragma once
#include <windows.h>

#include <cstdint>

// Converts at most count bytes (stopping at a 0 byte) through the shared
// ConversionBuffer. *length receives the number of display characters.
// measuring: convert in stored order whatever the Reverse setting says.
// Null when memory ran out (*length is then 0).
const wchar_t* ConvertRun(const unsigned char* bytes, int32_t count, bool measuring, int32_t* length);

// How many of the first *count characters fit in *width pixels; *count
// becomes that number and *width their width.
void MeasureFit(HDC dc, const unsigned char* bytes, int32_t* width, int32_t* count);

// Width and height of the first count characters of a run.
SIZE MeasureRun(HDC dc, const unsigned char* run, int32_t count);

// The boundary of a run nearest to dx pixels from its left edge: 0 left of
// the run, count right of it, else the boundary between the two characters
// whose middle points enclose dx.
int32_t RunBoundaryAt(HDC dc, const unsigned char* run, int32_t count, int32_t dx);

// The right-to-left reading flag of a text call (DT_RTLREADING for DrawTextW,
// ETO_RTLREADING for ExtTextOutW) when the program's own runs go in reading
// order (store/letters.h: TextUse::Drawn), else 0.
UINT ReadingFlag(UINT rtlFlag);

// Draws count display units centred in the rectangle x, y, w, h (format
// RunFormat) as a line in the drawn text's reading direction on this DC:
// the reading flag for a right-to-left font, the embedding marks otherwise
// (unclipped, so that a width the system may give the marks loses no letter).
int DrawUnits(HDC dc, const wchar_t* units, int32_t count, int32_t x, int32_t y, int32_t w, int32_t h);

// A run drawn centred in the rectangle x, y, w, h with the DC's colours.
int DrawRun(HDC dc, const unsigned char* bytes, int32_t count, int32_t x, int32_t y, int32_t w, int32_t h);
// The same, opaque, in the given colours (the DC's colours are put back).
int DrawRunColored(HDC dc, const unsigned char* bytes, int32_t count, int32_t x, int32_t y, int32_t w,
                   int32_t h, COLORREF textColour, COLORREF backColour);

constexpr UINT RunFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;  // 0x825
