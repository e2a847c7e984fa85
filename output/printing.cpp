// Printing: page setup, the print job's own PaneView on the printer's device
// context, the page loop and the header and footer bands.
#include "output/printing.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstddef>
#include <cwchar>
#include <cstring>

#include "layout/draw.h"
#include "output/settings.h"
#include "store/product.h"

namespace {

constexpr wchar_t DocumentName[] = L"Vandrel Orvane (with Tesker)";
constexpr wchar_t FooterText[] = MAKER_SITE_HOST L" -- Vandrel Orvane (with Tesker)";
constexpr int32_t DefaultMargin = 1000;
constexpr int32_t BandGap = 5;  // pixels between a band and the text

// The DEVMODE the last page setup of this run returned; used when the
// registry has none that can be used.
HGLOBAL RunDevMode = nullptr;

// The smallest record the platform's printer code reads whole: every public
// field up to the display frequency.
constexpr size_t MinDevModeSize = offsetof(DEVMODEW, dmICMMethod);

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The stored DevMode as a global block, or null when there is none or it is
// no DEVMODE record of its size.
HGLOBAL StoredDevMode() {
  HGLOBAL block = ReadBlobSetting(L"DevMode", nullptr);
  if (!block) return nullptr;
  const void* bytes = GlobalLock(block);
  const bool usable = bytes && IsUsableDevMode(bytes, GlobalSize(block));
  if (bytes) GlobalUnlock(block);
  if (usable) return block;
  GlobalFree(block);
  return nullptr;
}

// The printer's whole name from the dialog's DEVNAMES block; the DEVMODE's
// own field keeps only the first 31 characters of a longer name.
bool DeviceNameOf(HGLOBAL devNames, wchar_t* name, size_t units) {
  if (!devNames) return false;
  const auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNames));
  if (!names) return false;
  const size_t size = GlobalSize(devNames) / sizeof(wchar_t);
  const auto* all = reinterpret_cast<const wchar_t*>(names);
  const size_t at = names->wDeviceOffset;
  const size_t n = at < size ? wcsnlen(all + at, size - at) : 0;
  const bool found = n > 0 && n < size - at && n < units;
  if (found) std::wmemcpy(name, all + at, n + 1);
  GlobalUnlock(devNames);
  return found;
}

// Creates the printer's device context from a DEVMODE block and stores the
// block in the registry. Null when there is no block or no printer for it.
HDC CreatePrinterDc(HGLOBAL devMode, HGLOBAL devNames) {
  if (!devMode) return nullptr;
  auto* dm = static_cast<DEVMODEW*>(GlobalLock(devMode));
  if (!dm) return nullptr;
  WriteBinarySetting(L"DevMode", dm, static_cast<DWORD>(GlobalSize(devMode)));
  wchar_t device[256] = {};
  if (!DeviceNameOf(devNames, device, 256)) std::memcpy(device, dm->dmDeviceName, sizeof dm->dmDeviceName);
  HDC dc = CreateDCW(nullptr, device, nullptr, dm);
  GlobalUnlock(devMode);
  return dc;
}

int32_t Clamp32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

bool IsUsableDevMode(const void* bytes, size_t size) {
  if (!bytes || size < MinDevModeSize) return false;
  const auto* p = static_cast<const unsigned char*>(bytes);
  const size_t dmSize = ReadU16(p + offsetof(DEVMODEW, dmSize));
  const size_t extra = ReadU16(p + offsetof(DEVMODEW, dmDriverExtra));
  return dmSize >= MinDevModeSize && dmSize + extra <= size;
}

const wchar_t* PrintErrorText(DWORD code) {
  switch (code) {
    case CDERR_STRUCTSIZE: return L"Struct Size";
    case CDERR_INITIALIZATION: return L"Initialization";
    case CDERR_NOTEMPLATE: return L"No Template";
    case CDERR_NOHINSTANCE: return L"No hInstance";
    case CDERR_LOADSTRFAILURE: return L"Load String Failure";
    case CDERR_FINDRESFAILURE: return L"Find Resource Failure";
    case CDERR_LOADRESFAILURE: return L"Load Resource Failure";
    case CDERR_LOCKRESFAILURE: return L"Lock Resource Failure";
    case CDERR_MEMALLOCFAILURE: return L"Memory Allocation Failure";
    case CDERR_MEMLOCKFAILURE: return L"Memory Lock Failure";
    case CDERR_NOHOOK: return L"No Hook";
    case CDERR_REGISTERMSGFAIL: return L"RegisterWindowMessage Fail";
    case PDERR_SETUPFAILURE: return L"Setup Failure";
    case PDERR_PARSEFAILURE: return L"Parse Failure";
    case PDERR_RETDEFFAILURE: return L"Return Default Failure";
    case PDERR_LOADDRVFAILURE: return L"Load Driver Failure";
    case PDERR_GETDEVMODEFAIL: return L"GetDevMode Fail";
    case PDERR_INITFAILURE: return L"Init Failure";
    case PDERR_NODEVICES: return L"No Printer Drivers Were Found";
    case PDERR_NODEFAULTPRN: return L"No Default Printer";
    case PDERR_DNDMMISMATCH: return L"DevMode and DevNames Are For Different Printers";
    case PDERR_CREATEICFAILURE: return L"Create Information Context  Failure";
    case PDERR_PRINTERNOTFOUND: return L"Printer Not Found";
    case PDERR_DEFAULTDIFFERENT: return L"Default Different";
    case CDERR_DIALOGFAILURE: return L"Dialog Failure";
    default: return nullptr;
  }
}

HDC BeginPrintJob(HWND owner, const wchar_t* documentName, PrintMargins* margins) {
  const int32_t top = ReadDwordSetting(SettingsKeyPath, L"PrintTop", DefaultMargin);
  const int32_t bottom = ReadDwordSetting(SettingsKeyPath, L"PrintBottom", DefaultMargin);
  const int32_t left = ReadDwordSetting(SettingsKeyPath, L"PrintLeft", DefaultMargin);
  const int32_t right = ReadDwordSetting(SettingsKeyPath, L"PrintRight", DefaultMargin);

  HGLOBAL stored = StoredDevMode();
  PAGESETUPDLGW setup{};
  setup.lStructSize = sizeof setup;
  setup.hwndOwner = owner;
  setup.hInstance = GetModuleHandleW(nullptr);
  setup.hDevMode = stored ? stored : RunDevMode;
  setup.Flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
  setup.rtMargin = RECT{left, top, right, bottom};
  const HGLOBAL given = setup.hDevMode;

  const BOOL chosen = PageSetupDlgW(&setup);
  const DWORD code = chosen ? 0 : CommDlgExtendedError();
  // The dialog may give back another block than it got, having freed that
  // one. The run keeps the block of the last page setup that succeeded.
  if (given && given == RunDevMode) {
    RunDevMode = setup.hDevMode;
  } else if (!chosen) {
    if (setup.hDevMode) GlobalFree(setup.hDevMode);
  } else {
    if (RunDevMode && RunDevMode != setup.hDevMode) GlobalFree(RunDevMode);
    RunDevMode = setup.hDevMode;
  }
  if (!chosen) {
    if (setup.hDevNames) GlobalFree(setup.hDevNames);
    // Cancel is no failure: the extended error is 0 then.
    if (code == 0) return nullptr;
    const wchar_t* text = PrintErrorText(code);
    MessageBoxW(owner, text && text[0] ? text : L"Unknown Error", L"Error Printing", MB_OK);
    return nullptr;
  }
  HDC dc = CreatePrinterDc(setup.hDevMode, setup.hDevNames);
  if (setup.hDevNames) GlobalFree(setup.hDevNames);
  if (!dc) {
    MessageBoxW(owner, L"Printer Initialitazion failed!", L"Error", MB_OK);
    return nullptr;
  }

  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = documentName;
  if (StartDocW(dc, &doc) <= 0) {
    DeleteDC(dc);
    return nullptr;
  }
  if (StartPage(dc) <= 0) {
    AbortDoc(dc);
    DeleteDC(dc);
    return nullptr;
  }
  SetMapMode(dc, MM_TEXT);
  const RECT& m = setup.rtMargin;
  WriteDwordSetting(L"PrintTop", m.top);
  WriteDwordSetting(L"PrintBottom", m.bottom);
  WriteDwordSetting(L"PrintLeft", m.left);
  WriteDwordSetting(L"PrintRight", m.right);
  *margins = PrintMargins{m.left, m.top, m.right, m.bottom};
  return dc;
}

void SetPrintArea(PaneView* job, const PrintMargins& margins, int32_t dpiX, int32_t dpiY, int32_t width,
                  int32_t height) {
  const int64_t left = int64_t{dpiX} * margins.Left / 1000;
  const int64_t top = int64_t{dpiY} * margins.Top / 1000;
  job->AreaLeft = Clamp32(left);
  job->AreaTop = Clamp32(top);
  job->AreaWidth = Clamp32(width - int64_t{dpiX} * margins.Right / 1000 - left);
  job->AreaHeight = Clamp32(height - int64_t{dpiY} * margins.Bottom / 1000 - top);
}

int32_t ReserveHeaderFooter(PaneView* job) {
  const HFONT old = SelectStyle(job, StyleSmallPrint);
  TEXTMETRICW tm{};
  GetTextMetricsW(job->Dc, &tm);
  if (old) SelectObject(job->Dc, old);
  const int32_t f = tm.tmHeight;
  job->AreaTop += f + BandGap;
  job->AreaHeight -= 2 * f + 2 * BandGap;
  return f;
}

void DrawHeaderFooter(PaneView* job, int32_t headerHeight, int32_t page) {
  HDC dc = job->Dc;
  const int32_t f = headerHeight;
  const HFONT old = SelectStyle(job, StyleSmallPrint);
  const int oldMode = SetBkMode(dc, TRANSPARENT);

  wchar_t title[] = {227, 34, 241, 225, 0};
  if (job->Font.FontAsciiBase == AsciiBaseUnicode) {
    for (wchar_t& u : title)
      if (u >= 224 && u <= 250) u = static_cast<wchar_t>(u + 1264);
  }
  constexpr UINT Line = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
  const int32_t right = job->AreaLeft + job->AreaWidth;
  const int32_t footerTop = job->AreaTop + job->AreaHeight + BandGap;
  RECT footer{job->AreaLeft, footerTop, right, footerTop + f};
  DrawTextW(dc, FooterText, -1, &footer, Line);
  wchar_t label[32];
  std::swprintf(label, 32, L" Page %d", page);
  DrawTextW(dc, label, -1, &footer, Line | DT_RIGHT);
  RECT header{job->AreaLeft, job->AreaTop - f - BandGap, right, job->AreaTop - BandGap};
  DrawTextW(dc, title, 4, &header, Line | DT_RIGHT);

  SetBkMode(dc, oldMode);
  if (old) SelectObject(dc, old);
}

int32_t PrintPages(PaneView* job, int32_t headerHeight) {
  int32_t page = 1;
  job->StartLine = nullptr;
  for (;; ++page) {
    if (page > 1) {
      // A page is begun only for a line that fits on it.
      const LineEntry* next = job->StartLine;
      if (!next || next->Style == 0 || next->LineHeight > job->AreaHeight) break;
      StartPage(job->Dc);
    }
    DrawPane(job, 0);
    if (job->RowsDrawn == 0) break;
    DrawHeaderFooter(job, headerHeight, page);
    job->StartLine = job->NextLine;
    EndPage(job->Dc);
  }
  return page - 1;
}

void EndPrintJob(HDC dc) {
  if (!dc) return;
  EndDoc(dc);
  DeleteDC(dc);
}

void PrintPane(PaneView* pane) {
  if (!pane || !pane->Text) return;
  // Page setup and its messages belong to the window the pane draws in.
  HWND owner = pane->Dc ? WindowFromDC(pane->Dc) : nullptr;
  if (owner) owner = GetAncestor(owner, GA_ROOT);
  PrintMargins margins{};
  HDC dc = BeginPrintJob(owner, DocumentName, &margins);
  if (!dc) return;

  PaneView job{};
  job.Dc = dc;
  job.Font = pane->Font;
  SetPrintArea(&job, margins, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
               GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
  // The text is the pane's, borrowed for the job.
  if (LayoutPane(&job, pane->Text, false) == LayoutOk) PrintPages(&job, ReserveHeaderFooter(&job));
  EndPrintJob(dc);
  job.Text = nullptr;
  DestroyPaneView(&job, false);
}
