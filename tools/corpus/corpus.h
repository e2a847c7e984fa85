// The synthetic corpus: the texts of all 10,716 records, their encoder and the
// record bytes that the program carries as resources.
//
// Owns: the generator's vocabularies, the per-record paragraph plan and the
// encoder. Everything is deterministic: a fixed seed and an own random number
// generator, integer arithmetic only, so every machine and library produces
// the same bytes. Texts and plans are built on demand; the functions are safe
// to call from several threads at once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Limits that every generated record keeps (text, stream and record bytes).
constexpr size_t CorpusMinText = 25;
constexpr size_t CorpusMaxText = 14256;
constexpr size_t CorpusMaxStream = 7462;
constexpr size_t CorpusMaxRecord = 7476;

// The style bytes the corpus uses, with the number of paragraphs of each.
enum CorpusStyle : unsigned char {
  CorpusPageHeader = 0xD1,    // first paragraph of every record
  CorpusMainText = 0xB1,      // main-text paragraph
  CorpusHeading = 0x51,       // commentary heading words
  CorpusComment = 0xB2,       // commentary paragraph
  CorpusSmallMark = 0x82,     // empty or one or two punctuation bytes, stored order
  CorpusBlank = 0x81,         // empty
  CorpusSmallHeader = 0xD2,   // small centred header-like line (end of a tractate)
  CorpusMark = 0x41,          // one punctuation byte
};
constexpr int32_t CorpusPageHeaders = 10716;
constexpr int32_t CorpusMainParagraphs = 18075;
constexpr int32_t CorpusHeadings = 122888;
constexpr int32_t CorpusComments = 125120;
constexpr int32_t CorpusSmallMarks = 164;
constexpr int32_t CorpusBlanks = 4;
constexpr int32_t CorpusSmallHeaders = 2;
constexpr int32_t CorpusMarks = 1;

// The two records whose texts have the shortest and the longest length.
constexpr int32_t CorpusShortestRecord = 1903;
constexpr int32_t CorpusLongestRecord = 6000;

// The texts of article a (1..5358): its main text (record 2a - 1) and its
// commentary (record 2a). An article outside the range gives empty texts.
void GenerateArticle(int32_t article, std::vector<unsigned char>& mainText,
                     std::vector<unsigned char>& commentary);

// The text of record n (1..10716). Returns false (out empty) for any other n.
bool GenerateText(int32_t record, std::vector<unsigned char>& out);

// Packs text into the token stream (replacing what stream held) with the
// fewest bytes the match finder allows.
void EncodeText(const unsigned char* text, size_t length, std::vector<unsigned char>& stream);

// The whole resource of record n: the 6-byte header (block length, tag n + 20
// twice), compressed length, text length, the stream and four zero bytes.
void BuildRecord(int32_t record, size_t textLength, const std::vector<unsigned char>& stream,
                 std::vector<unsigned char>& out);

struct CorpusRecord {
  std::vector<unsigned char> Text;
  std::vector<unsigned char> Stream;
};

// Generates and encodes every record on the given number of threads (at
// least one); records[n - 1] is record n.
void GenerateCorpus(std::vector<CorpusRecord>& records, unsigned threads);

// 32-bit FNV-1a of a byte string (the hash of the manifest).
uint32_t Fnv1a(const unsigned char* bytes, size_t length);
