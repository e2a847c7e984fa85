// bench_copy: makes the copy text and the whole RTF document of every record
// of the corpus, as Copy does with the Unicode mapping, and compares the rate
// with memcpy of the same text bytes, measured in the same run. Each figure
// is the best of several rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "output/rtf.h"
#include "tools/corpus/corpus.h"

namespace {

using Clock = std::chrono::steady_clock;

inline void Touch(void* p) { asm volatile("" : : "r"(p) : "memory"); }

}  // namespace

int main() {
  std::vector<CorpusRecord> records;
  GenerateCorpus(records, std::max(1u, std::thread::hardware_concurrency()));
  size_t total = 0, longest = 0;
  for (CorpusRecord& r : records) {
    r.Text.push_back(0);
    total += r.Text.size();
    longest = std::max(longest, r.Text.size());
  }
  AppSettings.FontSettings.FontAsciiBase = AsciiBaseUnicode;
  std::vector<unsigned char> plain(longest);
  std::vector<DisplayChar> copy(2 * longest + 64);
  std::vector<char> body, document;

  constexpr int Rounds = 5;
  double rtfBest = 1e9, memcpyBest = 1e9;
  for (int round = 0; round < Rounds; ++round) {
    auto t0 = Clock::now();
    for (const CorpusRecord& r : records) {
      const size_t units = CopyTextUnits(r.Text.data());
      if (units > copy.size()) copy.resize(units);
      BuildCopyText(r.Text.data(), copy.data());
      const size_t n = RtfBody(copy.data(), nullptr);
      body.resize(n + 1);
      RtfBody(copy.data(), body.data());
      const size_t d = RtfDocument(nullptr, 0, body.data(), n, nullptr);
      document.resize(d);
      RtfDocument(nullptr, 0, body.data(), n, document.data());
      Touch(document.data());
    }
    auto t1 = Clock::now();
    for (const CorpusRecord& r : records) {
      std::memcpy(plain.data(), r.Text.data(), r.Text.size());
      Touch(plain.data());
    }
    auto t2 = Clock::now();
    rtfBest = std::min(rtfBest, std::chrono::duration<double>(t1 - t0).count());
    memcpyBest = std::min(memcpyBest, std::chrono::duration<double>(t2 - t1).count());
  }
  const double mb = double(total) / 1e6;
  std::printf("copy text + RTF: %.0f MB/s (%.1f us a record), memcpy: %.0f MB/s, ratio %.1f (%zu records, best of %d)\n",
              mb / rtfBest, 1e6 * rtfBest / double(records.size()), mb / memcpyBest, rtfBest / memcpyBest,
              records.size(), Rounds);
  return 0;
}
