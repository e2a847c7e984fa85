// bench_links: links the headings of the longest page side, and of every
// side of the longest tractate, against decoding the same records (main
// text, previous main text, commentary) in the same run. Each figure is the
// best of several rounds. First, a side that repeats one word thousands of
// times with as many one-word headings: its time and the memory it took.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "store/links.h"
#include "store/records.h"
#include "tools/corpus/corpus.h"

namespace {

using Clock = std::chrono::steady_clock;

inline void Touch(void* p) { asm volatile("" : : "r"(p) : "memory"); }

struct Side {
  int32_t Article;  // 1-based
  bool First;       // the first side of its tractate
};

}  // namespace

int main() {
  {
    // 5,000 copies of one word, 2,000 headings of that word (before anything
    // else, so that the peak of the process is this one's).
    std::string words;
    for (int i = 0; i < 5000; ++i) words += i ? " abc" : "abc";
    std::vector<CorpusParagraph> notes{{CorpusPageHeader, "x"}};
    for (int i = 0; i < 2000; ++i) notes.push_back({CorpusHeading, "abc"});
    std::vector<unsigned char> main, commentary;
    AssembleParagraphs({{CorpusPageHeader, "x"}, {CorpusMainText, words}}, main);
    AssembleParagraphs(notes, commentary);
    std::vector<CommentLink> links(2000);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto t0 = Clock::now();
    const int32_t n = LinkComments(main.data(), nullptr, commentary.data(), links.data(), 2000);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    getrusage(RUSAGE_SELF, &after);
    std::printf("link a side of 5,000 copies of one word with %d one-word headings: %.1f ms, %.1f MB more at the "
                "peak (goal: under 100 ms and 20 MB)\n",
                n, seconds * 1e3, double(after.ru_maxrss - before.ru_maxrss) / 1024.0);
  }
  std::vector<CorpusRecord> records;
  GenerateCorpus(records, std::max(1u, std::thread::hardware_concurrency()));
  auto text = [&](int32_t record) { return records[record - 1].Text.data(); };
  // The sides of every tractate, and the longest side and tractate by text.
  std::vector<std::vector<Side>> tractates(TractateCount);
  int32_t article = 0, longestSide = 1, longestTractate = 0;
  size_t sideBytes = 0, tractateBytes = 0;
  for (int t = 0; t < TractateCount; ++t) {
    size_t bytes = 0;
    for (int s = 0; s < BuiltInTractates[t].SideCount; ++s) {
      tractates[t].push_back({++article, s == 0});
      const size_t n = records[2 * article - 2].Text.size() + records[2 * article - 1].Text.size();
      if (n > sideBytes) sideBytes = n, longestSide = article;
      bytes += n;
    }
    if (bytes > tractateBytes) tractateBytes = bytes, longestTractate = t;
  }
  std::vector<unsigned char> out(CorpusMaxText + 3);
  std::vector<CommentLink> links(512);
  auto link = [&](const Side& s) {
    const int32_t n = LinkComments(text(2 * s.Article - 1), s.First ? nullptr : text(2 * s.Article - 3),
                                   text(2 * s.Article), links.data(), int32_t(links.size()));
    Touch(links.data());
    return n;
  };
  auto decode = [&](const Side& s) {
    for (int32_t r : {2 * s.Article - 1, 2 * s.Article - 3, 2 * s.Article}) {
      if (r < 1 || (s.First && r == 2 * s.Article - 3)) continue;
      const CorpusRecord& c = records[r - 1];
      DecodeStream(c.Stream.data(), c.Stream.size(), out.data(), c.Text.size());
      Touch(out.data());
    }
  };
  auto best = [](auto&& run) {
    double b = 1e9;
    for (int round = 0; round < 7; ++round) {
      const auto t0 = Clock::now();
      run();
      b = std::min(b, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return b;
  };
  const Side side{longestSide, false};
  int32_t headings = 0;
  const double linkSide = best([&] { headings = link(side); });
  const double decodeSide = best([&] { decode(side); });
  int32_t tractateHeadings = 0;
  const double linkTractate = best([&] {
    tractateHeadings = 0;
    for (const Side& s : tractates[longestTractate]) tractateHeadings += link(s);
  });
  const double decodeTractate = best([&] {
    for (const Side& s : tractates[longestTractate]) decode(s);
  });
  std::printf("link the longest side (article %d, %d headings, %zu bytes): %.0f us, decoding its records %.0f us, "
              "ratio %.2f\n",
              longestSide, headings, sideBytes, linkSide * 1e6, decodeSide * 1e6, linkSide / decodeSide);
  std::printf("link tractate %d (%zu sides, %d headings): %.1f ms, decoding its records %.1f ms, ratio %.2f "
              "(best of 7)\n",
              longestTractate + 1, tractates[longestTractate].size(), tractateHeadings, linkTractate * 1e3,
              decodeTractate * 1e3, linkTractate / decodeTractate);
  return 0;
}
