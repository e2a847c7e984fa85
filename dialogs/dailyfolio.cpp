// The daily folio: the clock it is counted from, the texts that name a day's
// folio (the Go menu's label, the dialog's line, the box for a folio this
// text lacks), and the Daily Folio dialog with its date field.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "dialogs/dialogs.h"
#include "resources/dialogs.h"
#include "resources/resource.h"
#include "store/letters.h"
#include "store/places.h"

namespace {

CivilDate SystemLocalDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

SYSTEMTIME SystemTimeOf(CivilDate date) {
  SYSTEMTIME t = {};
  t.wYear = static_cast<WORD>(date.Year);
  t.wMonth = static_cast<WORD>(date.Month);
  t.wDay = static_cast<WORD>(date.Day);
  t.wDayOfWeek = static_cast<WORD>(Weekday(date));
  return t;
}

constexpr int DateUnits = 40;

// "Tuesday, 24 June 1975": the boxes' texts are English whatever the locale.
void DateText(CivilDate date, wchar_t out[DateUnits]) {
  static const wchar_t* const Days[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday",
                                        L"Thursday", L"Friday", L"Saturday"};
  static const wchar_t* const Months[] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                          L"July",    L"August",   L"September", L"October", L"November", L"December"};
  std::swprintf(out, DateUnits, L"%ls, %d %ls %d", Days[Weekday(date)], static_cast<int>(date.Day),
                Months[date.Month - 1], static_cast<int>(date.Year));
}

constexpr int FolioUnits = MaxBookmarkNameUnits + 3;

// The folio as the page header names it, kept right to left inside an
// English line; or what stands in for it.
void FolioText(const DailyFolio& folio, wchar_t out[FolioUnits]) {
  if (folio.Kind == BeforeTheCycles) {
    std::swprintf(out, FolioUnits, L"none before the first cycle");
    return;
  }
  if (folio.Kind == NotInThisText) {
    std::swprintf(out, FolioUnits, L"not in this text");
    return;
  }
  DisplayChar name[MaxBookmarkNameUnits + 1];
  PlaceName(folio.Record, name);
  std::swprintf(out, FolioUnits, L"%lc%ls%lc", static_cast<wint_t>(RightToLeftEmbedding), name,
                static_cast<wint_t>(PopDirectionalFormatting));
}

// The box for a date whose folio the text does not hold: it names the next
// date whose folio it holds.
void ShowNotInThisText(HWND owner, CivilDate date, const DailyFolio& folio) {
  wchar_t day[DateUnits], first[DateUnits], text[256];
  DateText(date, day);
  CivilDate next{};
  if (folio.Kind == BeforeTheCycles) {
    DateText(FirstCycleDate, first);
    std::swprintf(text, 256, L"The daily cycle is counted from %ls; %ls comes before it.", first, day);
  } else if (NextDateInThisText(date, &next)) {
    DateText(next, first);
    std::swprintf(text, 256,
                  L"The folio of %ls is not in this text.\n\nThe first day after it whose folio the text holds "
                  L"is %ls.",
                  day, first);
  } else {
    std::swprintf(text, 256, L"The folio of %ls is not in this text.", day);
  }
  MessageBoxW(owner, text, L"Orvane", MB_OK | MB_ICONINFORMATION);
}

// The folio's record; 0 after the box when the text does not hold it.
int32_t FolioRecord(HWND owner, CivilDate date) {
  const DailyFolio folio = DailyFolioOn(date);
  if (folio.Kind != InThisText) ShowNotInThisText(owner, date, folio);
  return folio.Record;
}

int32_t DialogRecord;  // the dialog's result

CivilDate ChosenDate(HWND dialog) {
  SYSTEMTIME t = {};
  if (DateTime_GetSystemtime(GetDlgItem(dialog, IDC_DAILY_DATE), &t) != GDT_VALID) return LocalDate();
  return {t.wYear, t.wMonth, t.wDay};
}

void ShowChosenFolio(HWND dialog) {
  wchar_t text[FolioUnits];
  FolioText(DailyFolioOn(ChosenDate(dialog)), text);
  SetDlgItemTextW(dialog, IDC_DAILY_FOLIO, text);
}

INT_PTR CALLBACK DailyFolioProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND picker = GetDlgItem(dialog, IDC_DAILY_DATE);
      SYSTEMTIME range[2] = {SystemTimeOf(FirstCycleDate), {}};
      DateTime_SetRange(picker, GDTR_MIN, range);
      CivilDate today = LocalDate();
      if (DayNumber(today) < DayNumber(FirstCycleDate)) today = FirstCycleDate;
      SYSTEMTIME t = SystemTimeOf(today);
      DateTime_SetSystemtime(picker, GDT_VALID, &t);
      ShowChosenFolio(dialog);
      SetFocus(picker);
      return FALSE;
    }
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_DAILY_DATE || header->code != DTN_DATETIMECHANGE) return FALSE;
      ShowChosenFolio(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          DialogRecord = FolioRecord(dialog, ChosenDate(dialog));
          if (DialogRecord != 0) EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          DialogRecord = 0;
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

CivilDate (*LocalDate)() = SystemLocalDate;

int32_t TodaysFolio(HWND owner) { return FolioRecord(owner, LocalDate()); }

int32_t DailyFolioDialog(HWND owner) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES};
  InitCommonControlsEx(&classes);
  DialogRecord = 0;
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DAILY_FOLIO), owner, DailyFolioProc, 0) !=
      IDOK)
    return 0;
  return DialogRecord;
}

void UpdateDailyFolioMenu(HMENU menu) {
  if (!menu) return;
  wchar_t folio[FolioUnits], label[FolioUnits + 32];
  FolioText(DailyFolioOn(LocalDate()), folio);
  std::swprintf(label, sizeof label / sizeof label[0], L"&Today's Folio: %ls\bCtrl+T", folio);
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = label;
  SetMenuItemInfoW(menu, CMD_TODAYS_FOLIO, FALSE, &info);
}
