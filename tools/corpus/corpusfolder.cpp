// Writing and reading a corpus folder: the records, the names, the resource
// script and the manifest.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "store/records.h"
#include "tools/corpus/corpus.h"
#include "tools/corpus/folderswap.h"

namespace {

namespace fs = std::filesystem;

std::string RecordFile(int32_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "r%d.bin", int(RecordIdBase + n));
  return name;
}

constexpr char NamesFile[] = "names.bin";

}  // namespace

bool WriteCorpusFolder(const std::string& folder, const std::vector<CorpusRecord>& records,
                       const CorpusNames& names, int32_t* rewritten, std::string& error) {
  *rewritten = 0;
  if (records.size() != size_t(RecordCount)) {
    error = "the corpus does not hold " + std::to_string(RecordCount) + " records";
    return false;
  }
  FolderSwap swap;
  if (!BeginFolderSwap(folder, swap, error)) return false;
  const fs::path& dir = swap.Target;
  auto write = [&](const std::string& name, const std::string& bytes) {
    const int w = StageFile(swap, name, bytes, error);
    *rewritten += w > 0;
    return w >= 0;
  };
  std::string rc = "LANGUAGE 9, 1\n";
  std::string manifest;
  std::vector<unsigned char> bytes;
  char line[128];
  bool sound = true;
  for (int32_t n = 1; n <= RecordCount && sound; ++n) {
    const CorpusRecord& r = records[n - 1];
    BuildRecord(n, r.Text.size(), r.Stream, bytes);
    sound = write(RecordFile(n), std::string(bytes.begin(), bytes.end()));
    rc += std::to_string(RecordIdBase + n) + " RCDATA \"" + (dir / RecordFile(n)).generic_string() + "\"\n";
    std::snprintf(line, sizeof line, "%d %zu %zu %08" PRIx32 "\n", n, r.Text.size(), r.Stream.size(),
                  Fnv1a(r.Text.data(), r.Text.size()));
    manifest += line;
  }
  const std::vector<unsigned char> resource = BuildNamesResource(names);
  rc += std::to_string(CorpusNamesId) + " RCDATA \"" + (dir / NamesFile).generic_string() + "\"\n";
  std::snprintf(line, sizeof line, "names %zu %08" PRIx32 "\n", resource.size(),
                Fnv1a(resource.data(), resource.size()));
  manifest += line;
  sound = sound && write(NamesFile, std::string(resource.begin(), resource.end())) && write("corpus.rc", rc) &&
          write("manifest.txt", manifest) && CommitFolderSwap(swap, error);
  if (!sound) {
    AbandonFolderSwap(swap);
    *rewritten = 0;
  }
  return sound;
}

bool ReadCorpusFolder(const std::string& folder, std::vector<CorpusRecord>& records, CorpusNames& names,
                      std::string& error) {
  const fs::path dir(folder);
  records.assign(RecordCount, {});
  std::string bytes;
  for (int32_t n = 1; n <= RecordCount; ++n) {
    const fs::path path = dir / RecordFile(n);
    const int read = ReadWholeFile(path, bytes, error);
    if (read <= 0) {
      if (read == 0) error = path.string() + ": cannot read the file: there is no such file";
      return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t block = bytes.size() >= 2 ? size_t(p[0] << 8 | p[1]) : 0;
    int32_t code = 0;
    unsigned char* text = nullptr;
    if (bytes.size() >= size_t(RecordHeaderBytes) && block == bytes.size() - RecordHeaderBytes) {
      text = ParseRecordBlock(p + RecordHeaderBytes, int32_t(block), &code);
    }
    if (!text) {
      error = path.string() + " is no sound record";
      return false;
    }
    const size_t length = size_t(p[8] << 8 | p[9]);
    CorpusRecord& r = records[n - 1];
    r.Text.assign(text, text + length);
    std::free(text);
    const size_t stream = std::min(size_t(p[6] << 8 | p[7]), bytes.size() - 10);
    r.Stream.assign(p + 10, p + 10 + stream);
  }
  names = BuiltInNames();
  const int read = ReadWholeFile(dir / NamesFile, bytes, error);
  if (read <= 0) return read == 0;
  CorpusNameSet set;
  if (!ParseCorpusNames(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &set)) {
    error = (dir / NamesFile).string() + " is no sound names resource";
    return false;
  }
  auto reading = [](const DisplayChar* d) {
    std::string s;
    for (; *d; ++d) s.insert(s.begin(), static_cast<char>(*d));
    return s;
  };
  for (int t = 0; t < TractateCount; ++t) names.Tractates[t] = reading(set.Names[t]);
  names.SideWord = reading(set.SideSuffix + 1);
  return true;
}
