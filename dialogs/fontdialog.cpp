// Choose Font: every installed typeface, fourteen sizes, the letter mapping
// (224 or 5D0) and a live preview of the 27 letters.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "dialogs/dialogs.h"
#include "layout/scale.h"
#include "resources/dialogs.h"
#include "store/letters.h"

namespace {

// One enumerated typeface. Entries come in zeroed blocks of 25, linked in
// enumeration order; the first entry of a block marks it for freeing.
struct FaceEntry {
  FaceEntry* Next;
  wchar_t FaceName[LF_FACESIZE];
  BYTE CharSet;
  BYTE BlockStart;
};
constexpr int FaceBlockEntries = 25;

// The dialog's working record, reset at every opening and when it ends.
struct FaceListRecord {
  FaceEntry* Head;
  FaceEntry* Tail;  // null while the list is empty
  FaceEntry* NextFree;
  HFONT PreviewFont;
  int FreeEntries;
  LOGFONTW Preview;  // only height and face are ever set
};
FaceListRecord FaceList;
FontSettings* Editing;
int DialogDpi;  // the preview is drawn for it

constexpr int Sizes[] = {10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 52, 72};

int CALLBACK AddFace(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM) {
  if (FaceList.FreeEntries == 0) {
    auto* block = static_cast<FaceEntry*>(std::calloc(FaceBlockEntries, sizeof(FaceEntry)));
    if (!block) return 0;
    block->BlockStart = 1;
    FaceList.NextFree = block;
    FaceList.FreeEntries = FaceBlockEntries;
  }
  FaceEntry* entry = FaceList.NextFree++;
  --FaceList.FreeEntries;
  lstrcpynW(entry->FaceName, font->lfFaceName, LF_FACESIZE);
  entry->CharSet = metrics->tmCharSet;
  if (FaceList.Tail) {
    FaceList.Tail->Next = entry;
  } else {
    FaceList.Head = entry;
  }
  FaceList.Tail = entry;
  return 1;
}

void FreeFaceList() {
  FaceEntry* entry = FaceList.Head;
  while (entry) {
    // Entries of one block are consecutive; the next block starts where the
    // chain next reaches a block start.
    FaceEntry* block = entry;
    do {
      entry = entry->Next;
    } while (entry && !entry->BlockStart);
    std::free(block);
  }
  const HFONT preview = FaceList.PreviewFont;
  FaceList = {};
  FaceList.PreviewFont = preview;  // deleted with the dialog
}

// The 27 letters from the last on the left, as the panes show them: handed
// over as the panes' runs are (store/letters.h), for the mapping shown.
void SetPreviewLetters(HWND dialog, int32_t base) {
  wchar_t letters[LetterCount + 1];
  for (int i = 0; i < LetterCount; ++i) letters[i] = static_cast<wchar_t>(base + LetterCount - 1 - i);
  letters[LetterCount] = 0;
  const TextForm form = FormFor(TextUse::Control, AppSettings.Flags, base);
  if (form.Order == RunOrder::Reading) ToReadingOrder(letters, LetterCount);
  wchar_t embedded[LetterCount + 3];
  if (form.RightToLeft) EmbedRightToLeft(letters, LetterCount, embedded);
  SetDlgItemTextW(dialog, IDC_FONT_PREVIEW, form.RightToLeft ? embedded : letters);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Reads the list's selected text into out (units, terminator included);
// false without a selection or when the text is too long.
bool SelectedText(HWND list, wchar_t* out, int units) {
  const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index < 0) return false;
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length < 0 || length >= units) return false;
  return SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(out)) >= 0;
}

// mode 1: write the settings (OK); mode 2: switch to 5D0 for a Hebrew face;
// 0: only rebuild the preview font.
void UpdateFontChoice(HWND dialog, int mode) {
  wchar_t face[LF_FACESIZE];
  const bool faceChosen = SelectedText(GetDlgItem(dialog, IDC_FONT_FACES), face, LF_FACESIZE);
  if (faceChosen) lstrcpynW(FaceList.Preview.lfFaceName, face, LF_FACESIZE);
  wchar_t size[16];
  if (SelectedText(GetDlgItem(dialog, IDC_FONT_SIZES), size, 16)) {
    LONG height = 0;
    for (const wchar_t* p = size; *p; ++p) height = height * 10 + (*p - L'0');
    FaceList.Preview.lfHeight = height;
  }

  if ((mode & 2) && faceChosen) {
    const FaceEntry* entry = FaceList.Head;
    while (entry && lstrcmpW(entry->FaceName, face) != 0) entry = entry->Next;
    if (entry && entry->CharSet == HEBREW_CHARSET && !Checked(dialog, IDC_FONT_BASE_5D0)) {
      CheckDlgButton(dialog, IDC_FONT_BASE_224, BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_FONT_BASE_LATIN, BST_UNCHECKED);
      CheckDlgButton(dialog, IDC_FONT_BASE_5D0, BST_CHECKED);
      if (!(mode & 1)) SetPreviewLetters(dialog, AsciiBaseUnicode);
    }
  }

  const HFONT old = FaceList.PreviewFont;
  FaceList.PreviewFont = nullptr;
  if (mode & 1) {
    // The edit gives the font back before it is deleted.
    SendDlgItemMessageW(dialog, IDC_FONT_PREVIEW, WM_SETFONT, 0, FALSE);
    if (old) DeleteObject(old);
    if (FaceList.Preview.lfHeight != 0) Editing->FontSize = FaceList.Preview.lfHeight;
    if (Checked(dialog, IDC_FONT_BASE_224)) {
      Editing->FontAsciiBase = AsciiBaseCodePage;
    } else if (Checked(dialog, IDC_FONT_BASE_LATIN)) {
      Editing->FontAsciiBase = AsciiBaseLatin;
    } else if (Checked(dialog, IDC_FONT_BASE_5D0)) {
      Editing->FontAsciiBase = AsciiBaseUnicode;
    }
    if (faceChosen) lstrcpynW(Editing->FontName, face, FontNameUnits);
    return;
  }
  // The face name decides, whatever character sets the face offers.
  FaceList.Preview.lfCharSet = DEFAULT_CHARSET;
  // The sizes listed are cell heights at 96 DPI (see layout/scale.h).
  LOGFONTW shown = FaceList.Preview;
  shown.lfHeight = ScaleForDpi(shown.lfHeight, DialogDpi);
  FaceList.PreviewFont = CreateFontIndirectW(&shown);
  // With a font of its own, the dialog manager must not give it the dialog's.
  if (FaceList.PreviewFont) KeepOwnFont(GetDlgItem(dialog, IDC_FONT_PREVIEW));
  SendDlgItemMessageW(dialog, IDC_FONT_PREVIEW, WM_SETFONT, reinterpret_cast<WPARAM>(FaceList.PreviewFont), TRUE);
  if (old) DeleteObject(old);
}

void OnInitDialog(HWND dialog, FontSettings* settings) {
  FaceList = {};
  Editing = settings;
  DialogDpi = DpiOfWindow(dialog);
  if (settings->FontAsciiBase == 0) settings->FontAsciiBase = AsciiBaseUnicode;
  SetPreviewLetters(dialog, settings->FontAsciiBase);
  if (settings->FontAsciiBase == AsciiBaseCodePage) CheckDlgButton(dialog, IDC_FONT_BASE_224, BST_CHECKED);
  if (settings->FontAsciiBase == AsciiBaseUnicode) CheckDlgButton(dialog, IDC_FONT_BASE_5D0, BST_CHECKED);

  HWND owner = GetParent(dialog);
  HDC dc = GetDC(owner);
  EnumFontsW(dc, nullptr, AddFace, 0);
  ReleaseDC(owner, dc);

  // A face enumerated once per character set is listed once; the "@" faces
  // are the vertical-writing forms of East Asian faces, no face to read in.
  HWND faces = GetDlgItem(dialog, IDC_FONT_FACES);
  SendMessageW(faces, LB_RESETCONTENT, 0, 0);
  for (const FaceEntry* e = FaceList.Head; e; e = e->Next) {
    if (e->FaceName[0] != L'@' &&
        SendMessageW(faces, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(e->FaceName)) ==
        LB_ERR) {
      SendMessageW(faces, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e->FaceName));
    }
  }
  wchar_t name[FontNameUnits];
  lstrcpynW(name, settings->FontName, FontNameUnits);
  SendMessageW(faces, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));

  HWND sizes = GetDlgItem(dialog, IDC_FONT_SIZES);
  SendMessageW(sizes, LB_RESETCONTENT, 0, 0);
  for (int size : Sizes) {
    wchar_t text[8];
    wsprintfW(text, L"%d", size);
    SendMessageW(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  if (settings->FontSize != 0) {
    wchar_t text[16];
    wsprintfW(text, L"%d", settings->FontSize);
    SendMessageW(sizes, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  }
  SetFocus(faces);
}

INT_PTR CALLBACK FontDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog, reinterpret_cast<FontSettings*>(lParam));
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FONT_FACES:
        case IDC_FONT_SIZES:
          UpdateFontChoice(dialog, 2);
          return 0;
        case IDC_FONT_BASE_LATIN:
        case IDC_FONT_BASE_224:
        case IDC_FONT_BASE_5D0: {
          const int id = LOWORD(wParam);
          SetPreviewLetters(dialog, id == IDC_FONT_BASE_224   ? AsciiBaseCodePage
                                    : id == IDC_FONT_BASE_5D0 ? AsciiBaseUnicode
                                                              : AsciiBaseLatin);
          UpdateFontChoice(dialog, 0);
          return 0;
        }
        case IDOK:
          UpdateFontChoice(dialog, 1);
          FreeFaceList();
          EndDialog(dialog, 1);
          return 0;
        case IDCANCEL:
          FreeFaceList();
          EndDialog(dialog, 2);
          return 0;
      }
      return 0;
    case DpiChangedMessage:
      PostDialogDpiChange(dialog, wParam);
      return FALSE;  // the dialog manager lays the dialog out for the new DPI
    case DialogDpiChanged:
      DialogDpi = static_cast<int>(wParam);
      if (Editing) UpdateFontChoice(dialog, 0);  // the preview font again, at the new DPI
      return TRUE;
    case WM_DESTROY:
      if (FaceList.PreviewFont) {
        DeleteObject(FaceList.PreviewFont);
        FaceList.PreviewFont = nullptr;
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace

INT_PTR FontDialog(HWND owner, FontSettings* settings) {
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FONT), owner,
                                         FontDialogProc, reinterpret_cast<LPARAM>(settings));
  // A dialog that ended without OK or Cancel (destroyed with its owner) still
  // gives its faces back.
  FreeFaceList();
  Editing = nullptr;
  return result;
}
