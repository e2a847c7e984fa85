// bench_search: a fruitless search over the whole corpus (every record
// parsed, decoded and scanned, as the reader's search did before it kept the
// decoded texts) against `grep -c` of the same pattern over the corpus decoded
// into one plain file that is already in the page cache, measured in the same
// run; then the same over the held texts (the first search, which fills them,
// apart), and Find All of a frequent and a rare pattern. Best of several
// rounds.
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

#include "store/corpustexts.h"
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

const std::vector<std::vector<unsigned char>>* Blocks;
unsigned char* Decode(int32_t n, int32_t* code) {
  const auto& r = (*Blocks)[size_t(n - 1)];
  return ParseRecordBlock(r.data() + RecordHeaderBytes, (int32_t(r[0]) << 8) | r[1], code);
}

// Find All over the held texts; returns the number of hits.
uint32_t FindAll(const std::string& pattern) {
  static FindAllRun run{};
  BeginFindAll(&run, reinterpret_cast<const unsigned char*>(pattern.c_str()), false, 1000000);
  while (FindAllStep(&run, RecordCount)) {
  }
  return run.Count;
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
  std::printf("search: %.1f ms, grep -c: %.1f ms, ratio %.2f (fruitless \"%s\", %zu records, %.1f MB, best of %d)\n",
              search * 1e3, grep * 1e3, search / grep, pattern.c_str(), records.size(), total / 1e6, Rounds);

  // The held texts: the first search decodes and keeps them.
  Blocks = &records;
  CorpusTextSource = Decode;
  PreparedPattern prepared;
  PreparePattern(&prepared, p, CorpusByteCounts());
  auto t0 = Clock::now();
  if (NextHit(prepared, 1, 0, RecordCount, false).Record != 0) return 1;
  const double fill = Seconds(t0);
  PreparePattern(&prepared, p, CorpusByteCounts());
  double held = 1e9;
  for (int round = 0; round < Rounds; ++round) {
    t0 = Clock::now();
    NextHit(prepared, 1, 0, RecordCount, false);
    held = std::min(held, Seconds(t0));
  }
  std::printf("held texts: first search %.1f ms (decodes and keeps %.1f MB), then fruitless %.1f ms, ratio %.2f\n",
              fill * 1e3, CorpusTextBytes() / 1e6, held * 1e3, held / grep);
  // Under Reverse, every hit of a pattern with a number in it (none: the turned numbers are read where they
  // stand) and of patterns with signs between letters, which no number holds.
  for (const std::string& each : {std::string("q1:2q"), std::string("ab:"), std::string("ab,cd")}) {
    PreparePattern(&prepared, reinterpret_cast<const unsigned char*>(each.c_str()), CorpusByteCounts(),
                   RunOrder::Reading);
    double reading = 1e9;
    uint32_t hits = 0;
    for (int round = 0; round < Rounds; ++round) {
      t0 = Clock::now();
      hits = 0;
      for (SearchHit h = NextHit(prepared, 1, 0, RecordCount, false); h.Record != 0; ++hits) {
        const int32_t next = h.Record;
        h = NextHit(prepared, next, uint16_t(h.Offset - h.Length), RecordCount - next + 1, false);
      }
      reading = std::min(reading, Seconds(t0));
    }
    if (each[1] == '1' && hits != 0) return 1;
    std::printf("held texts in reading order: \"%s\", %u hits, %.1f ms, ratio %.2f\n", each.c_str(), hits,
                reading * 1e3, reading / grep);
  }
  // Find All against one full pass of grep -c (the fruitless one): the
  // decoded corpus holds no line break, so grep -c of a pattern that occurs
  // stops at its first hit.
  for (const std::string& each : {std::string("ab"), std::string("bmr"), std::string("a?d"), std::string("k*z"),
                                  std::string("?")}) {
    double all = 1e9;
    uint32_t hits = 0;
    for (int round = 0; round < Rounds; ++round) {
      t0 = Clock::now();
      hits = FindAll(each);
      all = std::min(all, Seconds(t0));
    }
    std::printf("find all \"%s\": %u hits (%.1f MB of hit records) in %.1f ms, ratio %.2f\n", each.c_str(), hits,
                hits * sizeof(SearchHit) / 1e6, all * 1e3, all / grep);
  }
  std::remove(file.c_str());
  return 0;
}
