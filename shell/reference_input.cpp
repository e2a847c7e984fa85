#include "shell/reference_input.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "dialogs/dialogs.h"
#include "shell/article.h"
#include "shell/globals.h"
#include "store/folios.h"
#include "store/references.h"

namespace {

// A reference handed over is at most this long (longer ones are cut: they
// name no page anyway).
constexpr size_t MaxHandedOverUnits = 32768;
// The reader that runs answers at once; one that hangs is not waited for.
constexpr UINT HandOverTimeoutMs = 10000;

wchar_t* HandedOver;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// What a box shows of the text it speaks of: its start, without control
// characters.
constexpr int ShownUnits = 60;
void ShownText(const wchar_t* text, wchar_t out[ShownUnits + 4]) {
  int n = 0;
  for (; text[n] && n < ShownUnits; ++n) out[n] = text[n] < 0x20 ? L' ' : text[n];
  if (text[n]) {
    out[n++] = L'.';
    out[n++] = L'.';
    out[n++] = L'.';
  }
  out[n] = 0;
}

void SayNoPage(HWND window, const wchar_t* text, const wchar_t* why) {
  wchar_t shown[ShownUnits + 4];
  ShownText(text, shown);
  wchar_t message[ReferenceLineUnits + 2 * ShownUnits];
  std::swprintf(message, sizeof message / sizeof message[0], L"Orvane cannot go to \"%ls\".\n\n%ls", shown, why);
  MessageBoxW(window, message, L"Orvane", MB_OK | MB_ICONINFORMATION);
}

void BringToFront(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(window));
}

}  // namespace

wchar_t* JoinedArguments(const wchar_t* commandLine) {
  if (!commandLine) commandLine = L"";
  auto* out = static_cast<wchar_t*>(std::malloc((std::wcslen(commandLine) + 1) * sizeof(wchar_t)));
  if (!out) return nullptr;
  const wchar_t* p = commandLine;
  // The program's name: quoted up to the next quote, else up to a blank.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && !IsBlank(*p)) ++p;
  }
  size_t n = 0;
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (!*p) break;
    const size_t start = n;
    if (n > 0) out[n++] = L' ';
    const size_t first = n;
    bool quoted = false;
    while (*p && (quoted || !IsBlank(*p))) {
      size_t slashes = 0;
      while (p[slashes] == L'\\') ++slashes;
      if (p[slashes] != L'"') {
        // Backslashes not before a quote stand for themselves.
        for (; slashes > 0; --slashes) out[n++] = *p++;
        if (*p && (quoted || !IsBlank(*p))) out[n++] = *p++;
        continue;
      }
      for (size_t i = 0; i < slashes / 2; ++i) out[n++] = L'\\';
      p += slashes;
      if (slashes % 2) {
        out[n++] = L'"';  // \" is a quote
      } else if (quoted && p[1] == L'"') {
        out[n++] = L'"';  // "" inside quotes is a quote
        ++p;
      } else {
        quoted = !quoted;
      }
      ++p;
    }
    if (n == first) n = start;  // an empty argument ("") adds nothing
  }
  out[n] = 0;
  return out;
}

bool GoToReference(HWND window, const wchar_t* text) {
  if (!text) return false;
  const size_t length = std::wcslen(text);
  if (length > MaxHandedOverUnits) {
    SayNoPage(window, text, L"This is too long to be a reference.");
    return false;
  }
  // Decoding never lengthens a text.
  auto* decoded = static_cast<DisplayChar*>(std::malloc((length + 1) * sizeof(DisplayChar)));
  if (!decoded) {
    SayNoPage(window, text, L"There is not enough memory to read it.");
    return false;
  }
  int32_t count = 0;
  const LinkArgumentCode code =
      DecodeLinkArgument(text, static_cast<int32_t>(length), decoded, static_cast<int32_t>(length + 1), &count);
  bool found = false;
  if (code == LinkArgumentBadEscape) {
    SayNoPage(window, text, L"The link is damaged: a % is not followed by two hexadecimal digits.");
  } else if (code == LinkArgumentBadUtf8) {
    SayNoPage(window, text, L"The link is damaged: its escaped characters are not UTF-8.");
  } else if (code != LinkArgumentDecoded) {
    SayNoPage(window, text, L"This is too long to be a reference.");
  } else {
    const ReferenceResult result = ReadReference(decoded, count, ArticleOfRecord(AppSettings.Lesson));
    found = result.Code == ReferenceFound;
    if (found) {
      const int32_t record = RecordOfArticle(result.Article);
      if (record != AppSettings.Lesson) JumpToRecord(window, record);
    } else {
      wchar_t why[ReferenceLineUnits];
      DescribeReference(result, why, ReferenceLineUnits);
      SayNoPage(window, text, why);
    }
  }
  std::free(decoded);
  return found;
}

void GoToCommand(HWND window) {
  const int32_t record = GoToDialog(MainWindow, AppSettings.Lesson);
  if (record != 0 && record != AppSettings.Lesson) JumpToRecord(window, record);
}

void HandReferenceOver(HWND running, const wchar_t* text) {
  // The reader comes to the front itself, once it has the reference: this
  // start, which the user has just made, lets it.
  DWORD process = 0;
  GetWindowThreadProcessId(running, &process);
  if (process) AllowSetForegroundWindow(process);
  size_t units = std::wcslen(text);
  if (units > MaxHandedOverUnits) units = MaxHandedOverUnits;
  COPYDATASTRUCT data{HandedOverReference, static_cast<DWORD>(units * sizeof(wchar_t)),
                      const_cast<wchar_t*>(text)};
  DWORD_PTR taken = 0;
  SetLastError(ERROR_SUCCESS);
  if (SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                          HandOverTimeoutMs, &taken)) {
    // A reader that takes no references (an older version) is brought to
    // the front as a start without one would.
    if (!taken) BringToFront(running);
    return;
  }
  if (GetLastError() == ERROR_ACCESS_DENIED) {
    MessageBoxW(nullptr,
                L"The reader that is running has higher rights (it was started as administrator), so this "
                L"reference cannot be handed to it.\n\nStart this one the same way, or close that reader first.",
                L"Orvane", MB_OK | MB_ICONWARNING);
  } else {
    MessageBoxW(nullptr, L"The reader that is running does not respond, so this reference cannot be handed to it.",
                L"Orvane", MB_OK | MB_ICONWARNING);
  }
}

LRESULT TakeHandedOverReference(HWND window, const COPYDATASTRUCT* data) {
  if (!data || data->dwData != HandedOverReference) return FALSE;
  const size_t bytes = data->cbData;
  if (bytes % sizeof(wchar_t) != 0 || bytes > MaxHandedOverUnits * sizeof(wchar_t) || (bytes && !data->lpData))
    return FALSE;
  // The sender's memory is lent for this message only.
  const size_t units = bytes / sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(std::malloc((units + 1) * sizeof(wchar_t)));
  if (!copy) return FALSE;
  if (bytes) std::memcpy(copy, data->lpData, bytes);
  copy[units] = 0;
  std::free(HandedOver);
  HandedOver = copy;
  PostMessageW(window, ReferenceArrived, 0, 0);
  return TRUE;
}

void OnReferenceArrived(HWND window) {
  wchar_t* text = HandedOver;
  HandedOver = nullptr;
  if (!text) return;
  // Disabled: a modal dialog or a message box is open, or a print job runs.
  const bool busy = !IsWindowEnabled(window);
  BringToFront(window);
  if (!busy) GoToReference(window, text);
  std::free(text);
}

void ForgetHandedOverReference() {
  std::free(HandedOver);
  HandedOver = nullptr;
}
