// bench_search: a fruitless search over the whole corpus (every record
// parsed, decoded and scanned, as the reader's search does) against `grep -c`
// of the same pattern over the corpus decoded into one plain file that is
// already in the page cache, measured in the same run. Best of several rounds.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "store/records.h"
#include "store/search.h"
#include "tools/corpus/corpus.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rounds = 9;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// One whole-corpus search; returns the number of records with a hit.
int SearchAll(const std::vector<std::vector<unsigned char>>& records, const unsigned char* pattern) {
  int hits = 0;
  for (const auto& r : records) {
    const int32_t blockLength = (int32_t(r[0]) << 8) | r[1];
    unsigned char* text = ParseRecordBlock(r.data() + RecordHeaderBytes, blockLength, nullptr);
    if (!text) return -1;
    uint16_t length = 0;
    if (FindInText(text, 0, pattern, &length) > 0) ++hits;
    std::free(text);
  }
  return hits;
}

// Runs grep -c with the C locale; returns its exit status.
int Grep(const std::string& pattern, const std::string& file) {
  std::string lc = "LC_ALL=C";
  std::vector<char*> env = {lc.data(), nullptr};
  std::string grep = "grep", c = "-c", p = pattern, f = file;
  char* argv[] = {grep.data(), c.data(), p.data(), f.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = -1;
  if (posix_spawnp(&pid, "grep", &actions, nullptr, argv, env.data()) == 0) waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<CorpusRecord> corpus;
  GenerateCorpus(corpus, std::max(1u, std::thread::hardware_concurrency()));
  std::vector<std::vector<unsigned char>> records;
  const std::string file = std::string(argc > 1 ? argv[1] : "/tmp") + "/bench_search_corpus.bin";
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return 1;
  size_t total = 0;
  for (size_t i = 0; i < corpus.size(); ++i) {
    records.emplace_back();
    BuildRecord(int32_t(i + 1), corpus[i].Text.size(), corpus[i].Stream, records.back());
    std::fwrite(corpus[i].Text.data(), 1, corpus[i].Text.size(), out);
    total += corpus[i].Text.size();
  }
  std::fclose(out);

  // Letters in an order the generator never writes.
  const std::string pattern = "qxqzq";
  const auto* p = reinterpret_cast<const unsigned char*>(pattern.c_str());
  if (SearchAll(records, p) != 0 || Grep(pattern, file) == 0) {
    std::fprintf(stderr, "bench_search: the pattern is not fruitless\n");
    return 1;
  }
  double search = 1e9, grep = 1e9;
  for (int round = 0; round < Rounds; ++round) {
    auto t0 = Clock::now();
    SearchAll(records, p);
    search = std::min(search, Seconds(t0));
    t0 = Clock::now();
    Grep(pattern, file);
    grep = std::min(grep, Seconds(t0));
  }
  std::remove(file.c_str());
  std::printf("search: %.1f ms, grep -c: %.1f ms, ratio %.2f (fruitless \"%s\", %zu records, %.1f MB, best of %d)\n",
              search * 1e3, grep * 1e3, search / grep, pattern.c_str(), records.size(), total / 1e6, Rounds);
  return 0;
}
