// Record bytes, the corpus as a whole, and the manifest hash.
#include <atomic>
#include <thread>

#include "store/records.h"
#include "store/tractates.h"
#include "tools/corpus/corpus.h"

namespace {

void PutBigEndian16(std::vector<unsigned char>& out, size_t v) {
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
  out.push_back(static_cast<unsigned char>(v & 0xFF));
}

}  // namespace

void BuildRecord(int32_t record, size_t textLength, const std::vector<unsigned char>& stream,
                 std::vector<unsigned char>& out) {
  out.clear();
  out.reserve(stream.size() + RecordHeaderBytes + BlockHeaderBytes + 4);
  PutBigEndian16(out, BlockHeaderBytes + stream.size() + 4);
  PutBigEndian16(out, size_t(record) + 20);
  PutBigEndian16(out, size_t(record) + 20);
  PutBigEndian16(out, stream.size());
  PutBigEndian16(out, textLength);
  out.insert(out.end(), stream.begin(), stream.end());
  out.insert(out.end(), 4, 0);
}

namespace {

// Runs work(a) for every article a on the given number of threads.
template <typename Work>
void ForEachArticle(unsigned threads, Work work) {
  std::atomic<int32_t> next{1};
  auto loop = [&] {
    for (int32_t a; (a = next.fetch_add(1)) <= ArticleCount;) work(a);
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(loop);
  loop();
  for (std::thread& t : pool) t.join();
}

void Encode(CorpusRecord& r) { EncodeText(r.Text.data(), r.Text.size(), r.Stream); }

}  // namespace

void GenerateCorpus(std::vector<CorpusRecord>& records, unsigned threads) {
  records.assign(RecordCount, {});
  ForEachArticle(threads, [&](int32_t a) {
    CorpusRecord& main = records[2 * a - 2];
    CorpusRecord& commentary = records[2 * a - 1];
    GenerateArticle(a, main.Text, commentary.Text);
    Encode(main);
    Encode(commentary);
  });
}

void EncodeCorpus(std::vector<CorpusRecord>& records, unsigned threads) {
  ForEachArticle(threads, [&](int32_t a) {
    Encode(records[2 * a - 2]);
    Encode(records[2 * a - 1]);
  });
}

uint32_t Fnv1a(const unsigned char* bytes, size_t length) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < length; ++i) h = (h ^ bytes[i]) * 16777619u;
  return h;
}
