// Test helper: checks a record stream token by token against its text.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Empty when the stream produces exactly the text and uses only the tokens
// the records may hold: literal runs of one byte only for 0x01..0x08 and
// 0x80..0xFF, no space stored alone before 0x40..0x7F, back-references of
// distance 1..(bytes written) that stay inside the text. Otherwise a
// description of the first fault.
inline std::string CheckTokens(const unsigned char* text, size_t n, const std::vector<unsigned char>& s) {
  size_t ip = 0, op = 0;
  auto at = [&](const char* what) { return std::string(what) + " at text offset " + std::to_string(op); };
  while (ip < s.size()) {
    if (op >= n) return at("stream goes on after the text");
    const unsigned c = s[ip++];
    if (c >= 0xC0) {
      if (op + 2 > n) return at("space pair past the end");
      if (text[op] != ' ' || text[op + 1] != c - 0x80) return at("space pair differs");
      op += 2;
    } else if (c >= 0x80) {
      if (ip >= s.size()) return at("back-reference cut off");
      const unsigned w = c << 8 | s[ip++];
      const size_t distance = (w >> 3) & 0x7FF, length = (w & 7) + 3;
      if (distance == 0 || distance > op) return at("back-reference before the text");
      if (op + length > n) return at("back-reference past the end");
      for (size_t i = 0; i < length; ++i) {
        if (text[op + i] != text[op + i - distance]) return at("back-reference differs");
      }
      op += length;
    } else if (c >= 0x01 && c <= 0x08) {
      if (c != 1) return at("literal run longer than one");
      if (ip >= s.size()) return at("literal run cut off");
      const unsigned b = s[ip++];
      if (b < 0x80 && (b < 0x01 || b > 0x08)) return at("literal run for a plain byte");
      if (text[op] != b) return at("literal run differs");
      ++op;
    } else {
      if (text[op] != c) return at("literal differs");
      if (c == ' ' && op + 1 < n && text[op + 1] >= 0x40 && text[op + 1] <= 0x7F)
        return at("space stored alone before a pairable byte");
      ++op;
    }
  }
  return op == n ? std::string() : at("stream ends before the text");
}
