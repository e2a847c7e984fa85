// The version resource and the application manifest as Windows reads them
// from the built program (its Windows path is the first argument).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/product.h"

namespace {

std::wstring ProgramPath() {
  const std::string path = __argc > 1 ? __argv[1] : "";
  return std::wstring(path.begin(), path.end());
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

TEST(ProgramResources, VersionResourceNamesTheProductAndItsVersion) {
  const std::wstring exe = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << Narrow(exe);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  // 1.84a as numbers: 1.84.1.0.
  for (auto [ms, ls] : {std::pair{fixed->dwFileVersionMS, fixed->dwFileVersionLS},
                        std::pair{fixed->dwProductVersionMS, fixed->dwProductVersionLS}}) {
    EXPECT_EQ(HIWORD(ms), 1);
    EXPECT_EQ(LOWORD(ms), 84);
    EXPECT_EQ(HIWORD(ls), 1);
    EXPECT_EQ(LOWORD(ls), 0);
  }

  // The strings are found through the language the Translation entry names,
  // as the shell looks them up: a table under another name would show blank.
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_GE(length, sizeof *translation);
  const struct {
    const wchar_t* name;
    const wchar_t* expected;  // null: any text that is not empty
  } strings[] = {
      {L"CompanyName", L"Quillary"},
      {L"ProductName", L"Orvane"},
      {L"FileVersion", L"1.84a"},
      {L"ProductVersion", PRODUCT_VERSION},  // what the about box and the update address show
      {L"OriginalFilename", L"orvane.exe"},
      {L"FileDescription", nullptr},
      {L"LegalCopyright", nullptr},
  };
  for (const auto& s : strings) {
    wchar_t query[80];
    wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage, s.name);
    wchar_t* value = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length)) << Narrow(query);
    if (s.expected)
      EXPECT_STREQ(value, s.expected) << Narrow(s.name);
    else
      EXPECT_GT(lstrlenW(value), 0) << Narrow(s.name);
  }
}

std::string ManifestText(const std::wstring& exe) {
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string text;
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    if (data) text.assign(data, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

// Where LoadLibrary finds the common controls in the current activation
// context, in lower case. (Wine's copies both report 5.81 through
// DllGetVersion, so the version is read from the side-by-side folder's name.)
std::wstring CommonControlsPath() {
  HMODULE comctl = LoadLibraryW(L"comctl32.dll");
  if (!comctl) return {};
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(comctl, path, MAX_PATH);
  FreeLibrary(comctl);
  CharLowerW(path);
  return path;
}

bool IsCommonControls6(const std::wstring& path) {
  return path.find(L"microsoft.windows.common-controls_") != std::wstring::npos &&
         path.find(L"_6.0.") != std::wstring::npos;
}

TEST(ProgramResources, ManifestBringsCommonControls6AndAsksNoRights) {
  const std::wstring exe = ProgramPath();
  const std::string manifest = ManifestText(exe);
  ASSERT_FALSE(manifest.empty()) << "no manifest resource in " << Narrow(exe);
  EXPECT_NE(manifest.find(R"(level="asInvoker")"), std::string::npos);
  for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                         "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
    EXPECT_NE(manifest.find(os), std::string::npos) << "supportedOS " << os;

  // The loader accepts it, and under it the common controls are version 6;
  // this test program has no manifest and gets the older ones.
  ACTCTXW context = {sizeof context};
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = exe.c_str();
  context.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE activation = CreateActCtxW(&context);
  ASSERT_NE(activation, INVALID_HANDLE_VALUE) << "the loader refused the manifest: " << GetLastError();
  // Systems before Windows 10 1607 read only dpiAware, where the program is
  // system aware; later ones read dpiAwareness and fall back to system aware
  // without per-monitor v2. (Per-monitor awareness itself is checked by the
  // Dpi test, whose program carries this manifest.)
  wchar_t aware[32] = {};
  EXPECT_TRUE(QueryActCtxSettingsW(0, activation, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                   L"dpiAware", aware, 32, nullptr));
  EXPECT_STREQ(aware, L"true");
  wchar_t awareness[64] = {};
  EXPECT_TRUE(QueryActCtxSettingsW(0, activation, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                   L"dpiAwareness", awareness, 64, nullptr));
  EXPECT_STREQ(awareness, L"PerMonitorV2, System");
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(activation, &cookie));
  EXPECT_TRUE(IsCommonControls6(CommonControlsPath())) << Narrow(CommonControlsPath());
  DeactivateActCtx(0, cookie);
  ReleaseActCtx(activation);
  EXPECT_FALSE(IsCommonControls6(CommonControlsPath())) << Narrow(CommonControlsPath());
}

}  // namespace
