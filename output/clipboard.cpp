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

// Opens the clipboard with no owner; closes it when the function leaves.
struct OpenedClipboard {
  bool open = OpenClipboard(nullptr) != FALSE;
  ~OpenedClipboard() {
    if (open) CloseClipboard();
  }
};

// Hands a ready block to the clipboard as its only data; releases it when
// the clipboard cannot be had.
void SetOnlyData(UINT format, HGLOBAL block) {
  OpenedClipboard clipboard;
  if (!clipboard.open) {
    GlobalFree(block);
    return;
  }
  EmptyClipboard();
  if (!SetClipboardData(format, block)) GlobalFree(block);
}

}  // namespace

int ReadClipboardData(UINT format, unsigned char** data, size_t* length) {
  *data = nullptr;
  *length = 0;
  OpenedClipboard clipboard;
  if (!clipboard.open) return ClipboardUnreadable;
  HANDLE handle = GetClipboardData(format);
  if (!handle) return ClipboardRead;
  const size_t size = GlobalSize(handle);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(handle));
  size_t n = 0;
  if (bytes) {
    if (format == CF_UNICODETEXT) {
      const auto* units = reinterpret_cast<const wchar_t*>(bytes);
      n = wcsnlen(units, size / sizeof(wchar_t)) * sizeof(wchar_t);
    } else {
      n = strnlen(reinterpret_cast<const char*>(bytes), size);
    }
  }
  // Two zero bytes after the data end a copy of either kind.
  auto* copy = n <= SIZE_MAX - 2 ? static_cast<unsigned char*>(std::malloc(n + 2)) : nullptr;
  if (copy) {
    if (n) std::memcpy(copy, bytes, n);
    copy[n] = 0;
    copy[n + 1] = 0;
  }
  if (bytes) GlobalUnlock(handle);
  if (!copy) return ClipboardUnreadable;
  *data = copy;
  *length = n;
  return ClipboardRead;
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

void PutRtfOnClipboard(const wchar_t* copyText, bool append) {
  const UINT format = RegisterClipboardFormatW(L"Rich Text Format");
  if (!format) return;
  unsigned char* old = nullptr;
  size_t oldLength = 0;
  if (append && ReadClipboardData(format, &old, &oldLength) != ClipboardRead) return;
  char* body = MakeRtfBody(copyText);
  if (!body) {
    std::free(old);
    return;
  }
  const char* oldText = reinterpret_cast<const char*>(old);
  const size_t bodyLength = std::strlen(body);
  const size_t total = RtfDocument(oldText, oldLength, body, bodyLength, nullptr);
  HGLOBAL block = total ? GlobalAlloc(ClipboardBlockFlags, total) : nullptr;
  char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
  if (bytes) {
    RtfDocument(oldText, oldLength, body, bodyLength, bytes);
    GlobalUnlock(block);
  }
  std::free(old);
  std::free(body);
  if (!bytes) {
    if (block) GlobalFree(block);
    return;
  }
  SetOnlyData(format, block);
}

void PutTextOnClipboard(const wchar_t* copyText, bool append) {
  if (AppSettings.FontSettings.FontAsciiBase > 256) {
    PutRtfOnClipboard(copyText, append);
    return;
  }
  unsigned char* old = nullptr;
  size_t oldLength = 0;
  if (append && ReadClipboardData(CF_UNICODETEXT, &old, &oldLength) != ClipboardRead) return;
  const size_t newLength = (std::wcslen(copyText) + 1) * sizeof(wchar_t);
  HGLOBAL block = oldLength <= SIZE_MAX - newLength ? GlobalAlloc(ClipboardBlockFlags, oldLength + newLength) : nullptr;
  auto* bytes = block ? static_cast<unsigned char*>(GlobalLock(block)) : nullptr;
  if (bytes) {
    if (oldLength) std::memcpy(bytes, old, oldLength);
    std::memcpy(bytes + oldLength, copyText, newLength);
    GlobalUnlock(block);
  }
  std::free(old);
  if (!bytes) {
    if (block) GlobalFree(block);
    return;
  }
  SetOnlyData(CF_UNICODETEXT, block);
}

void CopyPaneToClipboard(PaneView* pane, bool append) {
  if (!pane || !pane->Text) return;
  wchar_t* copy = SizeCopyText(pane->Text);
  if (!copy) return;
  // A word processor lays out the RTF's right-to-left text itself, so for
  // the Unicode mapping the conversion runs with the Reverse bit inverted.
  const uint32_t saved = AppSettings.Flags;
  if (AppSettings.FontSettings.FontAsciiBase > 256) AppSettings.Flags ^= Reverse;
  BuildCopyText(pane->Text, copy);
  AppSettings.Flags = saved;
  PutTextOnClipboard(copy, append);
  std::free(copy);
}
