#include "tests/win/common/message_boxes.h"

#include <cwchar>

namespace {

SeenBox seen;
HHOOK hook = nullptr;

BOOL CALLBACK CollectChild(HWND child, LPARAM) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (_wcsicmp(cls, L"Static") != 0) return TRUE;
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if ((style & SS_TYPEMASK) == SS_ICON) {
    if (SendMessageW(child, STM_GETICON, 0, 0) != 0) seen.icon = true;
    return TRUE;
  }
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  if (text[0]) seen.text = text;
  return TRUE;
}

LRESULT CALLBACK Answer(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {};
    GetClassNameW(box, cls, 16);
    if (std::wcscmp(cls, L"#32770") == 0) {
      wchar_t caption[64] = {};
      GetWindowTextW(box, caption, 64);
      ++seen.count;
      seen.caption = caption;
      seen.owner = GetWindow(box, GW_OWNER);
      EnumChildWindows(box, CollectChild, 0);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace

void AnswerMessageBoxes() {
  seen = SeenBox{};
  if (!hook) hook = SetWindowsHookExW(WH_CBT, Answer, nullptr, GetCurrentThreadId());
}

void StopAnsweringMessageBoxes() {
  if (hook) UnhookWindowsHookEx(hook);
  hook = nullptr;
}

const SeenBox& LastMessageBox() { return seen; }
