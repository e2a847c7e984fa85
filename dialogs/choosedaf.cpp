// Choose Daf: a tractate list, three Hebrew-numeral digit lists and the side
// list. What the digit lists offer is decided by the list model of
// store/folios; this file reads the list boxes into the model and brings them
// to its result.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "dialogs/dialogs.h"
#include "layout/scale.h"
#include "resources/dialogs.h"
#include "store/folios.h"
#include "store/letters.h"
#include "store/tractates.h"

namespace {

// Reset each time the dialog opens.
struct ChooseDafState {
  HWND Tractates;
  HWND Lists[DigitListCount];  // hundreds, tens, units, side
  HFONT ListFont;
  int Dpi;                  // the dialog's; its lists' font and places follow it
  int32_t SelectedArticle;  // 1..5358; 0 = none
};
ChooseDafState Daf;

const int ListIds[DigitListCount] = {IDC_DAF_HUNDREDS, IDC_DAF_TENS, IDC_DAF_UNITS, IDC_DAF_SIDE};
const char* const DigitTables[DigitListCount] = {HundredsDigits, TensDigits, UnitsDigits, SideLetters};

int32_t Selection(HWND list) { return static_cast<int32_t>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

int32_t Count(HWND list) {
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  return n < 0 ? 0 : static_cast<int32_t>(n);
}

// An item as the list box gets it: the mapped display characters, in the
// order the one decision of store/letters.h gives, and when that is reading
// order between embedding marks (the list lays its rows out left to right).
void AddItem(HWND list, DisplayChar* item, int32_t n) {
  const TextForm form = FormFor(TextUse::Control, AppSettings.Flags, AppSettings.FontSettings.FontAsciiBase);
  MapLetters16(item, item);
  if (form.Order == RunOrder::Reading) ToReadingOrder(item, n);
  DisplayChar embedded[40];
  if (form.RightToLeft && n <= 36) {
    EmbedRightToLeft(item, n, embedded);
    item = embedded;
  }
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

// Brings the list to the items 0..max, item k being table byte k and the
// suffix in display characters.
void FillDigitList(HWND list, const char* table, const DisplayChar* suffix, int32_t max, bool keepFirst) {
  const int32_t wanted = max + 1;
  int32_t count = Count(list);
  if (count == wanted) return;
  while (count > wanted) SendMessageW(list, LB_DELETESTRING, --count, 0);
  if (max == 0 && !keepFirst) {
    SendMessageW(list, LB_DELETESTRING, 0, 0);
    return;
  }
  for (; count < wanted; ++count) {
    DisplayChar item[16];
    item[0] = static_cast<unsigned char>(table[count]);
    int32_t n = 1;
    for (const DisplayChar* s = suffix; *s && n < 15; ++s) item[n++] = *s;
    item[n] = 0;
    AddItem(list, item, n);
  }
  if (max == 0) SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void Fill(int which, DigitFill fill) {
  // Only a side item has a suffix: a space and the corpus's side word.
  const DisplayChar* suffix = which == SideList ? SIDE_SUFFIX : DISPLAY_TEXT("");
  FillDigitList(Daf.Lists[which], DigitTables[which], suffix, fill.Max, fill.KeepFirst);
}

DafChoice ReadLists() {
  DafChoice choice = EmptyDafChoice();
  choice.Tractate = Selection(Daf.Tractates);
  if (choice.Tractate >= TractateCount) choice.Tractate = -1;
  for (int i = 0; i < DigitListCount; ++i) choice.Lists[i] = {Count(Daf.Lists[i]), Selection(Daf.Lists[i])};
  return choice;
}

// Brings every list box to the model's state.
void ShowChoice(const DafChoice& choice) {
  SendMessageW(Daf.Tractates, LB_SETCURSEL, choice.Tractate, 0);
  for (int i = 0; i < DigitListCount; ++i) {
    const DigitList& model = choice.Lists[i];
    Fill(i, {model.Count > 0 ? model.Count - 1 : 0, model.Count > 0});
    if (Selection(Daf.Lists[i]) != model.Selection) {
      SendMessageW(Daf.Lists[i], LB_SETCURSEL, model.Selection, 0);
    }
  }
}

void RebuildDigitLists() {
  DafChoice choice = ReadLists();
  DigitFill fills[DigitListCount];
  // Each fill depends on the selections the fills before it left; the model
  // ran them in that order, so applying them in order gives the same lists.
  if (!RebuildDigitModel(&choice, fills)) return;
  for (int i = 0; i < DigitListCount; ++i) Fill(i, fills[i]);
}

int32_t ReadSelection(HWND dialog) {
  Daf.SelectedArticle = ChosenArticle(ReadLists());
  EnableWindow(GetDlgItem(dialog, IDOK), Daf.SelectedArticle != 0);
  return Daf.SelectedArticle;
}

void FillTractateList() {
  for (const TractateEntry* t = TractateTable; t->Name; ++t) {
    DisplayChar name[32];
    int32_t n = 0;
    while (t->Name[n] && n < 31) {
      name[n] = t->Name[n];
      ++n;
    }
    name[n] = 0;
    AddItem(Daf.Tractates, name, n);
  }
}

// The lists' font for the dialog's DPI; the old one goes once no list has it.
void MakeListFont(bool redraw) {
  HFONT font = MakeFont(AppSettings.FontSettings, FontKeyList, Daf.Dpi);
  if (!font) return;
  KeepOwnFont(Daf.Tractates);
  SendMessageW(Daf.Tractates, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  for (HWND list : Daf.Lists) {
    KeepOwnFont(list);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  }
  if (Daf.ListFont) DeleteObject(Daf.ListFont);
  Daf.ListFont = font;
}

void PlaceLists(int w, int h);

// After the dialog manager's layout for dpi: the lists' font, and the lists
// placed as at any resize (the lengths of the template's layout, which the
// dialog manager scales, are not those of PlaceLists).
void OnDpiChanged(HWND dialog, int dpi) {
  Daf.Dpi = dpi;
  MakeListFont(true);
  RECT client{};
  GetClientRect(dialog, &client);
  PlaceLists(client.right, client.bottom);
}

void OnInitDialog(HWND dialog) {
  Daf.Dpi = DpiOfWindow(dialog);
  Daf.Tractates = GetDlgItem(dialog, IDC_DAF_TRACTATES);
  for (int i = 0; i < DigitListCount; ++i) Daf.Lists[i] = GetDlgItem(dialog, ListIds[i]);
  SetFocus(Daf.Tractates);
  MakeListFont(false);
  InitCommonControls();
  FillTractateList();

  DafChoice choice = EmptyDafChoice();
  SelectArticle(&choice, Daf.SelectedArticle);
  ShowChoice(choice);
}

// The gaps and the side list's height are 96-DPI lengths.
void PlaceLists(int w, int h) {
  if (!Daf.Tractates) return;
  const auto px = [](int length) { return ScaleForDpi(length, Daf.Dpi); };
  const int q = w / 4;
  const int r = (q - px(4)) / 3;
  MoveWindow(Daf.Lists[SideList], px(2), px(2), q, px(40), TRUE);
  MoveWindow(Daf.Lists[UnitsList], q + px(4), px(2), r, h - px(6), TRUE);
  MoveWindow(Daf.Lists[TensList], q + r + px(6), px(2), r, h - px(6), TRUE);
  MoveWindow(Daf.Lists[HundredsList], q + 2 * r + px(8), px(2), r, h - px(6), TRUE);
  MoveWindow(Daf.Tractates, w / 2 + px(4), px(2), w / 2 - px(4), h - px(6), TRUE);
}

INT_PTR CALLBACK ChooseDafProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return 0;
    case WM_SIZE:
      PlaceLists(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case DpiChangedMessage:
      // The dialog manager lays the dialog out for the new DPI: its resize
      // places the lists with the new lengths already.
      if (PostDialogDpiChange(dialog, wParam)) Daf.Dpi = HIWORD(wParam);
      return FALSE;
    case DialogDpiChanged:
      OnDpiChanged(dialog, static_cast<int>(wParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (ReadSelection(dialog) != 0) EndDialog(dialog, 1);
          return 0;
        case IDCANCEL:
          Daf.SelectedArticle = 0;
          EndDialog(dialog, 0);
          return 0;
        case IDC_DAF_TRACTATES:
        case IDC_DAF_HUNDREDS:
        case IDC_DAF_TENS:
        case IDC_DAF_UNITS:
        case IDC_DAF_SIDE:
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            RebuildDigitLists();
            ReadSelection(dialog);
          }
          return 0;
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace

int32_t ChooseDaf(HINSTANCE instance, HWND owner, int32_t record) {
  Daf = {};
  Daf.SelectedArticle = ArticleOfRecord(record);
  const INT_PTR result =
      DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CHOOSE_DAF), owner, ChooseDafProc, 0);
  // The lists are gone with the dialog; their font goes now.
  if (Daf.ListFont) DeleteObject(Daf.ListFont);
  const int32_t article = Daf.SelectedArticle;
  Daf = {};
  return result == 1 && article > 0 ? RecordOfArticle(article) : 0;
}
