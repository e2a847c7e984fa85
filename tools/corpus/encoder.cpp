// The record encoder: an optimal parse over the decoder's four token kinds.
//
// Tokens and their cost in stream bytes:
//   single literal (0x00, 0x09..0x7F)           1 byte for 1 text byte
//   literal run of one (0x01 and the byte)      2 bytes, for 0x01..0x08 and 0x80..0xFF
//   space pair (0xC0..0xFF)                     1 byte for a space and 0x40..0x7F
//   back-reference (0x80..0xBF and one byte)    2 bytes for 3..10 bytes, distance 1..2047
// The records never hold literal runs of 2..8 and never store a space that
// is followed by 0x40..0x7F as a single literal.
//
// A back-reference costs the same whatever its distance and length, so the
// longest match at a position is all the parse needs: every shorter prefix of
// it is a match too. The match finder walks hash chains over 3-byte prefixes;
// the parse then takes, from the end of the text backwards, the cheapest of
// the choices at each position.
#include <algorithm>
#include <cstdint>

#include "tools/corpus/corpus.h"

namespace {

constexpr size_t MaxDistance = 2047;
constexpr size_t MinMatch = 3;
constexpr size_t MaxMatch = 10;
constexpr int HashBits = 13;
constexpr int ChainLimit = 256;  // candidates examined per position

inline uint32_t Hash3(const unsigned char* p) {
  const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
  return (v * 2654435761u) >> (32 - HashBits);
}

inline bool NeedsRun(unsigned char b) { return b >= 0x80 || (b >= 0x01 && b <= 0x08); }

inline bool PairsWithSpace(unsigned char b) { return b >= 0x40 && b <= 0x7F; }

}  // namespace

void EncodeText(const unsigned char* text, size_t n, std::vector<unsigned char>& stream) {
  stream.clear();
  if (!text || n == 0) return;

  // Longest match (capped at MaxMatch and at the text end) and its distance.
  std::vector<uint8_t> matchLength(n, 0);
  std::vector<uint16_t> matchDistance(n, 0);
  std::vector<int32_t> head(size_t(1) << HashBits, -1);
  std::vector<int32_t> previous(n, -1);
  for (size_t i = 0; i + MinMatch <= n; ++i) {
    const uint32_t h = Hash3(text + i);
    const size_t limit = std::min(MaxMatch, n - i);
    size_t best = 0;
    int steps = 0;
    for (int32_t c = head[h]; c >= 0 && i - size_t(c) <= MaxDistance && steps < ChainLimit;
         c = previous[c], ++steps) {
      const unsigned char* s = text + c;
      if (s[0] != text[i] || s[1] != text[i + 1] || s[2] != text[i + 2]) continue;
      // The source may run into the bytes being matched: the decoder copies
      // one byte at a time, so comparing the text with itself is exact.
      size_t len = MinMatch;
      while (len < limit && s[len] == text[i + len]) ++len;
      if (len > best) {
        best = len;
        matchDistance[i] = static_cast<uint16_t>(i - size_t(c));
        if (len == limit) break;
      }
    }
    matchLength[i] = static_cast<uint8_t>(best);
    previous[i] = head[h];
    head[h] = static_cast<int32_t>(i);
  }

  // cost[i]: fewest stream bytes for text[i, n); step[i]: text bytes the
  // chosen token at i covers (1 literal, 2 space pair, 3..10 back-reference).
  std::vector<uint32_t> cost(n + 1, 0);
  std::vector<uint8_t> step(n, 1);
  for (size_t i = n; i-- > 0;) {
    const unsigned char b = text[i];
    uint32_t best = UINT32_MAX;
    uint8_t choice = 1;
    if (b == ' ' && i + 1 < n && PairsWithSpace(text[i + 1])) {
      best = 1 + cost[i + 2];
      choice = 2;
    } else {
      best = (NeedsRun(b) ? 2u : 1u) + cost[i + 1];
    }
    // On a tie the longer back-reference wins: fewer tokens decode faster.
    for (size_t len = MinMatch; len <= matchLength[i]; ++len) {
      const uint32_t c = 2 + cost[i + len];
      if (c <= best) {
        best = c;
        choice = static_cast<uint8_t>(len);
      }
    }
    cost[i] = best;
    step[i] = choice;
  }

  stream.reserve(cost[0]);
  for (size_t i = 0; i < n;) {
    const unsigned char b = text[i];
    const size_t s = step[i];
    if (s >= MinMatch) {
      const unsigned w = 0x8000u | unsigned(matchDistance[i]) << 3 | unsigned(s - MinMatch);
      stream.push_back(static_cast<unsigned char>(w >> 8));
      stream.push_back(static_cast<unsigned char>(w & 0xFF));
    } else if (s == 2) {
      stream.push_back(static_cast<unsigned char>(text[i + 1] + 0x80));
    } else if (NeedsRun(b)) {
      stream.push_back(0x01);
      stream.push_back(b);
    } else {
      stream.push_back(b);
    }
    i += s;
  }
}
