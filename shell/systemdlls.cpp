// Loading the delay-loaded system DLLs before the commands that call them.
#include "shell/systemdlls.h"

#include <cwchar>

#include "resources/resource.h"
#include "store/product.h"

namespace {

// The spooler before the common dialogs, which import it: they then find it
// loaded instead of looking for it beside the program first.
struct CommandDlls {
  int Command;
  const wchar_t* Dlls[2];  // null: no more
};
constexpr CommandDlls Needs[] = {
    {CMD_PRINT, {L"winspool.drv", L"comdlg32.dll"}},
    {CMD_PAGE_SETUP, {L"winspool.drv", L"comdlg32.dll"}},
    {CMD_EXPORT_NOTES, {L"winspool.drv", L"comdlg32.dll"}},
    {CMD_IMPORT_NOTES, {L"winspool.drv", L"comdlg32.dll"}},
    {CMD_ABOUT, {L"shell32.dll", nullptr}},
    {CMD_CHECK_UPDATES, {L"shell32.dll", nullptr}},
};

// The full path of a DLL of the system folder; false when it does not fit.
bool SystemPath(const wchar_t* name, wchar_t* path, size_t units) {
  const UINT length = GetSystemDirectoryW(path, static_cast<UINT>(units));
  if (length == 0 || length >= units) return false;
  return std::swprintf(path + length, units - length, L"\\%ls", name) > 0;
}

}  // namespace

bool LoadSystemDll(const wchar_t* name) {
  // Loaded already (by an earlier command, or by the system for another
  // DLL): the first call finds that one whatever its folder.
  if (GetModuleHandleW(name)) return true;
  // With the altered search order a DLL loaded by its full path looks for
  // its own dependencies in its folder first, not beside the program.
  wchar_t path[MAX_PATH + 32];
  return SystemPath(name, path, sizeof path / sizeof path[0]) &&
         LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) != nullptr;
}

bool LoadCommandDlls(HWND owner, int command) {
  for (const CommandDlls& need : Needs) {
    if (need.Command != command) continue;
    for (const wchar_t* dll : need.Dlls) {
      if (!dll || LoadSystemDll(dll)) continue;
      wchar_t text[160];
      std::swprintf(text, sizeof text / sizeof text[0],
                    L"This command needs %ls from the Windows system folder, which could not be loaded.\n\n"
                    L"The command was not carried out.",
                    dll);
      MessageBoxW(owner, text, PRODUCT_NAME, MB_OK | MB_ICONERROR);
      return false;
    }
  }
  return true;
}
