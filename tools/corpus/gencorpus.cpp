// gencorpus OUTDIR: writes every text record (OUTDIR/r<id>.bin), the resource
// script that embeds them (OUTDIR/corpus.rc) and OUTDIR/manifest.txt (record,
// text length, stream length, FNV-1a hash of the text in hex). A file is
// written only when its content changed, so rebuilds stay quick. Fails when a
// record breaks one of the limits the reader relies on.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "store/records.h"
#include "tools/corpus/corpus.h"

namespace {

namespace fs = std::filesystem;

// Writes bytes to path unless the file already holds exactly them.
// Returns 1 when written, 0 when unchanged, -1 on failure.
int WriteIfChanged(const fs::path& path, const std::string& bytes) {
  {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (old == bytes) return 0;
    }
  }
  const fs::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), std::streamsize(bytes.size()))) return -1;
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  return error ? -1 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gencorpus OUTDIR\n");
    return 2;
  }
  std::error_code error;
  const fs::path dir = fs::absolute(argv[1], error).lexically_normal();
  fs::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "gencorpus: cannot create %s\n", dir.string().c_str());
    return 1;
  }

  const auto start = std::chrono::steady_clock::now();
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<CorpusRecord> records;
  GenerateCorpus(records, threads);
  const auto generated = std::chrono::steady_clock::now();

  std::string rc = "LANGUAGE 9, 1\n";
  std::string manifest;
  uint64_t textBytes = 0, streamBytes = 0;
  size_t largestRecord = 0, longestText = 0;
  int32_t largestId = 0, longestId = 0, written = 0, bad = 0;
  std::vector<unsigned char> bytes;
  char line[128];
  for (int32_t n = 1; n <= RecordCount; ++n) {
    const CorpusRecord& r = records[n - 1];
    BuildRecord(n, r.Text.size(), r.Stream, bytes);
    if (r.Text.size() < CorpusMinText || r.Text.size() > CorpusMaxText ||
        r.Stream.size() > CorpusMaxStream || bytes.size() > CorpusMaxRecord) {
      std::fprintf(stderr, "gencorpus: record %d out of limits (text %zu, stream %zu)\n", n,
                   r.Text.size(), r.Stream.size());
      ++bad;
    }
    std::string name = std::to_string(RecordIdBase + n);
    name.insert(name.begin(), 'r');
    name += ".bin";
    const int w = WriteIfChanged(dir / name, std::string(bytes.begin(), bytes.end()));
    if (w < 0) {
      std::fprintf(stderr, "gencorpus: cannot write %s\n", (dir / name).string().c_str());
      return 1;
    }
    written += w;
    rc += std::to_string(RecordIdBase + n) + " RCDATA \"" + (dir / name).generic_string() + "\"\n";
    std::snprintf(line, sizeof line, "%d %zu %zu %08" PRIx32 "\n", n, r.Text.size(),
                  r.Stream.size(), Fnv1a(r.Text.data(), r.Text.size()));
    manifest += line;
    textBytes += r.Text.size();
    streamBytes += r.Stream.size();
    if (bytes.size() > largestRecord) largestRecord = bytes.size(), largestId = n;
    if (r.Text.size() > longestText) longestText = r.Text.size(), longestId = n;
  }
  if (bad) {
    std::fprintf(stderr, "gencorpus: %d records out of limits\n", bad);
    return 1;
  }
  if (WriteIfChanged(dir / "corpus.rc", rc) < 0 || WriteIfChanged(dir / "manifest.txt", manifest) < 0) {
    std::fprintf(stderr, "gencorpus: cannot write the manifest or the resource script\n");
    return 1;
  }
  const auto done = std::chrono::steady_clock::now();
  auto seconds = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
  std::printf(
      "gencorpus: %d records (%d rewritten), text %" PRIu64 " bytes, streams %" PRIu64
      " bytes, ratio %.3f; largest record %d (%zu bytes), longest text %d (%zu bytes); "
      "generated in %.2f s on %u threads, written in %.2f s\n",
      RecordCount, written, textBytes, streamBytes, double(textBytes) / double(streamBytes),
      largestId, largestRecord, longestId, longestText, seconds(start, generated), threads,
      seconds(generated, done));
  return bad ? 1 : 0;
}
