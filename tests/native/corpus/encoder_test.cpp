// The encoder: the token rules of the records, exact round trips through the
// decoder, and an optimal parse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "store/records.h"
#include "tests/native/corpus/token_walker.h"
#include "tools/corpus/corpus.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Of(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Encode(const Bytes& text) {
  Bytes stream;
  EncodeText(text.data(), text.size(), stream);
  return stream;
}

// Encodes, walks the tokens and decodes again; returns the stream.
Bytes RoundTrip(const Bytes& text) {
  Bytes stream = Encode(text);
  EXPECT_EQ(CheckTokens(text.data(), text.size(), stream), "");
  Bytes out(text.size() + 1, 0xEE);
  EXPECT_EQ(DecodeStream(stream.data(), stream.size(), out.data(), text.size()), text.size());
  out.pop_back();
  EXPECT_EQ(out, text);
  return stream;
}

struct Lcg {
  uint32_t s;
  uint32_t Next() { return s = s * 1664525u + 1013904223u, s >> 8; }
};

Bytes RandomText(Lcg& g, size_t n, const std::string& alphabet) {
  Bytes t(n);
  for (unsigned char& b : t) b = static_cast<unsigned char>(alphabet[g.Next() % alphabet.size()]);
  return t;
}

// The cheapest stream size with every match of the window considered.
size_t ExhaustiveCost(const Bytes& t) {
  const size_t n = t.size();
  std::vector<size_t> cost(n + 1, 0);
  for (size_t i = n; i-- > 0;) {
    size_t longest = 0;
    for (size_t d = 1; d <= std::min<size_t>(i, 2047); ++d) {
      size_t len = 0;
      while (len < 10 && i + len < n && t[i + len] == t[i + len - d]) ++len;
      longest = std::max(longest, len);
    }
    const unsigned char b = t[i];
    if (b == ' ' && i + 1 < n && t[i + 1] >= 0x40 && t[i + 1] <= 0x7F)
      cost[i] = 1 + cost[i + 2];
    else
      cost[i] = (b >= 0x80 || (b >= 1 && b <= 8) ? 2 : 1) + cost[i + 1];
    for (size_t len = 3; len <= longest; ++len) cost[i] = std::min(cost[i], 2 + cost[i + len]);
  }
  return cost[0];
}

TEST(EncodeText, ChoosesTheFixedTokens) {
  EXPECT_TRUE(Encode({}).empty());
  // Style bytes and low control bytes need a run of one; 0x00 is a literal.
  EXPECT_EQ(RoundTrip({0xD1, 0x00, 0x05, 'a'}), (Bytes{0x01, 0xD1, 0x00, 0x01, 0x05, 'a'}));
  // A space before 0x40..0x7F is a space pair, before anything else a literal.
  EXPECT_EQ(RoundTrip(Of(" a( }b ~ :")), (Bytes{0xE1, '(', 0xFD, 'b', 0xFE, ' ', ':'}));
  // A trailing space has nothing to pair with.
  EXPECT_EQ(RoundTrip(Of("x ")), Of("x "));
  // A run repeats itself through distance 1; no copy reaches past the end.
  const Bytes run(25, 'a');
  EXPECT_EQ(RoundTrip(run).size(), 1u + 2 * 3) << "a literal and three copies of 10, 10 and 4";
  EXPECT_EQ(RoundTrip(Of("abcdefabc")).size(), 8u);
}

TEST(EncodeText, RoundTripsAnyBytes) {
  Lcg g{7};
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (size_t n : {1u, 2u, 3u, 11u, 300u, 5000u}) RoundTrip(RandomText(g, n, all));
  // Repeats farther back than the window must be spelt out again.
  Bytes far = RandomText(g, 2100, "abcdefghijklmnopqrstuvwxyz{");
  far.insert(far.end(), far.begin(), far.begin() + 40);
  RoundTrip(far);
  // Every byte value, twice, with spaces in front of each.
  Bytes spaced;
  for (int b = 0; b < 256; ++b) spaced.insert(spaced.end(), {' ', static_cast<unsigned char>(b)});
  spaced.insert(spaced.end(), spaced.begin(), spaced.end());
  RoundTrip(spaced);
}

TEST(EncodeText, ParsesOptimally) {
  Lcg g{11};
  for (const char* alphabet : {"ab ", "abcdefgh  ", "abcdefghijklmnopqrstuvwxyz{ :.\xB1"}) {
    for (size_t n : {5u, 40u, 700u, 3000u}) {
      const Bytes t = RandomText(g, n, alphabet);
      EXPECT_EQ(RoundTrip(t).size(), ExhaustiveCost(t)) << alphabet << " " << n;
    }
  }
  for (int32_t record : {1, 2, 4001, CorpusLongestRecord}) {
    Bytes t;
    ASSERT_TRUE(GenerateText(record, t));
    EXPECT_EQ(RoundTrip(t).size(), ExhaustiveCost(t)) << "record " << record;
  }
}

}  // namespace
