#include "store/links.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

constexpr unsigned char Vav = 'f';
constexpr unsigned char Yod = 'j';
constexpr unsigned char Geresh = '\'';
constexpr unsigned char Gershayim = '"';

// Words of the previous side that a heading at the top of a side may quote,
// and how many headings at the top may quote them.
constexpr uint32_t PreviousTailWords = 30;
constexpr int32_t PreviousSideHeadings = 4;
// Words of a heading that are compared; a longer one is no quote.
constexpr uint32_t HeadingWords = 64;

bool IsLetter(unsigned char b) { return b >= 0x61 && b <= 0x7B; }

// Final forms compare as the ordinary letter (a word cut short ends in one).
unsigned char Medial(unsigned char b) {
  switch (b) {
    case 'k': return 'l';
    case 'n': return 'o';
    case 'p': return 'q';
    case 't': return 'u';
    case 'v': return 'w';
    default: return b;
  }
}

// A word of a paragraph: where it is stored and its letters in reading order.
enum WordMark : uint8_t {
  MarkGeresh = 1,      // cut short: a geresh or an apostrophe after its letters
  MarkGershayim = 2,   // initials: gershayim between its letters
  MarkInBrackets = 4,  // in or at a bracket
  MarkOpens = 16,      // a bracket opens in it
  MarkCloses = 32,     // a bracket closes in it
  MarkNumeral = 8,     // a number in letters with a geresh in brackets (of
                       // a reference), which only the same number fits
};
struct Word {
  uint16_t Start, End;  // stored bytes: the letters and the marks between them
  uint32_t Key;         // hash of the letters without vav and yod
  uint32_t Letters;     // index in the pool: medial forms, reading order
  uint16_t Paragraph;   // running number of its paragraph
  uint8_t Length;       // letters (at most 255 kept)
  uint8_t Mark;         // WordMark bits
};

struct Work {
  unsigned char* Pool;
  uint32_t PoolUsed;
  Word* Words;  // the previous side's last words, then the side's own
  uint32_t WordCount;
  Word* Tokens;  // the headings' words
  uint32_t TokenCount;
};

uint32_t KeyOf(const unsigned char* letters, uint32_t length) {
  uint32_t h = 2166136261u;
  for (uint32_t i = 0; i < length; ++i) {
    if (letters[i] != Vav && letters[i] != Yod) h = (h ^ letters[i]) * 16777619u;
  }
  return h;
}

// Walks a paragraph list: *at is the offset of a paragraph; fills its style,
// string and length and moves *at to the next. False at the ending 0 byte.
bool NextParagraph(const unsigned char* list, uint32_t* at, unsigned char* style, const unsigned char** text,
                   uint32_t* length) {
  if (*at > 0xFFFF || list[*at] == 0) return false;
  const uint32_t n = uint32_t(std::strlen(reinterpret_cast<const char*>(list + *at + 2)));
  if (*at + 3 + n > 0xFFFF) return false;  // offsets are 16-bit: the rest is not read
  *style = list[*at];
  *text = list + *at + 2;
  *length = n;
  *at += 3 + n;
  return true;
}

bool IsRule(unsigned char style) { return (style & 7) == 7; }
bool IsVisual(unsigned char style) { return style & 0x10; }
bool IsCentred(unsigned char style) { return (style & 0x60) == 0x40; }
bool IsHeading(unsigned char style) { return (style & 0xF0) == 0x50 && !IsRule(style); }

// Whether one or two letters are a number in letters (alef 1 to tav 400): a
// hundred, ten or unit, or a hundred or ten with a lower place after it, or
// 15 and 16 as 9 + 6 and 9 + 7.
bool IsNumeral(const unsigned char* letters, uint32_t length) {
  static const int16_t Values[27] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  0,   20,  30, 0,
                                     40, 0,  50, 60, 70, 0,  80, 0,  90,  100, 200, 300, 400};
  if (length < 1 || length > 2) return false;
  const int v0 = Values[letters[0] - 0x61], v1 = length == 2 ? Values[letters[1] - 0x61] : 0;
  auto place = [](int v) { return v < 10 ? 0 : v < 100 ? 1 : 2; };
  return v0 && (length == 1 || (v1 && (place(v1) < place(v0) || (v0 == 9 && (v1 == 6 || v1 == 7)))));
}

// Makes one word of a token (bytes [a, b) of the string at offset base), or
// nothing when it holds no letter.
bool MakeWord(const unsigned char* text, uint32_t a, uint32_t b, bool visual, uint32_t base, uint16_t paragraph,
              Work& w, Word* out) {
  // Reading-order index r of the token is stored byte at(r).
  const uint32_t n = b - a;
  auto at = [&](uint32_t r) { return text[visual ? b - 1 - r : a + r]; };
  uint32_t first = 0, last = n;
  while (first < n && !IsLetter(at(first))) ++first;
  while (last > first && !IsLetter(at(last - 1))) --last;
  if (first == last) return false;
  Word word{};
  if (last < n && at(last) == Geresh) word.Mark |= MarkGeresh, ++last;
  word.Letters = w.PoolUsed;
  for (uint32_t r = first; r < last; ++r) {
    const unsigned char c = at(r);
    if (IsLetter(c)) {
      if (word.Length < 255) w.Pool[w.PoolUsed++] = Medial(c), ++word.Length;
    } else if (c == Gershayim) {
      word.Mark |= MarkGershayim;
    }
  }
  word.Key = KeyOf(w.Pool + word.Letters, word.Length);
  word.Paragraph = paragraph;
  word.Start = uint16_t(base + (visual ? b - last : a + first));
  word.End = uint16_t(base + (visual ? b - first : a + last));
  *out = word;
  return true;
}

// Calls add(word) for each word of a paragraph string in reading order.
template <typename Add>
void ForEachWord(const unsigned char* list, const unsigned char* text, uint32_t length, bool visual,
                 uint16_t paragraph, Work& w, Add add) {
  const uint32_t base = uint32_t(text - list);
  auto isGap = [](unsigned char c) { return c == ' ' || c == '-'; };
  uint32_t i = visual ? length : 0;
  int depth = 0;
  for (;;) {
    uint32_t a, b;
    if (visual) {
      while (i > 0 && isGap(text[i - 1])) --i;
      if (i == 0) return;
      b = i;
      while (i > 0 && !isGap(text[i - 1])) --i;
      a = i;
    } else {
      while (i < length && isGap(text[i])) ++i;
      if (i == length) return;
      a = i;
      while (i < length && !isGap(text[i])) ++i;
      b = i;
    }
    // Brackets in reading order: stored display order has them mirrored.
    int opens = 0, closes = 0;
    for (uint32_t k = a; k < b; ++k) {
      const bool open = text[k] == '(' || text[k] == '[', close = text[k] == ')' || text[k] == ']';
      opens += visual ? close : open;
      closes += visual ? open : close;
    }
    Word word;
    if (MakeWord(text, a, b, visual, base, paragraph, w, &word)) {
      if (depth > 0 || opens || closes) word.Mark |= MarkInBrackets;
      if (opens) word.Mark |= MarkOpens;
      if (closes) word.Mark |= MarkCloses;
      if ((word.Mark & MarkInBrackets) && (word.Mark & MarkGeresh) && IsNumeral(w.Pool + word.Letters, word.Length))
        word.Mark |= MarkNumeral;
      if (!add(word)) return;
    }
    depth = depth + opens - closes < 0 ? 0 : depth + opens - closes > 8 ? 8 : depth + opens - closes;  }
}

// The words of a main-text record after its page header.
void CollectMain(const unsigned char* list, uint16_t* paragraph, Work& w) {
  uint32_t at = 0, length = 0;
  unsigned char style = 0;
  const unsigned char* text = nullptr;
  bool header = true;
  while (NextParagraph(list, &at, &style, &text, &length)) {
    if (header || IsRule(style)) {
      header = false;
      continue;
    }
    ForEachWord(list, text, length, IsVisual(style), ++*paragraph, w, [&](const Word& word) {
      w.Words[w.WordCount++] = word;
      return true;
    });
  }
}

uint32_t ListLength(const unsigned char* list) {
  if (!list) return 0;
  uint32_t at = 0, length = 0;
  unsigned char style = 0;
  const unsigned char* text = nullptr;
  while (NextParagraph(list, &at, &style, &text, &length)) {
  }
  return at + 1;
}

// An "and so on" mark: vav kaf vav or vav gimel vav with a geresh (or without
// the vav), or the words written out ("and so on", "and the rest").
bool IsEtCetera(const Word& t, const unsigned char* letters) {
  auto is = [&](const char* s) {
    return std::strlen(s) == t.Length && std::memcmp(letters, s, t.Length) == 0;
  };
  if (t.Mark & MarkGeresh) return is("flf") || is("fcf") || is("lf") || is("cf");
  return is("flfmj") || is("fcfoy");
}

// The same letters, vav and yod aside; a word of fewer than two other
// letters needs all of them the same, unless both are of three or more.
bool SameSkeleton(const Word& a, const unsigned char* la, const Word& b, const unsigned char* lb) {
  if (a.Key != b.Key) return false;
  uint32_t others = 0;
  for (uint32_t i = 0; i < a.Length; ++i) others += la[i] != Vav && la[i] != Yod;
  if (others < 2 && (a.Length < 3 || b.Length < 3))
    return a.Length == b.Length && std::memcmp(la, lb, a.Length) == 0;
  uint32_t i = 0, j = 0;
  for (;;) {
    while (i < a.Length && (la[i] == Vav || la[i] == Yod)) ++i;
    while (j < b.Length && (lb[j] == Vav || lb[j] == Yod)) ++j;
    if (i == a.Length || j == b.Length) return i == a.Length && j == b.Length;
    if (la[i++] != lb[j++]) return false;
  }
}

// A word cut short: the word begins with its letters (vav and yod aside,
// unless it has no others).
bool CutFits(const Word& cut, const unsigned char* lc, const Word& word, const unsigned char* lw) {
  uint32_t i = 0, j = 0, matched = 0;
  for (;;) {
    while (i < cut.Length && (lc[i] == Vav || lc[i] == Yod)) ++i;
    while (j < word.Length && (lw[j] == Vav || lw[j] == Yod)) ++j;
    if (i == cut.Length) break;
    if (j == word.Length || lc[i++] != lw[j++]) return false;
    ++matched;
  }
  return matched > 0 || (cut.Length <= word.Length && std::memcmp(lc, lw, cut.Length) == 0);
}

struct Candidate {
  uint32_t At;  // first matched word in Work::Words
  uint16_t Start, End;
  uint8_t Score;  // heading words that fit, loosely (Loose of them) or better
  uint8_t Loose;  // of them, words that fit only with another ending or prefix
  uint8_t Exact;  // of them, words spelled letter for letter as the text has them
};

// How two candidates of a heading compare: the more words that fit, then the
// fewer of them loosely, then the more spelled as the text spells them.
uint32_t Rank(const Candidate& c) { return uint32_t(c.Score) * 65536u + uint32_t(64 - c.Loose) * 256u + c.Exact; }

struct Heading {
  uint16_t CommentStart, CommentEnd;
  uint32_t FirstToken, Tokens;
  uint32_t FirstCandidate, Candidates;
  int32_t Need;
  int32_t Chosen;        // index in the candidates, or -1
  int64_t Lower, Upper;  // its words' first word lies between these
  uint32_t Tail;         // words of the previous side
  bool Initials;         // one word of initials only: fits many word pairs
  bool Aside;            // linked out of the text's order: bounds no other
};

// Places of one word on a side beyond which a heading of it is not looked
// for: far more than a real page has of any word.
constexpr uint32_t MaxPlaces = 400;

// Words of a reference (in brackets) a heading may pass over between two of
// its words, at most.
constexpr uint32_t SkippedWords = 4;

// The prefix letters that come and go in short headings: vav, dalet, he,
// bet, lamed, shin.
bool IsLoosePrefix(unsigned char c) { return c == 'f' || c == 'd' || c == 'e' || c == 'b' || c == 'm' || c == 'z'; }

// The same letters, vav and yod aside, of two letter runs.
bool SameLetters(const unsigned char* a, uint32_t na, const unsigned char* b, uint32_t nb, uint32_t least) {
  uint32_t i = 0, j = 0, others = 0;
  for (;;) {
    while (i < na && (a[i] == Vav || a[i] == Yod)) ++i;
    while (j < nb && (b[j] == Vav || b[j] == Yod)) ++j;
    if (i == na || j == nb) return i == na && j == nb && others >= least;
    if (a[i++] != b[j++]) return false;
    ++others;
  }
}

// A word of a short heading that differs from the text's by the plural
// ending (mem or nun) or by a prefix letter added or dropped.
bool LooseFits(const Word& t, const unsigned char* lt, const Word& x, const unsigned char* lx, uint32_t least) {
  if (t.Mark || (x.Mark & (MarkGeresh | MarkGershayim | MarkNumeral))) return false;
  if (t.Length == x.Length && t.Length >= 3) {
    const unsigned char a = lt[t.Length - 1], b = lx[x.Length - 1];
    return a != b && (a == 'o' || a == 'q') && (b == 'o' || b == 'q') &&
           SameLetters(lt, t.Length - 1, lx, x.Length - 1, least);
  }
  if (t.Length == x.Length + 1) return IsLoosePrefix(lt[0]) && SameLetters(lt + 1, t.Length - 1, lx, x.Length, least);
  if (x.Length == t.Length + 1) return IsLoosePrefix(lx[0]) && SameLetters(lt, t.Length, lx + 1, x.Length - 1, least);
  return false;
}

// How heading word t stands for the main-text words from p on (in p's
// paragraph, below end): 0 not, 1 loosely (only when asked: loose is how
// many letters besides vav and yod the rest of the word must have), 2 fits,
// 3 the same letters; *used is how many it takes, numbers passed over among
// initials included.
int TokenFits(const Work& w, const Word& t, uint32_t p, uint32_t end, uint32_t* used, uint32_t loose = 0) {
  const unsigned char* lt = w.Pool + t.Letters;
  const Word& x = w.Words[p];
  const unsigned char* lx = w.Pool + x.Letters;
  *used = 1;
  const bool same = t.Length == x.Length && std::memcmp(lt, lx, t.Length) == 0;
  if (x.Mark & MarkNumeral) {
    // Only the same number written the same way.
    return (t.Mark & MarkGeresh) && same ? 3 : 0;
  }
  if (t.Mark & MarkGershayim) {
    if ((x.Mark & MarkGershayim) && same) return 3;
    if (t.Length < 2 || t.Length > 4) return 0;
    uint32_t q = p, skipped = 0;
    for (uint32_t i = 0; i < t.Length; ++i, ++q) {
      while (q < end && i && w.Words[q].Paragraph == x.Paragraph && (w.Words[q].Mark & MarkNumeral) &&
             skipped < SkippedWords)
        ++q, ++skipped;
      if (q >= end || w.Words[q].Paragraph != x.Paragraph || w.Pool[w.Words[q].Letters] != lt[i]) return 0;
    }
    *used = q - p;
    return 2;
  }
  if (t.Mark & MarkGeresh) return CutFits(t, lt, x, lx) ? 2 : 0;
  if (SameSkeleton(t, lt, x, lx)) return same ? 3 : 2;
  return loose && LooseFits(t, lt, x, lx, loose) ? 1 : 0;
}

// Lays the heading's words over the main-text words from `from` on, passing
// over the words of a reference that none of them fits, and once a word of
// the text the heading leaves out or a word it adds; a quote may go on into
// the next paragraph. Returns the score (the words that fit) and the place
// of the words they stand for in the paragraph where they begin.
Candidate Align(const Work& w, const Heading& h, uint32_t from, uint32_t regionEnd, uint32_t loose = 0) {
  Candidate c{0, 0, 0, 0, 0, 0};
  uint32_t p = from, firstWord = UINT32_MAX, lastWord = 0, skipped = 0;
  bool gap = false;
  const uint16_t paragraph = w.Words[from].Paragraph;
  auto inQuote = [&](uint32_t q) {
    return q < regionEnd && (w.Words[q].Paragraph == paragraph || w.Words[q].Paragraph == paragraph + 1);
  };
  auto fitsAt = [&](uint32_t k, uint32_t q, uint32_t* used) {
    return inQuote(q) ? TokenFits(w, w.Tokens[h.FirstToken + k], q, regionEnd, used, loose) : 0;
  };
  for (uint32_t k = 0; k < h.Tokens && inQuote(p); ++k) {
    const Word& t = w.Tokens[h.FirstToken + k];
    uint32_t used = 1;
    int fits = fitsAt(k, p, &used);
    if (!fits && firstWord != UINT32_MAX && w.Words[p].Paragraph == paragraph) {
      // The numbers that end a reference, or a whole reference.
      uint32_t q = p;
      while (q < regionEnd && (w.Words[q].Mark & MarkNumeral) && w.Words[q].Paragraph == paragraph &&
             skipped + (q - p) < SkippedWords)
        ++q;
      for (uint32_t r = p; q == p && (w.Words[p].Mark & MarkOpens) && r < regionEnd &&
                           w.Words[r].Paragraph == paragraph && skipped + (r - p) < SkippedWords;
           ++r) {
        if (w.Words[r].Mark & MarkCloses) q = r + 1;
      }
      if (q > p && q < regionEnd && w.Words[q].Paragraph == paragraph && (fits = TokenFits(w, t, q, regionEnd, &used, loose)))
        skipped += q - p, p = q;
    }
    if (!fits && firstWord != UINT32_MAX && !gap) {
      uint32_t u1 = 1, u2 = 1;
      if (fitsAt(k, p + 1, &u1) && (k + 1 == h.Tokens || fitsAt(k + 1, p + 1 + u1, &u2))) {
        // A word of the text the heading leaves out.
        gap = true, ++p;
        fits = fitsAt(k, p, &used);
      } else if (k + 1 < h.Tokens && fitsAt(k + 1, p, &u1) && (k + 2 == h.Tokens || fitsAt(k + 2, p + u1, &u2))) {
        // A word the heading adds.
        gap = true;
        continue;
      }
    }
    if (fits) {
      ++c.Score;
      c.Loose += fits == 1;
      c.Exact += fits == 3;
      if (firstWord == UINT32_MAX) firstWord = p;
      lastWord = p + used - 1;
    }
    p += used;
  }
  if (!c.Score) return c;
  c.At = firstWord;
  c.Start = w.Words[firstWord].Start;
  c.End = w.Words[firstWord].End;
  for (uint32_t i = firstWord + 1; i <= lastWord && w.Words[i].Paragraph == paragraph; ++i) {
    if (w.Words[i].Start < c.Start) c.Start = w.Words[i].Start;
    if (w.Words[i].End > c.End) c.End = w.Words[i].End;
  }
  return c;
}

struct Buffers {
  Candidate* Items = nullptr;
  uint32_t Count = 0, Capacity = 0;
  bool Add(const Candidate& c) {
    if (Count == Capacity) {
      const uint32_t capacity = Capacity ? Capacity * 2 : 256;
      Candidate* grown = static_cast<Candidate*>(std::realloc(Items, capacity * sizeof(Candidate)));
      if (!grown) return false;
      Items = grown, Capacity = capacity;
    }
    Items[Count++] = c;
    return true;
  }
};

// The letter a word cut short is looked up by: its first other than vav and
// yod (its first when it has no other).
unsigned char LeadLetter(const Word& x, const unsigned char* letters) {
  for (uint32_t i = 0; i < x.Length; ++i) {
    if (letters[i] != Vav && letters[i] != Yod) return letters[i];
  }
  return letters[0];
}

// Where to look for the words of a heading: words by the hash of their
// letters, and by their first and lead letters.
struct WordIndex {
  int32_t* Table;  // first word of each hash bucket, -1: none
  uint32_t Mask;
  int32_t* Next;         // next word of the same bucket
  int32_t First[27];     // first word of each first letter
  int32_t* NextFirst;    // next word with the same first letter
  int32_t Lead[27];      // first word of each lead letter
  int32_t* NextLead;
  uint32_t FirstCount[27], LeadCount[27];  // words of each
};

// Starts worth aligning: where a word of the heading may stand (a plain word
// by the hash of its letters, a word cut short by its lead letter, initials
// by their first), moved back by the words before it (initials counted both
// ways, and words of a reference passed over). Every start when there is no
// room.
uint32_t Starts(const Work& w, const Heading& h, const WordIndex& index, uint32_t wordBegin, uint32_t wordEnd,
                uint32_t* out, uint32_t room, bool* crowded) {
  // Where each heading word may stand: a chain of words, and how long it is.
  // At most Tokens - Need of them miss at the place, so the places of that
  // many and one more, the rarest, hold a word of every place worth aligning.
  struct Lookup {
    const int32_t* Chain;
    int32_t Head;
    uint32_t Words;
    uint32_t Before, Extra;  // heading words before it, initials' more words
  } lookups[HeadingWords];
  const uint32_t tokens = h.Tokens;
  uint32_t before = 0, extra = 0;
  for (uint32_t k = 0; k < tokens; ++k) {
    const Word& t = w.Tokens[h.FirstToken + k];
    const unsigned char* lt = w.Pool + t.Letters;
    Lookup& l = lookups[k];
    l.Before = before, l.Extra = extra, l.Words = 0;
    if (!(t.Mark & (MarkGeresh | MarkGershayim))) {
      l.Chain = index.Next, l.Head = index.Table[t.Key & index.Mask];
      for (int32_t q = l.Head; q >= 0 && l.Words <= MaxPlaces; q = l.Chain[q]) l.Words += w.Words[q].Key == t.Key;
    } else if (t.Mark & MarkGershayim) {
      l.Chain = index.NextFirst, l.Head = index.First[lt[0] - 0x61], l.Words = index.FirstCount[lt[0] - 0x61];
    } else {
      const unsigned char lead = LeadLetter(t, lt);
      l.Chain = index.NextLead, l.Head = index.Lead[lead - 0x61], l.Words = index.LeadCount[lead - 0x61];
    }
    ++before;
    if ((t.Mark & MarkGershayim) && t.Length > 1) extra += t.Length - 1u;
  }
  std::sort(lookups, lookups + tokens, [](const Lookup& a, const Lookup& b) { return a.Words < b.Words; });
  const uint32_t needed = tokens - uint32_t(h.Need) + 1;
  // A word that stands more often than any real page has it: the heading is
  // no quote to look for (the work per heading stays bounded).
  *crowded = lookups[needed < tokens ? needed - 1 : tokens - 1].Words > MaxPlaces;
  if (*crowded) return 0;
  uint32_t count = 0;
  for (uint32_t k = 0; k < needed && k < tokens; ++k) {
    const Lookup& l = lookups[k];
    for (int32_t q = l.Head; q >= 0; q = l.Chain[q]) {
      if (uint32_t(q) < wordBegin || uint32_t(q) >= wordEnd) continue;
      // Words of a reference before it may have been passed over.
      uint32_t skippable = 0;
      for (uint32_t i = 1; i <= l.Before && uint32_t(q) >= wordBegin + i; ++i)
        skippable += (w.Words[q - i].Mark & MarkInBrackets) != 0;
      // One word fewer or more before it: a word the heading adds, or one
      // of the text it leaves out.
      for (uint32_t back = l.Before ? l.Before - 1 : 0;
           back <= l.Before + l.Extra + skippable + 1 && back <= l.Before + l.Extra + SkippedWords + 1; ++back) {
        if (uint32_t(q) < wordBegin + back) break;
        if (count == room) {
          // No room: every start.
          count = 0;
          for (uint32_t p = wordBegin; p < wordEnd && count < room; ++p) out[count++] = p;
          return count;
        }
        out[count++] = uint32_t(q) - back;
        if (back >= l.Before) skippable += (w.Words[q - back].Mark & MarkInBrackets) != 0;
      }
    }
  }
  return count;
}

// The one candidate of h with the best rank among those whose first word
// lies between lower (the place of a heading before it, which it may share)
// and upper, or -1 (none, or a tie). A candidate within another is the same
// place: the one with the fewer words stands.
int32_t OnlyBest(const Buffers& c, const Heading& h, int64_t lower, int64_t upper) {
  int32_t best = -1;
  uint32_t bestRank = 0;
  bool tie = false;
  for (uint32_t i = h.FirstCandidate; i < h.FirstCandidate + h.Candidates; ++i) {
    const Candidate& x = c.Items[i];
    if (int64_t(x.At) < lower || int64_t(x.At) >= upper || Rank(x) < bestRank) continue;
    if (Rank(x) > bestRank) {
      best = int32_t(i), bestRank = Rank(x), tie = false;
      continue;
    }
    const Candidate& b = c.Items[best];
    const bool within = (x.Start >= b.Start && x.End <= b.End) || (b.Start >= x.Start && b.End <= x.End);
    if (within && (x.At < h.Tail) == (b.At < h.Tail)) {
      if (x.End - x.Start < b.End - b.Start) best = int32_t(i);
    } else {
      tie = true;
    }
  }
  return tie ? -1 : best;
}

// Of the best candidates of h from lower on (below upper), the nearest to
// lower, or -1.
int32_t Nearest(const Buffers& c, const Heading& h, int64_t lower, int64_t upper) {
  int32_t best = -1;
  for (uint32_t i = h.FirstCandidate; i < h.FirstCandidate + h.Candidates; ++i) {
    const Candidate& x = c.Items[i];
    if (int64_t(x.At) < lower || int64_t(x.At) >= upper) continue;
    if (best < 0 || Rank(x) > Rank(c.Items[best]) ||
        (Rank(x) == Rank(c.Items[best]) && x.At < c.Items[best].At))
      best = int32_t(i);
  }
  return best;
}

}  // namespace

int32_t LinkComments(const unsigned char* mainText, const unsigned char* previousMain,
                     const unsigned char* commentary, CommentLink* links, int32_t capacity) {
  if (!commentary) return 0;
  const uint32_t mainLength = ListLength(mainText), previousLength = ListLength(previousMain),
                 commentaryLength = ListLength(commentary);
  // Room: a word needs at least two bytes of its string (a letter and a gap
  // or the 0), a paragraph three; the pool takes every letter once.
  const uint32_t wordRoom = (mainLength + previousLength) / 2 + 2, tokenRoom = commentaryLength / 2 + 2;
  uint32_t tableSize = 1;
  while (tableSize < 2 * wordRoom) tableSize *= 2;
  const uint32_t headingRoom = commentaryLength / 3 + 1;
  // Starts of one heading; later the chain of the linked headings.
  const uint32_t startRoom = 2 * (wordRoom > headingRoom ? wordRoom : headingRoom) + 8;
  const size_t bytes = sizeof(Word) * (wordRoom + tokenRoom) + sizeof(Heading) * headingRoom +
                       sizeof(int32_t) * (tableSize + 3 * wordRoom) + sizeof(uint32_t) * startRoom +
                       mainLength + previousLength + commentaryLength + 64;  // and the rounding of each part
  unsigned char* block = static_cast<unsigned char*>(std::malloc(bytes));
  if (!block) return LinkNoMemory;
  unsigned char* cursor = block;
  auto take = [&](size_t n) {
    unsigned char* p = cursor;
    cursor += (n + 7) & ~size_t(7);
    return p;
  };
  Work w{};
  w.Words = reinterpret_cast<Word*>(take(sizeof(Word) * wordRoom));
  w.Tokens = reinterpret_cast<Word*>(take(sizeof(Word) * tokenRoom));
  Heading* headings = reinterpret_cast<Heading*>(take(sizeof(Heading) * headingRoom));
  WordIndex index;
  index.Table = reinterpret_cast<int32_t*>(take(sizeof(int32_t) * tableSize));
  index.Mask = tableSize - 1;
  index.Next = reinterpret_cast<int32_t*>(take(sizeof(int32_t) * wordRoom));
  index.NextFirst = reinterpret_cast<int32_t*>(take(sizeof(int32_t) * wordRoom));
  index.NextLead = reinterpret_cast<int32_t*>(take(sizeof(int32_t) * wordRoom));
  uint32_t* starts = reinterpret_cast<uint32_t*>(take(sizeof(uint32_t) * startRoom));
  w.Pool = cursor;

  // The previous side's last words, then the side's own.
  uint16_t paragraph = 0;
  if (previousMain) {
    CollectMain(previousMain, &paragraph, w);
    if (w.WordCount > PreviousTailWords) {
      std::memmove(w.Words, w.Words + (w.WordCount - PreviousTailWords), PreviousTailWords * sizeof(Word));
      w.WordCount = PreviousTailWords;
    }
  }
  const uint32_t tail = w.WordCount;
  if (mainText) CollectMain(mainText, &paragraph, w);
  for (uint32_t i = 0; i < tableSize; ++i) index.Table[i] = -1;
  for (int32_t& f : index.First) f = -1;
  for (int32_t& f : index.Lead) f = -1;
  for (uint32_t& c : index.FirstCount) c = 0;
  for (uint32_t& c : index.LeadCount) c = 0;
  for (uint32_t i = w.WordCount; i-- > 0;) {
    const Word& x = w.Words[i];
    const unsigned char* letters = w.Pool + x.Letters;
    index.Next[i] = index.Table[x.Key & index.Mask];
    index.Table[x.Key & index.Mask] = int32_t(i);
    index.NextFirst[i] = index.First[letters[0] - 0x61];
    index.First[letters[0] - 0x61] = int32_t(i);
    index.NextLead[i] = index.Lead[LeadLetter(x, letters) - 0x61];
    index.Lead[LeadLetter(x, letters) - 0x61] = int32_t(i);
    ++index.FirstCount[letters[0] - 0x61];
    ++index.LeadCount[LeadLetter(x, letters) - 0x61];
  }

  // The headings, their comments and their quoted words.
  int32_t count = 0;
  {
    uint32_t at = 0, length = 0;
    unsigned char style = 0;
    const unsigned char* text = nullptr;
    bool header = true;
    Heading* open = nullptr;  // the comment still taking paragraphs
    for (;;) {
      const uint32_t here = at;
      if (!NextParagraph(commentary, &at, &style, &text, &length)) {
        if (open) open->CommentEnd = uint16_t(here);
        break;
      }
      if (header) {
        header = false;
        continue;
      }
      if (IsCentred(style) && open) open->CommentEnd = uint16_t(here), open = nullptr;
      if (!IsHeading(style) || uint32_t(count) >= headingRoom) continue;
      Heading& h = headings[count++];
      h = Heading{uint16_t(here), uint16_t(here), w.TokenCount, 0, 0, 0, 0, -1, -1, INT64_MAX, tail, false, false};
      open = &h;
      ForEachWord(commentary, text, length, IsVisual(style), 0, w, [&](const Word& word) {
        if (IsEtCetera(word, w.Pool + word.Letters)) return false;
        w.Tokens[w.TokenCount++] = word;
        return w.TokenCount - h.FirstToken < HeadingWords;
      });
      h.Tokens = w.TokenCount - h.FirstToken;
      h.Need = int32_t(2 * h.Tokens + 2) / 3;
    }
  }

  // Every place where enough of a heading's words stand; for a short
  // heading that stands nowhere, the places where it stands with another
  // ending or a prefix letter.
  Buffers found;
  bool sound = true;
  for (int32_t i = 0; i < count && sound; ++i) {
    Heading& h = headings[i];
    h.FirstCandidate = found.Count;
    if (!h.Tokens) continue;
    h.Initials = h.Tokens == 1 && (w.Tokens[h.FirstToken].Mark & MarkGershayim);
    const uint32_t begin = previousMain && i < PreviousSideHeadings ? 0 : tail;
    bool crowded = false;
    uint32_t n = Starts(w, h, index, begin, w.WordCount, starts, startRoom, &crowded);
    const bool loose = !n && !crowded && h.Tokens <= 2;
    if (loose) {
      for (uint32_t p = begin; p < w.WordCount && n < startRoom; ++p) starts[n++] = p;
    }
    std::sort(starts, starts + n);
    for (uint32_t s = 0; s < n && sound; ++s) {
      if (s && starts[s] == starts[s - 1]) continue;
      // A word of one other letter may be loose beside a word that fits.
      const Candidate c = Align(w, h, starts[s], starts[s] < tail ? tail : w.WordCount, loose ? 3 - h.Tokens : 0);
      if (int32_t(c.Score) < h.Need) continue;
      // Two starts that come to the same words are one place (the starts are
      // in order, so such candidates stand together).
      bool same = false;
      for (uint32_t k = found.Count > h.FirstCandidate + 4 ? found.Count - 4 : h.FirstCandidate;
           k < found.Count && !same; ++k) {
        Candidate& o = found.Items[k];
        if (o.Start == c.Start && o.End == c.End && (o.At < tail) == (c.At < tail)) {
          same = true;
          if (Rank(c) > Rank(o)) o = c;
        }
      }
      if (!same) sound = found.Add(c);
    }
    h.Candidates = found.Count - h.FirstCandidate;
  }
  if (!sound) {
    std::free(found.Items);
    std::free(block);
    return LinkNoMemory;
  }
  // Initials alone fit any pair of words with those first letters: such a
  // heading is placed only after its neighbour's (below), unless the text
  // has the same abbreviation.
  auto open = [&](const Heading& h, int32_t k) { return !h.Initials || found.Items[k].Exact; };

  // Headings whose words stand at one best place, kept where they follow the
  // text's order (the longest such chain; a heading may start where the one
  // before it starts). One whose words as written stand once on the side is
  // kept out of that order too, but bounds no other.
  {
    int32_t* length = reinterpret_cast<int32_t*>(starts);  // chain lengths
    int32_t* from = length + count;                        // links of the chain
    int32_t bestEnd = -1;
    for (int32_t i = 0; i < count; ++i) {
      Heading& h = headings[i];
      h.Chosen = OnlyBest(found, h, -1, INT64_MAX);
      if (h.Chosen >= 0 && !open(h, h.Chosen)) h.Chosen = -1;
      length[i] = 0, from[i] = -1;
      if (h.Chosen < 0) continue;
      length[i] = 1;
      const uint32_t at = found.Items[h.Chosen].At;
      for (int32_t j = 0; j < i; ++j) {
        if (length[j] && found.Items[headings[j].Chosen].At <= at && length[j] + 1 > length[i])
          length[i] = length[j] + 1, from[i] = j;
      }
      if (bestEnd < 0 || length[i] > length[bestEnd]) bestEnd = i;
    }
    int32_t keep = bestEnd;
    for (int32_t i = count - 1; i >= 0; --i) {
      Heading& h = headings[i];
      if (i == keep) {
        keep = from[i];
      } else if (h.Chosen >= 0) {
        const Candidate& c = found.Items[h.Chosen];
        h.Aside = c.Score == h.Tokens && !c.Loose && !h.Initials && h.Candidates == 1 &&
                  h.Tokens >= 2;
        if (!h.Aside) h.Chosen = -1;
      }
    }
  }
  // The others: the one best place between what their neighbours allow (the
  // place of the one before only when nothing after it fits, or when it
  // repeats that one's words), again until nothing changes. A linked heading
  // allows what lies beyond its place; an unlinked one whose words (two or
  // more) stand whole at every place open to it, what lies beyond the first
  // (or last) of them. Where that leaves a tie, the nearest place after the
  // heading before is taken, for initials alone and for a heading of two
  // words or more, or of one long word that stands at most twice.
  auto sameWords = [&](const Heading& a, const Heading& b) {
    if (a.Tokens != b.Tokens) return false;
    for (uint32_t k = 0; k < a.Tokens; ++k)
      if (w.Tokens[a.FirstToken + k].Key != w.Tokens[b.FirstToken + k].Key) return false;
    return true;
  };
  for (int32_t i = 0; i < count; ++i) headings[i].Lower = -1, headings[i].Upper = INT64_MAX;
  for (bool changed = true, ties = false; changed || !ties;) {
    if (!changed) ties = true;
    changed = false;
    auto bound = [&](const Heading& h, bool first, int64_t* edge) {
      if (h.Aside) return;
      if (h.Chosen >= 0) return *edge = found.Items[h.Chosen].At, void();
      int64_t lowest = INT64_MAX, highest = -1;
      for (uint32_t k = h.FirstCandidate; k < h.FirstCandidate + h.Candidates; ++k) {
        const Candidate& x = found.Items[k];
        if (int64_t(x.At) <= h.Lower || int64_t(x.At) >= h.Upper) continue;
        if (h.Tokens < 2 || x.Score != h.Tokens) return;
        if (int64_t(x.At) < lowest) lowest = x.At;
        if (int64_t(x.At) > highest) highest = x.At;
      }
      if (highest >= 0) *edge = first ? lowest : highest;
    };
    int64_t edge = -1;
    for (int32_t i = 0; i < count; ++i) {
      changed |= headings[i].Lower != edge;
      headings[i].Lower = edge;
      bound(headings[i], true, &edge);
    }
    edge = INT64_MAX;
    for (int32_t i = count; i-- > 0;) {
      changed |= headings[i].Upper != edge;
      headings[i].Upper = edge;
      bound(headings[i], false, &edge);
    }
    for (int32_t i = 0; i < count; ++i) {
      Heading& h = headings[i];
      if (h.Chosen >= 0) continue;
      const Heading* before = i > 0 && headings[i - 1].Chosen >= 0 && !headings[i - 1].Aside ? &headings[i - 1] : nullptr;
      const int64_t after = before ? int64_t(found.Items[before->Chosen].At) : -1;
      if (before && sameWords(h, *before)) {
        h.Chosen = Nearest(found, h, after, after + 1);
      } else if (!h.Initials) {
        h.Chosen = OnlyBest(found, h, h.Lower + 1, h.Upper);
        if (h.Chosen < 0 && Nearest(found, h, h.Lower + 1, h.Upper) < 0) h.Chosen = OnlyBest(found, h, h.Lower, h.Upper);
      }
      if (h.Chosen < 0 && ties && before) {
        const Word& t = w.Tokens[h.FirstToken];
        if (h.Initials || h.Tokens >= 2 || (t.Length >= 4 && h.Candidates <= 2)) {
          h.Chosen = Nearest(found, h, after + 1, h.Upper);
          if (h.Chosen < 0) h.Chosen = Nearest(found, h, after, after + 1);
        }
      }
      if (h.Chosen >= 0) changed = true, ties = false;
    }
  }

  for (int32_t i = 0; i < count && i < capacity; ++i) {
    const Heading& h = headings[i];
    CommentLink link{h.CommentStart, h.CommentEnd, 0, 0, LinkNone};
    if (h.Chosen >= 0) {
      const Candidate& c = found.Items[h.Chosen];
      link.QuoteStart = c.Start;
      link.QuoteEnd = c.End;
      link.Side = c.At < tail ? LinkPreviousSide : LinkThisSide;
    }
    links[i] = link;
  }
  std::free(found.Items);
  std::free(block);
  return count;
}
