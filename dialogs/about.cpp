// The about box with its link to the maker's site, and the update check:
// both hand a web address to the shell, which opens it in the browser.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "dialogs/dialogs.h"
#include "layout/scale.h"
#include "resources/dialogs.h"
#include "store/product.h"
#include "store/updateaddress.h"

namespace {

constexpr int LinkTextUnits = 100;
// The product in the update page's query: maker and program.
constexpr wchar_t ProductComponent[] = L"Quillary/Orvane";

// While the box is open.
HFONT LinkFont;
WNDPROC LinkButtonPrevious;
// The link's font as first made, and the DPI it was made for: the link's
// font at another DPI is made from it.
LOGFONTW LinkBase;
int LinkBaseDpi;

LRESULT CALLBACK LinkButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return CallWindowProcW(LinkButtonPrevious, button, message, wParam, lParam);
}

void SizeLinkButton(HWND button, HFONT font, int dpi);

void SetUpLinkButton(HWND dialog) {
  HWND button = GetDlgItem(dialog, IDC_ABOUT_LINK);
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkButtonProc)));
  if (previous && previous != LinkButtonPrevious && previous != LinkButtonProc) LinkButtonPrevious = previous;

  LOGFONTW lf = {};
  HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
  if (!dialogFont) dialogFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  GetObjectW(dialogFont, sizeof lf, &lf);
  lf.lfUnderline = TRUE;
  lf.lfWeight = 800;
  LinkBase = lf;
  LinkBaseDpi = DpiOfWindow(dialog);
  SizeLinkButton(button, CreateFontIndirectW(&lf), LinkBaseDpi);
}

// Gives the link the font (which then belongs to the box) and the size of its
// text in it, at dpi; the font it had goes. Nothing changes without a font.
void SizeLinkButton(HWND button, HFONT font, int dpi) {
  if (!font) return;
  KeepOwnFont(button);  // the dialog manager must not give it the dialog's
  HDC dc = GetDC(button);
  const HGDIOBJ old = SelectObject(dc, font);
  wchar_t text[LinkTextUnits];
  const int length = GetWindowTextW(button, text, LinkTextUnits);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (LinkFont) DeleteObject(LinkFont);
  LinkFont = font;
  SIZE extent = {};
  GetTextExtentPoint32W(dc, text, length, &extent);
  SetWindowPos(button, nullptr, 0, 0, extent.cx + 2 * MetricForDpi(SM_CXEDGE, dpi),
               extent.cy + 2 * MetricForDpi(SM_CYEDGE, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
  SelectObject(dc, old);
  ReleaseDC(button, dc);
}

const UINT Logos[3] = {IDB_LOGO, IDB_LOGO_150, IDB_LOGO_200};

// The logo and the link at another DPI.
void OnDpiChanged(HWND dialog, int dpi) {
  ShowPictureForDpi(dialog, Logos, dpi);
  if (!LinkBaseDpi) return;
  LOGFONTW lf = LinkBase;
  lf.lfHeight = MulDiv(LinkBase.lfHeight, dpi, LinkBaseDpi);
  lf.lfWidth = MulDiv(LinkBase.lfWidth, dpi, LinkBaseDpi);
  SizeLinkButton(GetDlgItem(dialog, IDC_ABOUT_LINK), CreateFontIndirectW(&lf), dpi);
}

void DrawLink(const DRAWITEMSTRUCT* item) {
  wchar_t text[LinkTextUnits];
  const int length = GetWindowTextW(item->hwndItem, text, LinkTextUnits);
  const COLORREF oldColour = SetTextColor(item->hDC, RGB(0, 0, 255));
  const int oldMode = SetBkMode(item->hDC, TRANSPARENT);
  const int top = MetricForDpi(SM_CYEDGE, DpiOfWindow(item->hwndItem));
  ExtTextOutW(item->hDC, 0, top, ETO_CLIPPED, &item->rcItem, text, length, nullptr);
  SetBkMode(item->hDC, oldMode);
  SetTextColor(item->hDC, oldColour);
}

void EndAboutBox(HWND dialog, INT_PTR result) {
  EndDialog(dialog, result);
  TakeBackPicture(dialog);
  if (LinkFont) {
    // The button is destroyed after this; it must not hold a deleted font.
    SendDlgItemMessageW(dialog, IDC_ABOUT_LINK, WM_SETFONT, 0, FALSE);
    DeleteObject(LinkFont);
    LinkFont = nullptr;
  }
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetUpLinkButton(dialog);
      ShowPictureForDpi(dialog, Logos, DpiOfWindow(dialog));
      return TRUE;
    }
    case DpiChangedMessage:
      PostDialogDpiChange(dialog, wParam);
      return FALSE;  // the dialog manager lays the dialog out for the new DPI
    case DialogDpiChanged:
      OnDpiChanged(dialog, static_cast<int>(wParam));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != IDC_ABOUT_LINK) return FALSE;
      DrawLink(item);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_ABOUT_LINK:
          // An owner-drawn button also reports the second click of a double
          // click: the site opens once.
          if (HIWORD(wParam) == BN_CLICKED) OpenUrl(GetDlgItem(dialog, IDC_ABOUT_LINK), MAKER_SITE_URL);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndAboutBox(dialog, LOWORD(wParam));
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void OpenUrl(HWND window, const wchar_t* address) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = window;
  info.lpVerb = L"Open";
  info.lpFile = address;
  // The browser a web address starts must come up visible.
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info) || GetLastError() == ERROR_CANCELLED) return;
  // The shell shows nothing itself (no UI): without a word the click would
  // seem to have been lost.
  wchar_t text[UpdateAddressUnits + 128] = {};
  std::swprintf(text, sizeof text / sizeof text[0],
                L"The address could not be opened: no web browser took it.\n\n%ls", address);
  MessageBoxW(window ? GetAncestor(window, GA_ROOT) : nullptr, text, PRODUCT_NAME, MB_OK | MB_ICONWARNING);
}

void CheckForUpdates(HWND window) {
  wchar_t address[UpdateAddressUnits];
  if (BuildUpdateAddress(address, UpdateAddressUnits, MAKER_SITE_URL, ProductComponent, PRODUCT_VERSION) < 0) {
    return;
  }
  OpenUrl(window, address);
}

INT_PTR AboutBox(HWND owner) {
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutBoxProc, 0);
  if (LinkFont) {
    DeleteObject(LinkFont);
    LinkFont = nullptr;
  }
  return result;
}
