// Copy and Append on the clipboard. The data of other programs that an
// append reads is foreign input: it is read only within its block's size and
// copied with plain malloc, so that a huge block makes the command do
// nothing instead of ending the program.
#include "output/clipboard.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "output/rtf.h"
#include "output/settings.h"
#include "store/letters.h"

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

// Hands a ready block to the open clipboard as its only data; releases it
// when the clipboard does not take it.
void SetOnlyData(UINT format, HGLOBAL block) {
  EmptyClipboard();
  if (!SetClipboardData(format, block)) GlobalFree(block);
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

// The plain text block: what the clipboard holds, then the copy text.
HGLOBAL TextBlock(const wchar_t* copyText, const unsigned char* old, size_t oldLength) {
  const size_t newLength = (std::wcslen(copyText) + 1) * sizeof(wchar_t);
  HGLOBAL block = oldLength <= SIZE_MAX - newLength ? GlobalAlloc(ClipboardBlockFlags, oldLength + newLength) : nullptr;
  auto* bytes = block ? static_cast<unsigned char*>(GlobalLock(block)) : nullptr;
  if (bytes) {
    if (oldLength) std::memcpy(bytes, old, oldLength);
    std::memcpy(bytes + oldLength, copyText, newLength);
    GlobalUnlock(block);
  }
  if (!bytes && block) {
    GlobalFree(block);
    block = nullptr;
  }
  return block;
}

}  // namespace

int ReadClipboardData(UINT format, unsigned char** data, size_t* length) {
  *data = nullptr;
  *length = 0;
  OpenedClipboard clipboard(nullptr);
  if (!clipboard.open) return ClipboardUnreadable;
  return CopyOpenClipboardData(format, data, length);
}

wchar_t* SizeCopyText(const unsigned char* text) {
  const size_t units = CopyTextUnits(text);
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
  const UINT format = rtf ? RegisterClipboardFormatW(L"Rich Text Format") : CF_UNICODETEXT;
  if (!format) return;
  // The body needs nothing of the clipboard: made before it is opened, so
  // that the out-of-memory message never shows while other programs wait.
  char* body = rtf ? MakeRtfBody(copyText) : nullptr;
  if (rtf && !body) return;
  {
    // Read, build and set within one opening: nobody can change the
    // clipboard between what an append reads and what it writes.
    OpenedClipboard clipboard(owner);
    unsigned char* old = nullptr;
    size_t oldLength = 0;
    if (clipboard.open && (!append || CopyOpenClipboardData(format, &old, &oldLength) == ClipboardRead)) {
      HGLOBAL block = rtf ? RtfBlock(body, old, oldLength) : TextBlock(copyText, old, oldLength);
      if (block) SetOnlyData(format, block);
    }
    std::free(old);
  }
  std::free(body);
}

void CopyPaneToClipboard(HWND owner, PaneView* pane, bool append) {
  if (!pane || !pane->Text) return;
  wchar_t* copy = SizeCopyText(pane->Text);
  if (!copy) return;
  // A word processor lays the RTF's right-to-left text out itself: with the
  // Unicode mapping the copy is in reading order whatever Reverse says. The
  // letters of the other mappings are Latin code points that nothing
  // reorders: the plain text keeps the order of the screen.
  BuildCopyText(pane->Text, copy,
                AppSettings.FontSettings.FontAsciiBase > 256 ? RunOrder::Reading : RunOrder::Display);
  PutTextOnClipboard(owner, copy, append);
  std::free(copy);
}
