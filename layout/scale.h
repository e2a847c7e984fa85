// Display scale: the one place that turns 96-DPI lengths, system metrics and
// the font settings into pixels for a given DPI. Everything drawn on screen is
// designed at 96 DPI (1x) and scaled with the DPI of the window it appears in;
// stored lengths (the gutter) stay in 96-DPI units.
//
// The functions of newer systems (GetDpiForWindow, GetSystemMetricsForDpi,
// SetDialogControlDpiChangeBehavior) are looked up at run time. The manifest
// makes the process per-monitor aware (v2) only where all of them exist
// (Windows 10 1703 on); everywhere else it is system aware, so that the
// screen's LOGPIXELSY and GetSystemMetrics, which stand in there, are at the
// one DPI every window has.
//
// Owns no state but the looked-up function pointers, written once on first use,
// and WindowDpiStandIn (null; written only by tests).
#pragma once
#include <windows.h>

#include <cstdint>

#include "store/appsettings.h"

constexpr int BaseDpi = 96;

// A 96-DPI length at dpi, rounded to the nearest pixel; dpi <= 0 leaves it as is.
int ScaleForDpi(int px, int dpi);
// The system metric index (SM_CXVSCROLL, ...) as the system gives it at dpi.
int MetricForDpi(int index, int dpi);
// The DPI of a window (of the monitor it is on, for a per-monitor aware
// process); the system DPI for a null window or on older systems.
int DpiOfWindow(HWND window);
// Which of the picture sets drawn at 1x, 1.5x and 2x suits dpi: 0, 1 or 2, the
// smallest that is not smaller than the scale, else the largest.
int PictureSetForDpi(int dpi);

// What FontSettings::FontSize means, by the key a font is made with:
//  - the panes' style keys (layout/paneview.h: StylePlain, StyleSmall,
//    StyleLarge, StyleBold, StyleSmallPrint): points, so the height follows
//    the DPI (the window's, or the printer's for a print job);
//  - FontKeyCellPixels: the height of a character cell in pixels at 96 DPI,
//    scaled to the DPI (the search edit; the font dialog's preview scales its
//    list's sizes, which become FontSize, the same way);
//  - FontKeyList: a fixed 14-pixel cell at 96 DPI (Choose Daf's lists), scaled.
// FontSize 0 is the face's default height for the panes.
constexpr uint32_t FontKeyCellPixels = 0x2000;
constexpr uint32_t FontKeyList = 0x4000;
// A new font for the key at dpi; the caller deletes it. Null when none could be made.
HFONT MakeFont(const FontSettings& font, uint32_t key, int dpi);
// The character set every font of the text is asked for: with the letters
// at 1488, HEBREW_CHARSET when the face offers it, so that the right-to-left
// reading flags of the text calls apply (Windows applies them only to a
// font of a Hebrew or Arabic character set); the face and so every width
// stay the same. Otherwise DEFAULT_CHARSET, with which the face name
// decides (a face listed only under the Hebrew set would else be swapped).
BYTE FontCharSet(const FontSettings& font);
// Drops the remembered answer of FontCharSet's face check: fonts were
// installed or removed (WM_FONTCHANGE).
void ForgetFaceCharsets();

// Dialog pictures: a dialog's first SS_BITMAP control shows the picture of a
// set drawn at 1x, 1.5x and 2x (resource ids in that order, in the program's
// module) that suits dpi; the control takes the picture's size. At 1x the
// picture of the template stays until another set has been shown. Called
// again for another DPI, it swaps the picture and deletes the one it put there
// before. TakeBackPicture, called before the dialog is destroyed, deletes what
// ShowPictureForDpi put there.
void ShowPictureForDpi(HWND dialog, const UINT ids[3], int dpi);
void TakeBackPicture(HWND dialog);
// The first SS_BITMAP control of a dialog, or null.
HWND DialogPicture(HWND dialog);

// WM_DPICHANGED (Windows 8.1 on; the headers name it only for newer targets).
constexpr UINT DpiChangedMessage = 0x02E0;
// The new DPI of a WM_DPICHANGED (its wParam) when the window has it as its
// own DPI (DpiOfWindow), else 0: the message is then to be ignored. A window
// takes the DPI of each WM_DPICHANGED only when it is per-monitor aware; a
// system-aware process (Windows 8.1 and 10 before 1703 under the manifest)
// may still get the message, and its windows stay at the system DPI.
int DpiChangeFor(HWND window, WPARAM dpiChangedWParam);
// Stands in for the system's answer of DpiOfWindow when not null. For tests:
// Wine puts no window on a monitor of another DPI.
extern int (*WindowDpiStandIn)(HWND window);

// Dialogs on a monitor of another scale. Under per-monitor v2 the dialog
// manager answers a dialog's WM_DPICHANGED, once the dialog procedure has
// seen it, by resizing the dialog, moving and resizing its controls and
// giving each the dialog's font at the new DPI. A control with a font of its
// own is excluded from that font (KeepOwnFont, on WM_INITDIALOG), and the
// dialog procedure answers WM_DPICHANGED with PostDialogDpiChange and FALSE:
// DialogDpiChanged (wParam: the new DPI) then arrives after the dialog
// manager's layout, for the dialog to remake its fonts and pictures. Nothing
// is posted, and false returned, for a DPI the dialog does not have
// (DpiChangeFor).
constexpr UINT DialogDpiChanged = WM_APP + 0x2E0;
void KeepOwnFont(HWND control);
bool PostDialogDpiChange(HWND dialog, WPARAM dpiChangedWParam);
// A font for a label: the system's message font at dpi; the caller deletes it.
HFONT MakeMessageFont(int dpi);

// For a top-level window's WM_NCCREATE: under per-monitor awareness v1 the
// caption and menu scale with the monitor's DPI only when asked; v2 does it
// anyway (the manifest asks for no v1, but a thread may be put in it), and
// systems before Windows 10 1607 have no such call.
void EnableNonClientScaling(HWND window);
