// The tractate names and the side word come from the names resource of the
// built program, not from the built-in table. Arguments: the program and the
// corpus folder's names.bin (Unix paths are seen from Wine's drive Z:).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "store/records.h"
#include "store/tractates.h"

namespace {

std::string ProgramPath, NamesPath;

std::wstring WindowsPath(const std::string& path) {
  std::wstring w = path.size() && path[0] == '/' ? L"Z:" : L"";
  for (char c : path) w += c == '/' ? L'\\' : wchar_t(static_cast<unsigned char>(c));
  return w;
}

TEST(CorpusNames, ComeFromTheProgramsResource) {
  RecordModule = LoadLibraryExW(WindowsPath(ProgramPath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(RecordModule, nullptr) << ProgramPath;
  std::vector<unsigned char> bytes;
  if (FILE* f = _wfopen(WindowsPath(NamesPath).c_str(), L"rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(f);
  }
  static CorpusNameSet expected;
  ASSERT_TRUE(ParseCorpusNames(bytes.data(), bytes.size(), &expected)) << NamesPath;

  int entries = 0;
  for (const TractateEntry* t = TractateTable; t->Name; ++t, ++entries) {
    EXPECT_NE(t->Name, BuiltInTractates[entries].Name) << "tractate " << entries << " uses the built-in name";
    EXPECT_EQ(std::wstring(t->Name), std::wstring(expected.Names[entries])) << "tractate " << entries;
    EXPECT_EQ(t->SideCount, BuiltInTractates[entries].SideCount);
  }
  EXPECT_EQ(entries, TractateCount);
  EXPECT_EQ(std::wstring(SIDE_SUFFIX), std::wstring(expected.SideSuffix));
  EXPECT_EQ(TractateTable[0].Name, CorpusTractates()[0].Name) << "read once, then kept";
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: store_names_test PROGRAM NAMES\n");
    return 2;
  }
  ProgramPath = argv[1];
  NamesPath = argv[2];
  return RUN_ALL_TESTS();
}
