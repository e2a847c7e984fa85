// References, citations and link arguments (see references.h).
//
// Both kinds of input become one byte language before they are read: the
// LetterCode letters 'a'..'{' in reading order, digits, ' and " for geresh
// and gershayim, . : ( ) as themselves, a space for every separator, 'A' and
// 'B' for the Latin side letters and Junk for anything else. A commentary's
// text is that language already.
#include "store/references.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "store/letters.h"

namespace {

constexpr unsigned char Junk = 0x01;

// Tokens

enum TokenKind : uint8_t { TokenWord, TokenNumber, TokenDot, TokenColon, TokenOpen, TokenClose, TokenOther };

constexpr int MaxWordLetters = 30;

struct Token {
  TokenKind Kind;
  int32_t Start, End;               // bytes of the text
  char Letters[MaxWordLetters + 1];  // a word's letters, final forms as the ordinary ones
  int32_t Length;                    // letters
  int32_t Gershayim;                 // a word: letters before its " (-1: none)
  bool Geresh;                       // a word: ' after its last letter
  int32_t Value;                     // a number's value (at most 99999)
  uint8_t Latin;                     // a number: 1 or 2 for a or b right after it
};

bool IsLetter(unsigned char c) { return c >= FirstLetter && c <= LastLetter; }

char Ordinary(unsigned char c) {
  switch (c) {
    case 'k': return 'l';
    case 'n': return 'o';
    case 'p': return 'q';
    case 't': return 'u';
    case 'v': return 'w';
    default: return static_cast<char>(c);
  }
}

// Splits s[0, n) into at most capacity tokens; returns their count, or -1
// when there are more.
int32_t Tokenize(const unsigned char* s, int32_t n, int32_t base, Token* out, int32_t capacity) {
  int32_t count = 0;
  int32_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c == ' ' || c == ',') {
      ++i;
      continue;
    }
    if (count == capacity) return -1;
    Token& t = out[count++];
    t = Token{};
    t.Kind = TokenOther;
    t.Gershayim = -1;
    t.Start = base + i;
    if (IsLetter(c)) {
      t.Kind = TokenWord;
      while (i < n) {
        if (IsLetter(s[i])) {
          if (t.Length == MaxWordLetters) t.Kind = TokenOther;
          else t.Letters[t.Length++] = Ordinary(s[i]);
          ++i;
        } else if (s[i] == '"' || s[i] == '\'') {
          // A quote inside the word, or a geresh ending it; '' is a gershayim.
          const bool doubled = s[i] == '\'' && i + 1 < n && s[i + 1] == '\'';
          const int32_t after = i + (doubled ? 2 : 1);
          const bool gershayim = s[i] == '"' || doubled;
          if (after < n && IsLetter(s[after])) {
            if (!gershayim || t.Gershayim >= 0) t.Kind = TokenOther;
            t.Gershayim = t.Length;
            i = after;
          } else {
            // At the end: a geresh (a gershayim there is taken as one too).
            t.Geresh = true;
            i = after;
            break;
          }
        } else {
          break;
        }
      }
      t.Letters[t.Length] = 0;
    } else if (c >= '0' && c <= '9') {
      t.Kind = TokenNumber;
      while (i < n && s[i] >= '0' && s[i] <= '9') {
        if (t.Value < 10000) t.Value = t.Value * 10 + (s[i] - '0');
        else t.Value = 99999;
        ++i;
      }
      if (i < n && (s[i] == 'A' || s[i] == 'B')) t.Latin = s[i++] == 'A' ? 1 : 2;
    } else {
      t.Kind = c == '.' ? TokenDot : c == ':' ? TokenColon : c == '(' ? TokenOpen : c == ')' ? TokenClose : TokenOther;
      ++i;
    }
    t.End = base + i;
  }
  return count;
}

bool Is(const Token& t, const char* letters) {
  return t.Kind == TokenWord && std::strcmp(t.Letters, letters) == 0;
}
bool IsPlain(const Token& t, const char* letters) { return Is(t, letters) && t.Gershayim < 0 && !t.Geresh; }

// Hebrew numerals

int32_t LetterValue(char c) {
  static const char Units[] = "abcdefghi", Tens[] = "jlmoqrsuw", Hundreds[] = "xyz{";
  if (const char* p = std::strchr(Units, c)) return int32_t(p - Units) + 1;
  if (const char* p = std::strchr(Tens, c)) return 10 * (int32_t(p - Tens) + 1);
  if (const char* p = std::strchr(Hundreds, c)) return 100 * (int32_t(p - Hundreds) + 1);
  return 0;
}

// The value of a word read as a Hebrew numeral: hundreds, then at most one
// ten and one unit, 15 and 16 only as 9 + 6 and 9 + 7; 0 when it is none.
int32_t NumeralValue(const Token& t) {
  if (t.Kind != TokenWord || t.Length == 0) return 0;
  int32_t value = 0, i = 0;
  int32_t last = 1000;
  while (i < t.Length && LetterValue(t.Letters[i]) >= 100 && LetterValue(t.Letters[i]) <= last) {
    last = LetterValue(t.Letters[i]);
    value += last;
    ++i;
  }
  const char* rest = t.Letters + i;
  if (!std::strcmp(rest, "if") || !std::strcmp(rest, "ig")) return value + (rest[1] == 'f' ? 15 : 16);
  if (i < t.Length && LetterValue(t.Letters[i]) >= 10 && LetterValue(t.Letters[i]) < 100) {
    const int32_t tens = LetterValue(t.Letters[i++]);
    // 15 and 16 are never written 10 + 5 and 10 + 6.
    if (tens == 10 && i < t.Length && (t.Letters[i] == 'e' || t.Letters[i] == 'f')) return 0;
    value += tens;
  }
  if (i < t.Length && LetterValue(t.Letters[i]) < 10) value += LetterValue(t.Letters[i++]);
  return i == t.Length ? value : 0;
}

int32_t FolioValue(const Token& t) {
  if (t.Kind == TokenNumber) return t.Value;
  return NumeralValue(t);
}

// The words of the grammar, LetterCode in reading order, final forms as
// the ordinary ones.
constexpr char WordDaf[] = "du", WordInDaf[] = "bdu", WordTractate[] = "orl{", WordInTractate[] = "borl{";
constexpr char WordAbove[] = "msjm", WordBelow[] = "mxoq", WordSide[] = "sofd", WordChapter[] = "uyx";
constexpr char WordInChapter[] = "buyx", WordCommentary[] = "ujyfz";

bool IsDaf(const Token& t) { return IsPlain(t, WordDaf) || IsPlain(t, WordInDaf) || (Is(t, "d") && t.Geresh); }

// "מסכת", "במסכת", also with ו before them, or cut short to "מס'", "במס'".
bool IsTractateWord(const Token& t) {
  if (t.Kind != TokenWord || t.Gershayim >= 0) return false;
  const char* letters = t.Letters + (t.Letters[0] == 'f' ? 1 : 0);
  if (t.Geresh) return !std::strcmp(letters, "or") || !std::strcmp(letters, "bor");
  return !std::strcmp(letters, WordTractate) || !std::strcmp(letters, WordInTractate);
}

// "לעיל", "לקמן", also with ו or כד before them.
bool IsRelativeWord(const Token& t) {
  if (t.Kind != TokenWord || t.Gershayim >= 0 || t.Geresh) return false;
  for (const char* prefix : {"", "f", "ld"}) {
    const size_t n = std::strlen(prefix);
    if (!std::strncmp(t.Letters, prefix, n) && (!std::strcmp(t.Letters + n, WordAbove) || !std::strcmp(t.Letters + n, WordBelow)))
      return true;
  }
  return false;
}

// "see" before a reference: "עיין", "ועיין", "עי'", "ועי'".
bool IsSeeWord(const Token& t) {
  if (t.Kind != TokenWord || t.Gershayim >= 0) return false;
  const char* letters = t.Letters + (t.Letters[0] == 'f' ? 1 : 0);
  return t.Geresh ? !std::strcmp(letters, "sj") : !std::strcmp(letters, "sjjq");
}

// The start or end of a folio or a chapter: "ריש", "סוף", "בריש", "בסוף".
bool IsPositionWord(const Token& t) {
  return IsPlain(t, "yjz") || IsPlain(t, "rfu") || IsPlain(t, "byjz") || IsPlain(t, "brfu");
}

// "א" or "ב", a geresh allowed: the side it names (0 or 1), else -1.
int32_t SideLetter(const Token& t) {
  if (t.Kind != TokenWord || t.Length != 1 || t.Gershayim >= 0) return -1;
  return t.Letters[0] == 'a' ? 0 : t.Letters[0] == 'b' ? 1 : -1;
}

// "ע"א", "ע"ב", also without the mark; "סע"ב", "רע"א" (the end or the start
// of a side) with it.
int32_t AyinSide(const Token& t) {
  if (t.Kind != TokenWord || t.Geresh) return -1;
  const int32_t from = t.Length == 3 && t.Gershayim == 2 && (t.Letters[0] == 'r' || t.Letters[0] == 'y') ? 1 : 0;
  if (t.Length != from + 2 || t.Letters[from] != 's' || (t.Gershayim >= 0 && t.Gershayim != from + 1)) return -1;
  return t.Letters[from + 1] == 'a' ? 0 : t.Letters[from + 1] == 'b' ? 1 : -1;
}

// A chapter mark that stands as one word: "פ"ג", "פ"יד", "בפ"ק".
bool IsChapterAbbreviation(const Token& t) {
  const int32_t from = t.Letters[0] == 'b' ? 1 : 0;
  if (t.Kind != TokenWord || t.Length < from + 2 || t.Letters[from] != 'u' || t.Gershayim != from + 1) return false;
  Token rest = t;
  std::memmove(rest.Letters, t.Letters + from + 1, size_t(t.Length - from));
  rest.Length = t.Length - from - 1;
  rest.Gershayim = -1;
  return NumeralValue(rest) > 0;
}

// The tractate names of the table, as they are compared.

constexpr int MaxNameWords = 6;

struct NameKey {
  char Skeleton[MaxTractateNameBytes + 1];  // letters without ו and י, words run together
  char Words[MaxNameWords][MaxTractateNameBytes + 1];  // each word's skeleton
  int32_t WordCount;
  char Initials[MaxNameWords + 1];  // first letters of the words (two words or more)
};

struct NameKeys {
  NameKey Keys[TractateCount];
  char SideWord[MaxSideWordBytes + 1];  // the corpus's side word, ordinary letters
};

bool IsVowelLetter(char c) { return c == 'f' || c == 'j'; }

void BuildKeys(NameKeys* keys, const TractateEntry* table) {
  for (int t = 0; t < TractateCount; ++t) {
    NameKey& k = keys->Keys[t];
    std::memset(&k, 0, sizeof k);
    const DisplayChar* name = table[t].Name;
    int32_t length = 0;
    while (name && name[length] && length < MaxTractateNameBytes) ++length;
    int32_t skeleton = 0, letters = 0;
    bool inWord = false;
    // The table's names are in display order: read from the end.
    for (int32_t i = length - 1; i >= 0; --i) {
      const DisplayChar c = name[i];
      if (c >= FirstLetter && c <= LastLetter) {
        const char o = Ordinary(static_cast<unsigned char>(c));
        if (!inWord) {
          if (k.WordCount == MaxNameWords) break;
          k.Initials[k.WordCount++] = o;
          letters = 0;
          inWord = true;
        }
        if (!IsVowelLetter(o)) {
          k.Skeleton[skeleton++] = o;
          k.Words[k.WordCount - 1][letters++] = o;
        }
      } else if (c == ' ' || c == '-') {
        inWord = false;
      }
    }
    if (k.WordCount < 2) k.Initials[0] = 0;
  }
  const DisplayChar* side = CorpusSideSuffix();
  int32_t length = 0;
  while (side[length]) ++length;
  int32_t n = 0;
  for (int32_t i = length - 1; i >= 1 && n < MaxSideWordBytes; --i) {
    if (side[i] >= FirstLetter && side[i] <= LastLetter) keys->SideWord[n++] = Ordinary(static_cast<unsigned char>(side[i]));
  }
  keys->SideWord[n] = 0;
}

bool IsSideWord(const Token& t, const NameKeys& keys) {
  return IsPlain(t, WordSide) || (keys.SideWord[0] && IsPlain(t, keys.SideWord));
}

// A word's letters without ו and י, from letter `from` on.
int32_t SkeletonOf(const Token& t, int32_t from, char* out) {
  int32_t n = 0;
  for (int32_t i = from; i < t.Length; ++i) {
    if (!IsVowelLetter(t.Letters[i])) out[n++] = t.Letters[i];
  }
  out[n] = 0;
  return n;
}

enum MatchKind : uint8_t { MatchNone, MatchWhole, MatchInitials, MatchPrefix };

struct NameMatch {
  MatchKind Kind;
  int32_t Count;
  uint8_t Tractates[TractateCount];
};

// How the words w[0, n) name a tractate: the first rule that some tractate
// answers to decides, and every tractate that answers to it is a candidate.
// With prefixed, only initials after a ב answer.
NameMatch MatchName(const NameKeys& keys, const Token* w, int32_t n, ReferenceMode mode, bool prefixed = false) {
  NameMatch m{};
  if (n <= 0) return m;
  for (int32_t i = 0; i < n; ++i) {
    if (w[i].Kind != TokenWord) return m;
  }
  const bool lenient = mode == ReferenceMode::Lenient;
  char typed[2][MaxTractateNameBytes * 2 + 2];  // as typed, and without a first ב
  int32_t typedLength[2] = {0, 0};
  int32_t letters = 0;
  bool fits[2] = {true, w[0].Letters[0] == 'b' && w[0].Length > 1};
  for (int32_t b = 0; b < 2; ++b) {
    for (int32_t i = 0; i < n && fits[b]; ++i) {
      char word[MaxWordLetters + 1];
      const int32_t k = SkeletonOf(w[i], i == 0 ? b : 0, word);
      // A word of vowel letters alone belongs to no name.
      if (k == 0) fits[b] = false;
      else if (typedLength[b] + k > MaxTractateNameBytes * 2) fits[b] = false;
      else std::memcpy(typed[b] + typedLength[b], word, size_t(k)), typedLength[b] += k;
    }
    typed[b][typedLength[b]] = 0;
  }
  for (int32_t i = 0; i < n; ++i) letters += w[i].Length;
  auto collect = [&](MatchKind kind, auto answers) {
    for (int t = 0; t < TractateCount; ++t) {
      if (answers(keys.Keys[t])) m.Tractates[m.Count++] = uint8_t(t);
    }
    if (m.Count) m.Kind = kind;
    return m.Count > 0;
  };
  // The whole name, vowel letters aside, and with a ב before it. In
  // citations word for word; typed, the spaces do not count.
  for (int32_t b = 0; b < 2; ++b) {
    if (!fits[b] || typedLength[b] == 0) continue;
    if (collect(MatchWhole, [&](const NameKey& k) {
          if (std::strcmp(k.Skeleton, typed[b]) != 0) return false;
          if (lenient) return true;
          if (k.WordCount != n) return false;
          for (int32_t i = 0; i < n; ++i) {
            char word[MaxWordLetters + 1];
            SkeletonOf(w[i], i == 0 ? b : 0, word);
            if (std::strcmp(word, k.Words[i]) != 0) return false;
          }
          return true;
        }))
      return m;
  }
  // Initials: one word, the mark before its last letter (typed, it may be
  // left out), with or without a ב before them.
  if (n == 1 && !w[0].Geresh && (w[0].Gershayim < 0 ? lenient : w[0].Gershayim == w[0].Length - 1)) {
    for (int32_t b = prefixed ? 1 : 0; b < 2; ++b) {
      if (b && !fits[1]) continue;
      if (collect(MatchInitials, [&](const NameKey& k) { return k.Initials[0] && !std::strcmp(k.Initials, w[0].Letters + b); }))
        return m;
    }
  }
  if (!lenient || letters < 2) return m;
  for (int32_t b = 0; b < 2; ++b) {
    if (!fits[b] || typedLength[b] == 0) continue;
    if (collect(MatchPrefix, [&](const NameKey& k) {
          return std::strncmp(k.Skeleton, typed[b], size_t(typedLength[b])) == 0;
        }))
      return m;
  }
  return m;
}

ReferenceResult Result(ReferenceCode code) {
  ReferenceResult r{};
  r.Code = code;
  r.Tractate = -1;
  return r;
}

// The tractate of an article, -1 for none.
int32_t TractateOf(int32_t article, int32_t* sideCode) {
  int32_t t = 0, side = 0;
  if (!LocateArticle(article, &t, &side)) return -1;
  if (sideCode) *sideCode = side;
  return t;
}

// The page a tractate's side code names, or why not.
ReferenceResult Resolve(int32_t tractate, int32_t sideCode) {
  ReferenceResult r = Result(ReferenceFound);
  r.Tractate = tractate;
  r.SideCode = sideCode;
  TractateSides(tractate, &r.FirstSideCode, &r.LastSideCode);
  r.Article = ArticleOfSide(tractate, sideCode);
  if (!r.Article) r.Code = ReferenceOutOfRange;
  return r;
}

ReferenceResult Candidates(const NameMatch& m) {
  ReferenceResult r = Result(ReferenceAmbiguous);
  r.CandidateCount = m.Count;
  std::memcpy(r.Candidates, m.Tractates, size_t(m.Count));
  return r;
}

// A tractate named before a citation's parenthesis.
struct OuterName {
  int32_t Tractate;  // -1: none
  bool Whole;        // named in full (after מסכת), not by initials
  bool Blocked;      // "מסכת" with a name the corpus lacks
};

// What a reference read showed besides its result.
struct ParseFacts {
  bool Implied;  // no tractate named: the page being read gave it
  bool Marked;   // "דף" or a side mark: written as a citation, whatever came of it
};

// Reads tokens t[0, n) as one reference.
ReferenceResult ParseTokens(const Token* t, int32_t n, const NameKeys& keys, int32_t current, ReferenceMode mode,
                            const OuterName* outer, ParseFacts* facts) {
  const bool lenient = mode == ReferenceMode::Lenient;
  ParseFacts ignored;
  if (!facts) facts = &ignored;
  *facts = ParseFacts{false, false};
  if (lenient) {
    if (n >= 2 && t[0].Kind == TokenOpen && t[n - 1].Kind == TokenClose) ++t, n -= 2;
    if (n >= 2 && IsPlain(t[n - 1], WordCommentary)) --n;
  }
  if (n == 0) return Result(ReferenceEmpty);
  for (int32_t i = 0; i < n; ++i) {
    if (t[i].Kind == TokenOther || t[i].Kind == TokenOpen || t[i].Kind == TokenClose) return Result(ReferenceNotUnderstood);
  }
  int32_t e = n, side = -1, folio = 0;
  bool strongSide = false, daf = false;
  // A folio before a side word. "ד'" there is the word for a folio ("(ד' ב)"
  // is folio 2), unless a "דף" stands before it.
  auto folioAt = [&](int32_t i) {
    if (i < 0 || FolioValue(t[i]) == 0 || t[i].Latin) return false;
    return !(Is(t[i], "d") && t[i].Geresh) || (i > 0 && IsDaf(t[i - 1]));
  };
  // The side.
  if (t[e - 1].Kind == TokenDot || t[e - 1].Kind == TokenColon) {
    side = t[e - 1].Kind == TokenColon;
    strongSide = true;
    --e;
  } else if (e >= 2 && IsSideWord(t[e - 2], keys) && SideLetter(t[e - 1]) >= 0) {
    side = SideLetter(t[e - 1]);
    strongSide = true;
    e -= 2;
    if (e == 0) {
      // "עמוד ב": that side of the folio being read.
      int32_t code = 0;
      const int32_t tractate = TractateOf(current, &code);
      if (tractate < 0) return Result(ReferenceNoCurrentPage);
      facts->Marked = true;
      return Resolve(tractate, code / 2 * 2 + side);
    }
  } else if (AyinSide(t[e - 1]) >= 0 && folioAt(e - 2)) {
    side = AyinSide(t[e - 1]);
    strongSide = true;
    --e;
  } else if (SideLetter(t[e - 1]) >= 0 && folioAt(e - 2)) {
    side = SideLetter(t[e - 1]);
    --e;
  }
  // The folio.
  if (e >= 1 && FolioValue(t[e - 1]) > 0 && (!t[e - 1].Latin || side < 0)) {
    folio = FolioValue(t[e - 1]);
    if (t[e - 1].Latin) side = t[e - 1].Latin - 1, strongSide = true;
    --e;
  } else if (side >= 0) {
    return Result(ReferenceNotUnderstood);
  }
  if (folio && e >= 1 && IsDaf(t[e - 1])) daf = true, --e;
  // (A "ד'" after a book's name is as likely its chapter.)
  facts->Marked = strongSide || (daf && !(Is(t[e], "d") && t[e].Geresh && e > 0));
  // A chapter mark and "the start"/"the end" before it are passed over.
  for (int k = 0; folio && k < 3; ++k) {
    const bool chapter = e >= 2 && (IsPlain(t[e - 2], WordChapter) || IsPlain(t[e - 2], WordInChapter) ||
                                    (Is(t[e - 2], "u") && t[e - 2].Geresh));
    if (chapter && NumeralValue(t[e - 1]) > 0) {
      e -= 2;
    } else if (e >= 1 && (IsChapterAbbreviation(t[e - 1]) || IsPositionWord(t[e - 1]))) {
      --e;
    }
  }
  int32_t s = 0;
  bool relative = false, tractateWord = false;
  if (s < e && IsSeeWord(t[s])) ++s;
  if (s < e && IsRelativeWord(t[s])) relative = true, ++s;
  if (s < e && IsTractateWord(t[s])) tractateWord = true, ++s;
  // "מסכת" with no name after it, or "לעיל" alone.
  if (s == e && (tractateWord || !folio)) return Result(ReferenceNotUnderstood);
  int32_t tractate = -1;
  bool whole = false;
  if (s == e) {
    if (outer && outer->Tractate >= 0 && !relative) {
      tractate = outer->Tractate;
      whole = outer->Whole;
    } else {
      tractate = TractateOf(current, nullptr);
      if (tractate < 0) return Result(ReferenceNoCurrentPage);
      facts->Implied = !relative;
    }
  } else {
    const NameMatch m = MatchName(keys, t + s, e - s, mode);
    if (m.Count == 0) return Result(folio || s > 0 ? ReferenceUnknownTractate : ReferenceNotUnderstood);
    if (m.Count > 1) return Candidates(m);
    tractate = m.Tractates[0];
    whole = m.Kind == MatchWhole;
  }
  if (!folio) {
    if (!lenient) return Result(ReferenceNoFolio);
    int32_t first = 0, last = 0;
    TractateSides(tractate, &first, &last);
    return Resolve(tractate, first);
  }
  if (!lenient && !daf && !strongSide && !whole) return Result(ReferenceNotUnderstood);
  return Resolve(tractate, 2 * (folio > 9999 ? 9999 : folio) + (side > 0 ? 1 : 0));
}

// UTF-16 to the byte language; false when the text holds more than limit units.
int32_t Normalize(const DisplayChar* text, int32_t count, int32_t letterBase, unsigned char* out) {
  int32_t n = 0;
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t u = text[i];
    unsigned char b = Junk;
    if (u >= 0x05D0 && u <= 0x05EA) b = static_cast<unsigned char>(FirstLetter + (u - 0x05D0));
    else if (letterBase == AsciiBaseLatin && u >= FirstLetter && u <= LastLetter) b = static_cast<unsigned char>(u);
    else if (u >= 0x00E0 && u <= 0x00FA) b = static_cast<unsigned char>(FirstLetter + (u - 0x00E0));
    else if ((u >= '0' && u <= '9') || u == '.' || u == ':' || u == '(' || u == ')') b = static_cast<unsigned char>(u);
    else if (u == 'a' || u == 'A') b = 'A';
    else if (u == 'b' || u == 'B') b = 'B';
    else if (u == '\'' || u == 0x05F3 || u == 0x2018 || u == 0x2019 || u == 0x00B4 || u == '`') b = '\'';
    else if (u == '"' || u == 0x05F4 || u == 0x201C || u == 0x201D || u == 0x201E) b = '"';
    else if (u == 0x05C3) b = ':';
    else if (u == ' ' || u == '\t' || u == '\r' || u == '\n' || u == 0x00A0 || u == '-' || u == 0x05BE || u == ',' ||
             u == '[' || u == ']' || u == 0x2013 || u == 0x2014 || u == 0x3000 || (u >= 0x2000 && u <= 0x200A))
      b = ' ';
    else if ((u >= 0x0591 && u <= 0x05C7) || IsDirectionalMark(static_cast<DisplayChar>(u)) ||
             (u >= 0x200B && u <= 0x200D) || u == 0xFEFF || u == 0x2066 || u == 0x2067 || u == 0x2068 || u == 0x2069)
      continue;
    out[n++] = b;
  }
  return n;
}

constexpr int32_t MaxCitationBytes = 80;  // a parenthesis longer than this is no citation
constexpr int32_t MaxReferenceTokens = MaxReferenceUnits;

bool IsChapterIntro(const Token& t) {
  if (t.Kind != TokenWord) return false;
  if (IsPlain(t, WordChapter) || IsPlain(t, WordInChapter)) return true;
  if ((Is(t, "u") || Is(t, "bu")) && t.Geresh) return true;
  // "בפ"ק", "בפ"ג": a chapter by its number or its first word.
  return t.Length >= 3 && t.Letters[0] == 'b' && t.Letters[1] == 'u' && t.Gershayim == 2;
}

// What the words before a parenthesis at reading-order offset `open` say
// of its tractate.
OuterName OuterNameOf(const unsigned char* r, int32_t open, const NameKeys& keys) {
  OuterName outer{-1, false, false};
  int32_t from = open > 120 ? open - 120 : 0;
  if (from > 0) {
    while (from < open && r[from - 1] != ' ') ++from;
  }
  Token tokens[128];  // room for a token a byte
  const int32_t n = Tokenize(r + from, open - from, from, tokens, 128);
  if (n <= 0) return outer;
  // The words right before the parenthesis, back to the nearest sign.
  int32_t first = n;
  while (first > 0 && n - first < 8 && tokens[first - 1].Kind == TokenWord) --first;
  const Token* w = tokens + first;
  const int32_t k = n - first;
  auto restFits = [&](int32_t from) {
    return from == k || (IsChapterIntro(w[from]) && k - from <= 4);
  };
  for (int32_t m = k - 1; m >= 0; --m) {
    if (IsTractateWord(w[m])) {
      for (int32_t length = 1; length <= 3 && m + 1 + length <= k; ++length) {
        if (!restFits(m + 1 + length)) continue;
        const NameMatch match = MatchName(keys, w + m + 1, length, ReferenceMode::Citation);
        if (match.Kind == MatchWhole && match.Count == 1) {
          outer.Tractate = match.Tractates[0];
          outer.Whole = true;
          return outer;
        }
      }
      // "מסכת" with a name the corpus lacks, or with other words between: the
      // parenthesis may well cite that tractate or another work.
      outer.Blocked = true;
      return outer;
    }
    // Initials after ב (or וב).
    Token word = w[m];
    if (word.Letters[0] == 'f' && word.Letters[1] == 'b' && word.Gershayim > 1) {
      std::memmove(word.Letters, word.Letters + 1, size_t(word.Length));
      --word.Length, --word.Gershayim;
    }
    if (word.Letters[0] == 'b' && word.Gershayim > 0) {
      const NameMatch match = MatchName(keys, &word, 1, ReferenceMode::Citation, true);
      if (match.Count == 1 && restFits(m + 1)) {
        outer.Tractate = match.Tractates[0];
        return outer;
      }
      if (match.Count) {
        outer.Blocked = true;
        return outer;
      }
    }
  }
  return outer;
}

// The citations of reading-order bytes r[0, n); offsets as in r. With all,
// also those written as citations that cite no page (Article 0).
int32_t CitationsIn(const unsigned char* r, int32_t n, int32_t current, const NameKeys& keys, bool all, Citation* out,
                    int32_t capacity) {
  int32_t found = 0;
  Token tokens[MaxCitationBytes];
  for (int32_t i = 0; i < n; ++i) {
    if (r[i] != '(') continue;
    int32_t close = i + 1;
    while (close < n && close - i <= MaxCitationBytes && r[close] != ')' && r[close] != '(') ++close;
    if (close >= n || r[close] != ')') continue;
    const int32_t count = Tokenize(r + i + 1, close - i - 1, i + 1, tokens, MaxCitationBytes);
    if (count <= 0) {
      i = close;
      continue;
    }
    ParseFacts facts{};
    ReferenceResult result = ParseTokens(tokens, count, keys, current, ReferenceMode::Citation, nullptr, &facts);
    bool blocked = false;
    if (facts.Implied) {
      const OuterName outer = OuterNameOf(r, i, keys);
      blocked = outer.Blocked;
      if (outer.Tractate >= 0)
        result = ParseTokens(tokens, count, keys, current, ReferenceMode::Citation, &outer, nullptr);
    }
    const bool resolved = !blocked && result.Code == ReferenceFound;
    // Written as a citation: marked, and no word outside the grammar.
    const bool written = facts.Marked && result.Code != ReferenceNotUnderstood &&
                         result.Code != ReferenceNoFolio;
    if (resolved || (all && written)) {
      if (found < capacity) out[found] = Citation{i, close + 1, resolved ? result.Article : 0};
      ++found;
    }
    i = close;
  }
  return found;
}

int32_t HexDigit(DisplayChar c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TractateSides(int32_t tractate, int32_t* first, int32_t* last) {
  if (tractate < 0 || tractate >= TractateCount) return false;
  const TractateEntry& e = BuiltInTractates[tractate];
  *first = e.FirstSideOffset + 2;
  *last = e.FirstSideOffset + 1 + e.SideCount;
  return true;
}

int32_t ArticleOfSide(int32_t tractate, int32_t sideCode) {
  int32_t first = 0, last = 0;
  if (!TractateSides(tractate, &first, &last) || sideCode < first || sideCode > last) return 0;
  int32_t article = sideCode - first + 1;
  for (int t = 0; t < tractate; ++t) article += BuiltInTractates[t].SideCount;
  return article;
}

ReferenceResult ReadReference(const DisplayChar* text, int32_t count, int32_t currentArticle, ReferenceMode mode,
                              int32_t letterBase) {
  if (count > MaxReferenceUnits) return Result(ReferenceTooLong);
  if (!text || count <= 0) return Result(ReferenceEmpty);
  unsigned char bytes[MaxReferenceUnits];
  const int32_t n = Normalize(text, count, letterBase, bytes);
  Token tokens[MaxReferenceTokens];
  const int32_t tokenCount = Tokenize(bytes, n, 0, tokens, MaxReferenceTokens);
  if (tokenCount < 0) return Result(ReferenceNotUnderstood);
  NameKeys keys;
  BuildKeys(&keys, CorpusTractates());
  ReferenceResult r = ParseTokens(tokens, tokenCount, keys, currentArticle, mode, nullptr, nullptr);
  if (r.Code != ReferenceFound && r.Code != ReferenceAmbiguous && mode == ReferenceMode::Lenient && tokenCount > 1) {
    // A name still being typed: its last word may read as a folio.
    bool words = true;
    for (int32_t i = 0; i < tokenCount; ++i) words &= tokens[i].Kind == TokenWord;
    const NameMatch m = words ? MatchName(keys, tokens, tokenCount, mode) : NameMatch{};
    if (m.Count > 1) return Candidates(m);
    if (m.Count == 1) {
      int32_t first = 0, last = 0;
      TractateSides(m.Tractates[0], &first, &last);
      return Resolve(m.Tractates[0], first);
    }
  }
  return r;
}

namespace {

int32_t Find(const unsigned char* text, int32_t count, bool displayOrder, int32_t currentArticle,
             const NameKeys& keys, bool all, Citation* out, int32_t capacity) {
  if (!text || count <= 0) return 0;
  if (capacity < 0) capacity = 0;
  if (!displayOrder) return CitationsIn(text, count, currentArticle, keys, all, out, capacity);
  unsigned char* r = static_cast<unsigned char*>(std::malloc(size_t(count)));
  if (!r) return CitationNoMemory;
  std::memcpy(r, text, size_t(count));
  TurnParagraph(r, count);
  const int32_t found = CitationsIn(r, count, currentArticle, keys, all, out, capacity);
  std::free(r);
  // A parenthesis holds no number byte at either end, so its bytes in
  // reading order are those of display order turned round.
  for (int32_t i = 0; i < found && i < capacity; ++i) {
    const int32_t start = out[i].Start;
    out[i].Start = count - out[i].End;
    out[i].End = count - start;
  }
  return found;
}

}  // namespace

int32_t FindCitations(const unsigned char* text, int32_t count, bool displayOrder, int32_t currentArticle,
                      Citation* out, int32_t capacity) {
  NameKeys keys;
  BuildKeys(&keys, CorpusTractates());
  return Find(text, count, displayOrder, currentArticle, keys, false, out, capacity);
}

int32_t FindAllCitations(const unsigned char* text, int32_t count, bool displayOrder, int32_t currentArticle,
                         const TractateEntry* names, Citation* out, int32_t capacity) {
  NameKeys keys;
  BuildKeys(&keys, names ? names : CorpusTractates());
  return Find(text, count, displayOrder, currentArticle, keys, true, out, capacity);
}

int32_t FindRecordCitations(const unsigned char* record, int32_t currentArticle, Citation* out, int32_t capacity) {
  if (!record) return 0;
  NameKeys keys;
  BuildKeys(&keys, CorpusTractates());
  int32_t found = 0;
  int32_t at = 0;
  for (int32_t paragraph = 0; record[at] != 0 && at < 0x10000; ++paragraph) {
    const unsigned char style = record[at];
    const int32_t text = at + 2;
    int32_t end = text;
    while (record[end] && end - text < 0x10000) ++end;
    if (record[end]) return found;
    if (paragraph > 0 && end > text) {
      const int32_t room = capacity > found ? capacity - found : 0;
      const int32_t n = Find(record + text, end - text, (style & 0x10) != 0, currentArticle, keys, false,
                             room ? out + found : nullptr, room);
      if (n < 0) return CitationNoMemory;
      for (int32_t i = 0; i < n && i < room; ++i) out[found + i].Start += text, out[found + i].End += text;
      found += n;
    }
    at = end + 1;
  }
  return found;
}

LinkArgumentCode DecodeLinkArgument(const DisplayChar* in, int32_t count, DisplayChar* out, int32_t capacity,
                                    int32_t* written) {
  if (written) *written = 0;
  if (capacity <= 0) return LinkArgumentTooLong;
  out[0] = 0;
  if (!in || count < 0) count = 0;
  // The scheme, any case, and the two slashes of its longer form.
  static constexpr char Scheme[] = "orvane:";
  int32_t i = 0;
  if (count >= 7) {
    bool scheme = true;
    for (int32_t k = 0; k < 7; ++k) {
      DisplayChar c = in[k];
      if (c >= 'A' && c <= 'Z') c = static_cast<DisplayChar>(c + 32);
      scheme &= c == static_cast<DisplayChar>(Scheme[k]);
    }
    if (scheme) {
      i = 7;
      if (count - i >= 2 && in[i] == '/' && in[i + 1] == '/') i += 2;
    }
  }
  if (count > i && in[count - 1] == '/') --count;
  int32_t n = 0;
  auto put = [&](DisplayChar c) {
    if (n + 1 >= capacity) return false;
    out[n++] = c;
    return true;
  };
  auto fail = [&](LinkArgumentCode code) {
    out[0] = 0;
    if (written) *written = 0;
    return code;
  };
  while (i < count) {
    if (in[i] != '%') {
      if (!put(in[i++])) return fail(LinkArgumentTooLong);
      continue;
    }
    // A run of escapes: one UTF-8 sequence after another.
    auto escaped = [&](int32_t at) -> int32_t {
      if (at + 2 >= count || in[at] != '%') return -1;
      const int32_t hi = HexDigit(in[at + 1]), lo = HexDigit(in[at + 2]);
      return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
    };
    const int32_t lead = escaped(i);
    if (lead < 0) return fail(LinkArgumentBadEscape);
    i += 3;
    int32_t more = 0;
    uint32_t code = 0, least = 0;
    if (lead < 0x80) code = uint32_t(lead);
    else if (lead >= 0xC2 && lead <= 0xDF) code = lead & 0x1F, more = 1, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) code = lead & 0x0F, more = 2, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) code = lead & 0x07, more = 3, least = 0x10000;
    else return fail(LinkArgumentBadUtf8);
    for (; more > 0; --more) {
      if (i >= count || in[i] != '%') return fail(LinkArgumentBadUtf8);
      const int32_t next = escaped(i);
      if (next < 0) return fail(LinkArgumentBadEscape);
      if ((next & 0xC0) != 0x80) return fail(LinkArgumentBadUtf8);
      code = code << 6 | uint32_t(next & 0x3F);
      i += 3;
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return fail(LinkArgumentBadUtf8);
    if (code >= 0x10000) {
      code -= 0x10000;
      if (!put(static_cast<DisplayChar>(0xD800 + (code >> 10))) || !put(static_cast<DisplayChar>(0xDC00 + (code & 0x3FF))))
        return fail(LinkArgumentTooLong);
    } else if (!put(static_cast<DisplayChar>(code))) {
      return fail(LinkArgumentTooLong);
    }
  }
  out[n] = 0;
  if (written) *written = n;
  return LinkArgumentDecoded;
}
