// Display scale: 96-DPI lengths, system metrics and fonts at a given DPI.
#include "layout/scale.h"

#include "layout/paneview.h"

namespace {

using DpiForWindowFunction = UINT(WINAPI*)(HWND);
using MetricsForDpiFunction = int(WINAPI*)(int, UINT);

// Looked up once; null where the system has no such function.
struct NewerFunctions {
  DpiForWindowFunction DpiForWindow;
  MetricsForDpiFunction MetricsForDpi;
};

const NewerFunctions& Newer() {
  static const NewerFunctions functions = [] {
    NewerFunctions f{};
    if (HMODULE user = GetModuleHandleW(L"user32.dll")) {
      f.DpiForWindow = reinterpret_cast<DpiForWindowFunction>(
          reinterpret_cast<void*>(GetProcAddress(user, "GetDpiForWindow")));
      f.MetricsForDpi = reinterpret_cast<MetricsForDpiFunction>(
          reinterpret_cast<void*>(GetProcAddress(user, "GetSystemMetricsForDpi")));
    }
    return f;
  }();
  return functions;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : BaseDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : BaseDpi;
}

// Font height in points for a pane style key.
int32_t StylePoints(uint32_t key, int32_t size) {
  if (key & StyleLarge) return size ? size * 5 / 4 : 20;
  if (key & StyleSmall) return size ? size * 6 / 8 : 14;
  if (key & StyleSmallPrint) return 8;
  return size;
}

}  // namespace

int ScaleForDpi(int px, int dpi) { return dpi > 0 ? MulDiv(px, dpi, BaseDpi) : px; }

int MetricForDpi(int index, int dpi) {
  if (Newer().MetricsForDpi && dpi > 0) return Newer().MetricsForDpi(index, static_cast<UINT>(dpi));
  return GetSystemMetrics(index);
}

int (*WindowDpiStandIn)(HWND window);

int DpiOfWindow(HWND window) {
  if (WindowDpiStandIn) return WindowDpiStandIn(window);
  if (window && Newer().DpiForWindow) {
    const UINT dpi = Newer().DpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

int DpiChangeFor(HWND window, WPARAM dpiChangedWParam) {
  const int dpi = HIWORD(dpiChangedWParam);
  return dpi > 0 && dpi == DpiOfWindow(window) ? dpi : 0;
}

int PictureSetForDpi(int dpi) {
  if (dpi <= BaseDpi) return 0;
  if (2 * dpi <= 3 * BaseDpi) return 1;
  return 2;
}

HFONT MakeFont(const FontSettings& font, uint32_t key, int dpi) {
  if (dpi <= 0) dpi = BaseDpi;
  LOGFONTW lf{};
  if (key & FontKeyList) {
    lf.lfHeight = ScaleForDpi(14, dpi);
  } else if (key & FontKeyCellPixels) {
    lf.lfHeight = ScaleForDpi(font.FontSize, dpi);
  } else {
    lf.lfHeight = -MulDiv(StylePoints(key, font.FontSize), dpi, 72);
  }
  lf.lfWeight = (key & StyleBold) && !(key & (FontKeyCellPixels | FontKeyList)) ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = FontCharSet(font);
  for (int i = 0; i < LF_FACESIZE - 1 && i < FontNameUnits && font.FontName[i]; ++i) {
    lf.lfFaceName[i] = font.FontName[i];
  }
  return CreateFontIndirectW(&lf);
}

namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The last face asked about and its answer: every style of every pane asks.
wchar_t LastFace[LF_FACESIZE];
bool LastAnswer;
bool Asked;

// Whether the installed face is listed under the Hebrew character set.
bool FaceHasHebrewSet(const wchar_t* face) {
  if (Asked && lstrcmpW(face, LastFace) == 0) return LastAnswer;
  LOGFONTW lf{};
  lf.lfCharSet = HEBREW_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  if (HDC screen = GetDC(nullptr)) {
    EnumFontFamiliesExW(screen, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
  }
  lstrcpynW(LastFace, face, LF_FACESIZE);
  LastAnswer = found;
  Asked = true;
  return found;
}

}  // namespace

void ForgetFaceCharsets() { Asked = false; }

BYTE FontCharSet(const FontSettings& font) {
  if (font.FontAsciiBase != AsciiBaseUnicode || font.FontName[0] == 0) return DEFAULT_CHARSET;
  wchar_t face[LF_FACESIZE] = {};
  for (int i = 0; i < LF_FACESIZE - 1 && i < FontNameUnits && font.FontName[i]; ++i) face[i] = font.FontName[i];
  return FaceHasHebrewSet(face) ? HEBREW_CHARSET : DEFAULT_CHARSET;
}

namespace {
// The property of a picture control that holds the bitmap it was given.
constexpr wchar_t ShownPicture[] = L"OrvaneShownPicture";
}  // namespace

HWND DialogPicture(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) return child;
  }
  return nullptr;
}

void ShowPictureForDpi(HWND dialog, const UINT ids[3], int dpi) {
  HWND picture = DialogPicture(dialog);
  if (!picture) return;
  const int set = PictureSetForDpi(dpi);
  auto* given = static_cast<HBITMAP>(GetPropW(picture, ShownPicture));
  if (set == 0 && !given) return;  // the template's picture is the 1x one
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ids[set]), IMAGE_BITMAP, 0, 0, 0));
  if (!bitmap) return;
  // What the control gives back is the template's picture (which it loaded
  // and no longer shows, and does not delete) or the one given before, or
  // its copy of that one: whatever it is goes, and so does the one given.
  auto* previous = reinterpret_cast<HBITMAP>(
      SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  if (previous && previous != bitmap) DeleteObject(previous);
  if (given && given != previous && given != bitmap) DeleteObject(given);
  SetPropW(picture, ShownPicture, bitmap);
}

void TakeBackPicture(HWND dialog) {
  HWND picture = DialogPicture(dialog);
  if (!picture) return;
  auto* bitmap = static_cast<HBITMAP>(RemovePropW(picture, ShownPicture));
  if (!bitmap) return;
  // The control may hold a copy of what it was given: both go.
  auto* shown = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, 0));
  if (shown && shown != bitmap) DeleteObject(shown);
  DeleteObject(bitmap);
}

void KeepOwnFont(HWND control) {
  // DIALOG_CONTROL_DPI_CHANGE_BEHAVIORS: DCDC_DISABLE_FONT_UPDATE.
  constexpr DWORD DisableFontUpdate = 0x0001;
  using Function = BOOL(WINAPI*)(HWND, DWORD, DWORD);
  static const auto keep = reinterpret_cast<Function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetDialogControlDpiChangeBehavior")));
  if (keep && control) keep(control, DisableFontUpdate, DisableFontUpdate);
}

bool PostDialogDpiChange(HWND dialog, WPARAM dpiChangedWParam) {
  const int dpi = DpiChangeFor(dialog, dpiChangedWParam);
  return dpi > 0 && PostMessageW(dialog, DialogDpiChanged, static_cast<WPARAM>(dpi), 0);
}

HFONT MakeMessageFont(int dpi) {
  using Function = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto forDpi = reinterpret_cast<Function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const bool read = forDpi && dpi > 0
                        ? forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)) != 0
                        : SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != 0;
  if (!read) {
    // The dialog font of old: 8 points.
    metrics.lfMessageFont = LOGFONTW{};
    metrics.lfMessageFont.lfHeight = -MulDiv(8, dpi > 0 ? dpi : BaseDpi, 72);
    metrics.lfMessageFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(metrics.lfMessageFont.lfFaceName, L"MS Shell Dlg");
  }
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

void EnableNonClientScaling(HWND window) {
  using Function = BOOL(WINAPI*)(HWND);
  static const auto enable = reinterpret_cast<Function>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "EnableNonClientDpiScaling")));
  if (enable) enable(window);
}
