// The wildcard matcher, the paragraph split and the buffer scan of the text
// search. Platform-free.
#include "store/search.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "store/corpustexts.h"
#include "store/letters.h"
#include "store/records.h"

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

// The bytes a search compares: the stored text as it is.
struct Stored {
  const unsigned char* Text;
  unsigned char operator[](ptrdiff_t i) const { return Text[i]; }
  ptrdiff_t LastOf(ptrdiff_t end, unsigned char c) const { return LastIndexOf(Text, end, c); }
};

// Bytes that can belong to a number as store/letters.h turns numbers, and
// those of them that join two digits (a number holds them only between its
// first digit and its last).
bool NumberByte(unsigned char b) { return IsNumberByte(b); }
bool Separator(unsigned char b) { return b == '+' || b == '-' || b == ',' || b == '.' || b == '/' || b == ':'; }

// The run of number bytes [RunFrom, RunTo) around a byte and the number in
// it, First..Last (none: First > Last), found as PutNumbersBack finds it:
// from its first digit to its last with the signs that touch them. Its ends
// are the same whichever way the number stands.
struct NumberSpan {
  size_t RunFrom, RunTo, First, Last;
  bool Holds(size_t at) const { return First <= at && at <= Last; }
  size_t Place(size_t at) const { return Holds(at) ? First + Last - at : at; }  // at with the number turned
};

NumberSpan NumberAt(const unsigned char* text, size_t n, size_t at) {
  NumberSpan s = {at, at, 1, 0};
  if (!NumberByte(text[at])) return s;
  int32_t runFrom, runTo, first, last;
  const bool number = NumberRunAround(text, static_cast<int32_t>(n), static_cast<int32_t>(at), &runFrom, &runTo,
                                      &first, &last);
  s.RunFrom = static_cast<size_t>(runFrom);
  s.RunTo = static_cast<size_t>(runTo);
  if (number) {
    s.First = static_cast<size_t>(first);
    s.Last = static_cast<size_t>(last);
  }
  return s;
}

// A paragraph text[0, n) with every number turned round again: the plain
// reversal of its reading order. Read through, not copied; the number of
// the last byte read is kept, so a scan goes through a run once.
struct Turned {
  const unsigned char* Text;
  size_t Length;
  mutable NumberSpan Span = {1, 0, 1, 0};
  size_t Place(size_t at) const {
    if (!NumberByte(Text[at])) return at;
    if (at < Span.RunFrom || at >= Span.RunTo) Span = NumberAt(Text, Length, at);
    return Span.Place(at);
  }
  unsigned char operator[](ptrdiff_t i) const { return Text[Place(static_cast<size_t>(i))]; }
  ptrdiff_t LastOf(ptrdiff_t end, unsigned char c) const {
    if (!NumberByte(c)) return LastIndexOf(Text, end, c);  // such a byte stays where it is
    while (end > 0) {
      if ((*this)[--end] == c) return end;
    }
    return -1;
  }
};

// MatchBackward on a pattern of n bytes with no `*` at either end (n >= 1),
// with positions as indexes from first: scans text[0..last].
template <typename View>
ptrdiff_t MatchIndex(const View& text, const unsigned char* p, size_t n, ptrdiff_t last, size_t* length) {
  const unsigned char c = p[n - 1];
  for (ptrdiff_t pos = last; pos >= 0; --pos) {
    if (c != AnyByte) {
      pos = text.LastOf(pos + 1, c);
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

// The first hit in reading order in the paragraph text[0, n) that begins, in
// reading order, after the byte at `after` (after >= n: the whole paragraph).
// Returns the highest stored byte the hit covers, with the bytes from the
// lowest one to it in *length, or -1. In display order the hit's bytes are
// all below after; in reading order p has its numbers turned round and is
// matched against the paragraph turned so (Turned), and a hit that begins
// or ends inside a number covers that number to its end in the stored text.
ptrdiff_t MatchText(const unsigned char* text, size_t n, size_t after, const unsigned char* p, size_t pn,
                    RunOrder order, size_t* length) {
  if (order == RunOrder::Display) {
    return MatchIndex(Stored{text}, p, pn, static_cast<ptrdiff_t>(after < n ? after : n) - 1, length);
  }
  const Turned turned{text, n};
  const ptrdiff_t last = after < n ? static_cast<ptrdiff_t>(turned.Place(after)) - 1 : static_cast<ptrdiff_t>(n) - 1;
  size_t hitLength = 0;
  const ptrdiff_t hit = MatchIndex(turned, p, pn, last, &hitLength);
  if (hit < 0) return -1;
  const size_t top = static_cast<size_t>(hit), bottom = top + 1 - hitLength;
  const NumberSpan low = NumberAt(text, n, bottom), high = NumberAt(text, n, top);
  size_t from = low.Holds(bottom) ? low.First : bottom, to = high.Holds(top) ? high.Last : top;
  if (low.Holds(bottom) && low.Holds(top)) from = low.Place(top), to = low.Place(bottom);  // inside one number
  *length = to - from + 1;
  return static_cast<ptrdiff_t>(to);
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
  const ptrdiff_t at = MatchIndex(Stored{first}, pattern, n, last - first, &hitLength);
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
                   uint16_t* length, RunOrder order) {
  PreparedPattern p;
  PreparePattern(&p, pattern, nullptr, order);
  const size_t n = static_cast<size_t>(p.CoreLength);
  if (n == 0) return 0;
  // Most texts hold no place where the pattern's plain bytes stand side by
  // side; those are passed over without a paragraph list.
  int32_t paragraphs = 0;
  const unsigned char* listEnd = ListEnd(buffer, &paragraphs);
  if (!MayHold(MakeFilter(p.Shape, n), buffer, static_cast<size_t>(listEnd - buffer))) return 0;

  ParagraphNode* list = nullptr;
  if (SplitParagraphs(buffer, &list) == SearchNoMemory) return SearchNoMemory;
  const unsigned char* end = buffer + start;
  int32_t result = 0;
  for (const ParagraphNode* node = list; node; node = node->Next) {
    if (node->End < end) continue;
    const unsigned char* text = node->Start + 2;
    // A start on a paragraph's style byte lies below its text: that
    // paragraph has been searched to its end already. On its parameter byte
    // the hits after its first stored byte are left, which in reading order
    // may be the first digit of a number that ends the paragraph.
    if (start != 0 && end >= node->Start && end + 1 < text) continue;
    const size_t textLength = static_cast<size_t>(node->End - text);
    const size_t after = end + 1 >= text && end < node->End ? static_cast<size_t>(end + 1 - text) : textLength;
    size_t hitLength = 0;
    const ptrdiff_t hit = MatchText(text, textLength, after, p.Core, n, order, &hitLength);
    if (hit >= 0) {
      *length = static_cast<uint16_t>(hitLength);
      result = static_cast<int32_t>(text + hit - buffer);
      break;
    }
  }
  FreeParagraphs(list);
  return result;
}

// ---- The held texts.

void* (*HitBlockAlloc)(size_t bytes) = std::malloc;

namespace {

bool Plain(unsigned char b) { return b != AnyByte && b != AnyRun; }

// True when the pattern's part around the anchor stands in the text with the
// anchor at `at`, inside the paragraph text [from, to).
bool PartStandsAt(const PreparedPattern& p, const unsigned char* text, size_t at, size_t from, size_t to) {
  const size_t before = static_cast<size_t>(p.Anchor - p.PartFrom);
  const size_t after = static_cast<size_t>(p.PartTo - p.Anchor);
  if (at < from + before || at + after >= to) return false;
  const unsigned char* t = text + at - before;
  for (int32_t j = p.PartFrom; j <= p.PartTo; ++j, ++t) {
    if (*t != p.Shape[j] && p.Shape[j] != AnyByte) return false;
  }
  return true;
}

// The first place p in [from, to) where text[p] is a and text[p + d] is b,
// or to; reads only below `readable` and never before text. Eight places at
// a time.
size_t NextPair(const unsigned char* text, size_t readable, size_t from, size_t to, unsigned char a, ptrdiff_t d,
                unsigned char b) {
  if (d < 0 && from < static_cast<size_t>(-d)) from = static_cast<size_t>(-d);
  const size_t hi = d > 0 ? (readable > static_cast<size_t>(d) ? readable - static_cast<size_t>(d) : 0) : readable;
  const size_t stop = to < hi ? to : hi;  // no place at or past it can hold both bytes
  constexpr uint64_t Ones = 0x0101010101010101ull;
  constexpr uint64_t Highs = 0x8080808080808080ull;
  const uint64_t ca = Ones * a, cb = Ones * b;
  for (; from + 8 <= stop; from += 8) {
    uint64_t w0, w1;
    std::memcpy(&w0, text + from, 8);
    std::memcpy(&w1, text + from + d, 8);
    const uint64_t x = (w0 ^ ca) | (w1 ^ cb);
    const uint64_t zero = (x - Ones) & ~x & Highs;  // its lowest bit marks the first place
    if (zero) {
      for (int k = 0; k < 8; ++k) {
        if (text[from + k] == a && text[from + k + d] == b) return from + k;
      }
    }
  }
  for (; from < stop; ++from) {
    if (text[from] == a && text[from + d] == b) return from;
  }
  return to;
}

}  // namespace

void PreparePattern(PreparedPattern* prepared, const unsigned char* pattern, const uint32_t* byteCounts,
                    RunOrder order) {
  *prepared = PreparedPattern{};
  size_t n = std::strlen(reinterpret_cast<const char*>(pattern));
  if (n > SearchStringBytes - 1) n = SearchStringBytes - 1;
  TrimRuns(pattern, n);
  std::memcpy(prepared->Core, pattern, n);
  const bool reading = order == RunOrder::Reading;
  if (reading) PutNumbersBack(prepared->Core, static_cast<int32_t>(n));
  // A separator beside a plain byte that is no number byte ends its run of
  // number bytes and so lies outside every number: it stays where it is.
  const unsigned char* core = prepared->Core;
  auto other = [&](size_t k) { return k < n && Plain(core[k]) && !NumberByte(core[k]); };
  for (size_t i = 0; i < n; ++i) {
    const bool fixed = Separator(core[i]) && ((i > 0 && other(i - 1)) || other(i + 1));
    prepared->Shape[i] = reading && NumberByte(core[i]) && !fixed ? AnyByte : core[i];
  }
  pattern = prepared->Core;
  prepared->CoreLength = static_cast<int32_t>(n);
  prepared->Order = order;
  prepared->Anchor = -1;
  uint32_t rarest = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!Plain(pattern[i])) continue;
    // The rarest byte; among equals the later one (without counts: the last).
    const uint32_t count = byteCounts ? byteCounts[pattern[i]] : 0;
    if (prepared->Anchor < 0 || count <= rarest) {
      prepared->Anchor = static_cast<int32_t>(i);
      rarest = count;
    }
  }
  prepared->Second = -1;
  if (prepared->Anchor < 0) return;
  prepared->PartFrom = prepared->PartTo = prepared->Anchor;
  while (prepared->PartFrom > 0 && pattern[prepared->PartFrom - 1] != AnyRun) --prepared->PartFrom;
  while (prepared->PartTo + 1 < static_cast<int32_t>(n) && pattern[prepared->PartTo + 1] != AnyRun) ++prepared->PartTo;
  prepared->Placed = prepared->Shape[prepared->Anchor] == pattern[prepared->Anchor];
  if (!prepared->Placed) return;
  // The rarest other plain byte of the part, nearest the anchor among equals.
  uint32_t second = 0;
  for (int32_t i = prepared->PartFrom; i <= prepared->PartTo; ++i) {
    if (i == prepared->Anchor || !Plain(prepared->Shape[i])) continue;
    const uint32_t count = byteCounts ? byteCounts[pattern[i]] : 0;
    const int32_t distance = i > prepared->Anchor ? i - prepared->Anchor : prepared->Anchor - i;
    const int32_t best = prepared->Second > prepared->Anchor ? prepared->Second - prepared->Anchor
                                                             : prepared->Anchor - prepared->Second;
    if (prepared->Second < 0 || count < second || (count == second && distance < best)) {
      prepared->Second = i;
      second = count;
    }
  }
  // memchr outruns a scan for pairs while the anchor is rarer than about one
  // byte in 64; without counts the pairs are the safer guess.
  uint64_t total = 0;
  for (int b = 0; byteCounts && b < 256; ++b) total += byteCounts[b];
  prepared->Pairs = prepared->Second >= 0 && (total == 0 || uint64_t(rarest) * 64 > total);
}

int32_t FindInHeldText(const PreparedPattern& p, const HeldText& held, uint16_t start, uint16_t* length) {
  if (p.CoreLength == 0 || held.ParagraphCount == 0) return 0;
  const unsigned char* text = held.Text;
  const uint16_t* para = held.Paragraphs;  // style byte of each paragraph, then the list's end
  const int32_t count = held.ParagraphCount;
  const size_t n = static_cast<size_t>(p.CoreLength);
  size_t hitLength = 0;
  int32_t i = 0;
  if (start != 0) {
    // The paragraph holding start: from start down (from its reading start
    // when start is its terminator, after its first stored byte when start
    // is its parameter byte); a start on its style byte: the next one.
    i = static_cast<int32_t>(std::upper_bound(para, para + count + 1, start) - para) - 1;
    if (i >= count) return 0;
    const size_t from = para[i] + 2u, terminator = para[i + 1] - 1u;
    if (start + 1u >= from && terminator > from) {
      const size_t after = start < terminator ? start + 1u - from : terminator - from;
      const ptrdiff_t at = MatchText(text + from, terminator - from, after, p.Core, n, p.Order, &hitLength);
      if (at >= 0) {
        *length = static_cast<uint16_t>(hitLength);
        return static_cast<int32_t>(from + static_cast<size_t>(at));
      }
    }
    ++i;
  }
  // The later paragraphs whole. A paragraph can only hold a hit where the
  // part around the anchor stands; without an anchor every paragraph is tried.
  const unsigned char* end = text + para[count];
  const unsigned char* from = i < count ? text + para[i] + 2 : end;
  while (i < count) {
    size_t at;
    if (p.Pairs) {
      at = NextPair(text, held.Length, static_cast<size_t>(from - text), para[count], p.Core[p.Anchor],
                    p.Second - p.Anchor, p.Core[p.Second]);
      if (at == para[count]) return 0;
      while (para[i + 1] <= at) ++i;
    } else if (p.Anchor >= 0) {
      const void* found = std::memchr(from, p.Core[p.Anchor], static_cast<size_t>(end - from));
      if (!found) return 0;
      at = static_cast<size_t>(static_cast<const unsigned char*>(found) - text);
      while (para[i + 1] <= at) ++i;
    } else {
      at = para[i] + 2u;
    }
    const size_t textStart = para[i] + 2u, terminator = para[i + 1] - 1u;
    if (at < textStart) {  // a style or parameter byte
      from = text + textStart;
      continue;
    }
    if (p.Anchor >= 0 && p.Placed && !PartStandsAt(p, text, at, textStart, terminator)) {
      from = text + at + 1;
      continue;
    }
    const size_t textLength = terminator - textStart;
    const ptrdiff_t hit = MatchText(text + textStart, textLength, textLength, p.Core, n, p.Order, &hitLength);
    if (hit >= 0) {
      *length = static_cast<uint16_t>(hitLength);
      return static_cast<int32_t>(textStart + static_cast<size_t>(hit));
    }
    ++i;
    from = i < count ? text + para[i] + 2 : end;
  }
  return 0;
}

SearchHit NextHit(const PreparedPattern& pattern, int32_t record, uint16_t start, int32_t count, bool mainOnly) {
  for (int32_t k = 0; k < count; ++k, start = 0, record = record >= RecordCount ? 1 : record + 1) {
    if (mainOnly && record % 2 == 0) continue;
    HeldText held;
    if (!CorpusText(record, &held)) continue;
    uint16_t length = 0;
    const int32_t at = FindInHeldText(pattern, held, start, &length);
    if (at > 0) return SearchHit{record, static_cast<uint16_t>(at), length};
  }
  return SearchHit{0, 0, 0};
}

void BeginFindAll(FindAllRun* run, const unsigned char* pattern, bool mainOnly, uint32_t limit) {
  EndFindAll(run);
  PreparePattern(&run->Pattern, pattern, CorpusByteCounts(), CurrentOrder());
  run->MainOnly = mainOnly;
  run->Limit = limit < HitBlockCount * HitBlockHits ? limit : HitBlockCount * HitBlockHits;
  run->Record = 1;
}

bool FindAllStep(FindAllRun* run, int32_t records, uint32_t hits) {
  const int32_t end = run->Record + records < RecordCount + 1 ? run->Record + records : RecordCount + 1;
  for (uint32_t gathered = 0; run->Record < end && gathered < hits; ++gathered) {
    const SearchHit hit = NextHit(run->Pattern, run->Record, run->Start, end - run->Record, run->MainOnly);
    if (hit.Record == 0) {
      run->Record = end;
      run->Start = 0;
      break;
    }
    if (run->Count == run->Limit) {
      run->More = true;
      run->Record = RecordCount + 1;
      break;
    }
    SearchHit*& block = run->Blocks[run->Count / HitBlockHits];
    if (!block) block = static_cast<SearchHit*>(HitBlockAlloc(sizeof(SearchHit) * HitBlockHits));
    if (!block) {
      run->NoMemory = true;
      run->Record = RecordCount + 1;
      break;
    }
    block[run->Count++ % HitBlockHits] = hit;
    // On just past the hit, in reading order.
    run->Record = hit.Record;
    run->Start = static_cast<uint16_t>(hit.Offset - hit.Length);
  }
  return run->Record <= RecordCount;
}

SearchHit FindAllHit(const FindAllRun& run, uint32_t i) {
  if (i >= run.Count) return SearchHit{0, 0, 0};
  return run.Blocks[i / HitBlockHits][i % HitBlockHits];
}

void EndFindAll(FindAllRun* run) {
  for (SearchHit*& block : run->Blocks) std::free(block);
  *run = FindAllRun{};
  run->Record = RecordCount + 1;
}
