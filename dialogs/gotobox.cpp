// Go To: one edit that takes a reference as the search edit takes its
// string, a line under it that names the page the reference names (or says
// why it names none), and in place of that line, while the name is
// ambiguous, the candidates to choose from with Down and Up.
#include <windows.h>

#include <cwchar>

#include "dialogs/dialogs.h"
#include "layout/scale.h"
#include "resources/dialogs.h"
#include "store/folios.h"
#include "store/letters.h"
#include "store/references.h"

namespace {

// The letters the edit takes: a reference with the longest name, its folio,
// the side in words and the word for a commentary, in parentheses.
constexpr int GoToLetters = 80;
constexpr int TypedUnits = MaxHebrewEditLetters + 3;
// The edit's letters: a cell of this many pixels at 96 DPI.
constexpr int EditCellPixels = 20;

// Reset each time the dialog opens.
struct GoToState {
  int32_t Lesson;  // the page being read, for the relative forms
  int32_t Record;  // the result: the main-text record gone to, 0 none
  ReferenceResult Typed;
  HFONT EditFont;
  WNDPROC EditProc;  // the procedure under ours: the letter input
};
GoToState GoTo;

constexpr DisplayChar HebrewAlef = 0x05D0;

// The edit's text as a reference: in reading order, the letters those of
// Unicode whatever the mapping.
int TypedReference(HWND edit, DisplayChar* out, int units) {
  const int n = HebrewEditText(edit, out, units);
  if (!HebrewEditInReadingOrder()) ToReadingOrder(out, n);
  const int32_t base = AppSettings.FontSettings.FontAsciiBase;
  for (int i = 0; i < n; ++i)
    if (out[i] >= base && out[i] < base + LetterCount) out[i] = static_cast<DisplayChar>(HebrewAlef + out[i] - base);
  return n;
}

// Appends to out (units in all) from its end.
void Append(wchar_t* out, int units, const wchar_t* more) {
  const size_t n = std::wcslen(out);
  if (n + 1 < static_cast<size_t>(units)) std::swprintf(out + n, units - n, L"%ls", more);
}

// A page's name as PlaceName writes it, kept right to left inside a line.
void AppendPlace(wchar_t* out, int units, int32_t article) {
  DisplayChar name[MaxBookmarkNameUnits + 1];
  PlaceName(RecordOfArticle(article), name);
  wchar_t embedded[MaxBookmarkNameUnits + 4];
  std::swprintf(embedded, MaxBookmarkNameUnits + 4, L"%lc%ls%lc", static_cast<wint_t>(RightToLeftEmbedding), name,
                static_cast<wint_t>(PopDirectionalFormatting));
  Append(out, units, embedded);
}

// A tractate's name: its first page's name without the folio and the side.
void AppendTractate(wchar_t* out, int units, int32_t tractate) {
  int32_t first = 0, last = 0;
  if (!TractateSides(tractate, &first, &last)) return;
  DisplayChar name[MaxBookmarkNameUnits + 1];
  PlaceName(RecordOfArticle(ArticleOfSide(tractate, first)), name);
  // The last three words are the folio, the side word and the side letter.
  int32_t n = static_cast<int32_t>(std::wcslen(name));
  for (int words = 0; words < 3 && n > 0; ++words) {
    while (n > 0 && name[n - 1] != L' ') --n;
    if (n > 0) --n;
  }
  name[n] = 0;
  wchar_t embedded[MaxBookmarkNameUnits + 4];
  std::swprintf(embedded, MaxBookmarkNameUnits + 4, L"%lc%ls%lc", static_cast<wint_t>(RightToLeftEmbedding), name,
                static_cast<wint_t>(PopDirectionalFormatting));
  Append(out, units, embedded);
}

// The page a candidate tractate gives for what was typed: the side asked
// for, or without a folio its first; 0 when it has no such side.
int32_t CandidatePage(const ReferenceResult& typed, int32_t tractate) {
  int32_t first = 0, last = 0;
  if (!TractateSides(tractate, &first, &last)) return 0;
  return ArticleOfSide(tractate, typed.SideCode ? typed.SideCode : first);
}

void ShowCandidates(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_GO_TO_LIST);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int32_t i = 0; i < GoTo.Typed.CandidateCount && i < TractateCount; ++i) {
    const int32_t tractate = GoTo.Typed.Candidates[i];
    const int32_t page = CandidatePage(GoTo.Typed, tractate);
    wchar_t item[2 * MaxBookmarkNameUnits] = L"";
    if (page > 0) {
      AppendPlace(item, 2 * MaxBookmarkNameUnits, page);
    } else {
      AppendTractate(item, 2 * MaxBookmarkNameUnits, tractate);
      Append(item, 2 * MaxBookmarkNameUnits, L" (no such page)");
    }
    const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    if (at >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), page);
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
}

// The line under the edit, or the candidates in its place.
void ShowTyped(HWND dialog) {
  DisplayChar text[TypedUnits];
  const int n = TypedReference(GetDlgItem(dialog, IDC_GO_TO_TEXT), text, TypedUnits);
  GoTo.Typed = ReadReference(text, n, ArticleOfRecord(GoTo.Lesson));
  const bool choosing = GoTo.Typed.Code == ReferenceAmbiguous;
  if (choosing) {
    ShowCandidates(dialog);
  } else {
    wchar_t line[ReferenceLineUnits];
    DescribeReference(GoTo.Typed, line, ReferenceLineUnits);
    SetDlgItemTextW(dialog, IDC_GO_TO_STATUS, line);
  }
  ShowWindow(GetDlgItem(dialog, IDC_GO_TO_LIST), choosing ? SW_SHOW : SW_HIDE);
  ShowWindow(GetDlgItem(dialog, IDC_GO_TO_STATUS), choosing ? SW_HIDE : SW_SHOW);
}

bool Choosing(HWND dialog) { return IsWindowVisible(GetDlgItem(dialog, IDC_GO_TO_LIST)) != FALSE; }

// Down and Up in the edit choose among the candidates while they are shown.
LRESULT CALLBACK GoToEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(edit);
  if (message == WM_KEYDOWN && (wParam == VK_DOWN || wParam == VK_UP) && Choosing(dialog)) {
    HWND list = GetDlgItem(dialog, IDC_GO_TO_LIST);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    LRESULT at = SendMessageW(list, LB_GETCURSEL, 0, 0) + (wParam == VK_DOWN ? 1 : -1);
    if (at < 0) at = 0;
    if (at >= count) at = count - 1;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    return 0;
  }
  return GoTo.EditProc ? CallWindowProcW(GoTo.EditProc, edit, message, wParam, lParam) : 0;
}

// The page chosen: the candidate selected, or the page the reference names;
// 0 for none.
int32_t ChosenPage(HWND dialog) {
  if (!Choosing(dialog)) return GoTo.Typed.Code == ReferenceFound ? GoTo.Typed.Article : 0;
  HWND list = GetDlgItem(dialog, IDC_GO_TO_LIST);
  const LRESULT at = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (at < 0) return 0;
  return static_cast<int32_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void Take(HWND dialog) {
  const int32_t page = ChosenPage(dialog);
  if (page <= 0 || page > ArticleCount) {
    MessageBeep(MB_OK);
    SetFocus(GetDlgItem(dialog, IDC_GO_TO_TEXT));
    return;
  }
  GoTo.Record = RecordOfArticle(page);
  EndDialog(dialog, IDOK);
}

// The edit's font: the user's face (the letters of 97 and 224 are its own).
void ApplyDpi(HWND dialog, int dpi) {
  FontSettings font = AppSettings.FontSettings;
  font.FontSize = EditCellPixels;
  HFONT made = MakeFont(font, FontKeyCellPixels, dpi);
  if (!made) return;
  HWND edit = GetDlgItem(dialog, IDC_GO_TO_TEXT);
  KeepOwnFont(edit);
  SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
  if (GoTo.EditFont) DeleteObject(GoTo.EditFont);
  GoTo.EditFont = made;
}

INT_PTR CALLBACK GoToProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND edit = GetDlgItem(dialog, IDC_GO_TO_TEXT);
      ApplyDpi(dialog, DpiOfWindow(dialog));
      PrepareHebrewEdit(edit, GoToLetters);
      GoTo.EditProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GoToEditProc)));
      ShowTyped(dialog);
      return TRUE;  // the focus goes to the edit
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_GO_TO_TEXT:
          if (HIWORD(wParam) == EN_CHANGE) ShowTyped(dialog);
          return TRUE;
        case IDC_GO_TO_LIST:
          if (HIWORD(wParam) == LBN_DBLCLK) Take(dialog);
          return TRUE;
        case IDOK:
          Take(dialog);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
    case DpiChangedMessage:
      PostDialogDpiChange(dialog, wParam);
      return FALSE;
    case DialogDpiChanged:
      ApplyDpi(dialog, static_cast<int>(wParam));
      return TRUE;
    case WM_DESTROY:
      if (GoTo.EditFont) {
        SendDlgItemMessageW(dialog, IDC_GO_TO_TEXT, WM_SETFONT, 0, FALSE);
        DeleteObject(GoTo.EditFont);
        GoTo.EditFont = nullptr;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void DescribeReference(const ReferenceResult& result, wchar_t* out, int32_t units) {
  if (units <= 0) return;
  out[0] = 0;
  switch (result.Code) {
    case ReferenceFound:
      AppendPlace(out, units, result.Article);
      return;
    case ReferenceEmpty:
      Append(out, units, L"Type a tractate, a folio and a side.");
      return;
    case ReferenceNotUnderstood:
      Append(out, units, L"This is not a reference to a page.");
      return;
    case ReferenceUnknownTractate:
      Append(out, units, L"No tractate of this text has that name.");
      return;
    case ReferenceAmbiguous:
      Append(out, units, L"Several tractates have that name:");
      for (int32_t i = 0; i < result.CandidateCount && i < TractateCount; ++i) {
        Append(out, units, i ? L", " : L" ");
        AppendTractate(out, units, result.Candidates[i]);
      }
      Append(out, units, L".");
      return;
    case ReferenceNoFolio:
      Append(out, units, L"The folio is missing.");
      return;
    case ReferenceOutOfRange: {
      const int32_t first = ArticleOfSide(result.Tractate, result.FirstSideCode);
      const int32_t last = ArticleOfSide(result.Tractate, result.LastSideCode);
      if (first <= 0 || last <= 0) {
        Append(out, units, L"This text has no such page.");
        return;
      }
      Append(out, units, L"No such page: the tractate runs from ");
      AppendPlace(out, units, first);
      Append(out, units, L" to ");
      AppendPlace(out, units, last);
      Append(out, units, L".");
      return;
    }
    case ReferenceNoCurrentPage:
      Append(out, units, L"There is no page being read for this reference to count from.");
      return;
    case ReferenceTooLong:
      Append(out, units, L"This is too long to be a reference.");
      return;
  }
}

int32_t GoToDialog(HWND owner, int32_t lesson) {
  GoTo = GoToState{};
  GoTo.Lesson = lesson;
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_GO_TO), owner, GoToProc, 0) != IDOK) return 0;
  return GoTo.Record;
}
