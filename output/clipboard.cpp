// Copy and Append on the clipboard. The data of other programs that an
// append reads (and keeps to put back) is foreign input: it is read only
// within its block's size and copied with plain malloc or GlobalAlloc, so
// that a huge block makes the command fail (and say so) instead of ending
// the program.
#include "output/clipboard.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "output/rtf.h"
#include "output/settings.h"
#include "store/letters.h"
#include "store/selection.h"

namespace {

constexpr UINT ClipboardBlockFlags = GMEM_MOVEABLE | GMEM_DDESHARE;
// Another program may hold the clipboard for a moment: try this often, this
// many milliseconds apart, before giving up.
constexpr int ClipboardTries = 10;
constexpr DWORD ClipboardRetryMs = 20;

// Opens the clipboard for a window (which then owns what is set: with no
// owner, SetClipboardData fails after EmptyClipboard); closes it when the
// function leaves.
struct OpenedClipboard {
  bool open = false;
  explicit OpenedClipboard(HWND owner) {
    for (int i = 0; i < ClipboardTries && !open; ++i) {
      if (i > 0) Sleep(ClipboardRetryMs);
      open = OpenClipboard(owner) != FALSE;
    }
  }
  ~OpenedClipboard() {
    if (open) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

// A copy of the open clipboard's data in a format (see ReadClipboardData).
int CopyOpenClipboardData(UINT format, unsigned char** data, size_t* length) {
  *data = nullptr;
  *length = 0;
  HANDLE handle = GetClipboardData(format);
  // Data the clipboard says it has but does not give (its owner did not
  // render it), or a block that cannot be locked (discarded, or of no
  // size), is not nothing: it cannot be read.
  if (!handle) return IsClipboardFormatAvailable(format) ? ClipboardUnreadable : ClipboardRead;
  const size_t size = GlobalSize(handle);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(handle));
  if (!bytes) return ClipboardUnreadable;
  size_t n = 0;
  if (format == CF_UNICODETEXT) {
    const auto* units = reinterpret_cast<const wchar_t*>(bytes);
    n = wcsnlen(units, size / sizeof(wchar_t)) * sizeof(wchar_t);
  } else {
    n = strnlen(reinterpret_cast<const char*>(bytes), size);
  }
  // Two zero bytes after the data end a copy of either kind.
  auto* copy = n <= SIZE_MAX - 2 ? static_cast<unsigned char*>(std::malloc(n + 2)) : nullptr;
  if (copy) {
    if (n) std::memcpy(copy, bytes, n);
    copy[n] = 0;
    copy[n + 1] = 0;
  }
  GlobalUnlock(handle);
  if (!copy) return ClipboardUnreadable;
  *data = copy;
  *length = n;
  return ClipboardRead;
}

// A new clipboard block of the given bytes, or null when there is no memory
// for it.
HGLOBAL BlockOf(const void* bytes, size_t size) {
  HGLOBAL block = size ? GlobalAlloc(ClipboardBlockFlags, size) : nullptr;
  void* to = block ? GlobalLock(block) : nullptr;
  if (!to) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  std::memcpy(to, bytes, size);
  GlobalUnlock(block);
  return block;
}

// Blocks ready for the clipboard, in the order they are set.
struct Blocks {
  UINT Format[2];
  HGLOBAL Block[2];
  int Count = 0;
  void Add(UINT format, HGLOBAL block) {
    Format[Count] = format;
    Block[Count++] = block;
  }
  bool Made() const {
    for (int i = 0; i < Count; ++i)
      if (!Block[i]) return false;
    return true;
  }
  void Free() {
    for (int i = 0; i < Count; ++i)
      if (Block[i]) GlobalFree(Block[i]);
    Count = 0;
  }
};

// Results of SetOnlyData.
constexpr int SetAll = 0;         // the clipboard holds the new blocks
constexpr int SetNothing = 1;     // it could not be emptied: it holds what it held
constexpr int SetPutBack = 2;     // it refused a block: it holds only the blocks put back

// Hands ready blocks to the open clipboard as its only data. A block the
// clipboard takes is its own from then on; one it refuses stays the
// caller's. When any is refused, the clipboard is emptied again and the
// blocks put back are set instead (none: it stays empty). Every block is
// released or handed over either way.
int SetOnlyData(Blocks* fresh, Blocks* putBack) {
  const bool emptied = EmptyClipboard() != FALSE;
  int set = 0;
  while (emptied && set < fresh->Count && SetClipboardData(fresh->Format[set], fresh->Block[set])) ++set;
  for (int i = set; i < fresh->Count; ++i) GlobalFree(fresh->Block[i]);
  const bool all = set == fresh->Count;
  fresh->Count = 0;
  if (!emptied || all) {
    putBack->Free();
    return emptied ? SetAll : SetNothing;
  }
  EmptyClipboard();
  for (int i = 0; i < putBack->Count; ++i)
    if (!SetClipboardData(putBack->Format[i], putBack->Block[i])) GlobalFree(putBack->Block[i]);
  putBack->Count = 0;
  return SetPutBack;
}

// The new RTF document: a fresh one, or what the clipboard holds with the
// body appended. Null when there is no memory for it.
HGLOBAL RtfBlock(const char* body, const unsigned char* old, size_t oldLength) {
  const char* oldText = reinterpret_cast<const char*>(old);
  const size_t bodyLength = std::strlen(body);
  const size_t total = RtfDocument(oldText, oldLength, body, bodyLength, nullptr);
  HGLOBAL block = total ? GlobalAlloc(ClipboardBlockFlags, total) : nullptr;
  char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
  if (bytes) {
    RtfDocument(oldText, oldLength, body, bodyLength, bytes);
    GlobalUnlock(block);
  }
  if (!bytes && block) {
    GlobalFree(block);
    block = nullptr;
  }
  return block;
}

// The plain text block: what the clipboard holds, then the copy text; a
// line end between them when the old text does not end with one.
HGLOBAL TextBlock(const wchar_t* copyText, const unsigned char* old, size_t oldLength) {
  const auto* oldUnits = reinterpret_cast<const wchar_t*>(old);
  const size_t oldCount = oldLength / sizeof(wchar_t);
  const bool lineEnded = oldCount >= 2 && oldUnits[oldCount - 2] == L'\r' && oldUnits[oldCount - 1] == L'\n';
  const size_t join = oldCount == 0 || lineEnded ? 0 : 2 * sizeof(wchar_t);
  const size_t newLength = (std::wcslen(copyText) + 1) * sizeof(wchar_t);
  const size_t total = oldCount * sizeof(wchar_t);
  HGLOBAL block =
      total <= SIZE_MAX - newLength - join ? GlobalAlloc(ClipboardBlockFlags, total + join + newLength) : nullptr;
  auto* bytes = block ? static_cast<unsigned char*>(GlobalLock(block)) : nullptr;
  if (bytes) {
    if (total) std::memcpy(bytes, old, total);
    if (join) std::memcpy(bytes + total, L"\r\n", join);
    std::memcpy(bytes + total + join, copyText, newLength);
    GlobalUnlock(block);
  }
  if (!bytes && block) {
    GlobalFree(block);
    block = nullptr;
  }
  return block;
}

void ShowClipboardFailure(HWND owner, int result, bool append) {
  const wchar_t* message =
      result != SetPutBack ? L"The text could not be put on the clipboard.\n\nThe clipboard holds what it held before."
      : append ? L"The text could not be put on the clipboard.\n\nThe clipboard holds the text it held before; "
                 L"anything else it held is gone."
               : L"The text could not be put on the clipboard.\n\nThe clipboard is empty.";
  MessageBoxW(owner, message, L"Orvane", MB_OK | MB_ICONWARNING);
}

// Writes "(" source ")" and CR LF at end, in the copy's letters and order:
// the source is in reading order with the letters at U+05D0.
void AppendSourceLine(wchar_t* end, const DisplayChar* source, size_t units, RunOrder order) {
  const int32_t base = AppSettings.FontSettings.FontAsciiBase;
  wchar_t* w = end;
  *w++ = L'(';
  for (size_t i = 0; i < units; ++i) {
    const DisplayChar u = source[i];
    *w++ = u >= AsciiBaseUnicode && u < AsciiBaseUnicode + LetterCount ? static_cast<wchar_t>(base + u - AsciiBaseUnicode)
                                                                       : static_cast<wchar_t>(u);
  }
  *w++ = L')';
  if (order == RunOrder::Display) ToReadingOrder(end, static_cast<int32_t>(w - end));
  *w++ = L'\r';
  *w++ = L'\n';
  *w = 0;
}

}  // namespace

int ReadClipboardData(UINT format, unsigned char** data, size_t* length) {
  *data = nullptr;
  *length = 0;
  OpenedClipboard clipboard(nullptr);
  if (!clipboard.open) return ClipboardUnreadable;
  return CopyOpenClipboardData(format, data, length);
}

wchar_t* SizeCopyText(const unsigned char* text, size_t extra) {
  const size_t units = CopyTextUnits(text) + extra;
  if (units > SIZE_MAX / sizeof(wchar_t)) return nullptr;
  return static_cast<wchar_t*>(AllocOrDie(units * sizeof(wchar_t)));
}

char* MakeRtfBody(const wchar_t* copyText) {
  const size_t n = RtfBody(copyText, nullptr);
  auto* body = static_cast<char*>(AllocOrDie(n + 1));
  if (body) RtfBody(copyText, body);
  return body;
}

void PutTextOnClipboard(HWND owner, const wchar_t* copyText, bool append) {
  const bool rtf = AppSettings.FontSettings.FontAsciiBase > 256;
  const UINT rtfFormat = rtf ? RegisterClipboardFormatW(L"Rich Text Format") : 0;
  // The body needs nothing of the clipboard: made before it is opened, so
  // that the out-of-memory message never shows while other programs wait.
  char* body = rtfFormat ? MakeRtfBody(copyText) : nullptr;
  if (rtf && !body) {
    if (!rtfFormat) ShowClipboardFailure(owner, SetNothing, append);
    return;
  }
  int result = SetAll;
  {
    // Read, build and set within one opening: nobody can change the
    // clipboard between what an append reads and what it writes. A copy
    // reads nothing there: reading data another program only promised
    // makes it render the data now.
    OpenedClipboard clipboard(owner);
    unsigned char* oldRtf = nullptr;
    unsigned char* oldText = nullptr;
    size_t oldRtfLength = 0, oldTextLength = 0;
    // An append that cannot read a format the clipboard holds changes nothing.
    const bool readable =
        clipboard.open &&
        (!append || ((!rtf || CopyOpenClipboardData(rtfFormat, &oldRtf, &oldRtfLength) == ClipboardRead) &&
                     CopyOpenClipboardData(CF_UNICODETEXT, &oldText, &oldTextLength) == ClipboardRead));
    if (readable) {
      // Every block is made before anything is emptied; the richer format
      // goes first. What an append extends is made ready to go back too.
      Blocks fresh, putBack;
      if (rtf) fresh.Add(rtfFormat, RtfBlock(body, oldRtf, oldRtfLength));
      fresh.Add(CF_UNICODETEXT, TextBlock(copyText, oldText, oldTextLength));
      if (oldRtf) putBack.Add(rtfFormat, BlockOf(oldRtf, oldRtfLength + 1));
      if (oldText) putBack.Add(CF_UNICODETEXT, BlockOf(oldText, oldTextLength + sizeof(wchar_t)));
      if (fresh.Made() && putBack.Made()) {
        result = SetOnlyData(&fresh, &putBack);
      } else {
        fresh.Free();
        putBack.Free();
        result = SetNothing;
      }
    }
    std::free(oldRtf);
    std::free(oldText);
  }
  std::free(body);
  if (result != SetAll) ShowClipboardFailure(owner, result, append);
}

void CopyPaneToClipboard(HWND owner, PaneView* pane, bool append, const TextSelection* selection,
                         const DisplayChar* source) {
  if (!pane || !pane->Text) return;
  const unsigned char* text = pane->Text;
  unsigned char* part = nullptr;
  bool endsInside = false;  // the piece stops short of its paragraph's end
  if (selection && HasSelection(*selection)) {
    const size_t bytes = ExtractSelectionInto(pane->Text, *selection, nullptr);
    if (!bytes) return;  // it holds no character
    part = static_cast<unsigned char*>(AllocOrDie(bytes));
    if (!part) return;
    ExtractSelectionInto(pane->Text, *selection, part, &endsInside);
    text = part;
  } else {
    source = nullptr;  // a whole pane opens with its page header
  }
  const size_t sourceUnits = source ? std::wcslen(source) : 0;
  // A word processor lays the RTF's right-to-left text out itself: with the
  // Unicode mapping the copy is in reading order whatever Reverse says. The
  // letters of the other mappings are Latin code points that nothing
  // reorders: the plain text keeps the order of the screen.
  const RunOrder order = AppSettings.FontSettings.FontAsciiBase > 256 ? RunOrder::Reading : RunOrder::Display;
  if (wchar_t* copy = SizeCopyText(text, sourceUnits ? sourceUnits + 4 : 0)) {
    size_t n = BuildCopyText(text, copy, order, endsInside);
    if (sourceUnits) {
      // On a line of its own: a piece built without its line end gets one
      // here, in the room counted for it.
      if (endsInside) {
        copy[n++] = L'\r';
        copy[n++] = L'\n';
      }
      AppendSourceLine(copy + n, source, sourceUnits, order);
    }
    PutTextOnClipboard(owner, copy, append);
    std::free(copy);
  }
  std::free(part);
}
