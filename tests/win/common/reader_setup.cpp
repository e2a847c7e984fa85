#include "tests/win/common/reader_setup.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>

#include "layout/scale.h"
#include "shell/globals.h"
#include "store/appsettings.h"
#include "store/records.h"

bool OpenBuiltProgram() {
  const auto& args = ::testing::internal::GetArgvs();
  if (args.size() < 2) return false;
  std::wstring path = L"Z:";
  for (char c : args[1]) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  if (!RecordModule) RecordModule = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  AppInstance = GetModuleHandleW(nullptr);
  InitCommonControls();
  return RecordModule != nullptr;
}

void UsePlainSettings() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillary");
  AppSettings = {};
  wcscpy(AppSettings.FontSettings.FontName, L"DejaVu Sans");
  AppSettings.FontSettings.FontSize = 12;
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
  AppSettings.Flags = DefaultFlags;
  AppSettings.Lesson = 1;
  AppSettings.BottomSection = 12;
  AppSettings.SurroundingGutter = 10;
}

namespace {
int ToldDpi;
}

void TellDpiChanged(HWND window, int dpi, const RECT& suggested) {
  ToldDpi = dpi;
  WindowDpiStandIn = [](HWND) { return ToldDpi; };
  SendMessageW(window, DpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  WindowDpiStandIn = nullptr;
}
