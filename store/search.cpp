// The wildcard matcher, the paragraph split and the buffer scan of the text
// search. Platform-free.
#include "store/search.h"

#include <cstdlib>
#include <cstring>

#include "store/letters.h"

void* (*ParagraphNodeAlloc)(size_t bytes) = std::malloc;

namespace {

constexpr int SearchUnits = SearchStringBytes - 1;  // units SetSearchString reads
constexpr uint32_t HebrewAlef = 0x05D0;              // the letters in Unicode: U+05D0..U+05EA

// Shortens p[0, n) by the `*` at either end; they stand for the empty run.
void TrimRuns(const unsigned char*& p, size_t& n) {
  while (n > 0 && p[0] == AnyRun) ++p, --n;
  while (n > 0 && p[n - 1] == AnyRun) --n;
}

// The highest i < end with text[i] == c, or -1. Eight bytes at a time while
// none of them is c.
ptrdiff_t LastIndexOf(const unsigned char* text, ptrdiff_t end, unsigned char c) {
  constexpr uint64_t Ones = 0x0101010101010101ull;
  constexpr uint64_t Highs = 0x8080808080808080ull;
  const uint64_t pattern = Ones * c;
  while (end >= 8) {
    uint64_t word;
    std::memcpy(&word, text + end - 8, 8);
    const uint64_t x = word ^ pattern;  // a zero byte where the text holds c
    if ((x - Ones) & ~x & Highs) break;
    end -= 8;
  }
  while (end > 0) {
    if (text[--end] == c) return end;
  }
  return -1;
}

// MatchBackward on a pattern of n bytes with no `*` at either end (n >= 1),
// with positions as indexes from first: scans text[0..last].
ptrdiff_t MatchIndex(const unsigned char* text, const unsigned char* p, size_t n, ptrdiff_t last,
                     size_t* length) {
  const unsigned char c = p[n - 1];
  for (ptrdiff_t pos = last; pos >= 0; --pos) {
    if (c != AnyByte) {
      pos = LastIndexOf(text, pos + 1, c);
      if (pos < 0) return -1;
    }
    ptrdiff_t q = static_cast<ptrdiff_t>(n) - 2;  // pattern index
    ptrdiff_t r = pos - 1;                         // text index
    for (;;) {
      if (q < 0) {
        *length = static_cast<size_t>(pos - r);
        return pos;
      }
      if (p[q] == AnyRun) {
        // The part before the `*` (not empty: the pattern does not begin
        // with one), nearest to r; none there means none below pos either.
        const unsigned char* part = p;
        size_t partLength = static_cast<size_t>(q);
        TrimRuns(part, partLength);
        size_t sub = 0;
        const ptrdiff_t at = MatchIndex(text, part, partLength, r, &sub);
        if (at < 0) return -1;
        *length = static_cast<size_t>(pos - at) + sub;
        return pos;
      }
      if (r < 0) break;
      if (text[r] != p[q] && p[q] != AnyByte) break;
      --q;
      --r;
    }
  }
  return -1;
}

// Up to three pattern bytes that every hit holds side by side: the last ones
// of the pattern's last run of plain bytes (no wildcard among them).
struct Filter {
  int Count;  // 0: no plain byte at all, nothing can be ruled out
  unsigned char Bytes[3];
};

Filter MakeFilter(const unsigned char* p, size_t n) {
  Filter f = {0, {0, 0, 0}};
  size_t end = n;
  while (end > 0 && (p[end - 1] == AnyByte || p[end - 1] == AnyRun)) --end;
  while (end > 0 && f.Count < 3 && p[end - 1] != AnyByte && p[end - 1] != AnyRun) {
    f.Bytes[2 - f.Count++] = p[--end];
  }
  return f;
}

// False when no place in text[0, n) holds the filter's bytes side by side,
// so that no hit can lie there. Eight places at a time.
bool MayHold(const Filter& f, const unsigned char* text, size_t n) {
  if (f.Count == 0) return true;
  const size_t span = static_cast<size_t>(f.Count) - 1;  // bytes before the last one
  if (n <= span) return false;
  constexpr uint64_t Ones = 0x0101010101010101ull;
  constexpr uint64_t Highs = 0x8080808080808080ull;
  const uint64_t c0 = Ones * f.Bytes[0], c1 = Ones * f.Bytes[1], c2 = Ones * f.Bytes[2];
  size_t i = span;  // candidate position of the last byte
  for (; i + 8 <= n; i += 8) {
    uint64_t w2, w1, w0;
    std::memcpy(&w2, text + i, 8);
    uint64_t x = w2 ^ c2;
    if (span >= 1) {
      std::memcpy(&w1, text + i - 1, 8);
      x |= w1 ^ c1;
    }
    if (span >= 2) {
      std::memcpy(&w0, text + i - 2, 8);
      x |= w0 ^ c0;
    }
    if ((x - Ones) & ~x & Highs) return true;
  }
  for (; i < n; ++i) {
    if (text[i] == f.Bytes[2] && (span < 1 || text[i - 1] == f.Bytes[1]) && (span < 2 || text[i - 2] == f.Bytes[0])) {
      return true;
    }
  }
  return false;
}

}  // namespace

void SetSearchString(const DisplayChar* text) {
  const uint32_t base = static_cast<uint32_t>(AppSettings.FontSettings.FontAsciiBase);
  int out = 0;
  for (int i = 0; i < SearchUnits && text[i] != 0; ++i) {
    uint32_t u = text[i];
    if (u - base < static_cast<uint32_t>(LetterCount)) {
      u = u - base + FirstLetter;
    } else if (u - HebrewAlef < static_cast<uint32_t>(LetterCount)) {
      u = u - HebrewAlef + FirstLetter;  // a Hebrew letter, whatever the mapping
    } else if (u == '{') {
      u = OpenBraceByte;  // the brace itself, not the last letter
    }
    if (u == ' ' && i + 1 < SearchUnits && text[i + 1] == ' ') continue;
    AppSettings.SearchString[out++] = static_cast<unsigned char>(u & 0xFF);
  }
  AppSettings.SearchString[out] = 0;
}

const unsigned char* MatchBackward(const unsigned char* first, const unsigned char* pattern,
                                   const unsigned char* last, uint16_t* length) {
  if (!first || !pattern || !last || last < first) return nullptr;
  size_t n = std::strlen(reinterpret_cast<const char*>(pattern));
  TrimRuns(pattern, n);
  if (n == 0) return nullptr;
  size_t hitLength = 0;
  const ptrdiff_t at = MatchIndex(first, pattern, n, last - first, &hitLength);
  if (at < 0) return nullptr;
  if (length) *length = static_cast<uint16_t>(hitLength);
  return first + at;
}

namespace {

// The end of a paragraph list (its ending 0 style byte) and its paragraphs.
const unsigned char* ListEnd(const unsigned char* buffer, int32_t* count) {
  *count = 0;
  const unsigned char* p = buffer;
  while (*p != 0) {
    p += 3 + std::strlen(reinterpret_cast<const char*>(p + 2));
    ++*count;
  }
  return p;
}

}  // namespace

int32_t SplitParagraphs(const unsigned char* buffer, ParagraphNode** head) {
  *head = nullptr;
  int32_t count = 0;
  ListEnd(buffer, &count);
  if (count == 0) return 0;
  // All nodes of one list come in one block, its first node at the start.
  auto* nodes = static_cast<ParagraphNode*>(ParagraphNodeAlloc(sizeof(ParagraphNode) * size_t(count)));
  if (!nodes) return SearchNoMemory;
  const unsigned char* p = buffer;
  for (int32_t i = 0; i < count; ++i) {
    const unsigned char* end = p + 2 + std::strlen(reinterpret_cast<const char*>(p + 2));
    nodes[i] = {i + 1 < count ? &nodes[i + 1] : nullptr, p, end};
    p = end + 1;
  }
  *head = nodes;
  return count;
}

void FreeParagraphs(ParagraphNode* head) { std::free(head); }

int32_t FindInText(const unsigned char* buffer, uint16_t start, const unsigned char* pattern,
                   uint16_t* length) {
  // Most texts hold no place where the pattern's plain bytes stand side by
  // side; those are passed over without a paragraph list.
  size_t n = std::strlen(reinterpret_cast<const char*>(pattern));
  const unsigned char* core = pattern;
  TrimRuns(core, n);
  if (n == 0) return 0;
  int32_t paragraphs = 0;
  const unsigned char* listEnd = ListEnd(buffer, &paragraphs);
  if (!MayHold(MakeFilter(core, n), buffer, static_cast<size_t>(listEnd - buffer))) return 0;

  ParagraphNode* list = nullptr;
  if (SplitParagraphs(buffer, &list) == SearchNoMemory) return SearchNoMemory;
  const unsigned char* end = buffer + start;
  int32_t result = 0;
  for (const ParagraphNode* node = list; node; node = node->Next) {
    if (node->End < end) continue;
    const unsigned char* text = node->Start + 2;
    // A start on a paragraph's style or parameter byte lies below its text:
    // that paragraph has been searched to its end already.
    if (start != 0 && end < text) continue;
    const unsigned char* upper = end >= text && end < node->End ? end : node->End - 1;
    if (const unsigned char* hit = MatchBackward(text, pattern, upper, length)) {
      result = static_cast<int32_t>(hit - buffer);
      break;
    }
  }
  FreeParagraphs(list);
  return result;
}
