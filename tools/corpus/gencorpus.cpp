// gencorpus OUTDIR: writes the generated corpus as a corpus folder (every
// text record as OUTDIR/r<id>.bin, the names, the resource script that embeds
// them and the manifest; see WriteCorpusFolder). A file is written only when
// its content changed, so rebuilds stay quick. Fails when a record breaks one
// of the limits the reader relies on.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <thread>

#include "store/records.h"
#include "tools/corpus/corpus.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gencorpus OUTDIR\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<CorpusRecord> records;
  GenerateCorpus(records, threads);
  const auto generated = std::chrono::steady_clock::now();

  uint64_t textBytes = 0, streamBytes = 0;
  size_t largestRecord = 0, longestText = 0;
  int32_t largestId = 0, longestId = 0, bad = 0;
  for (int32_t n = 1; n <= RecordCount; ++n) {
    const CorpusRecord& r = records[n - 1];
    const size_t recordBytes = r.Stream.size() + RecordHeaderBytes + BlockHeaderBytes + 4;
    if (r.Text.size() < CorpusMinText || r.Text.size() > CorpusMaxText ||
        r.Stream.size() > CorpusMaxStream || recordBytes > CorpusMaxRecord) {
      std::fprintf(stderr, "gencorpus: record %d out of limits (text %zu, stream %zu)\n", n,
                   r.Text.size(), r.Stream.size());
      ++bad;
    }
    textBytes += r.Text.size();
    streamBytes += r.Stream.size();
    if (recordBytes > largestRecord) largestRecord = recordBytes, largestId = n;
    if (r.Text.size() > longestText) longestText = r.Text.size(), longestId = n;
  }
  if (bad) {
    std::fprintf(stderr, "gencorpus: %d records out of limits\n", bad);
    return 1;
  }
  int32_t written = 0;
  std::string error;
  if (!WriteCorpusFolder(argv[1], records, BuiltInNames(), &written, error)) {
    std::fprintf(stderr, "gencorpus: %s\n", error.c_str());
    return 1;
  }
  const auto done = std::chrono::steady_clock::now();
  auto seconds = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
  std::printf(
      "gencorpus: %d records (%d files rewritten), text %" PRIu64 " bytes, streams %" PRIu64
      " bytes, ratio %.3f; largest record %d (%zu bytes), longest text %d (%zu bytes); "
      "generated in %.2f s on %u threads, written in %.2f s\n",
      RecordCount, written, textBytes, streamBytes, double(textBytes) / double(streamBytes),
      largestId, largestRecord, longestId, longestText, seconds(start, generated), threads,
      seconds(generated, done));
  return 0;
}
