// bench_import: exports the generated corpus as UTF-8 texts into a temporary
// folder and imports it again, as `make build CORPUS=DIR` does. Compares the
// import's parse and encode with encoding the same texts alone, measured in
// the same run (best of several rounds), and the imported streams' size with
// the generated corpus's. Fails when the sizes differ by 3 % or more.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "store/records.h"
#include "tools/corpus/textformat.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

uint64_t StreamBytes(const std::vector<CorpusRecord>& records) {
  uint64_t n = 0;
  for (const CorpusRecord& r : records) n += r.Stream.size();
  return n;
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  const fs::path scratch = fs::temp_directory_path() / ("orvane-bench-import-" + std::to_string(::getpid()));
  fs::remove_all(scratch);

  std::vector<CorpusRecord> generated;
  GenerateCorpus(generated, threads);
  TextFolder folder;
  int32_t mismatches = 0;
  std::string error;
  if (!ExportTextFolder(generated, BuiltInNames(), folder, &mismatches, error) ||
      !WriteTextFolder((scratch / "texts").string(), folder, error)) {
    std::fprintf(stderr, "bench_import: %s\n", error.c_str());
    return 1;
  }
  uint64_t textFileBytes = 0;
  for (const std::string& t : folder.Tractates) textFileBytes += t.size();

  constexpr int Rounds = 3;
  double encodeBest = 1e9, importBest = 1e9, readBest = 1e9;
  std::vector<CorpusRecord> imported;
  for (int round = 0; round < Rounds; ++round) {
    std::vector<CorpusRecord> copy = generated;
    const auto t0 = Clock::now();
    EncodeCorpus(copy, threads);
    const auto t1 = Clock::now();
    TextFolder read;
    TextDiagnostics diag;
    CorpusNames names;
    if (!ReadTextFolder((scratch / "texts").string(), read, diag)) break;
    const auto t2 = Clock::now();
    if (!ImportTextFolder(read, imported, names, diag, threads, nullptr)) break;
    const auto t3 = Clock::now();
    encodeBest = std::min(encodeBest, Seconds(t0, t1));
    readBest = std::min(readBest, Seconds(t1, t2));
    importBest = std::min(importBest, Seconds(t2, t3));
  }
  // The whole command once, writing the corpus folder as the build does.
  TextDiagnostics diag;
  const auto c0 = Clock::now();
  const int status = ImportCommand((scratch / "texts").string(), (scratch / "corpus").string(), diag, nullptr);
  const double command = Seconds(c0, Clock::now());
  fs::remove_all(scratch);
  if (status || imported.size() != generated.size()) {
    std::fprintf(stderr, "bench_import: the import failed: %s\n", diag.Errors.empty() ? "" : diag.Errors[0].c_str());
    return 1;
  }

  const uint64_t a = StreamBytes(generated), b = StreamBytes(imported);
  const double sizeRatio = double(b) / double(a);
  std::printf(
      "import: %.2f s for the whole command (read, parse, encode, write %d records); read %.2f s, "
      "parse and encode %.2f s against encoding alone %.2f s: ratio %.2f (%.1f MB of text files, %u threads, "
      "best of %d)\n"
      "import: streams %llu bytes against %llu generated: ratio %.4f\n",
      command, RecordCount, readBest, importBest, encodeBest, importBest / encodeBest,
      double(textFileBytes) / 1e6, threads, Rounds, static_cast<unsigned long long>(b),
      static_cast<unsigned long long>(a), sizeRatio);
  return sizeRatio < 1.03 && sizeRatio > 0.97 ? 0 : 1;
}
