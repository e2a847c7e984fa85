// Identifiers of the dialogs' resources and controls, shared by the resource
// script dialogs.rc and the dialog procedures.
#pragma once

// Resources.
#define IDD_ABOUT 103
#define IDD_FONT 105
#define IDB_LOGO 113
// The logo at 1.5x and 2x (1x is IDB_LOGO).
#define IDB_LOGO_150 164
#define IDB_LOGO_200 165
#define IDD_CHOOSE_DAF 120
#define IDD_DAILY_FOLIO 140
#define IDD_GO_TO 150

// Choose Daf.
#define IDC_DAF_TRACTATES 1016
#define IDC_DAF_HUNDREDS 1017
#define IDC_DAF_TENS 1018
#define IDC_DAF_UNITS 1019
#define IDC_DAF_SIDE 1020

// Choose Font.
#define IDC_FONT_FACES 1001
#define IDC_FONT_PREVIEW 1002
#define IDC_FONT_BASE_LATIN 1003  // handled, but the dialog has no such control
#define IDC_FONT_BASE_224 1004
#define IDC_FONT_BASE_5D0 1005
#define IDC_FONT_SIZES 1006

// About box.
#define IDC_ABOUT_LINK 1025
#define IDC_ABOUT_NOTICE 1026

// Daily Folio.
#define IDC_DAILY_DATE 1401
#define IDC_DAILY_FOLIO 1402

// Go To.
#define IDC_GO_TO_TEXT 1501
#define IDC_GO_TO_STATUS 1502
#define IDC_GO_TO_LIST 1503
