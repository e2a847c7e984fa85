// The search matcher and buffer scan against a brute-force reference over
// generated paragraphs, and the folding of a typed string.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "store/corpustexts.h"
#include "store/records.h"
#include "store/search.h"
#include "tests/common/wildcard_reference.h"
#include "tools/corpus/corpus.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct Hit {
  long pos = -1;  // index of the highest byte, -1: none
  size_t length = 0;
};

// The hit nearest to last among text[0..last], and its shortest extent; `*`
// at either end of the pattern stands for the empty run.
Hit Reference(const unsigned char* text, long last, const std::string& typed) {
  const std::string pattern = TrimmedPattern(typed);
  if (pattern.empty()) return {};
  const char* p = pattern.data();
  for (long pos = last; pos >= 0; --pos)
    for (long s = pos; s >= 0; --s)
      if (Glob(text + s, size_t(pos - s + 1), p, pattern.size())) return {pos, size_t(pos - s + 1)};
  return {};
}

std::string RandomString(std::mt19937& rng, const char* alphabet, size_t maxLength, size_t minLength) {
  const size_t letters = std::strlen(alphabet);
  std::string s(minLength + rng() % (maxLength - minLength + 1), ' ');
  for (char& ch : s) ch = alphabet[rng() % letters];
  return s;
}

const unsigned char* U(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.c_str()); }

TEST(Search, MatchBackwardAgreesWithBruteForce) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 40000; ++round) {
    const std::string text = RandomString(rng, "abcab  c?*", 40, 1);
    const std::string pattern = RandomString(rng, round % 3 ? "abc ?*" : "ab", 6, 1);
    const long last = long(rng() % text.size());
    const Hit want = Reference(U(text), last, pattern);
    uint16_t length = 0;
    const unsigned char* got = MatchBackward(U(text), U(pattern), U(text) + last, &length);
    const std::string what = "text \"" + text + "\" last " + std::to_string(last) + " pattern \"" + pattern + "\"";
    ASSERT_EQ(got ? got - U(text) : -1, want.pos) << what;
    if (got) {
      ASSERT_EQ(length, want.length) << what;
    }
  }
  uint16_t length = 7;
  EXPECT_EQ(MatchBackward(U("abc"), U(""), U("abc") + 2, &length), nullptr) << "an empty pattern";
  EXPECT_EQ(MatchBackward(U("abc"), U("**"), U("abc") + 2, &length), nullptr) << "only runs";
  EXPECT_EQ(length, 7) << "no length without a hit";
}

// A paragraph list: style byte, parameter byte, string, 0; ended by 0 0 0.
Bytes Buffer(const std::vector<std::string>& paragraphs) {
  Bytes b;
  for (const std::string& s : paragraphs) {
    b.push_back(0xB1);
    b.push_back(0);
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
  }
  b.insert(b.end(), {0, 0, 0});
  return b;
}

TEST(Search, FindInTextScansFromStartThenTheLaterParagraphs) {
  std::mt19937 rng(777);
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::string> paragraphs;
    const int count = 1 + int(rng() % 5);
    for (int i = 0; i < count; ++i) paragraphs.push_back(RandomString(rng, "abcd ?", 16, 0));
    const Bytes buffer = Buffer(paragraphs);
    const std::string pattern = RandomString(rng, "abcd ?*", 4, 1);
    const uint16_t start = uint16_t(rng() % buffer.size());

    int32_t want = 0;
    size_t wantLength = 0;
    size_t at = 0;  // offset of the paragraph's style byte
    for (const std::string& s : paragraphs) {
      const size_t text = at + 2, terminator = text + s.size();
      // A start on the style or parameter byte: that paragraph is done.
      const bool done = start != 0 && start >= at && start < text;
      if (terminator >= start && !s.empty() && !done) {
        const size_t upper = start >= text && start < terminator ? start : terminator - 1;
        const Hit h = Reference(buffer.data() + text, long(upper - text), pattern);
        if (h.pos >= 0) {
          want = int32_t(text + size_t(h.pos));
          wantLength = h.length;
          break;
        }
      }
      at = terminator + 1;
    }
    uint16_t length = 0;
    const std::string what = "pattern \"" + pattern + "\" start " + std::to_string(start);
    ASSERT_EQ(FindInText(buffer.data(), start, U(pattern), &length), want) << what;
    if (want) {
      ASSERT_EQ(length, wantLength) << what;
    }
  }
}

void* NoMemory(size_t) { return nullptr; }

TEST(Search, FindInTextStopsWhenNodesRunOut) {
  const Bytes buffer = Buffer({"ab", "cd", "ef", "gh"});
  ParagraphNodeAlloc = NoMemory;
  uint16_t length = 0;
  EXPECT_EQ(FindInText(buffer.data(), 0, U("a"), &length), SearchNoMemory);
  ParagraphNodeAlloc = std::malloc;
  EXPECT_EQ(FindInText(buffer.data(), 0, U("g"), &length), 17);
}

// Under Reverse every reading-order piece of a paragraph (also with `?` or `*` for its middle byte), typed and
// turned as the search dialog does, is found where it begins, covering its stored bytes; Search Again skips none
// (a number that ends the paragraph included), in a paragraph list as in a held text.
TEST(Search, ReadingOrderFindsEveryPiece) {
  AppSettings.FontSettings.FontAsciiBase = 97;
  for (const auto& tokens : std::vector<std::vector<std::string>>{
           {"abc ", "1,000", " de ", "10:30", " fg ", "5-6", " (", "12", ")"},
           {"[", "#3", " x ", "50%", " ", "7.5", " (", "2/3", ")"},
           {"ab ", "c:d", " e-", "5", ". ", "10-12"}}) {
    std::string reading;
    std::vector<size_t> place;  // the stored index of each reading byte: a number keeps its order
    for (const std::string& t : tokens) reading += t;
    for (const std::string& t : tokens)
      for (size_t k = 0, first = reading.size() - place.size() - t.size(); k < t.size(); ++k)
        place.push_back(t.find_first_of("0123456789") != std::string::npos ? first + k : first + t.size() - 1 - k);
    std::u16string units(reading.begin(), reading.end());
    ToReadingOrder(units.data(), int32_t(units.size()));
    const Bytes buffer = Buffer({std::string(units.begin(), units.end())});
    const uint16_t paragraphs[] = {0, uint16_t(buffer.size() - 1)};
    const HeldText held = {buffer.data(), paragraphs, 1, uint32_t(buffer.size())};
    for (size_t i = 0; i < reading.size(); ++i)
      for (size_t j = i + 1; j <= reading.size(); ++j)
        for (const char wild : std::string("-?*")) {
          std::string typed = reading.substr(i, j - i);
          if (wild != '-' && typed.size() > 2) typed[typed.size() / 2] = wild;
          units.assign(typed.begin(), typed.end());
          ToReadingOrder(units.data(), int32_t(units.size()));
          SetSearchString(units.c_str());
          const std::string p = TrimmedPattern(typed);
          std::vector<std::array<size_t, 4>> places;  // first and last reading byte, the hit's offset and length
          for (size_t a = 0; a < reading.size(); ++a)
            for (size_t b = a; b < reading.size(); ++b)
              if (Glob(U(reading) + a, b - a + 1, p.data(), p.size())) {
                const auto [low, high] = std::minmax_element(&place[a], &place[b] + 1);
                places.push_back({a, b, *high + 2, *high - *low + 1});
                break;
              }
          uint16_t start = 0, length = 0;
          for (size_t low = 0, high = 0;;) {  // the hit is one of places[low..high]; high == size: or none
            const int32_t at = FindInText(buffer.data(), start, AppSettings.SearchString, &length, RunOrder::Reading);
            PreparedPattern prepared;
            PreparePattern(&prepared, AppSettings.SearchString, nullptr, RunOrder::Reading);
            uint16_t heldLength = 0;
            ASSERT_EQ(FindInHeldText(prepared, held, start, &heldLength), at) << typed << " in " << reading;
            ASSERT_TRUE(at || high == places.size()) << typed << " in " << reading << ": a place passed over";
            if (at == 0) break;
            size_t m = low;
            while (m <= high && m < places.size() && (places[m][2] != size_t(at) || places[m][3] != length)) ++m;
            ASSERT_TRUE(m <= high && m < places.size()) << typed << " in " << reading << " at " << at << " " << length;
            start = uint16_t(at - length);
            for (low = high = m + 1; high < places.size() && places[high][0] <= places[m][1];) ++high;
          }
        }
  }
}

TEST(Search, SetSearchStringFoldsLettersAndSpaces) {
  struct Case {
    int32_t base;
    std::u16string typed;
    std::string stored;
  } cases[] = {
      {1488, u"\u05D0\u05D1 \u05EA", "ab {"},               // display letters to LetterCode
      {224, u"\u00E0\u00FA", "a{"},                         // the code-page mapping
      {97, u"ab  cd   ", "ab cd "},                         // a run of spaces is one space
      {1488, u"  x", " x"},                                 // leading space kept
      {1488, u"*?\u0431", "*?1"},                           // others keep their low byte
      {1488, std::u16string(40, u'k'), std::string(33, 'k')},  // at most 33 units
      {224, u"\u05D0\u05EA\u05DA", "a{k"},                  // Hebrew letters whatever the mapping
      {1488, u"{~", "~~"},                                  // the brace is its byte, not a letter
      {97, u"{~", "{~"},                                    // with 97 '{' is the last letter
  };
  for (const Case& c : cases) {
    AppSettings.FontSettings.FontAsciiBase = c.base;
    SetSearchString(c.typed.c_str());
    EXPECT_EQ(reinterpret_cast<const char*>(AppSettings.SearchString), c.stored);
  }
}

// The generated corpus as the cache's source.
std::vector<Bytes> Texts;  // Texts[n]: record n
unsigned char* FromTexts(int32_t n, int32_t* code) {
  *code = RecordOk;
  auto* copy = static_cast<unsigned char*>(std::malloc(Texts[size_t(n)].size()));
  std::memcpy(copy, Texts[size_t(n)].data(), Texts[size_t(n)].size());
  return copy;
}
void* FirstBlockOnly(size_t bytes) {
  static int blocks = 0;
  return blocks++ ? nullptr : std::malloc(bytes);
}

// Find All over the held texts gives, hit for hit, what Search Again gives
// from the first text on through the plain scan (FindInText over each text,
// the shown text first, wrapping round, then the shown text from its start),
// until it comes back to its first hit.
TEST(Search, FindAllListsWhatSearchAgainVisits) {
  Texts.assign(RecordCount + 1, Bytes());
  for (int32_t n = 1; n <= RecordCount; ++n) ASSERT_TRUE(GenerateText(n, Texts[size_t(n)]));
  CorpusTextSource = FromTexts;
  struct Row {
    std::string pattern;
    bool mainOnly;
    uint32_t limit;
  } rows[] = {{"bmr", false, 1000000},  {"a?d", false, 1000000}, {"xb*ca", false, 1000000},
              {"ab", true, 1000000},   {"?", false, 3000},      {"**?*", false, 100},
              {std::string(33, 'a'), false, 10}, {"*q{x*", false, 10},   {"?", false, 70000}};
  for (const Row& row : rows) {
    const auto* pattern = U(row.pattern);
    std::vector<SearchHit> again;
    for (int32_t c = 1, start = 0;;) {
      uint16_t length = 0;
      int32_t at = FindInText(Texts[size_t(c)].data(), uint16_t(start), pattern, &length), record = c;
      for (int32_t i = c % RecordCount + 1; at == 0; i = i % RecordCount + 1) {
        record = i;
        if (i == c) at = FindInText(Texts[size_t(c)].data(), 0, pattern, &length);
        else if (!(row.mainOnly && i % 2 == 0)) at = FindInText(Texts[size_t(i)].data(), 0, pattern, &length);
        if (i == c) break;
      }
      if (at == 0 || (!again.empty() && again[0].Record == record && again[0].Offset == at)) break;
      again.push_back({record, uint16_t(at), length});
      if (again.size() > row.limit) break;
      c = record, start = at - length;
    }
    const bool starved = row.limit == 70000;
    if (starved) HitBlockAlloc = FirstBlockOnly;
    FindAllRun run{};
    BeginFindAll(&run, pattern, row.mainOnly, row.limit);
    while (FindAllStep(&run, 97, 1000)) {
    }
    HitBlockAlloc = std::malloc;
    const size_t listed = starved ? HitBlockHits : std::min<size_t>(again.size(), row.limit);
    ASSERT_EQ(run.Count, listed) << row.pattern;
    EXPECT_EQ(run.More, !starved && again.size() > row.limit) << row.pattern;
    EXPECT_EQ(run.NoMemory, starved) << row.pattern;
    for (uint32_t i = 0; i < run.Count; ++i) {
      const SearchHit h = FindAllHit(run, i);
      ASSERT_TRUE(h.Record == again[i].Record && h.Offset == again[i].Offset && h.Length == again[i].Length)
          << row.pattern << ": hit " << i << " in record " << again[i].Record << " at " << again[i].Offset;
    }
    EndFindAll(&run);
  }
  ReleaseCorpusTexts();
}

}  // namespace
