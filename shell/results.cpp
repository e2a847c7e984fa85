#include "shell/results.h"

#include <commctrl.h>

#include <algorithm>

#include "dialogs/search_dialog.h"
#include "layout/colours.h"
#include "layout/scale.h"
#include "layout/selected.h"
#include "output/settings.h"
#include "resources/resource.h"
#include "shell/globals.h"
#include "shell/notes.h"
#include "shell/search.h"
#include "store/corpustexts.h"
#include "store/letters.h"
#include "store/records.h"
#include "store/search.h"
#include "store/tractates.h"

HWND ResultsWindow = nullptr;

namespace {

const wchar_t ResultsClassName[] = L"OrvaneResults";
constexpr int ListId = 1;
enum Column { TractateColumn, FolioColumn, TextColumn, ContextColumn, ColumnCount };
constexpr int ContextBytes = 40;     // bytes of context on either side of a hit
constexpr int LongHitBytes = SearchStringBytes - 1;  // a longer hit (from a `*`) shows as its
constexpr int HitEndBytes = 12;                      // two ends, at most this many bytes of each
constexpr int32_t SliceRecords = 16;   // records searched between looks at the clock
constexpr uint32_t SliceHits = 8192;  // or hits gathered
constexpr LONGLONG SliceMilliseconds = 8;  // searching in a slice, half a frame: the rest is for showing it
constexpr COLORREF HitBackColour = 0x00FFFF;  // yellow, as in the panes

HWND List = nullptr;
HWND NotFoundLabel = nullptr;
HFONT ListFont = nullptr;
HFONT HitFont = nullptr;
HFONT LabelFont = nullptr;  // the "Not Found" label's, at the window's DPI
int ResultsDpi = 0;         // the window's DPI, which the column widths are for
FindAllRun Run{};
bool Filling = false;
bool FirstRowSelected = false;

// How the list's texts go to the system (store/letters.h).
TextForm Form(TextUse use) { return FormFor(use, AppSettings.Flags, AppSettings.FontSettings.FontAsciiBase); }

// Display units of n LetterCode bytes stored in display order, in the given order.
int32_t Convert(const unsigned char* bytes, int32_t n, RunOrder order, wchar_t* out) {
  for (int32_t i = 0; i < n; ++i) out[i] = DisplayOf(bytes[i], AppSettings.FontSettings.FontAsciiBase);
  out[n] = 0;
  if (order == RunOrder::Reading) ToReadingOrder(out, n);
  return n;
}

// The folio of a page side as the page header shows it (numeral, side word,
// side letter), in display order as LetterCode bytes.
int32_t FolioBytes(int32_t sideCode, unsigned char* out, int32_t room) {
  char reading[5];
  int32_t n = FolioNumeralLetters(sideCode / 2, reading);
  // Display order: the side letter, the side suffix (a space and the word),
  // a space, the numeral from its last digit.
  int32_t k = 0;
  out[k++] = static_cast<unsigned char>(SideLetters[sideCode % 2]);
  for (const DisplayChar* s = SIDE_SUFFIX; *s && k < room - n - 2; ++s) out[k++] = static_cast<unsigned char>(*s);
  out[k++] = ' ';
  while (n > 0) out[k++] = static_cast<unsigned char>(reading[--n]);
  return k;
}

// The text of row i's column, for the list to draw.
void RowText(int row, int column, wchar_t* out, int room) {
  out[0] = 0;
  const SearchHit hit = FindAllHit(Run, static_cast<uint32_t>(row));
  if (hit.Record == 0 || room < 64) return;
  int32_t tractate = 0, sideCode = 0;
  const bool located = LocateArticle((hit.Record + 1) / 2, &tractate, &sideCode);
  unsigned char bytes[64];
  int32_t n = 0;
  switch (column) {
    case TractateColumn:
      for (const DisplayChar* s = located ? TractateTable[tractate].Name : nullptr; s && *s && n < 63; ++s) {
        bytes[n++] = static_cast<unsigned char>(*s);
      }
      break;
    case FolioColumn:
      if (located) n = FolioBytes(sideCode, bytes, 63);
      break;
    case TextColumn:
      lstrcpynW(out, hit.Record % 2 ? L"main" : L"commentary", room);
      return;
    default:
      return;
  }
  // The list lays its rows out left to right: a right-to-left text goes
  // between embedding marks.
  const TextForm form = Form(TextUse::Control);
  if (!form.RightToLeft) {
    Convert(bytes, n, form.Order, out);
    return;
  }
  wchar_t units[64];
  if (n > room - 3) n = room - 3;  // room for the two marks and the end
  Convert(bytes, n, form.Order, units);
  EmbedRightToLeft(units, n, out);
}

// One piece of a context cell: display units drawn in one font.
struct Piece {
  wchar_t units[ContextBytes + 1];
  int count;
  HFONT font;
  bool hit;
  int width;
};

// The pieces of a hit in its paragraph (bytes textStart .. lastByte, the hit
// low .. high), left to right as they stand on the screen, which is the
// stored order: the context after the hit in reading order, the hit (a long
// one as its two ends with an ellipsis between), the context before it.
int ContextPieces(const unsigned char* text, int32_t textStart, int32_t lastByte, int32_t low, int32_t high,
                  int32_t ends, Piece out[5]) {
  struct Span {
    int32_t from, count;
    bool hit;
  } spans[5];
  int n = 0;
  const int32_t from = std::max(textStart, low - ContextBytes), to = std::min(lastByte, high + ContextBytes);
  spans[n++] = {from, low - from, false};
  if (high - low + 1 > LongHitBytes) {
    spans[n++] = {low, ends, true};
    spans[n++] = {-1, 0, true};  // the ellipsis
    spans[n++] = {high - ends + 1, ends, true};
  } else {
    spans[n++] = {low, high - low + 1, true};
  }
  spans[n++] = {high + 1, to - high, false};
  const RunOrder order = Form(TextUse::Drawn).Order;
  for (int i = 0; i < n; ++i) {
    Piece& piece = out[i];
    piece.hit = spans[i].hit;
    piece.font = piece.hit ? HitFont : ListFont;
    piece.width = 0;
    if (spans[i].from < 0) {
      lstrcpyW(piece.units, L"...");
      piece.count = 3;
    } else {
      piece.count = std::max(0, std::min(spans[i].count, ContextBytes));
      Convert(text + spans[i].from, piece.count, order, piece.units);
    }
  }
  return n;
}

// Draws row's hit in its context into the cell: the hit in bold on yellow,
// with up to ContextBytes bytes of its paragraph on either side. The hit
// stands in the middle of the part of the cell that is in view, so that it
// shows with words on both sides however wide the column is and however far
// the list is scrolled sideways.
void DrawContext(HDC dc, const RECT& cell, int row, bool selected) {
  // A selected row as the list draws it: highlighted while the list has the
  // focus, in the face colour otherwise.
  const bool focused = GetFocus() == List;
  const int back = !selected ? COLOR_WINDOW : focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
  const int fore = !selected ? COLOR_WINDOWTEXT : focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
  const bool night = !selected && AppSettings.NightColours == 1;  // selected rows keep the system's colours
  if (night) FillWithColour(dc, cell, NightScheme.Page); else FillRect(dc, &cell, GetSysColorBrush(back));
  const SearchHit hit = FindAllHit(Run, static_cast<uint32_t>(row));
  HeldText held;
  if (hit.Record == 0 || !CorpusText(hit.Record, &held)) return;
  const uint16_t* para = held.Paragraphs;
  const int32_t i = static_cast<int32_t>(std::upper_bound(para, para + held.ParagraphCount + 1, hit.Offset) - para) - 1;
  if (i < 0 || i >= held.ParagraphCount) return;
  const int32_t low = hit.Offset - hit.Length + 1, high = hit.Offset;
  RECT client = {};
  GetClientRect(List, &client);
  const int left = std::max(cell.left, client.left), right = std::min(cell.right, client.right);
  const int middle = right > left ? (left + right) / 2 : (cell.left + cell.right) / 2;
  // A long hit's ends get shorter until the hit takes at most half the view.
  Piece pieces[5];
  int count = 0, before = 0, hitWidth = 0;  // widths left of the hit, and of the hit
  for (int32_t ends = HitEndBytes;; ends -= 2) {
    count = ContextPieces(held.Text, para[i] + 2, para[i + 1] - 2, low, high, ends, pieces);
    before = hitWidth = 0;
    for (int r = 0; r < count; ++r) {
      Piece& piece = pieces[r];
      const SelectedObject font(dc, piece.font);
      SIZE size = {};
      GetTextExtentPoint32W(dc, piece.units, piece.count, &size);
      piece.width = size.cx;
      if (piece.hit) hitWidth += size.cx;
      if (!piece.hit && hitWidth == 0) before += size.cx;
    }
    if (count < 5 || ends <= 4 || 2 * hitWidth <= right - left) break;
  }
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(dc, night ? NightScheme.PlainText : GetSysColor(fore));
  const UINT rtl = Form(TextUse::Drawn).RightToLeft ? ETO_RTLREADING : 0;
  int x = middle - hitWidth / 2 - before;
  for (int r = 0; r < count; ++r) {
    const Piece& piece = pieces[r];
    const SelectedObject font(dc, piece.font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    const int y = cell.top + (cell.bottom - cell.top - tm.tmHeight) / 2;
    if (piece.hit && !selected) {
      RECT mark = {std::max(x, static_cast<int>(cell.left)), cell.top,
                   std::min(x + piece.width, static_cast<int>(cell.right)), cell.bottom};
      if (mark.right > mark.left) {
        HBRUSH yellow = CreateSolidBrush(night ? NightScheme.HitBack : HitBackColour);
        if (yellow) {
          FillRect(dc, &mark, yellow);
          DeleteObject(yellow);
        }
      }
    }
    if (night) SetTextColor(dc, piece.hit ? NightScheme.HitText : NightScheme.PlainText);
    ExtTextOutW(dc, x, y, ETO_CLIPPED | rtl, &cell, piece.units, static_cast<UINT>(piece.count), nullptr);
    x += piece.width;
  }
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      if (draw->iSubItem != ContextColumn) return CDRF_DODEFAULT;
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      RECT cell = {};
      cell.top = ContextColumn;
      cell.left = LVIR_BOUNDS;
      if (!SendMessageW(List, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return CDRF_DODEFAULT;
      const bool selected = SendMessageW(List, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
      DrawContext(draw->nmcd.hdc, cell, row, selected);
      return CDRF_SKIPDEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}

int SelectedRow() { return static_cast<int>(SendMessageW(List, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

// Shows the selected row's hit; the list stays open and the main window takes
// the focus.
void GoToSelectedHit() {
  const int row = SelectedRow();
  if (row < 0 || static_cast<uint32_t>(row) >= Run.Count) return;
  ShowSearchHit(FindAllHit(Run, static_cast<uint32_t>(row)));
  SetFocus(MainWindow);
}

void SelectRow(int row) {
  LVITEMW item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageW(List, LVM_ENSUREVISIBLE, row, FALSE);
}

// The caption and the list's row count from the run: "Search Results (N)",
// with "+" when the list holds fewer hits than there are.
void ShowProgress() {
  SendMessageW(List, LVM_SETITEMCOUNT, Run.Count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  wchar_t caption[64];
  wsprintfW(caption, L"Search Results (%u%s)", Run.Count, Run.More || Run.NoMemory ? L"+" : L"");
  SetWindowTextW(ResultsWindow, caption);
  if (Run.Count > 0 && !FirstRowSelected) {
    FirstRowSelected = true;
    SelectRow(0);
  }
  ShowWindow(NotFoundLabel, !Filling && Run.Count == 0 ? SW_SHOW : SW_HIDE);
}

void PlaceChildren(int width, int height) {
  MoveWindow(List, 0, 0, width, height, TRUE);
  RECT header = {};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(List, LVM_GETHEADER, 0, 0)), &header);
  const int dpi = DpiOfWindow(List);
  const int top = header.bottom - header.top + ScaleForDpi(8, dpi);
  MoveWindow(NotFoundLabel, 0, top, width, MetricForDpi(SM_CYMENU, dpi) + ScaleForDpi(4, dpi), TRUE);
}

void SizeColumns();

// The list's fonts from the user's font: its face and mapping, its size kept
// between 8 and 16 points so that rows stay readable.
void MakeFonts() {
  HFONT oldList = ListFont, oldHit = HitFont;
  LOGFONTW lf = {};
  const int points = std::min(16, std::max(8, AppSettings.FontSettings.FontSize ? AppSettings.FontSettings.FontSize : 12));
  lf.lfHeight = -MulDiv(points, ResultsDpi > 0 ? ResultsDpi : DpiOfWindow(List), 72);
  lf.lfCharSet = FontCharSet(AppSettings.FontSettings);
  lstrcpynW(lf.lfFaceName, AppSettings.FontSettings.FontName, LF_FACESIZE);
  ListFont = CreateFontIndirectW(&lf);
  lf.lfWeight = FW_BOLD;
  HitFont = CreateFontIndirectW(&lf);
  if (!ListFont || !HitFont) {
    // Not even a font: draw with the list's own.
    if (ListFont) DeleteObject(ListFont);
    if (HitFont) DeleteObject(HitFont);
    ListFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HitFont = ListFont;
  }
  SendMessageW(List, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont), TRUE);
  if (oldHit && oldHit != oldList) DeleteObject(oldHit);
  if (oldList) DeleteObject(oldList);  // a stock object ignores this
  SizeColumns();
}

void ReleaseFonts() {
  if (List) SendMessageW(List, WM_SETFONT, 0, FALSE);
  if (HitFont && HitFont != ListFont) DeleteObject(HitFont);
  if (ListFont) DeleteObject(ListFont);
  ListFont = HitFont = nullptr;
}

const wchar_t* const ColumnTitles[ColumnCount] = {L"Tractate", L"Folio", L"Text", L"Context"};

// The columns' widths for the list's font and DPI: each of the first three
// as wide as its widest text (every tractate, every folio, either text), the
// context the rest of the window's width, at least 40 average characters.
void SizeColumns() {
  if (!List) return;
  HDC dc = GetDC(List);
  if (!dc) return;
  int widths[ColumnCount] = {};
  int unit = 8;
  {
    const SelectedObject font(dc, ListFont);
    TEXTMETRICW tm = {};
    if (GetTextMetricsW(dc, &tm) && tm.tmAveCharWidth > 0) unit = tm.tmAveCharWidth;
    auto fit = [&](int column, const wchar_t* units, int n) {
      SIZE size = {};
      if (GetTextExtentPoint32W(dc, units, n, &size)) widths[column] = std::max(widths[column], static_cast<int>(size.cx));
    };
    for (int c = 0; c < ColumnCount; ++c) fit(c, ColumnTitles[c], lstrlenW(ColumnTitles[c]));
    const RunOrder reading = Form(TextUse::Control).Order;
    wchar_t units[80];
    unsigned char bytes[64];
    for (int t = 0; TractateTable[t].Name; ++t) {
      int n = 0;
      for (const DisplayChar* p = TractateTable[t].Name; *p && n < 63; ++p) bytes[n++] = static_cast<unsigned char>(*p);
      fit(TractateColumn, units, Convert(bytes, n, reading, units));
    }
    int32_t lastSide = 0;
    for (int t = 0; TractateTable[t].Name; ++t)
      lastSide = std::max(lastSide, TractateTable[t].FirstSideOffset + 2 + TractateTable[t].SideCount - 1);
    for (int32_t side = 2; side <= lastSide; ++side)
      fit(FolioColumn, units, Convert(bytes, FolioBytes(side, bytes, 63), reading, units));
    fit(TextColumn, L"commentary", 10);
  }
  ReleaseDC(List, dc);
  const int dpi = ResultsDpi > 0 ? ResultsDpi : DpiOfWindow(List);
  const int padding = 2 * unit + ScaleForDpi(12, dpi);
  RECT client = {};
  GetClientRect(GetParent(List), &client);
  int rest = client.right - client.left - MetricForDpi(SM_CXVSCROLL, dpi) - MetricForDpi(SM_CXEDGE, dpi) * 2;
  for (int c = 0; c < ContextColumn; ++c) {
    widths[c] += padding;
    rest -= widths[c];
  }
  widths[ContextColumn] = std::max(rest, 40 * unit);
  for (int c = 0; c < ColumnCount; ++c) SendMessageW(List, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(widths[c], 0));
}

void AddColumns() {
  for (int c = 0; c < ColumnCount; ++c) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(ColumnTitles[c]);
    column.cx = 100;
    column.iSubItem = c;
    SendMessageW(List, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  SizeColumns();
}

// The label's font for ResultsDpi; the old one goes once the label has the new one.
void MakeLabelFont() {
  HFONT font = MakeMessageFont(ResultsDpi);
  SendMessageW(NotFoundLabel, WM_SETFONT,
               reinterpret_cast<WPARAM>(font ? font : GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  if (LabelFont) DeleteObject(LabelFont);
  LabelFont = font;
}

// The window moved to a monitor of another DPI: the rectangle the system
// suggests, the fonts for the DPI and the columns measured with them.
void OnDpiChanged(HWND window, int dpi, const RECT* suggested) {
  if (dpi <= 0) return;
  ResultsDpi = dpi;
  if (suggested) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  MakeLabelFont();
  MakeFonts();
}

bool OnCreate(HWND window) {
  List = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                             LVS_SHOWSELALWAYS,
                         0, 0, 0, 0, window, reinterpret_cast<HMENU>(ListId), AppInstance, nullptr);
  if (!List) return false;
  SendMessageW(List, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  NotFoundLabel = CreateWindowExW(0, L"STATIC", L"Not Found", WS_CHILD | SS_CENTER, 0, 0, 0, 0, List, nullptr,
                                  AppInstance, nullptr);
  ResultsDpi = DpiOfWindow(window);
  MakeLabelFont();
  MakeFonts();
  AddColumns();
  ApplyResultsColours();
  return true;
}

// A typed unit as a LetterCode byte: a letter as the current mapping shows
// it or as a Hebrew keyboard types it; anything else as itself, lower case.
unsigned TypedByte(wchar_t u) {
  const int32_t base = AppSettings.FontSettings.FontAsciiBase;
  if (u >= base && u < base + LetterCount) return FirstLetter + (u - base);
  if (u >= AsciiBaseUnicode && u < AsciiBaseUnicode + LetterCount) return FirstLetter + (u - AsciiBaseUnicode);
  return u >= L'A' && u <= L'Z' ? u - L'A' + L'a' : u;
}

// Whether the tractate's name, read from its first letter, begins with typed.
bool TractateBegins(int32_t tractate, const wchar_t* typed) {
  const DisplayChar* name = TractateTable[tractate].Name;
  int32_t n = 0;
  while (name[n]) ++n;
  for (int32_t k = 0; typed[k]; ++k) {
    if (k >= n || TypedByte(typed[k]) != static_cast<unsigned char>(name[n - 1 - k])) return false;
  }
  return true;
}

// The list's type-ahead: the first row from the start row on (round to the
// top when asked) whose tractate begins with the typed text; -1 for none,
// which leaves the selection where it is.
int FindRow(const NMLVFINDITEMW& find) {
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz || !find.lvfi.psz[0]) return -1;
  const int count = static_cast<int>(Run.Count);
  const int start = find.iStart >= 0 && find.iStart < count ? find.iStart : 0;
  const int rows = find.lvfi.flags & LVFI_WRAP ? count : count - start;
  int32_t record = 0;
  bool matches = false;
  for (int k = 0; k < rows; ++k) {
    const int row = (start + k) % count;
    const int32_t r = FindAllHit(Run, static_cast<uint32_t>(row)).Record;
    if (r != record) {
      // Rows come in corpus order: the answer changes only with the record.
      record = r;
      int32_t tractate = 0, sideCode = 0;
      matches = LocateArticle((r + 1) / 2, &tractate, &sideCode) && TractateBegins(tractate, find.lvfi.psz);
    }
    if (matches) return row;
  }
  return -1;
}

LRESULT OnNotify(NMHDR* header) {
  if (header->hwndFrom != List) return 0;
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if (item.mask & LVIF_TEXT) RowText(item.iItem, item.iSubItem, item.pszText, item.cchTextMax);
      return 0;
    }
    case NM_CUSTOMDRAW: return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    case LVN_ODFINDITEMW: return FindRow(*reinterpret_cast<NMLVFINDITEMW*>(header));
    case LVN_ITEMACTIVATE: GoToSelectedHit(); return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_ESCAPE) DestroyWindow(ResultsWindow);
      return 0;
    default: return 0;
  }
}

LRESULT CALLBACK ResultsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return OnCreate(window) ? 0 : -1;
    case WM_SIZE: PlaceChildren(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_SETFOCUS: SetFocus(List); return 0;
    case WM_NCCREATE:
      EnableNonClientScaling(window);
      return DefWindowProcW(window, message, wParam, lParam);
    case DpiChangedMessage:
      OnDpiChanged(window, DpiChangeFor(window, wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
      // From the dialog keys: Enter and Esc.
      if (LOWORD(wParam) == IDOK) GoToSelectedHit();
      if (LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      SaveResultsPlacement(window);
      ReleaseFonts();
      SendMessageW(NotFoundLabel, WM_SETFONT, 0, FALSE);
      if (LabelFont) DeleteObject(LabelFont);
      LabelFont = nullptr;
      EndFindAll(&Run);
      Filling = false;
      ResultsWindow = List = NotFoundLabel = nullptr;
      return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool MakeWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ResultsProc;
    wc.hInstance = AppInstance;
    wc.hIcon = LoadIconW(AppInstance, MAKEINTRESOURCEW(IDI_ORVANE));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = ResultsClassName;
    registered = RegisterClassExW(&wc) != 0;
    if (!registered) return false;
  }
  // On the main window's monitor when nothing is stored, or what is stored
  // lies on a monitor that is gone.
  const HMONITOR monitor = MainWindow ? MonitorFromWindow(MainWindow, MONITOR_DEFAULTTONEAREST)
                                      : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  RECT place = {};
  if (!ReadResultsPlacement(&place, monitor)) {
    // First time: two thirds of the work area's width and half its height,
    // below the main window's top edge, with the metrics of its DPI.
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    const int dpi = DpiOfWindow(MainWindow);
    RECT main = work;
    if (MainWindow) GetWindowRect(MainWindow, &main);
    const int width = (work.right - work.left) * 2 / 3, height = (work.bottom - work.top) / 2;
    const int left = std::max(work.left, std::min(main.left + MetricForDpi(SM_CXSIZE, dpi), work.right - width));
    const int top =
        std::max(work.top, std::min(main.top + 3 * MetricForDpi(SM_CYCAPTION, dpi), work.bottom - height));
    place = RECT{left, top, left + width, top + height};
  }
  // A pop-up, so that it stays above its owner when the main window takes
  // the focus to show a hit.
  ResultsWindow = CreateWindowExW(0, ResultsClassName, L"Search Results (0)",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                  place.left, place.top, place.right - place.left, place.bottom - place.top, MainWindow,
                                  nullptr, AppInstance, nullptr);
  if (!ResultsWindow) return false;
  // Under a modal dialog of the main window it is as unusable as that.
  if (MainWindow && !IsWindowEnabled(MainWindow)) EnableWindow(ResultsWindow, FALSE);
  return true;
}

}  // namespace

void ApplyResultsColours() {
  if (!List) return;
  const bool night = AppSettings.NightColours == 1;
  const COLORREF back = night ? NightScheme.Page : GetSysColor(COLOR_WINDOW);
  SendMessageW(List, LVM_SETBKCOLOR, 0, back);
  SendMessageW(List, LVM_SETTEXTBKCOLOR, 0, back);
  SendMessageW(List, LVM_SETTEXTCOLOR, 0, night ? NightScheme.PlainText : GetSysColor(COLOR_WINDOWTEXT));
  InvalidateRect(List, nullptr, TRUE);
}

void OpenSearchDialog(HWND window) {
  if (SearchDialog(MainWindow ? MainWindow : window, SearchNext) == SearchDialogFindAll) FindAll(window);
}

void FindAll(HWND window) {
  if (AppSettings.SearchString[0] == 0) {
    OpenSearchDialog(window);
    return;
  }
  if (!ResultsWindow && !MakeWindow()) return;
  CorpusTextSource = LoadTextRecord;
  BeginFindAll(&Run, AppSettings.SearchString, AppSettings.BottomSection < 10, ResultsLimit);
  Filling = true;
  FirstRowSelected = false;
  SendMessageW(List, LVM_DELETEALLITEMS, 0, 0);
  ShowProgress();
  ShowWindow(ResultsWindow, IsIconic(ResultsWindow) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(ResultsWindow);
  SetFocus(List);
}

bool FillResultsSlice() {
  if (!Filling || !ResultsWindow) return false;
  LARGE_INTEGER frequency = {}, begun = {}, now = {};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begun);
  const LONGLONG slice = frequency.QuadPart * SliceMilliseconds / 1000;
  bool more = true;
  do {
    more = FindAllStep(&Run, SliceRecords, SliceHits);
    QueryPerformanceCounter(&now);
  } while (more && now.QuadPart - begun.QuadPart < slice);
  Filling = more;
  ShowProgress();
  return more;
}

bool ResultsDialogMessage(MSG* msg) {
  if (!ResultsWindow || (msg->hwnd != ResultsWindow && !IsChild(ResultsWindow, msg->hwnd))) return false;
  return IsDialogMessageW(ResultsWindow, msg) != 0;
}

bool ReaderPreTranslate(MSG* msg, HACCEL accelerators) {
  return (MainWindow && TranslateAcceleratorW(MainWindow, accelerators, msg)) || ResultsDialogMessage(msg) ||
         NotesDialogMessage(msg);
}

void FollowMainWindowEnabled(bool enabled) {
  if (ResultsWindow) EnableWindow(ResultsWindow, enabled);
  if (NotesWindow) EnableWindow(NotesWindow, enabled);
}

void RefreshResultsList() {
  if (!ResultsWindow) return;
  MakeFonts();
  InvalidateRect(List, nullptr, TRUE);
}
