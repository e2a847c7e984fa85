// The corpus as UTF-8 text: export and import give back every generated
// record; a hand-written sample folder imports to the expected records; bad
// input is refused with its file and line, and nothing is written.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/records.h"
#include "tools/corpus/textformat.h"

namespace {

namespace fs = std::filesystem;

// The letter code of a text in Hebrew letters and ASCII, written here as the
// test's own oracle: alef..tav are 'a'..'{', everything else stays.
std::string Code(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char b = utf8[i];
    if (b == 0xD7 && i + 1 < utf8.size()) {
      const unsigned c = 0x5C0 + (static_cast<unsigned char>(utf8[++i]) & 0x3F);
      out += static_cast<char>('a' + (c - 0x5D0));
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

std::vector<unsigned char> Record(const std::vector<CorpusParagraph>& list) {
  std::vector<unsigned char> text;
  AssembleParagraphs(list, text);
  return text;
}

constexpr int32_t FirstArticleOf37 = ArticleCount - 143 - 8 + 1;  // 34a

fs::path Scratch(const std::string& name) {
  const fs::path p = fs::temp_directory_path() / ("orvane-text-" + std::to_string(::getpid()) + "-" + name);
  fs::remove_all(p);
  return p;
}

TEST(CorpusText, ExportThenImportGivesEveryRecordBack) {
  std::vector<CorpusRecord> generated, imported;
  GenerateCorpus(generated, 2);
  TextFolder folder;
  int32_t mismatches = -1;
  std::string error;
  ASSERT_TRUE(ExportTextFolder(generated, BuiltInNames(), folder, &mismatches, error)) << error;
  EXPECT_EQ(mismatches, 0);
  CorpusNames names;
  TextDiagnostics diag;
  ASSERT_TRUE(ImportTextFolder(folder, imported, names, diag, 2, nullptr));
  EXPECT_TRUE(diag.Notes.empty() && diag.Dropped == 0 && diag.Points == 0);
  ASSERT_EQ(imported.size(), generated.size());
  std::vector<unsigned char> a, b;
  for (int32_t n = 1; n <= RecordCount; ++n) {
    BuildRecord(n, generated[n - 1].Text.size(), generated[n - 1].Stream, a);
    BuildRecord(n, imported[n - 1].Text.size(), imported[n - 1].Stream, b);
    ASSERT_EQ(a, b) << "record " << n;
  }
  EXPECT_EQ(BuildNamesResource(names), BuildNamesResource(BuiltInNames()));
  // Exporting the import again writes the same texts.
  TextFolder again;
  ASSERT_TRUE(ExportTextFolder(imported, names, again, &mismatches, error));
  for (int t = 0; t < TractateCount; ++t) EXPECT_EQ(again.Tractates[t], folder.Tractates[t]) << t;
  EXPECT_EQ(again.SideWord, folder.SideWord);
}

TEST(CorpusText, SampleFolderImportsToTheExpectedRecords) {
  const fs::path out = Scratch("sample");
  TextDiagnostics diag;
  ASSERT_EQ(ImportCommand(ORVANE_SAMPLE_TEXTS, out.string(), diag, nullptr), 0)
      << (diag.Errors.empty() ? "" : diag.Errors[0]);
  std::vector<CorpusRecord> records;
  CorpusNames names;
  std::string error;
  ASSERT_TRUE(ReadCorpusFolder(out.string(), records, names, error)) << error;
  fs::remove_all(out);

  EXPECT_EQ(names.Tractates[36], Code("שם בדוי"));
  EXPECT_EQ(names.Tractates[0], BuiltInNames().Tractates[0]) << "no file: the built-in name";
  EXPECT_EQ(names.SideWord, Code("צד"));
  auto header = [](const char* folio, const char* side) {
    return CorpusParagraph{CorpusPageHeader, Code(std::string("שם בדוי ") + folio + " צד " + side)};
  };
  const struct {
    int32_t Record;
    std::vector<CorpusParagraph> List;
  } expected[] = {
      {2 * FirstArticleOf37 - 1,
       {header("לד", "א"),
        {CorpusMainText, Code("אמר ראובן הבית הזה שלי-הוא, והשדה שלך.")},
        {CorpusMainText, Code("שאלו (ובדקו) את הכל [שם] ~כך}?")}}},
      {2 * FirstArticleOf37,
       {header("לד", "א"),
        {CorpusHeading, Code("אמר ראובן")},
        {CorpusComment, Code("כלומר: הוא אמר כך.")},
        {CorpusHeading, Code("הבית הזה")},
        {CorpusComment, Code("ועוד פירוש בלי כותרת, ר' שמעון אמר \"לא\" (ודו\"ק).")}}},
      {2 * FirstArticleOf37 + 1, {header("לד", "ב"), {CorpusMainText, Code("מחיר הספר 5")}}},
      {2 * FirstArticleOf37 + 2, {header("לד", "ב"), {CorpusSmallMark, ":"}}},
      {2 * FirstArticleOf37 + 3, {header("לה", "א")}},  // missing: header only
      {2 * FirstArticleOf37 + 4, {header("לה", "א")}},
      {2 * FirstArticleOf37 + 5, {header("לה", "ב"), {CorpusMainText, Code("בארץ עץ וכף גן דם ולך שדה.")}}},
      {2 * FirstArticleOf37 + 6,
       {header("לה", "ב"), {CorpusHeading, Code("סוף הדבר")}, {CorpusComment, Code("וזה פירושו.")}}},
      {2 * FirstArticleOf37 + 7, {header("לו", "א"), {CorpusMainText, Code("קצר.")}}},
      {2 * FirstArticleOf37 + 8, {header("לו", "א")}},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(records[e.Record - 1].Text, Record(e.List)) << "record " << e.Record;
  }
  EXPECT_EQ(records[0].Text, Record({{CorpusPageHeader, BuiltInNames().Tractates[0] + " " + Code("ב צד א")}}));

  EXPECT_EQ(diag.Dropped, 1);
  ASSERT_EQ(diag.DroppedPlaces.size(), 1u);
  EXPECT_EQ(diag.DroppedPlaces[0], "37.txt:12: U+20AC");
  EXPECT_EQ(diag.Invisible, 1);
  EXPECT_EQ(diag.Points, 34);
  EXPECT_EQ(diag.MissingSides, ArticleCount - 4);
  ASSERT_EQ(diag.Notes.size(), 2u);
  EXPECT_EQ(diag.Notes[0], "37.txt: 4 page sides missing (35a, 36b, 37a, 37b), made header-only pages");
  EXPECT_EQ(diag.Notes[1].substr(0, 36), "no file for 01.txt, 02.txt, 03.txt, ");
  EXPECT_NE(diag.Notes[1].find("36.txt, 38.txt: all"), std::string::npos);

  // Its headings and the words they are linked to, as the file has them.
  FILE* links = std::tmpfile();
  ASSERT_EQ(LinksCommand(ORVANE_SAMPLE_TEXTS, 36, links, stderr), 0);
  std::rewind(links);
  std::string printed(4096, '\0');
  printed.resize(std::fread(&printed[0], 1, printed.size(), links));
  std::fclose(links);
  EXPECT_EQ(printed, "37.txt\t34a\t1\tאמר ראובן\tאמר ראובן\n37.txt\t34a\t2\tהבית הזה\tהבית הזה\n"
                     "37.txt\t35b\t1\tסוף הדבר\t-\n3 headings, 2 linked (66.7 %), 0 on the previous side\n");

  // An imported corpus, with its own names, exports and imports alike.
  TextFolder folder;
  int32_t mismatches = -1;
  ASSERT_TRUE(ExportTextFolder(records, names, folder, &mismatches, error)) << error;
  EXPECT_EQ(mismatches, 0);
  std::vector<CorpusRecord> again;
  CorpusNames againNames;
  TextDiagnostics againDiag;
  ASSERT_TRUE(ImportTextFolder(folder, again, againNames, againDiag, 2, nullptr));
  for (int32_t n = 1; n <= RecordCount; ++n) ASSERT_EQ(again[n - 1].Text, records[n - 1].Text) << n;
  EXPECT_EQ(BuildNamesResource(againNames), BuildNamesResource(names));
}

// A visual-order paragraph is stored as a right-to-left line shows it: the
// reading order turned round with brackets mirrored, but numbers still read
// left to right; splitting the record gives the reading order back.
TEST(CorpusText, DisplayOrderKeepsNumbersWhole) {
  const struct {
    const char* reading;
    const char* stored;
  } rows[] = {
      {"ab 12.5, (c) 50%.", ".50% (c) ,12.5 ba"},
      {"a 1,000 b 3:4", "3:4 b 1,000 a"},
      {"ab [c] ~d}", "~d} [c] ba"},
      {"10%-20%. 1..2", "1..2 .10%-20%"},
  };
  for (const auto& r : rows) {
    const std::vector<unsigned char> text = Record({{CorpusMainText, r.reading}});
    EXPECT_EQ(std::string(text.begin() + 2, text.begin() + 2 + std::strlen(r.stored)), r.stored) << r.reading;
    std::vector<CorpusParagraph> list;
    ASSERT_TRUE(SplitParagraphs(text, list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Text, r.reading);
  }
}

// Every way of naming a page side, in tractate 2 (2a..157b) and 37 (34a..37b).
TEST(CorpusText, PageSideMarkers) {
  const struct {
    int Tractate;
    const char* Marker;
    int32_t SideCode;
  } cases[] = {
      {37, "@ 34a", 68},       {37, "@34b", 69},          {37, "@ 34 B", 69},        {37, "@ לד.", 68},
      {37, "@ לד:", 69},        {37, "@ ל\"ד ע\"ב", 69},    {37, "@ ל״ד ע״א", 68},      {37, "@\tלד עמוד ב", 69},
      {2, "@ קנז ע\"ב", 315},  {2, "@ טו.", 30},           {2, "@ ט\"ז:", 33},         {2, "@ 157 b", 315},
  };
  for (const auto& c : cases) {
    TextFolder folder;
    folder.Present[c.Tractate - 1] = true;
    folder.Tractates[c.Tractate - 1] = std::string(c.Marker) + "\nא\n";
    std::vector<CorpusRecord> records;
    CorpusNames names;
    TextDiagnostics diag;
    ASSERT_TRUE(ImportTextFolder(folder, records, names, diag, 2, nullptr))
        << c.Marker << ": " << (diag.Errors.empty() ? "" : diag.Errors[0]);
    int32_t article = c.SideCode - BuiltInTractates[c.Tractate - 1].FirstSideOffset - 1;
    for (int t = 0; t + 1 < c.Tractate; ++t) article += BuiltInTractates[t].SideCount;
    std::vector<CorpusParagraph> list;
    ASSERT_TRUE(SplitParagraphs(records[2 * article - 2].Text, list));
    ASSERT_EQ(list.size(), 2u) << c.Marker;
    EXPECT_EQ(list[1].Text, "a") << c.Marker;
  }
}

TEST(CorpusText, BadInputIsRefusedWithFileAndLineAndWritesNothing) {
  enum Entry { Text, Folder, Pipe };  // what stands at the name
  const struct {
    const char* File;
    std::string Content;
    const char* Message;
    Entry Kind = Text;
    size_t Errors = 1;  // every case is one mistake
  } cases[] = {
      {"37.txt", "@ 40a\nא\n", "37.txt:1: tractate 37 has no page side 40a (its pages run from 34a to 37b)"},
      {"37.txt", "@ 34a\nא\n\n@ ל\"ד.\n", "37.txt:4: page side 34a is given twice (first at line 1)"},
      {"37.txt", "@ 34a\n" + [] {
         std::string s;
         for (int i = 0; i < 35000; ++i) s += "א ";
         return s;
       }() + "\n",
       "37.txt:1: the main text of 34a comes to 70,025 bytes; a record holds at most 65,533"},
      {"37.txt", "@ 34a\nאמר hello\n", "37.txt:2: letters of another script (U+0068); the texts hold Hebrew letters only"},
      {"37.txt", "@ 34a\nשלום Мир\n", "37.txt:2: letters of another script (U+041C)"},
      {"37.txt", "שם\nעוד שורה\n@ 34a\n", "37.txt:2: text before the first page side"},
      {"37.txt", "@ 34\n", "37.txt:1: a page side is \"@\", the folio and the side"},
      {"37.txt", "@ 34a\n\xD7\n", "37.txt:2: not valid UTF-8"},
      {"37.txt", "@ 34a\n@#d1 x\n", "37.txt:2: \"@#\" is followed by a paragraph style"},
      {"37.txt", "@@\n", "37.txt:1: a commentary before the first page side"},
      {"37.txt", "@ 34a\n@@\n@@\n", "37.txt:3: the commentary of this page side is given twice (first at line 2)"},
      // Lines after a refused marker belong to no side: skipped, not added
      // to 34a and not reported again (the foreign letters included).
      {"37.txt", "@ 34a\nא\n@ 2a\nב\n\nhello\n@@\nג | ד\n@ 34b\nה\n",
       "37.txt:3: tractate 37 has no page side 2a (its pages run from 34a to 37b); the 4 lines of text after it, "
       "up to line 9, were skipped"},
      {"37.txt", "@ 2a\nב\n@ 3a\n", "37.txt:1: tractate 37 has no page side 2a (its pages run from 34a to 37b); "
       "the line of text after it, up to line 3, was skipped", Text, 2},
      {"37.txt", "שם\nעוד\nשורה\n@@\n", "37.txt:2: text before the first page side; only the tractate's name may "
       "come first; the 2 lines of text after it, up to the end of the file, were skipped"},
      {"37.txt", "שם 2\n@ 34a\n", "37.txt:1: the tractate's name (the first line) may hold only Hebrew letters"},
      {"39.txt", "@ 2a\n", "39.txt: there are tractates 01 to 38 only"},
      {"side.txt", "page\n", "side.txt:1: the side word is one word of Hebrew letters", Text, 2},
      {"notes.md", "nothing\n", "no tractate files (01.txt to 38.txt)"},
      {"side.txt", "צד x\n", "side.txt:1: the side word is one word of Hebrew letters", Text, 2},
      {"side.txt", "\n\xD7\nצד\n", "side.txt:2: the side word is one word of Hebrew letters", Text, 2},
      {"05.txt", "", "/05.txt: cannot read the file: it is a folder", Folder},
      {"side.txt", "", "/side.txt: cannot read the file: it is no regular file", Pipe},
  };
  for (const auto& c : cases) {
    const fs::path in = Scratch("in"), out = Scratch("out");
    fs::create_directories(in);
    if (c.Kind == Text) std::ofstream(in / c.File, std::ios::binary) << c.Content;
    if (c.Kind == Folder) fs::create_directory(in / c.File);
    if (c.Kind == Pipe) {
      ASSERT_EQ(mkfifo((in / c.File).c_str(), 0600), 0);
    }
    if (std::string(c.File) == "side.txt") std::ofstream(in / "01.txt") << "@ 2a\n";
    TextDiagnostics diag;
    EXPECT_EQ(ImportCommand(in.string(), out.string(), diag, nullptr), 1) << c.Message;
    ASSERT_EQ(diag.Errors.size(), c.Errors) << c.Message;
    EXPECT_NE(diag.Errors[0].find(c.Message), std::string::npos) << diag.Errors[0];
    EXPECT_FALSE(fs::exists(out)) << c.Message;
    fs::remove_all(in);
  }
}

// A write that fails halfway leaves the old corpus whole; the next run gets
// past what it left, keeps the time of unchanged files and the build's own
// files. Export refuses what an import would refuse and what it cannot read.
TEST(CorpusText, FoldersAreReplacedWhole) {
  const fs::path out = Scratch("whole"), texts = Scratch("whole-texts");
  const fs::path stage = out.string() + ".corpustext-new", aside = out.string() + ".corpustext-old";
  auto file = [&](int32_t n) { return out / std::string("r").append(std::to_string(RecordIdBase + n)).append(".bin"); };
  TextDiagnostics diag;
  ASSERT_EQ(ImportCommand(ORVANE_SAMPLE_TEXTS, out.string(), diag, nullptr), 0);
  std::vector<CorpusRecord> before, changed, after;
  CorpusNames names;
  std::string error;
  ASSERT_TRUE(ReadCorpusFolder(out.string(), before, names, error)) << error;
  std::ofstream(out / "source.txt") << "the build's\n";
  const auto old = fs::last_write_time(file(1)) - std::chrono::hours(48);
  fs::last_write_time(file(1), old);

  changed = before;
  changed[9].Text = Record({{CorpusPageHeader, "abc"}});
  ASSERT_TRUE(GenerateText(CorpusLongestRecord, changed[4999].Text));
  for (int n : {9, 4999}) EncodeText(changed[n].Text.data(), changed[n].Text.size(), changed[n].Stream);
  // Files may grow to 2,000 bytes: record 10 is written, record 5000 fails.
  rlimit limit{}, small{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  small = {2000, limit.rlim_max};
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int32_t rewritten = -1;
  const bool written = WriteCorpusFolder(out.string(), changed, names, &rewritten, error);
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("cannot write " + (stage / "r6000.bin").string()), std::string::npos) << error;
  ASSERT_TRUE(ReadCorpusFolder(out.string(), after, names, error)) << error;
  for (int n : {9, 4999}) EXPECT_EQ(after[n].Text, before[n].Text) << n;
  EXPECT_FALSE(fs::exists(stage));

  // As if a run had stopped between moving the old folder aside and the new
  // one in, with its new folder half written.
  // A folder of the user's its failed undo left in the new folder goes back.
  fs::rename(out, aside);
  fs::create_directories(stage / "r1002.bin");
  fs::create_directories(stage / "mine");
  std::ofstream(stage / "mine" / "kept.txt") << "the user's\n";
  ASSERT_TRUE(WriteCorpusFolder(out.string(), changed, names, &rewritten, error)) << error;
  EXPECT_TRUE(fs::exists(out / "mine" / "kept.txt"));
  EXPECT_EQ(rewritten, 3);  // two records and the manifest
  ASSERT_TRUE(ReadCorpusFolder(out.string(), after, names, error)) << error;
  for (int n : {9, 4999}) EXPECT_EQ(after[n].Text, changed[n].Text) << n;
  EXPECT_EQ(fs::last_write_time(file(1)), old);
  EXPECT_NE(fs::last_write_time(file(10)), old);
  EXPECT_TRUE(fs::exists(out / "source.txt"));
  EXPECT_FALSE(fs::exists(stage) || fs::exists(aside));

  // A style an import refuses, then a folder where a record should be: the
  // old texts stay as they were.
  fs::create_directories(texts);
  std::ofstream(texts / "01.txt") << "old\n";
  changed[20].Text = Record({{CorpusPageHeader, "abc"}, {CorpusPageHeader, "d"}});
  EncodeText(changed[20].Text.data(), changed[20].Text.size(), changed[20].Stream);
  ASSERT_TRUE(WriteCorpusFolder(out.string(), changed, names, &rewritten, error)) << error;
  auto exportSays = [&](const std::string& message) {
    FILE* errors = std::tmpfile();
    EXPECT_EQ(ExportCommand(out.string(), texts.string(), stdout, errors), 1);
    std::string said(512, '\0');
    std::rewind(errors);
    said.resize(std::fread(&said[0], 1, said.size(), errors));
    std::fclose(errors);
    EXPECT_NE(said.find(message), std::string::npos) << said;
    std::ifstream in(texts / "01.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(texts), fs::directory_iterator()), 1);
  };
  exportSays("record 21 (01.txt, the main text of 7a): paragraph 1 after the page header has the style d1");
  ASSERT_TRUE(WriteCorpusFolder(out.string(), before, names, &rewritten, error)) << error;
  fs::remove(file(3));
  fs::create_directory(file(3));
  exportSays(file(3).string() + ": cannot read the file: it is a folder");
  fs::remove_all(out);
  fs::remove_all(texts);
}

TEST(CorpusText, NamesResourceRules) {
  const std::vector<unsigned char> good = BuildNamesResource(BuiltInNames());
  CorpusNameSet set;
  ASSERT_TRUE(ParseCorpusNames(good.data(), good.size(), &set));
  for (int t = 0; t < TractateCount; ++t)
    EXPECT_EQ(std::u16string(set.Names[t]), std::u16string(BuiltInTractates[t].Name)) << t;
  EXPECT_EQ(std::u16string(set.SideSuffix), std::u16string(BuiltInSideSuffix));
  auto parses = [&](std::vector<unsigned char> bytes) { return ParseCorpusNames(bytes.data(), bytes.size(), &set); };
  std::vector<unsigned char> bad = good;
  bad.pop_back();
  EXPECT_FALSE(parses(bad)) << "the side word without its 0";
  bad = good;
  bad.push_back('a');
  EXPECT_FALSE(parses(bad)) << "bytes after the side word";
  bad = good;
  bad.insert(bad.begin(), 0);
  EXPECT_FALSE(parses(bad)) << "an empty name";
  bad = good;
  bad[0] = 'A';
  EXPECT_FALSE(parses(bad)) << "a byte no name holds";
  bad = good;
  bad.insert(bad.begin(), 25, 'a');
  EXPECT_FALSE(parses(bad)) << "a name too long";
  EXPECT_FALSE(ParseCorpusNames(nullptr, 0, &set));
}

}  // namespace
