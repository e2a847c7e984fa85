// Printing: the Print and page setup dialogs with the remembered printer,
// the print job's own PaneView on the printer's device context, the page
// loop and the header and footer bands.
#include "output/printing.h"
#include "output/globalblock.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "layout/draw.h"
#include "layout/selected.h"
#include "output/settings.h"
#include "store/letters.h"
#include "store/product.h"

namespace {

constexpr wchar_t DocumentName[] = L"Vandrel Orvane (with Tesker)";
constexpr wchar_t FooterText[] = MAKER_SITE_HOST L" -- Vandrel Orvane (with Tesker)";
constexpr int32_t DefaultMargin = 1000;
constexpr int32_t BandGap = 5;  // pixels between a band and the text

// The printer of the last printer dialog of this run that succeeded; used
// when the registry holds none that can be used.
HGLOBAL RunDevMode = nullptr;
HGLOBAL RunDevNames = nullptr;

// The platform's records, as output/printer_blocks spells them.
static_assert(offsetof(DEVMODEW, dmSize) == DevModeSizeAt && offsetof(DEVMODEW, dmDriverExtra) == DevModeDriverExtraAt);
static_assert(offsetof(DEVMODEW, dmICMMethod) == DevModeMinSize);
static_assert(sizeof(DEVMODEW{}.dmDeviceName) == 2 * DevModeDeviceNameUnits);
static_assert(sizeof(DEVNAMES) == DevNamesHeaderBytes && offsetof(DEVNAMES, wDeviceOffset) == DevNamesDeviceAt);
static_assert(offsetof(DEVNAMES, wDefault) == DevNamesDefaultAt && DN_DEFAULTPRN == DevNamesDefaultPrinter);

using BlockCheck = bool (*)(const void*, size_t);

bool BlockIsUsable(HGLOBAL block, BlockCheck check) {
  const void* bytes = GlobalLock(block);
  const bool usable = bytes && check(bytes, GlobalSize(block));
  if (bytes) GlobalUnlock(block);
  return usable;
}

// A block of its own for a dialog: the stored one when it can be used, else
// a copy of the run's, else null. Bad stored data counts as none.
HGLOBAL PrinterBlock(const wchar_t* name, HGLOBAL runBlock, BlockCheck check) {
  HGLOBAL stored = ReadBlobSetting(name, nullptr);
  if (stored && BlockIsUsable(stored, check)) return stored;
  if (stored) GlobalFree(stored);
  return runBlock ? CopyGlobalBlock(runBlock, GMEM_MOVEABLE) : nullptr;
}

void FreeBlock(HGLOBAL* block) {
  if (*block) GlobalFree(*block);
  *block = nullptr;
}

void StoreBlock(const wchar_t* name, HGLOBAL block) {
  const void* bytes = GlobalLock(block);
  if (!bytes) return;
  WriteBinarySetting(name, bytes, static_cast<DWORD>(GlobalSize(block)));
  GlobalUnlock(block);
}

// The names of a printer, never marked as the default printer's: the
// default may change before they are used again (Windows 10 and 11 change
// it by themselves), and a dialog given names so marked then fails.
void ClearDefaultFlag(HGLOBAL devNames) {
  void* bytes = devNames ? GlobalLock(devNames) : nullptr;
  if (!bytes) return;
  ClearDefaultPrinterFlag(bytes, GlobalSize(devNames));
  GlobalUnlock(devNames);
}

// Takes the blocks a dialog returned: they are stored and kept for the run.
// The copies asked for are for one job: the kept record asks for one.
void KeepPrinter(HGLOBAL devMode, HGLOBAL devNames) {
  if (devMode) {
    if (auto* dm = static_cast<DEVMODEW*>(GlobalLock(devMode))) {
      if (dm->dmFields & DM_COPIES) dm->dmCopies = 1;
      GlobalUnlock(devMode);
    }
    StoreBlock(L"DevMode", devMode);
    if (RunDevMode != devMode) FreeBlock(&RunDevMode);
    RunDevMode = devMode;
  }
  if (devNames) {
    ClearDefaultFlag(devNames);
    StoreBlock(L"DevNames", devNames);
    if (RunDevNames != devNames) FreeBlock(&RunDevNames);
    RunDevNames = devNames;
  }
}

// A remembered printer that is gone: the stored values are emptied (an empty
// block counts as none) and the run's blocks released.
void ForgetPrinter() {
  WriteBinarySetting(L"DevMode", nullptr, 0);
  WriteBinarySetting(L"DevNames", nullptr, 0);
  FreeBlock(&RunDevMode);
  FreeBlock(&RunDevNames);
}

// Dialog errors that refuse the printer it was given: it is shown once more
// without it. Only "not found" means the printer itself is gone.
bool RefusesPrinter(DWORD code) {
  return code == PDERR_PRINTERNOTFOUND || code == PDERR_DNDMMISMATCH || code == PDERR_DEFAULTDIFFERENT;
}

enum class PrinterState { Present, Gone, Unreachable };

// Whether the system lists the printer among its own and its connections.
// A list that cannot be read proves nothing: true then.
bool PrinterListed(const wchar_t* name) {
  constexpr DWORD Kinds = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD bytes = 0, count = 0;
  if (PrinterDialogs.Enum(Kinds, nullptr, 4, nullptr, 0, &bytes, &count)) return false;  // no printer at all
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return true;
  auto* list = static_cast<BYTE*>(std::malloc(bytes));
  bool listed = true;
  if (list && PrinterDialogs.Enum(Kinds, nullptr, 4, list, bytes, &bytes, &count)) {
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4W*>(list);
    listed = false;
    for (DWORD i = 0; i < count && !listed; ++i)
      listed = printers[i].pPrinterName && _wcsicmp(printers[i].pPrinterName, name) == 0;
  }
  std::free(list);
  return listed;
}

// Whether the system has the printer. A name it does not know is a printer
// that is gone only when it is no longer listed either: a queue on a print
// server out of reach answers the same. Any other failure (access denied)
// may pass.
PrinterState StateOf(const wchar_t* name) {
  HANDLE printer = nullptr;
  SetLastError(0);
  if (PrinterDialogs.Open(const_cast<wchar_t*>(name), &printer, nullptr)) {
    ClosePrinter(printer);
    return PrinterState::Present;
  }
  if (GetLastError() != ERROR_INVALID_PRINTER_NAME) return PrinterState::Unreachable;
  return PrinterListed(name) ? PrinterState::Unreachable : PrinterState::Gone;
}

// A name in a DEVNAMES block that IsUsableDevNames accepted.
const wchar_t* NameAt(const DEVNAMES* names, WORD offset) { return reinterpret_cast<const wchar_t*>(names) + offset; }

// The printer's device context from the dialog's blocks, when the dialog
// made none. The DEVMODE's own name field keeps only 31 characters of a
// longer name: the DEVNAMES block has it whole.
HDC CreatePrinterDc(HGLOBAL devMode, HGLOBAL devNames) {
  auto* dm = devMode ? static_cast<DEVMODEW*>(GlobalLock(devMode)) : nullptr;
  const auto* names = devNames ? static_cast<const DEVNAMES*>(GlobalLock(devNames)) : nullptr;
  wchar_t device[CCHDEVICENAME + 1] = {};
  const wchar_t* name = device;
  if (names && IsUsableDevNames(names, GlobalSize(devNames))) {
    name = NameAt(names, names->wDeviceOffset);
  } else if (dm) {
    std::memcpy(device, dm->dmDeviceName, sizeof dm->dmDeviceName);
  }
  HDC dc = name[0] ? CreateDCW(nullptr, name, nullptr, dm) : nullptr;
  if (names) GlobalUnlock(devNames);
  if (dm) GlobalUnlock(devMode);
  return dc;
}

// The remembered printer's blocks for a dialog, each a block of its own, or
// none: when the system no longer has the printer they name (it is
// forgotten then; Wine's page setup dialog fails inside when it is given a
// printer that is gone), and when it cannot be reached now (the registry
// keeps it for later). True when blocks were given.
bool RememberedPrinter(HGLOBAL* devMode, HGLOBAL* devNames) {
  *devMode = PrinterBlock(L"DevMode", RunDevMode, IsUsableDevMode);
  *devNames = PrinterBlock(L"DevNames", RunDevNames, IsUsableDevNames);
  if (!*devMode && !*devNames) return false;
  ClearDefaultFlag(*devNames);  // names stored by older versions may carry it
  const auto* dm = *devMode ? static_cast<const DEVMODEW*>(GlobalLock(*devMode)) : nullptr;
  const auto* names = *devNames ? static_cast<const DEVNAMES*>(GlobalLock(*devNames)) : nullptr;
  wchar_t device[CCHDEVICENAME + 1] = {};
  if (dm) std::memcpy(device, dm->dmDeviceName, sizeof dm->dmDeviceName);
  const wchar_t* name = names ? NameAt(names, names->wDeviceOffset) : device;
  PrinterState state = StateOf(name);
  // A DEVMODE alone keeps 31 characters of a longer name: not knowing that
  // name proves nothing.
  if (state == PrinterState::Gone && !names && wcsnlen(device, CCHDEVICENAME) >= CCHDEVICENAME - 1) {
    state = PrinterState::Unreachable;
  }
  if (names) GlobalUnlock(*devNames);
  if (dm) GlobalUnlock(*devMode);
  if (state == PrinterState::Present) return true;
  FreeBlock(devMode);
  FreeBlock(devNames);
  if (state == PrinterState::Gone) ForgetPrinter();
  return false;
}

// Shows a printer dialog (Print or Page Setup) with the remembered printer.
// A dialog that refuses that printer is shown once more with the default
// printer; the registry is changed only when the printer is gone. On failure
// the request holds no blocks and code is the dialog's error (0: Cancel).
template <class Request>
bool ShowWithRememberedPrinter(Request* request, BOOL(WINAPI* dialog)(Request*), DWORD* code) {
  const Request initial = *request;
  const bool remembered = RememberedPrinter(&request->hDevMode, &request->hDevNames);
  for (int attempt = 0;; ++attempt) {
    const BOOL ok = dialog(request);
    *code = ok ? 0 : PrinterDialogs.Error();
    if (ok) return true;
    FreeBlock(&request->hDevMode);
    FreeBlock(&request->hDevNames);
    if (attempt > 0 || !remembered || !RefusesPrinter(*code)) return false;
    if (*code == PDERR_PRINTERNOTFOUND) ForgetPrinter();
    *request = initial;
  }
}

void DriverOf(HGLOBAL devNames, wchar_t* driver, size_t units) {
  driver[0] = 0;
  const auto* names = devNames ? static_cast<const DEVNAMES*>(GlobalLock(devNames)) : nullptr;
  if (!names) return;
  if (IsUsableDevNames(names, GlobalSize(devNames))) {
    std::wcsncpy(driver, NameAt(names, names->wDriverOffset), units - 1);
    driver[units - 1] = 0;
  }
  GlobalUnlock(devNames);
}

void ShowDialogError(HWND owner, DWORD code) {
  const wchar_t* text = PrintErrorText(code);
  MessageBoxW(owner, text && text[0] ? text : L"Unknown Error", L"Error Printing", MB_OK);
}

int32_t ReadMargin(const wchar_t* name) { return ReadDwordSetting(SettingsKeyPath, name, DefaultMargin); }

void WriteMargins(const PrintMargins& m) {
  WriteDwordSetting(L"PrintTop", m.Top);
  WriteDwordSetting(L"PrintBottom", m.Bottom);
  WriteDwordSetting(L"PrintLeft", m.Left);
  WriteDwordSetting(L"PrintRight", m.Right);
}

int32_t Clamp32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A copy of a paragraph list up to its ending 0 style byte (and the two
// bytes after it that the record loader also writes).
unsigned char* CopyParagraphs(const unsigned char* text) {
  const unsigned char* p = text;
  while (p[0] != 0) p += 2 + std::strlen(reinterpret_cast<const char*>(p + 2)) + 1;
  const size_t size = static_cast<size_t>(p - text) + 3;
  auto* copy = static_cast<unsigned char*>(AllocOrDie(size));
  if (!copy) return nullptr;
  std::memcpy(copy, text, size - 2);
  copy[size - 2] = 0;
  copy[size - 1] = 0;
  return copy;
}

bool IsWinePostScript(const wchar_t* driver) {
  const wchar_t* name = driver;
  for (const wchar_t* p = driver; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  return _wcsicmp(name, L"wineps.drv") == 0 || _wcsicmp(name, L"wineps") == 0;
}

// A 12-point font of a face on a device context.
HFONT FaceFont(HDC dc, const wchar_t* face, int weight) {
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72);
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

// Whether the font the face gives on the printer has TrueType outlines.
bool HasTrueTypeOutlines(HDC dc, const wchar_t* face, int weight) {
  const SelectedObject selected(dc, FaceFont(dc, face, weight), true);
  return selected.Object && GetFontData(dc, 0x66796C67 /* 'glyf' */, 0, nullptr, 0) != GDI_ERROR;
}

BYTE FamilyOf(HDC dc, const wchar_t* face) {
  const SelectedObject selected(dc, FaceFont(dc, face, FW_NORMAL), true);
  TEXTMETRICW tm{};
  if (!selected.Object || !GetTextMetricsW(dc, &tm)) return FF_DONTCARE;
  return tm.tmPitchAndFamily & 0xF0;
}

struct FaceSearch {
  HDC Dc;
  const wchar_t* Driver;
  const wchar_t* Face;
  BYTE Family;
  wchar_t Best[LF_FACESIZE];
  int BestScore;
};

// The last word of a face name: faces of one collection share it ("CLM").
const wchar_t* LastWord(const wchar_t* face) {
  const wchar_t* word = face;
  for (const wchar_t* p = face; *p; ++p)
    if (*p == L' ') word = p + 1;
  return word;
}

int CALLBACK ScoreFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM data) {
  auto* s = reinterpret_cast<FaceSearch*>(data);
  const wchar_t* name = lf->lfFaceName;
  if (name[0] == L'@' || !(type & TRUETYPE_FONTTYPE) || _wcsicmp(name, s->Face) == 0) return 1;
  const int score = ((lf->lfPitchAndFamily & 0xF0) == s->Family ? 4 : 0) +
                    (_wcsicmp(LastWord(name), LastWord(s->Face)) == 0 ? 2 : 0) +
                    ((lf->lfPitchAndFamily & 3) != FIXED_PITCH ? 1 : 0);
  // Equal scores: the first in alphabetical order, whatever order the
  // system lists them in.
  if (score < s->BestScore || (score == s->BestScore && _wcsicmp(name, s->Best) >= 0)) return 1;
  if (!PrinterDrawsFace(s->Dc, s->Driver, name)) return 1;
  std::wcsncpy(s->Best, name, LF_FACESIZE - 1);
  s->BestScore = score;
  return 1;
}

// ShowPrintDialog's code when the dialog succeeded but no device context
// could be made for its printer.
constexpr DWORD NoPrinterDc = 0xFFFFFFFF;

bool ShowPrintDialog(HWND owner, PRINTDLGW* pd, DWORD* code, bool offerSelection) {
  *pd = PRINTDLGW{};
  pd->lStructSize = sizeof *pd;
  pd->hwndOwner = owner;
  // The driver makes the copies (DEVMODE's dmCopies and dmCollate): the
  // dialog offers as many as the driver can make, and nCopies stays 1.
  pd->Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
              (offerSelection ? 0 : PD_NOSELECTION);
  pd->nCopies = 1;
  if (!ShowWithRememberedPrinter(pd, PrinterDialogs.Print, code)) return false;
  if (!pd->hDC) pd->hDC = CreatePrinterDc(pd->hDevMode, pd->hDevNames);
  if (pd->hDC) return true;
  FreeBlock(&pd->hDevMode);
  FreeBlock(&pd->hDevNames);
  *code = NoPrinterDc;
  return false;
}

}  // namespace

PrinterDialogCalls PrinterDialogs = {PrintDlgW, PageSetupDlgW, CommDlgExtendedError, OpenPrinterW, EnumPrintersW};

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

const wchar_t* PrintResultText(int32_t result) {
  switch (result) {
    case PrintNothingFits:
      return L"Not even one line of the text fits between the margins. Nothing was printed.\n\n"
             L"Make the margins smaller in Page Setup, or the font smaller.";
    case PrintPageFailed: return L"The printer did not accept a page. Nothing was printed.";
    case PrintDocRefused: return L"The printer did not accept the document. Nothing was printed.";
    case PrintEndFailed: return L"The printer did not accept the end of the document. Nothing was printed.";
    case PrintLayoutFailed: return L"The text could not be laid out for the printer. Nothing was printed.";
    case PrintNoText: return L"The pane holds no text to print.";
    case PrintFaceUnusable:
      return L"The face of the text cannot be printed on this printer, and no face with Hebrew letters "
             L"that it can print was found. Nothing was printed.";
    default: return nullptr;
  }
}

bool PrinterDrawsFace(HDC printer, const wchar_t* driver, const wchar_t* face) {
  if (!IsWinePostScript(driver)) return true;
  return HasTrueTypeOutlines(printer, face, FW_NORMAL) && HasTrueTypeOutlines(printer, face, FW_BOLD);
}

bool NearestPrintableFace(HDC printer, const wchar_t* driver, wchar_t* face) {
  FaceSearch search{printer, driver, face, FamilyOf(printer, face), {}, -1};
  LOGFONTW lf{};
  lf.lfCharSet = HEBREW_CHARSET;
  EnumFontFamiliesExW(printer, &lf, ScoreFace, reinterpret_cast<LPARAM>(&search), 0);
  if (search.BestScore < 0) return false;
  std::wcsncpy(face, search.Best, LF_FACESIZE - 1);
  face[LF_FACESIZE - 1] = 0;
  return true;
}

bool ChoosePrinter(HWND owner, ChosenPrinter* chosen, bool offerSelection) {
  *chosen = ChosenPrinter{};
  chosen->Margins = PrintMargins{ReadMargin(L"PrintLeft"), ReadMargin(L"PrintTop"), ReadMargin(L"PrintRight"),
                                 ReadMargin(L"PrintBottom")};
  PRINTDLGW pd;
  DWORD code = 0;
  if (!ShowPrintDialog(owner, &pd, &code, offerSelection)) {
    // Cancel is no failure: the extended error is 0 then.
    if (code == NoPrinterDc) {
      MessageBoxW(owner, L"Printer Initialitazion failed!", L"Error", MB_OK);
    } else if (code != 0) {
      ShowDialogError(owner, code);
    }
    return false;
  }
  chosen->Dc = pd.hDC;
  chosen->Selection = offerSelection && (pd.Flags & PD_SELECTION);
  DriverOf(pd.hDevNames, chosen->Driver, sizeof chosen->Driver / sizeof chosen->Driver[0]);
  KeepPrinter(pd.hDevMode, pd.hDevNames);
  return true;
}

void PageSetup(HWND owner) {
  PAGESETUPDLGW setup{};
  setup.lStructSize = sizeof setup;
  setup.hwndOwner = owner;
  setup.hInstance = GetModuleHandleW(nullptr);
  setup.Flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
  setup.rtMargin = RECT{ReadMargin(L"PrintLeft"), ReadMargin(L"PrintTop"), ReadMargin(L"PrintRight"),
                        ReadMargin(L"PrintBottom")};
  DWORD code = 0;
  if (!ShowWithRememberedPrinter(&setup, PrinterDialogs.PageSetup, &code)) {
    if (code != 0) ShowDialogError(owner, code);
    return;
  }
  KeepPrinter(setup.hDevMode, setup.hDevNames);
  const RECT& m = setup.rtMargin;
  WriteMargins(PrintMargins{m.left, m.top, m.right, m.bottom});
}

PageMeasures MeasurePage(HDC dc) {
  return PageMeasures{GetDeviceCaps(dc, LOGPIXELSX),      GetDeviceCaps(dc, LOGPIXELSY),
                      GetDeviceCaps(dc, HORZRES),         GetDeviceCaps(dc, VERTRES),
                      GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY),
                      GetDeviceCaps(dc, PHYSICALWIDTH),   GetDeviceCaps(dc, PHYSICALHEIGHT)};
}

void SetPrintArea(PaneView* job, const PrintMargins& margins, const PageMeasures& page) {
  // How far a margin reaches into the printable area from one of its edges.
  auto inset = [](int32_t dpi, int32_t margin, int64_t strip) {
    const int64_t reach = int64_t{dpi} * margin / 1000 - (strip > 0 ? strip : 0);
    return reach > 0 ? reach : 0;
  };
  auto strip = [](int32_t paper, int32_t offset, int32_t printable) {
    return paper > 0 ? int64_t{paper} - offset - printable : 0;
  };
  const int64_t left = inset(page.DpiX, margins.Left, page.OffsetX);
  const int64_t top = inset(page.DpiY, margins.Top, page.OffsetY);
  const int64_t right = inset(page.DpiX, margins.Right, strip(page.PaperWidth, page.OffsetX, page.Width));
  const int64_t bottom = inset(page.DpiY, margins.Bottom, strip(page.PaperHeight, page.OffsetY, page.Height));
  job->AreaLeft = Clamp32(left);
  job->AreaTop = Clamp32(top);
  job->AreaWidth = Clamp32(page.Width - right - left);
  job->AreaHeight = Clamp32(page.Height - bottom - top);
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
  // The title is held in display order: where the text's runs go in reading
  // order, so does the title, laid out right to left like them.
  const TextForm form = FormFor(TextUse::Drawn, AppSettings.Flags, job->Font.FontAsciiBase);
  if (form.Order == RunOrder::Reading) ToReadingOrder(title, 4);
  RECT header{job->AreaLeft, job->AreaTop - f - BandGap, right, job->AreaTop - BandGap};
  DrawTextW(dc, title, 4, &header, Line | DT_RIGHT | (form.RightToLeft ? DT_RTLREADING : 0));

  SetBkMode(dc, oldMode);
  if (old) SelectObject(dc, old);
}

int32_t PrintPages(PaneView* job, int32_t headerHeight, const PageCalls& calls) {
  if (!job->Lines || job->LineCount == 0) return PrintNoText;
  LineEntry* next = job->Lines;
  int32_t page = 1;
  for (; next->Style != 0; ++page) {
    // A page is begun only for a line that fits on it; a line that fits on
    // no page would end the text there unseen.
    if (next->LineHeight > job->AreaHeight) return PrintNothingFits;
    if (calls.Start(job->Dc) <= 0) return PrintPageFailed;
    job->StartLine = next;
    DrawPane(job, 0);
    DrawHeaderFooter(job, headerHeight, page);
    if (calls.End(job->Dc) <= 0) return PrintPageFailed;
    if (job->RowsDrawn == 0) return PrintNothingFits;
    next = job->NextLine;
  }
  return page - 1;
}

int32_t PrintDocument(HDC dc, PaneView* job, const PrintMargins& margins) {
  job->Dc = dc;
  DOCINFOW doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = DocumentName;
  // A printer that writes a file asks for its name in here; its Cancel is
  // the user's and shows nothing.
  SetLastError(0);
  if (StartDocW(dc, &doc) <= 0) return GetLastError() == ERROR_CANCELLED ? PrintCancelled : PrintDocRefused;
  SetMapMode(dc, MM_TEXT);
  WriteMargins(margins);
  SetPrintArea(job, margins, MeasurePage(dc));
  int32_t result = PrintOk;
  if (job->AreaWidth <= 0 || job->AreaHeight <= 0) {
    result = PrintNothingFits;
  } else if (LayoutPane(job, job->Text, false) != LayoutOk) {
    result = PrintLayoutFailed;
  } else {
    const int32_t pages = PrintPages(job, ReserveHeaderFooter(job));
    if (pages < 0) result = pages;
  }
  if (result == PrintOk && EndDoc(dc) <= 0) result = PrintEndFailed;
  if (result != PrintOk) AbortDoc(dc);
  return result;
}

void PrintPane(PaneView* pane, const TextSelection* selection) {
  if (!pane || !pane->Text) return;
  // The dialogs and messages belong to the window the pane draws in.
  HWND owner = pane->Dc ? WindowFromDC(pane->Dc) : nullptr;
  if (owner) owner = GetAncestor(owner, GA_ROOT);

  // The job prints its own copy of the text and font settings: the pane's
  // may be replaced while a printer's own window is open inside StartDoc.
  PaneView job{};
  job.Font = pane->Font;
  job.Text = CopyParagraphs(pane->Text);
  if (!job.Text) return;

  // The selection's offsets are those of the text copied above.
  const bool offerSelection = selection && ExtractSelectionInto(job.Text, *selection, nullptr) > 0;
  ChosenPrinter printer;
  if (!ChoosePrinter(owner, &printer, offerSelection)) {
    DestroyPaneView(&job, false);
    return;
  }
  if (printer.Selection) {
    auto* part = static_cast<unsigned char*>(AllocOrDie(ExtractSelectionInto(job.Text, *selection, nullptr)));
    if (part) ExtractSelectionInto(job.Text, *selection, part);
    std::free(job.Text);
    job.Text = part;
    if (!part) {
      DestroyPaneView(&job, false);
      DeleteDC(printer.Dc);
      return;
    }
  }
  int32_t result = PrintOk;
  wchar_t face[FontNameUnits] = {};
  for (int i = 0; i < FontNameUnits - 1 && job.Font.FontName[i]; ++i) face[i] = job.Font.FontName[i];
  if (!PrinterDrawsFace(printer.Dc, printer.Driver, face)) {
    wchar_t nearest[FontNameUnits];
    std::wcscpy(nearest, face);
    if (!NearestPrintableFace(printer.Dc, printer.Driver, nearest)) {
      result = PrintFaceUnusable;
    } else {
      wchar_t text[256];
      std::swprintf(text, 256,
                    L"The face \"%ls\" cannot be printed on this printer: its letters are PostScript "
                    L"outlines, which the printer's driver cannot take.\n\nPrint in \"%ls\" instead?",
                    face, nearest);
      if (MessageBoxW(owner, text, L"Print", MB_OKCANCEL | MB_ICONWARNING) != IDOK) result = PrintCancelled;
      std::memset(job.Font.FontName, 0, sizeof job.Font.FontName);
      for (int i = 0; i < FontNameUnits - 1 && nearest[i]; ++i) job.Font.FontName[i] = nearest[i];
    }
  }
  if (result == PrintOk) {
    // The window stays disabled for the whole job: nothing the user does
    // there may change what the job reads, or end the program under it.
    const bool disable = owner && IsWindowEnabled(owner);
    if (disable) EnableWindow(owner, FALSE);
    result = PrintDocument(printer.Dc, &job, printer.Margins);
    if (disable) EnableWindow(owner, TRUE);
  }
  DestroyPaneView(&job, false);
  DeleteDC(printer.Dc);
  if (const wchar_t* text = PrintResultText(result)) MessageBoxW(owner, text, L"Error Printing", MB_OK);
}
