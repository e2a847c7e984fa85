// Every record of the built program loads through LoadTextRecord to the text
// the manifest describes, and the tractate names come from the program's
// names resource, the names.bin beside the manifest. Arguments: the program
// and the manifest (Unix paths are taken as seen from Wine's drive Z:).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "store/records.h"
#include "store/tractates.h"

namespace {

std::string ProgramPath, ManifestPath;

struct ManifestLine {
  size_t TextLength;
  uint32_t Hash;
};

std::wstring WindowsPath(const std::string& path) {
  std::wstring w = path.size() && path[0] == '/' ? L"Z:" : L"";
  for (char c : path) w += c == '/' ? L'\\' : wchar_t(static_cast<unsigned char>(c));
  return w;
}

uint32_t Fnv1a(const unsigned char* p, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 16777619u;
  return h;
}

// A damaged record makes the decoder show a modal box, which nobody would
// close under a virtual display: this thread closes any box of the process
// and counts it, so the test fails instead of hanging.
volatile LONG BoxesClosed;

BOOL CALLBACK CloseBox(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (process == GetCurrentProcessId() && std::wstring(cls) == L"#32770") {
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    InterlockedIncrement(&BoxesClosed);
  }
  return TRUE;
}

DWORD WINAPI BoxWatch(void*) {
  for (;;) {
    Sleep(200);
    EnumWindows(CloseBox, 0);
  }
}

class Records : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    Module = LoadLibraryExW(WindowsPath(ProgramPath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    RecordModule = Module;
    if (FILE* f = _wfopen(WindowsPath(ManifestPath).c_str(), L"r")) {
      int n = 0;
      unsigned long text = 0, stream = 0, hash = 0;
      while (std::fscanf(f, "%d %lu %lu %lx", &n, &text, &stream, &hash) == 4) {
        if (n == int(Manifest.size()) + 1) Manifest.push_back({text, uint32_t(hash)});
      }
      std::fclose(f);
    }
    CreateThread(nullptr, 0, BoxWatch, nullptr, 0, nullptr);
  }
  static HMODULE Module;
  static std::vector<ManifestLine> Manifest;
};
HMODULE Records::Module;
std::vector<ManifestLine> Records::Manifest;

TEST_F(Records, EveryRecordLoadsToItsText) {
  ASSERT_NE(Module, nullptr) << ProgramPath;
  ASSERT_EQ(Manifest.size(), size_t(RecordCount)) << ManifestPath;
  int failed = 0;
  for (int32_t n = 1; n <= RecordCount && failed < 10; ++n) {
    int32_t code = -1;
    unsigned char* text = LoadTextRecord(n, &code);
    const ManifestLine& m = Manifest[n - 1];
    if (!text) {
      ADD_FAILURE() << "record " << n << " code " << code, ++failed;
      continue;
    }
    if (text[m.TextLength] != 0 || Fnv1a(text, m.TextLength) != m.Hash)
      ADD_FAILURE() << "record " << n << " differs from the manifest", ++failed;
    std::free(text);
  }
  EXPECT_EQ(BoxesClosed, 0);
}

TEST_F(Records, NumbersOutsideTheSet) {
  ASSERT_NE(Module, nullptr);
  int32_t code = 77;
  EXPECT_EQ(LoadTextRecord(0, &code), nullptr);
  EXPECT_EQ(LoadTextRecord(-3, &code), nullptr);
  EXPECT_EQ(code, 77) << "n <= 0 leaves the code alone";
  EXPECT_EQ(LoadTextRecord(RecordCount + 1, &code), nullptr);
  EXPECT_EQ(code, RecordMissing);
  EXPECT_EQ(LoadTextRecord(RecordCount + 1, nullptr), nullptr);
  EXPECT_EQ(BoxesClosed, 0);
}

TEST_F(Records, TractateNamesComeFromTheResource) {
  ASSERT_NE(Module, nullptr);
  const std::string names = ManifestPath.substr(0, ManifestPath.find_last_of('/') + 1) + "names.bin";
  std::vector<unsigned char> bytes;
  if (FILE* f = _wfopen(WindowsPath(names).c_str(), L"rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
  }
  static CorpusNameSet expected;
  ASSERT_TRUE(ParseCorpusNames(bytes.data(), bytes.size(), &expected)) << names;
  int entries = 0;
  for (const TractateEntry* t = TractateTable; t->Name; ++t, ++entries) {
    EXPECT_NE(t->Name, BuiltInTractates[entries].Name) << "tractate " << entries << " has the built-in name";
    EXPECT_EQ(std::wstring(t->Name), std::wstring(expected.Names[entries])) << "tractate " << entries;
    EXPECT_EQ(t->SideCount, BuiltInTractates[entries].SideCount);
  }
  EXPECT_EQ(entries, TractateCount);
  EXPECT_EQ(std::wstring(SIDE_SUFFIX), std::wstring(expected.SideSuffix));
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: store_records_test PROGRAM MANIFEST\n");
    return 2;
  }
  ProgramPath = argv[1];
  ManifestPath = argv[2];
  return RUN_ALL_TESTS();
}
