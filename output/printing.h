// Printing a pane: page setup with the printer and margins remembered in the
// registry, then the pane's text laid out again on the printer's device
// context and drawn page by page, each page with a header and a footer band.
//
// Owns: the printer-settings block of the last page setup of this run.
#pragma once
#include <windows.h>

#include <cstdint>

#include "layout/paneview.h"

// The whole command: nothing happens for a missing pane or one without text.
void PrintPane(PaneView* pane);

// Margins in thousandths of an inch.
struct PrintMargins {
  int32_t Left;
  int32_t Top;
  int32_t Right;
  int32_t Bottom;
};

// Page setup, then the printer's device context with the document and its
// first page begun and the margins chosen; or null after any message was
// shown. Cancel in page setup shows nothing.
HDC BeginPrintJob(HWND owner, const wchar_t* documentName, PrintMargins* margins);
// The page-setup message for a common-dialog extended error, or null.
const wchar_t* PrintErrorText(DWORD code);
// Whether a stored printer-settings block is a whole DEVMODE record that the
// platform may be given: header fields inside the block and consistent.
bool IsUsableDevMode(const void* bytes, size_t size);

// The print area from the margins, a device's resolution (dots per inch)
// and its printable size, measured from the printable area's edges.
void SetPrintArea(PaneView* job, const PrintMargins& margins, int32_t dpiX, int32_t dpiY, int32_t width,
                  int32_t height);
// Moves the area in by the header and footer bands; returns their height F.
int32_t ReserveHeaderFooter(PaneView* job);
void DrawHeaderFooter(PaneView* job, int32_t headerHeight, int32_t page);
// Draws the laid-out job page by page from its first line; ends every page
// drawn and begins each page after the first only when a line is left for
// it. Returns the number of pages drawn.
int32_t PrintPages(PaneView* job, int32_t headerHeight);
// Ends the document and deletes the device context; nothing for null.
void EndPrintJob(HDC dc);
