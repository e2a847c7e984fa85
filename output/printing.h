// Printing a pane: the Print dialog (printer, copies) with the printer
// remembered in the registry, the page setup dialog for the margins, then a
// copy of the pane's text laid out again on the printer's device context and
// drawn page by page, each page with a header and a footer band.
//
// Owns: the printer (DEVMODE and DEVNAMES blocks) of the last printer dialog
// of this run that succeeded. Only this file writes them.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

#include <cstdint>

#include "layout/paneview.h"
#include "output/printer_blocks.h"
#include "store/selection.h"

// Ctrl+P: the whole command. Nothing happens for a missing pane or one
// without text. With a selection that is not empty the Print dialog offers
// "Selection", which prints only the selected text (store/selection), with
// the page header and footer as for the whole text. The window that owns
// the pane is disabled while the job runs.
void PrintPane(PaneView* pane, const TextSelection* selection);
// File > Page Setup: margins and paper of the remembered printer, stored
// for the next print. Cancel shows nothing.
void PageSetup(HWND owner);

// Margins in thousandths of an inch.
struct PrintMargins {
  int32_t Left;
  int32_t Top;
  int32_t Right;
  int32_t Bottom;
};

// The calls that begin and end a page: the platform's, or a stand-in.
struct PageCalls {
  int(WINAPI* Start)(HDC);
  int(WINAPI* End)(HDC);
};

// The printer dialogs and the printer look-up: the platform's, or stand-ins.
struct PrinterDialogCalls {
  BOOL(WINAPI* Print)(PRINTDLGW*);
  BOOL(WINAPI* PageSetup)(PAGESETUPDLGW*);
  DWORD(WINAPI* Error)();
  BOOL(WINAPI* Open)(LPWSTR, HANDLE*, PRINTER_DEFAULTSW*);
  BOOL(WINAPI* Enum)(DWORD, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD, LPDWORD);
};
extern PrinterDialogCalls PrinterDialogs;

// Results of a print job (PrintDocument), and of PrintPages when negative.
constexpr int32_t PrintOk = 0;
constexpr int32_t PrintCancelled = 1;      // the user's Cancel inside StartDoc
constexpr int32_t PrintNothingFits = -1;   // a line taller than the text area
constexpr int32_t PrintPageFailed = -2;    // StartPage or EndPage refused
constexpr int32_t PrintDocRefused = -3;    // StartDoc refused
constexpr int32_t PrintEndFailed = -4;     // EndDoc refused
constexpr int32_t PrintLayoutFailed = -5;  // the text could not be laid out
constexpr int32_t PrintNoText = -6;        // the text has no line
constexpr int32_t PrintFaceUnusable = -7;  // the printer has no outlines of the face

// What the Print dialog chose.
struct ChosenPrinter {
  HDC Dc;                // the printer's device context, the caller's to delete
  PrintMargins Margins;  // as stored in the registry
  wchar_t Driver[64];    // the driver's name, from the dialog's DEVNAMES
  bool Selection;        // "Selection" was chosen rather than all of the text
};

// The Print dialog with the remembered printer: false after any message was
// shown (none for Cancel). The copies are the driver's (the dialog asks it
// for them). A remembered printer that the system no longer lists among
// its printers and connections is forgotten; one that cannot be opened now
// but is still listed (a print server out of reach) is left stored. Either way, and
// when the dialog refuses the remembered printer, the dialog opens with the
// default printer instead. "Selection" is offered only with offerSelection.
bool ChoosePrinter(HWND owner, ChosenPrinter* chosen, bool offerSelection = false);
// The job on a printer's device context: the document begun, the job's text
// laid out and its pages drawn, the document ended; on any failure the
// document is aborted, so that nothing half-finished reaches the printer.
// The job holds its own text and font settings; its Dc is set here.
int32_t PrintDocument(HDC dc, PaneView* job, const PrintMargins& margins);
// The message for a failed job, or null for PrintOk and PrintCancelled.
const wchar_t* PrintResultText(int32_t result);
// The printer dialogs' message for a common-dialog extended error, or null.
const wchar_t* PrintErrorText(DWORD code);
// Whether a printer with this driver can draw the face. Wine's PostScript
// driver embeds only TrueType outlines: a face with PostScript (CFF or
// Type 1) outlines ends the program inside its text output.
bool PrinterDrawsFace(HDC printer, const wchar_t* driver, const wchar_t* face);
// The face nearest to the given one that the printer draws and that has
// Hebrew letters: face[32] is replaced; false when there is none.
bool NearestPrintableFace(HDC printer, const wchar_t* driver, wchar_t* face);

// A printer's page in device units: its resolution (dots per inch), its
// printable area (the device's coordinates start at that area's top left
// corner), where that area lies on the paper, and the paper's size (0 for a
// device that is no printer: the paper is the printable area then).
struct PageMeasures {
  int32_t DpiX, DpiY;
  int32_t Width, Height;            // HORZRES, VERTRES
  int32_t OffsetX, OffsetY;         // PHYSICALOFFSETX, PHYSICALOFFSETY
  int32_t PaperWidth, PaperHeight;  // PHYSICALWIDTH, PHYSICALHEIGHT
};
PageMeasures MeasurePage(HDC dc);
// The print area from the margins, which Page Setup measures from the
// paper's edges: each margin less the strip of paper the printer cannot
// reach on that side, never less than none.
void SetPrintArea(PaneView* job, const PrintMargins& margins, const PageMeasures& page);
// Moves the area in by the header and footer bands; returns their height F.
int32_t ReserveHeaderFooter(PaneView* job);
void DrawHeaderFooter(PaneView* job, int32_t headerHeight, int32_t page);
// Draws the laid-out job page by page from its first line, each page begun
// and ended here. Returns the pages drawn, or a negative result:
// PrintNothingFits when a line fits on no page (nothing more is drawn),
// PrintPageFailed, PrintNoText.
int32_t PrintPages(PaneView* job, int32_t headerHeight, const PageCalls& calls = {StartPage, EndPage});
