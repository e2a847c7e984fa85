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
#include <string>
#include <vector>

#include "store/tractates.h"

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


// What a heading of the generated commentary quotes: nothing, words of its
// side's main text, or words at the end of the previous side's.
enum HeadingQuoteSide : uint8_t { QuotesNothing = 0, QuotesThisSide = 1, QuotesPreviousSide = 2 };
// The hard shapes of headings that the generator writes in real-like shares.
enum HeadingShapeKind : uint8_t {
  ShapePlain = 0,
  ShapeSameStartKind,   // starts on the words the heading before starts on
  ShapeRepeatedKind,    // the heading before, again
  ShapeEarlierKind,     // an earlier place than the heading before
  ShapeAcrossKind,      // across a paragraph break
  ShapeVariantKind,     // one or two words, one with another plural ending or prefix letter
  ShapeGapKind,         // a word skipped or added
  ShapeInitialsKind,    // initials of two words only
  ShapePreviousKind,    // past the first heading, on the previous side's end
  ShapeKinds
};
struct HeadingTruth {
  uint8_t Side;                   // HeadingQuoteSide
  uint16_t QuoteStart, QuoteEnd;  // the quoted words in the paragraph where they begin: stored bytes
                                  // [start, end) of that main-text record
  uint32_t FirstWord, Words;      // the same as words of that main text, in reading order
  bool Ambiguous;                 // the words as written stand at more than one place of the side
                                  // (or of the previous side's end)
  uint8_t Shape;                  // HeadingShapeKind: how it was written
};

struct CitationTruth;  // tools/corpus/citations.h

// The texts of article a (1..5358): its main text (record 2a - 1) and its
// commentary (record 2a), and when asked what its headings quote, in their
// order, and what its citations cite. An article outside the range gives
// empty texts.
void GenerateArticle(int32_t article, std::vector<unsigned char>& mainText, std::vector<unsigned char>& commentary,
                     std::vector<HeadingTruth>* truth = nullptr, std::vector<CitationTruth>* citations = nullptr);

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

// Encodes every record's text into its stream on the given number of threads.
void EncodeCorpus(std::vector<CorpusRecord>& records, unsigned threads);

// 32-bit FNV-1a of a byte string (the hash of the manifest).
uint32_t Fnv1a(const unsigned char* bytes, size_t length);

// ---------------------------------------------------------------------------
// Paragraph lists, page headers and names, as every corpus tool writes them.

// One paragraph: its style byte (parameter 0) and its string in reading order.
struct CorpusParagraph {
  unsigned char Style;
  std::string Text;
};


// Bytes of the assembled list, the ending 0 style byte and two more 0 bytes
// included.
size_t ParagraphListLength(const std::vector<CorpusParagraph>& list);

// The record text of a list: visual-order strings (style bit 0x10) are stored
// reversed with their brackets mirrored, the others as they are.
void AssembleParagraphs(const std::vector<CorpusParagraph>& list, std::vector<unsigned char>& out);

// Splits a record text into its paragraphs, strings back in reading order.
// False when it is not a well-formed list whose ending 0 style byte is
// followed by exactly two more 0 bytes.
bool SplitParagraphs(const std::vector<unsigned char>& text, std::vector<CorpusParagraph>& list);

// Folio number in Hebrew numerals (LetterCode); 15 and 16 are 9 + 6 and 9 + 7.
std::string FolioNumeral(int32_t folio);

// The page header in reading order: name, folio numeral, side word and side
// letter. sideCode is 2 x folio + side.
std::string PageHeaderText(const std::string& name, int32_t sideCode, const std::string& sideWord);

// The names a corpus carries, LetterCode in reading order.
struct CorpusNames {
  std::string Tractates[TractateCount];
  std::string SideWord;
};

// The names of the generated corpus.
CorpusNames BuiltInNames();

// The names resource of a corpus; ParseCorpusNames (store) reads it back.
std::vector<unsigned char> BuildNamesResource(const CorpusNames& names);

// ---------------------------------------------------------------------------
// A corpus folder: r<id>.bin for every record, names.bin, corpus.rc (the
// resource script that embeds them) and manifest.txt (record, text length,
// stream length, FNV-1a of the text in hex; a last line with the hash of the
// names).

// Writes the folder as a whole (see folderswap.h): every file into a sibling
// folder, which then replaces the old one; files whose content did not change
// keep their time (rewritten counts the others). Records must be encoded and
// within the limits. False, with a message in error and the old folder as it
// was, when a file cannot be written.
bool WriteCorpusFolder(const std::string& dir, const std::vector<CorpusRecord>& records,
                       const CorpusNames& names, int32_t* rewritten, std::string& error);

// Reads and decodes the records of a folder (Text filled, Stream as stored)
// and its names (the built-in ones when it has no names.bin). False, with a
// message in error, when a record is missing or does not decode.
bool ReadCorpusFolder(const std::string& dir, std::vector<CorpusRecord>& records, CorpusNames& names,
                      std::string& error);
