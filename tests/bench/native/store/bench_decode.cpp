// bench_decode: decodes every record of the corpus (streams made in memory)
// and compares the rate with memcpy of the same text bytes, measured in the
// same run. Each figure is the best of several rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "store/records.h"
#include "tools/corpus/corpus.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping stores nobody reads.
inline void Touch(void* p) { asm volatile("" : : "r"(p) : "memory"); }

}  // namespace

int main() {
  std::vector<CorpusRecord> records;
  GenerateCorpus(records, std::max(1u, std::thread::hardware_concurrency()));
  size_t total = 0, longest = 0;
  for (const CorpusRecord& r : records) total += r.Text.size(), longest = std::max(longest, r.Text.size());
  std::vector<unsigned char> out(longest);

  constexpr int Rounds = 7;
  double decodeBest = 1e9, copyBest = 1e9;
  for (int round = 0; round < Rounds; ++round) {
    auto t0 = Clock::now();
    for (const CorpusRecord& r : records) {
      if (DecodeStream(r.Stream.data(), r.Stream.size(), out.data(), r.Text.size()) != r.Text.size()) {
        std::fprintf(stderr, "bench_decode: a record did not decode\n");
        return 1;
      }
      Touch(out.data());
    }
    auto t1 = Clock::now();
    for (const CorpusRecord& r : records) {
      std::memcpy(out.data(), r.Text.data(), r.Text.size());
      Touch(out.data());
    }
    auto t2 = Clock::now();
    decodeBest = std::min(decodeBest, std::chrono::duration<double>(t1 - t0).count());
    copyBest = std::min(copyBest, std::chrono::duration<double>(t2 - t1).count());
  }
  const double mb = double(total) / 1e6;
  std::printf("decode: %.0f MB/s, memcpy: %.0f MB/s, ratio %.2f (%zu records, %.1f MB of text, best of %d)\n",
              mb / decodeBest, mb / copyBest, copyBest / decodeBest, records.size(), mb, Rounds);
  return 0;
}
