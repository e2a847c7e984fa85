// The text generator: invented words in a Hebrew-like letter distribution,
// laid out as the paragraph lists of the records.
//
// Every article gets a main text (page header and main-text paragraphs) and a
// commentary (page header, headings quoting the main text, each nearly always
// with its comment, and some further comments). How many paragraphs of each
// style a record holds is planned once for the whole corpus, so that the
// totals come out exactly; the words themselves are drawn per record from a
// random number generator seeded by the article, so any record can be made on
// its own. Strings are written in reading order and stored reversed (with the
// bracket pairs mirrored) in every visual-order paragraph.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "store/tractates.h"
#include "tools/corpus/citations.h"
#include "tools/corpus/corpus.h"

namespace {

constexpr uint64_t CorpusSeed = 0x6F7276616E65ull;

uint64_t Mix(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// splitmix64: small, fast and identical everywhere.
struct Rng {
  uint64_t State;
  uint64_t Next64() {
    State += 0x9E3779B97F4A7C15ull;
    uint64_t z = State;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n - 1
  uint32_t Below(uint32_t n) { return uint32_t(((Next64() >> 32) * n) >> 32); }
  // true with probability num / den
  bool Chance(uint32_t num, uint32_t den) { return Below(den) < num; }
};

Rng MakeRng(uint64_t a, uint64_t b = 0, uint64_t c = 0) {
  return Rng{Mix(CorpusSeed ^ Mix(a ^ Mix(b ^ Mix(c))))};
}

// Picks an index by cumulative weights.
size_t Pick(Rng& rng, const std::vector<uint64_t>& cumulative) {
  const uint64_t x = rng.Next64() % cumulative.back();
  return size_t(std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin());
}

// Zipf-like weights 1 / (rank + offset), in integers.
std::vector<uint64_t> ZipfCumulative(size_t count, uint64_t offset) {
  std::vector<uint64_t> c(count);
  uint64_t sum = 0;
  for (size_t r = 0; r < count; ++r) c[r] = sum += 4000000000ull / (r + offset);
  return c;
}

// ---------------------------------------------------------------------------
// Letters and words

// The 22 letters that have no final form of their own, weighted roughly as in
// a real text (alef .. tav; kaf, mem, nun, pe, tsadi in their medial forms).
struct LetterWeight {
  char Letter;
  uint32_t Weight;
};
constexpr LetterWeight Letters[] = {
    {'a', 62}, {'b', 44}, {'c', 10}, {'d', 42}, {'e', 70}, {'f', 96}, {'g', 8},  {'h', 20},
    {'i', 10}, {'j', 104}, {'l', 24}, {'m', 68}, {'o', 62}, {'q', 42}, {'r', 10}, {'s', 34},
    {'u', 18}, {'w', 10}, {'x', 24}, {'y', 50}, {'z', 38}, {'{', 48},
};

const std::vector<uint64_t>& LetterCumulative() {
  static const std::vector<uint64_t> c = [] {
    std::vector<uint64_t> v;
    uint64_t sum = 0;
    for (const LetterWeight& l : Letters) v.push_back(sum += l.Weight);
    return v;
  }();
  return c;
}

char FinalForm(char c) {
  switch (c) {
    case 'l': return 'k';  // kaf
    case 'o': return 'n';  // mem
    case 'q': return 'p';  // nun
    case 'u': return 't';  // pe
    case 'w': return 'v';  // tsadi
    default: return c;
  }
}

std::string MakeLetters(Rng& rng, int count, bool finalAtEnd) {
  std::string w;
  for (int i = 0; i < count; ++i) w += Letters[Pick(rng, LetterCumulative())].Letter;
  if (finalAtEnd && !w.empty()) w.back() = FinalForm(w.back());
  return w;
}

// One language: a vocabulary by frequency rank and a set of fixed phrases.
struct Language {
  std::vector<std::string> Words;
  std::vector<uint64_t> WordWeights;
  std::vector<std::vector<uint32_t>> Phrases;
  std::vector<uint64_t> PhraseWeights;
  uint32_t PhrasePerMille;  // share of word slots that start a fixed phrase
};

// A language's words with marks of their own: initials with gershayim and
// words cut short with a geresh, per thousand of its vocabulary.
struct WordMarks {
  uint32_t Initials, Cut;
};

Language MakeLanguage(uint64_t id, size_t wordCount, size_t phraseCount, uint32_t phrasePerMille, WordMarks marks) {
  Rng rng = MakeRng(0x1A46, id);
  // Word lengths 2..7 letters, short ones commonest.
  constexpr uint32_t LengthWeights[] = {12, 26, 28, 18, 10, 6};
  std::vector<uint64_t> lengths;
  uint64_t sum = 0;
  for (uint32_t w : LengthWeights) lengths.push_back(sum += w);

  struct Ranked {
    uint32_t Key;
    std::string Word;
  };
  std::vector<Ranked> ranked;
  std::set<std::string> seen;
  while (ranked.size() < wordCount) {
    const int letters = 2 + int(Pick(rng, lengths));
    std::string w;
    const uint32_t kind = rng.Below(1000);
    if (kind < marks.Initials && letters <= 5) {
      // An abbreviation: the gershayim before its last letter.
      w = MakeLetters(rng, letters, true);
      w.insert(w.size() - 1, 1, '"');
    } else if (kind < marks.Initials + marks.Cut) {
      // A shortened word with a geresh; no final form before it.
      w = MakeLetters(rng, letters, false) + "'";
    } else {
      w = MakeLetters(rng, letters, true);
    }
    if (!seen.insert(w).second) continue;
    // Shorter words tend to be the commoner ones.
    ranked.push_back({uint32_t(letters) * 90 + rng.Below(400), w});
  }
  std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return a.Key != b.Key ? a.Key < b.Key : a.Word < b.Word;
  });

  Language lang;
  for (Ranked& r : ranked) lang.Words.push_back(std::move(r.Word));
  lang.WordWeights = ZipfCumulative(lang.Words.size(), 3);
  for (size_t p = 0; p < phraseCount; ++p) {
    std::vector<uint32_t> phrase(2 + rng.Below(3));
    for (uint32_t& w : phrase) w = uint32_t(Pick(rng, lang.WordWeights));
    lang.Phrases.push_back(std::move(phrase));
  }
  lang.PhraseWeights = ZipfCumulative(phraseCount, 4);
  lang.PhrasePerMille = phrasePerMille;
  return lang;
}

// The main text and the commentary are written in different languages. Few
// words of the main text carry a mark of their own, so that about one heading
// in seven holds a geresh, gershayim or apostrophe, as real ones do.
constexpr uint32_t MainInitials = 2, MainCut = 2;
const Language& MainLanguage() {
  static const Language lang = MakeLanguage(1, 3600, 400, 150, {MainInitials, MainCut});
  return lang;
}
const Language& CommentaryLanguage() {
  static const Language lang = MakeLanguage(2, 2800, 300, 170, {40, 20});
  return lang;
}

// Prefix letters that attach to a word (vav, dalet, he, bet, lamed, mem, shin, kaf).
constexpr char Prefixes[] = "fdebmozl";
// The commentary's "and so on" marks after a heading's quoted words: "and so
// on", and "and the rest" (of a verse).
constexpr char EtCetera[] = "flf'";
constexpr char EtCeteraVerse[] = "fcf'";

// The terms one page keeps coming back to: words and short phrases, some of
// them (in the commentary) taken from the page's main text.
struct Topic {
  std::vector<std::vector<std::string>> Items;
  std::vector<uint64_t> Weights;
  uint32_t PerMille = 0;  // share of word slots that use a term
};

Topic MakeTopic(Rng& rng, const Language& lang, const std::vector<std::string>& quoted,
                size_t count, uint32_t perMille) {
  Topic topic;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t kind = rng.Below(100);
    std::vector<std::string> item(kind < 45 ? 1 : kind < 85 ? 2 : 3);
    for (std::string& w : item) {
      if (!quoted.empty() && rng.Chance(1, 3)) {
        w = quoted[rng.Below(uint32_t(quoted.size()))];
      } else {
        w = lang.Words[(Pick(rng, lang.WordWeights) + 20) % lang.Words.size()];
        if (rng.Chance(1, 5)) w.insert(w.begin(), Prefixes[rng.Below(sizeof Prefixes - 1)]);
      }
    }
    topic.Items.push_back(std::move(item));
  }
  topic.Weights = ZipfCumulative(count, 2);
  topic.PerMille = perMille;
  return topic;
}

// ---------------------------------------------------------------------------
// Paragraph strings, in reading order

// Where a word of the main text stands: its paragraph in the list, its
// position and length in the paragraph's reading-order string, and the
// reference it belongs to (0: none).
struct WordPlace {
  uint16_t Paragraph, Position, Length;
  uint32_t Reference;
};

struct Writer {
  Rng& R;
  const Language& Lang;
  const Topic* Terms = nullptr;
  std::string Out;
  std::vector<std::string>* Plain = nullptr;  // words as quoted by headings
  std::vector<WordPlace>* Places = nullptr;   // and where each stands
  uint16_t Paragraph = 0;                     // index of the paragraph written
  uint32_t InReference = 0;                   // the reference being written
  uint32_t References = 0;                    // references written
  bool Joined = false;                        // the next word follows a maqaf

  void Separate() {
    if (!Out.empty() && !Joined) Out += ' ';
    Joined = false;
  }
  void Word(const std::string& w) {
    Separate();
    Out += w;
    if (Plain) Plain->push_back(w);
    if (Places) Places->push_back({Paragraph, uint16_t(Out.size() - w.size()), uint16_t(w.size()), InReference});
  }
  void VocabularyWord() {
    std::string w = Lang.Words[Pick(R, Lang.WordWeights)];
    if (R.Chance(11, 100)) w.insert(w.begin(), Prefixes[R.Below(sizeof Prefixes - 1)]);
    Word(w);
  }
  // Reading-order numeral of a small number, with a geresh.
  void Numeral() {
    const uint32_t v = 1 + R.Below(60);
    std::string n;
    if (v >= 10) n += TensDigits[v / 10];
    if (v % 10) n += UnitsDigits[v % 10];
    Separate();
    Out += n + "'";
  }
  void Reference() {
    Separate();
    if (R.Chance(1, 25)) {
      Out += "(" + std::to_string(1 + R.Below(120)) + ")";
      return;
    }
    const char open = R.Chance(1, 12) ? '[' : '(';
    Out += open;
    Joined = true;
    InReference = ++References;
    Word(Lang.Words[Pick(R, Lang.WordWeights) % 200]);
    if (R.Chance(1, 2)) Word(Lang.Words[Pick(R, Lang.WordWeights)]);
    InReference = 0;
    Numeral();
    Out += open == '[' ? ']' : ')';
  }
  // Now and then something after a word: a maqaf joining the next word, a
  // reference, a braced word, the marker 0x14 or a rare sign.
  void Extra() {
    const uint32_t x = R.Below(100000);
    if (x < 2000) {
      Out += '-';
      Joined = true;
    } else if (x < 4200) {
      Reference();
    } else if (x < 4280) {
      Separate();
      Out += '~';
      Joined = true;
      Word(Lang.Words[Pick(R, Lang.WordWeights)]);
      Out += '}';
    } else if (x < 4300) {
      Separate();
      Out += '\x14';
      Joined = true;
    } else if (x < 4316) {
      Separate();
      Out += x < 4306 ? '&' : x < 4312 ? '+' : '\\';
    }
  }
  // About `words` words in sentences; the last sentence ends with `end`.
  void Sentences(int words, char end) {
    int written = 0;
    while (written < words) {
      int length = 3 + int(R.Below(10) + R.Below(9));
      length = std::min(length, words - written);
      for (int k = 0; k < length;) {
        const uint32_t slot = R.Below(1000);
        const uint32_t terms = Terms ? Terms->PerMille : 0;
        if (slot < terms) {
          for (const std::string& w : Terms->Items[Pick(R, Terms->Weights)]) Word(w);
          ++k;
        } else if (slot < terms + Lang.PhrasePerMille) {
          for (uint32_t w : Lang.Phrases[Pick(R, Lang.PhraseWeights)]) Word(Lang.Words[w]);
          k += 2;
        } else {
          VocabularyWord();
          ++k;
        }
        Extra();
      }
      if (Joined) {
        // No maqaf or marker (and no space before it) ends a sentence.
        Out.pop_back();
        if (!Out.empty() && Out.back() == ' ') Out.pop_back();
        Joined = false;
      }
      written += length;
      if (written >= words) break;
      const uint32_t p = R.Below(100);
      if (p < 30) {
        Out += '.';
      } else if (p < 52) {
        Out += ',';
      } else if (p < 62) {
        Out += ':';
      } else if (p < 67) {
        Out += '?';
      } else if (p < 68) {
        Out += '!';
      }
    }
    if (end) Out += end;
  }
  // Adds words before the closing punctuation until the string is exactly
  // `length` bytes long; needs room for at least three more bytes (or none).
  void FillTo(size_t length) {
    const char end = Out.empty() ? 0 : Out.back();
    const bool hasEnd = end == ':' || end == '.';
    if (hasEnd) Out.pop_back();
    const size_t target = length - (hasEnd ? 1 : 0);
    while (Out.size() < target) {
      const size_t room = target - Out.size() - (Out.empty() ? 0 : 1);
      const std::string& w = Lang.Words[Pick(R, Lang.WordWeights)];
      if (room <= 8) {
        Separate();
        Out += MakeLetters(R, int(room), true);
      } else if (w.size() + 3 <= room - 1 || w.size() == room) {
        Separate();
        Out += w;
      }
    }
    if (hasEnd) Out += end;
  }
};

// ---------------------------------------------------------------------------
// The paragraph plan

struct RecordPlan {
  uint16_t Paragraphs = 0;  // main-text paragraphs, or commentary headings
  uint16_t Lone = 0;        // headings without a comment of their own
  uint16_t Further = 0;     // comments that follow another comment
  uint8_t SmallMarks = 0, Blanks = 0, SmallHeaders = 0, Marks = 0;
};

struct CorpusPlan {
  std::vector<RecordPlan> Main, Commentary;  // by article - 1
};

constexpr int32_t LoneHeadings = 1000;
constexpr int32_t LongestHeadings = 86;  // headings of the longest record

int32_t ArticleOf(int32_t record) { return (record + 1) / 2; }

// Adds `count` to the field of records chosen with the given weights.
template <typename Field>
void Distribute(Rng& rng, const std::vector<uint64_t>& weights, int32_t count, Field field) {
  for (int32_t i = 0; i < count;) {
    if (field(Pick(rng, weights))) ++i;
  }
}

CorpusPlan MakePlan() {
  Rng rng = MakeRng(0x9A4);
  CorpusPlan plan;
  plan.Main.resize(ArticleCount);
  plan.Commentary.resize(ArticleCount);
  const size_t shortest = ArticleOf(CorpusShortestRecord) - 1;
  const size_t longest = ArticleOf(CorpusLongestRecord) - 1;

  // Some pages are long and some short, main text and commentary together.
  std::vector<uint64_t> weights(ArticleCount), uniform(ArticleCount);
  uint64_t sum = 0, count = 0;
  for (size_t a = 0; a < size_t(ArticleCount); ++a) {
    weights[a] = sum += (1 + rng.Below(4)) * (1 + rng.Below(4));
    uniform[a] = ++count;
  }

  for (RecordPlan& p : plan.Main) p.Paragraphs = 1;
  Distribute(rng, weights, CorpusMainParagraphs - ArticleCount, [&](size_t a) {
    if (a == shortest || plan.Main[a].Paragraphs >= 14) return false;
    return ++plan.Main[a].Paragraphs, true;
  });

  constexpr uint16_t BaseHeadings = 3;
  for (RecordPlan& p : plan.Commentary) p.Paragraphs = BaseHeadings;
  plan.Commentary[longest].Paragraphs = LongestHeadings;
  Distribute(rng, weights, CorpusHeadings - BaseHeadings * (ArticleCount - 1) - LongestHeadings,
             [&](size_t a) {
               if (a == longest || plan.Commentary[a].Paragraphs >= 60) return false;
               return ++plan.Commentary[a].Paragraphs, true;
             });
  // The last heading of a record always has its comment.
  Distribute(rng, uniform, LoneHeadings, [&](size_t a) {
    RecordPlan& p = plan.Commentary[a];
    if (p.Lone + 1 >= p.Paragraphs) return false;
    return ++p.Lone, true;
  });
  Distribute(rng, uniform, CorpusComments - (CorpusHeadings - LoneHeadings),
             [&](size_t a) { return ++plan.Commentary[a].Further, true; });
  Distribute(rng, uniform, CorpusSmallMarks, [&](size_t a) {
    return a != longest && plan.Commentary[a].SmallMarks < 3 && ++plan.Commentary[a].SmallMarks;
  });
  Distribute(rng, uniform, CorpusBlanks, [&](size_t a) {
    return a != longest && !plan.Commentary[a].Blanks && ++plan.Commentary[a].Blanks;
  });
  Distribute(rng, uniform, CorpusMarks, [&](size_t a) {
    return a != longest && ++plan.Commentary[a].Marks;
  });
  // The small header closes the commentary on the last page of the first two
  // tractates.
  size_t last = 0;
  for (int t = 0; t < CorpusSmallHeaders; ++t) {
    last += TractateTable[t].SideCount;
    plan.Commentary[last - 1].SmallHeaders = 1;
  }
  return plan;
}

const CorpusPlan& Plan() {
  static const CorpusPlan plan = MakePlan();
  return plan;
}

// ---------------------------------------------------------------------------
// Assembling the paragraph list

using Paragraph = CorpusParagraph;

std::string ReadingOrder(const DisplayChar* display) {
  std::string s;
  for (const DisplayChar* p = display; *p; ++p) s += static_cast<char>(*p);
  std::reverse(s.begin(), s.end());
  return s;
}

std::string PageHeader(int32_t article) {
  int32_t tractate = 0, side = 0;
  LocateArticle(article, &tractate, &side);
  return PageHeaderText(ReadingOrder(TractateTable[tractate].Name), side,
                        ReadingOrder(SIDE_SUFFIX + 1));
}

size_t ListLength(const std::vector<Paragraph>& list) { return ParagraphListLength(list); }

void Assemble(const std::vector<Paragraph>& list, std::vector<unsigned char>& out) {
  AssembleParagraphs(list, out);
}

// Largest natural text of a record; only the longest record is filled up to
// the very limit.
constexpr size_t NaturalLimit = 13600;

// Terms per page and their share of the word slots. The main text's terms
// repeat it only so far that about seven headings in ten still stand letter
// for letter (vav and yod aside) at one place of their side.
constexpr size_t MainTerms = 30;
constexpr uint32_t MainTermsPerMille = 200;
constexpr size_t CommentaryTerms = 30;
constexpr uint32_t CommentaryTermsPerMille = 520;

// The main text of a side as its headings see it: the words in reading
// order, and where each stands.
struct MainWords {
  std::vector<std::string> Words;
  std::vector<WordPlace> Places;
};

void MainParagraphs(int32_t article, int scale, std::vector<Paragraph>& list, MainWords& words) {
  const RecordPlan& plan = Plan().Main[article - 1];
  Rng rng = MakeRng(2 * article - 1, scale);
  list.assign(1, {CorpusPageHeader, PageHeader(article)});
  words.Words.clear();
  words.Places.clear();
  if (2 * article - 1 == CorpusShortestRecord) {
    Writer w{rng, MainLanguage()};
    w.Out = ":";
    w.FillTo(CorpusMinText - ListLength(list) - 3);
    list.push_back({CorpusMainText, w.Out});
    return;
  }
  const Topic topic = MakeTopic(rng, MainLanguage(), {}, MainTerms, MainTermsPerMille);
  for (int p = 0; p < plan.Paragraphs; ++p) {
    Writer w{rng, MainLanguage(), &topic};
    w.Plain = &words.Words;
    w.Places = &words.Places;
    w.Paragraph = uint16_t(list.size());
    const int count = 12 + int(rng.Below(110) + rng.Below(110));
    w.Sentences(std::max(3, count * scale / 100), ':');
    list.push_back({CorpusMainText, std::move(w.Out)});
  }
}

// A text that came out too long is made again with shorter paragraphs.
void MainText(int32_t article, std::vector<Paragraph>& list, MainWords& words) {
  for (int scale = 100;; scale -= 10) {
    MainParagraphs(article, scale, list, words);
    if (ListLength(list) <= NaturalLimit || scale <= 10) break;
  }
}

// The previous side's main text, made only when a heading quotes it.
struct PreviousSide {
  int32_t Article = 0;  // 0: the side is the first of its tractate
  bool Made = false;
  std::vector<Paragraph> List;
  MainWords Words;
  const MainWords& Get() {
    if (!Made) MainText(Article, List, Words), Made = true;
    return Words;
  }
};

// What a heading quotes and how it writes it.
struct HeadingToken {
  char Kind;            // 'w' a word (maybe spelled otherwise), '\'' cut short, '"' initials
  std::string Letters;  // reading order
  uint32_t Span;        // main-text words it stands for
};
struct Quote {
  uint8_t Side = QuotesNothing;
  uint8_t Shape = ShapePlain;  // HeadingShapeKind
  uint32_t First = 0, Count = 0;  // words of that side's main text
  std::vector<HeadingToken> Tokens;
};

bool OnlyLetters(const std::string& w) {
  return std::all_of(w.begin(), w.end(), [](char c) { return c >= 0x61 && c <= 0x7B; });
}

// Words a heading quotes: mostly three, nine in ten at most five, a few long.
uint32_t HeadingLength(Rng& rng) {
  static const std::vector<uint64_t> weights = {16, 38, 60, 75, 89, 93, 96, 98, 99, 100};
  static const uint32_t lengths[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 13};
  return lengths[Pick(rng, weights)];
}

// The first `count` words from `first` that stand in first's paragraph.
uint32_t WithinParagraph(const MainWords& m, size_t first, uint32_t count) {
  uint32_t n = 0;
  while (n < count && first + n < m.Words.size() && m.Places[first + n].Paragraph == m.Places[first].Paragraph) ++n;
  return n;
}

// Letters without vav and yod, final forms as the ordinary letter: the form
// in which a reader compares a heading's words with the text.
std::string Skeleton(const std::string& w) {
  std::string s;
  for (char c : w) {
    if (c < 0x61 || c > 0x7B || c == 'f' || c == 'j') continue;
    s += c == 'k' ? 'l' : c == 'n' ? 'o' : c == 'p' ? 'q' : c == 't' ? 'u' : c == 'v' ? 'w' : c;
  }
  return s;
}

// Writes the quoted words as a commentary does: now and then a word cut short
// or a word pair as initials, the vowel letters vav and yod written where the
// main text leaves them out or the other way round.
void QuoteTokens(Rng& rng, const MainWords& m, Quote& q) {
  for (uint32_t i = 0; i < q.Count; ++i) q.Tokens.push_back({'w', m.Words[q.First + i], 1});
  auto pick = [&](auto fits) -> int {
    const uint32_t n = uint32_t(q.Tokens.size()), from = rng.Below(n);
    for (uint32_t k = 0; k < n; ++k) {
      if (fits(q.Tokens[(from + k) % n], (from + k) % n)) return int((from + k) % n);
    }
    return -1;
  };
  const uint32_t abbreviation = rng.Below(100);
  if (abbreviation < 11) {
    const int pair = abbreviation >= 7 && q.Tokens.size() >= 2 ? pick([&](const HeadingToken& t, uint32_t k) {
      return k + 1 < q.Tokens.size() && OnlyLetters(t.Letters) && OnlyLetters(q.Tokens[k + 1].Letters);
    }) : -1;
    if (pair >= 0) {
      const uint32_t span = pair + 2u < q.Tokens.size() && OnlyLetters(q.Tokens[pair + 2].Letters) && rng.Chance(1, 4) ? 3 : 2;
      std::string initials;
      for (uint32_t k = 0; k < span; ++k) initials += q.Tokens[pair + k].Letters[0];
      q.Tokens.erase(q.Tokens.begin() + pair + 1, q.Tokens.begin() + pair + span);
      q.Tokens[pair] = {'"', initials, span};
    } else {
      const int cut = pick([](const HeadingToken& t, uint32_t) { return t.Kind == 'w' && t.Letters.size() >= 3 && OnlyLetters(t.Letters); });
      if (cut >= 0) {
        HeadingToken& t = q.Tokens[cut];
        t.Letters.resize(2 + rng.Below(uint32_t(t.Letters.size()) - 2));
        t.Kind = '\'';
        // Cut to the letters of an "and so on" mark, it would read as one.
        // No one cuts a word down to vav and yod alone.
        if (t.Letters == "lf" || t.Letters == "cf" || t.Letters == "flf" || t.Letters == "fcf" ||
            Skeleton(t.Letters).empty())
          t.Kind = 'w', t.Letters = m.Words[q.First + cut];
      }
    }
  }
  if (rng.Chance(18, 100)) {
    const int k = pick([](const HeadingToken& t, uint32_t) {
      return t.Kind == 'w' && Skeleton(t.Letters).size() >= 2 && OnlyLetters(t.Letters);
    });
    if (k >= 0) {
      std::string& w = q.Tokens[k].Letters;
      const size_t vowel = w.find_first_of("fj", 1);
      if (vowel != std::string::npos && vowel + 1 < w.size()) {
        w.erase(vowel, 1);
      } else {
        w.insert(w.begin() + 1 + rng.Below(uint32_t(w.size()) - 1), rng.Chance(1, 2) ? 'f' : 'j');
      }
    }
  }
}

// The shapes of the headings that quote the side, as the upper bounds of
// their shares per thousand, one after the other: starting on the words the
// heading before starts on (repeating it whole below ShapeRepeated), an
// earlier place, across a paragraph break, a short heading with another
// plural ending or a prefix letter added or dropped, a word skipped or
// added, initials only.
constexpr uint32_t ShapeRepeated = 10, ShapeSameStart = 35, ShapeEarlier = 40, ShapeAcross = 50, ShapeVariant = 85,
                   ShapeGap = 120, ShapeInitials = 130;
// Prefix letters that come and go in short headings (vav, dalet, he, bet, lamed, shin).
constexpr char LoosePrefixes[] = "fdebmz";

// Gives a quote's written words the shape drawn for it.
void HeadingShape(Rng& rng, uint32_t shape, const MainWords& m, Quote& q) {
  std::vector<HeadingToken>& t = q.Tokens;
  const bool plain = std::all_of(t.begin(), t.end(), [](const HeadingToken& k) {
    return k.Kind == 'w' && OnlyLetters(k.Letters) && k.Letters.size() >= 2;
  });
  if (!plain) return;
  if (shape >= ShapeAcross && shape < ShapeVariant && t.size() <= 2) {
    q.Shape = ShapeVariantKind;
    std::string& w = t[rng.Below(uint32_t(t.size()))].Letters;
    const char end = w.back();
    if ((end == 'n' || end == 'p') && w.size() >= 3) {
      w.back() = end == 'n' ? 'p' : 'n';  // final mem and final nun
    } else if (std::strchr(LoosePrefixes, w[0]) && Skeleton(w.substr(1)).size() >= 2) {
      w.erase(0, 1);
    } else {
      w.insert(w.begin(), LoosePrefixes[rng.Below(sizeof LoosePrefixes - 1)]);
    }
  } else if (shape >= ShapeVariant && shape < ShapeGap && t.size() >= 3) {
    q.Shape = ShapeGapKind;
    const uint32_t k = 1 + rng.Below(uint32_t(t.size()) - 2);
    if (rng.Chance(1, 2)) {
      t.erase(t.begin() + k);
    } else {
      // Another word of the side's text, which does not stand there.
      t.insert(t.begin() + k, HeadingToken{'w', m.Words[rng.Below(uint32_t(m.Words.size()))], 0});
    }
  } else if (shape >= ShapeGap && shape < ShapeInitials && t.size() == 2) {
    q.Shape = ShapeInitialsKind;
    t = {HeadingToken{'"', std::string{t[0].Letters[0], t[1].Letters[0]}, 2}};
  }
}

// Commentary words that stand nowhere in the side's main text: a heading that
// quotes nothing (a reading note).
std::string NoteWords(Rng& rng, const Language& lang, const MainWords& m) {
  std::set<std::string> onPage;
  for (const std::string& w : m.Words) onPage.insert(Skeleton(w));
  std::string out;
  for (uint32_t n = 1 + rng.Below(3); n > 0;) {
    const std::string& w = lang.Words[Pick(rng, lang.WordWeights)];
    // (Short words stand among the numerals of the references too.)
    if (!OnlyLetters(w) || Skeleton(w).size() < 3 || onPage.count(Skeleton(w))) continue;
    out += (out.empty() ? "" : " ") + w;
    --n;
  }
  return out;
}

void CommentaryParagraphs(int32_t article, int scale, const MainWords& quoted, PreviousSide& previous,
                          std::vector<Paragraph>& list, std::vector<Quote>& quotes) {
  const RecordPlan& plan = Plan().Commentary[article - 1];
  Rng rng = MakeRng(2 * article, scale);
  const Language& lang = CommentaryLanguage();
  list.assign(1, {CorpusPageHeader, PageHeader(article)});

  // Which headings go without a comment (never the last), and after which
  // comment the further paragraphs come.
  const int headings = plan.Paragraphs;
  std::vector<uint8_t> lone(headings, 0);
  for (int i = 0; i < plan.Lone;) {
    const uint32_t h = rng.Below(headings - 1);
    if (!lone[h]) lone[h] = 1, ++i;
  }
  std::vector<int> commented;
  for (int h = 0; h < headings; ++h) {
    if (!lone[h]) commented.push_back(h);
  }
  std::vector<std::vector<unsigned char>> after(headings);
  auto place = [&](unsigned char style, int count) {
    for (int i = 0; i < count; ++i) after[commented[rng.Below(uint32_t(commented.size()))]].push_back(style);
  };
  place(CorpusComment, plan.Further);
  place(CorpusSmallMark, plan.SmallMarks);
  place(CorpusBlank, plan.Blanks);
  place(CorpusMark, plan.Marks);

  const Topic topic = MakeTopic(rng, lang, quoted.Words, CommentaryTerms, CommentaryTermsPerMille);

  // Headings quote the main text in order, mostly within one paragraph; the
  // first now and then the end of the previous side (and a few after it as
  // well); a few quote nothing. About one in eight takes a shape of its own
  // (HeadingShape), drawn from a stream of its own.
  quotes.assign(headings, Quote{});
  Rng shapes = MakeRng(2 * article, scale, 0x5EAD);
  const size_t size = quoted.Words.size();
  size_t cursor = 0, previousCursor = 0;
  // About nine tenths of the words pass under the headings.
  const size_t stride = size_t(std::max<int64_t>(1, int64_t(size) * 9 / 5 / (headings + 1) - 6));
  for (int h = 0; h < headings; ++h) {
    Quote& q = quotes[h];
    const uint32_t kind = rng.Below(1000);
    uint32_t words = HeadingLength(rng);
    const uint32_t shape = shapes.Below(1000);
    std::string text;
    const bool onBefore = h > 0 && quotes[h - 1].Side == QuotesPreviousSide;
    if (previous.Article && ((h == 0 && kind < 90) || (onBefore && h < 4 && shapes.Chance(1, 3)))) {
      const MainWords& before = previous.Get();
      const size_t tail = std::min<size_t>(before.Words.size(), 20);
      const size_t from = h == 0 ? before.Words.size() - tail : previousCursor + shapes.Below(3);
      if (from < before.Words.size()) {
        q.Side = QuotesPreviousSide;
        q.First = uint32_t(h == 0 ? before.Words.size() - 1 - rng.Below(uint32_t(tail)) : from);
        q.Count = WithinParagraph(before, q.First, words);
        q.Shape = h ? ShapePreviousKind : ShapePlain;
        previousCursor = q.First + q.Count;
        QuoteTokens(rng, before, q);
      }
    } else if (kind < 994 || h < 2) {
      const Quote* last = h > 0 && quotes[h - 1].Side == QuotesThisSide ? &quotes[h - 1] : nullptr;
      if (shape < ShapeSameStart && last) {
        // The words the heading before starts on, again (its very words at times).
        q = *last;
        q.Shape = ShapeRepeatedKind;
        if (shape >= ShapeRepeated) {
          q.Shape = ShapeSameStartKind;
          q.Tokens.clear();
          q.Count = WithinParagraph(quoted, q.First, words == q.Count ? words + 1 : words);
          QuoteTokens(rng, quoted, q);
        }
      } else if (shape < ShapeEarlier && last && last->First > 0) {
        // An earlier word of the side, commented on out of order.
        q.Side = QuotesThisSide;
        q.Shape = ShapeEarlierKind;
        q.First = shapes.Below(last->First);
        q.Count = WithinParagraph(quoted, q.First, words);
        QuoteTokens(rng, quoted, q);
      } else {
        cursor += rng.Below(uint32_t(stride));
        if (shape >= ShapeAcross && shape < ShapeVariant) words = 1 + shapes.Below(2);
        if (shape >= ShapeVariant && shape < ShapeGap) words = std::max<uint32_t>(words, 3);
        if (shape >= ShapeGap && shape < ShapeInitials) words = 2;
        if (cursor < size) {
          q.Side = QuotesThisSide;
          q.First = uint32_t(cursor);
          if (shape >= ShapeEarlier && shape < ShapeAcross) {
            // The last words of a paragraph and the first of the next.
            const uint32_t in = WithinParagraph(quoted, cursor, 1000);
            q.First = uint32_t(cursor + in - 1 - (in > 1 ? shapes.Below(2) : 0));
            words = std::max<uint32_t>(words, 3);
            q.Shape = WithinParagraph(quoted, q.First, words) < words && q.First + words <= size ? ShapeAcrossKind
                                                                                                  : ShapePlain;
          }
          q.Count = q.First == cursor ? WithinParagraph(quoted, cursor, words)
                                       : uint32_t(std::min<size_t>(words, size - q.First));
          cursor = q.First + q.Count;
          QuoteTokens(rng, quoted, q);
          HeadingShape(shapes, shape, quoted, q);
        }
      }
    }
    if (q.Side == QuotesNothing) {
      text = NoteWords(rng, lang, quoted);
    } else {
      for (const HeadingToken& t : q.Tokens) {
        if (!text.empty()) text += ' ';
        if (t.Kind == '"') {
          text += t.Letters.substr(0, t.Letters.size() - 1) + '"' + t.Letters.back();
        } else {
          text += t.Letters + (t.Kind == '\'' ? "'" : "");
        }
      }
      if (rng.Chance(4, 100)) text += std::string(" ") + (rng.Chance(1, 4) ? EtCeteraVerse : EtCetera);
    }
    if (rng.Chance(6, 10)) text += '.';
    list.push_back({CorpusHeading, std::move(text)});
    if (lone[h]) continue;

    Writer comment{rng, lang, &topic};
    comment.Sentences(std::max(2, int(4 + rng.Below(20) + rng.Below(20)) * scale / 100), ':');
    list.push_back({CorpusComment, std::move(comment.Out)});
    for (unsigned char style : after[h]) {
      Writer w{rng, lang, &topic};
      switch (style) {
        case CorpusComment:
          w.Sentences(std::max(3, int(10 + rng.Below(40) + rng.Below(40)) * scale / 100), ':');
          break;
        case CorpusSmallMark: {
          static const char* const Marks[] = {"", ":", ".", "-", "::", ":-", "?", ","};
          w.Out = Marks[rng.Below(8)];
          break;
        }
        case CorpusMark:
          w.Out = "+";
          break;
        default:  // a blank paragraph
          break;
      }
      list.push_back({style, std::move(w.Out)});
    }
  }
  if (plan.SmallHeaders) {
    // A closing line after the last page of a tractate, naming it.
    int32_t tractate = 0, side = 0;
    LocateArticle(article, &tractate, &side);
    list.push_back({CorpusSmallHeader, lang.Words[11] + " " + lang.Words[4] + " " +
                                           ReadingOrder(TractateTable[tractate].Name)});
  }
}

// Lengthens the last comment until the whole text is exactly `length` bytes.
void FillTo(int32_t record, size_t length, std::vector<Paragraph>& list) {
  Rng rng = MakeRng(record, 0xF111);
  for (auto p = list.rbegin(); p != list.rend(); ++p) {
    if (p->Style != CorpusComment) continue;
    Writer w{rng, CommentaryLanguage()};
    w.Out = p->Text;
    w.FillTo(p->Text.size() + (length - ListLength(list)));
    p->Text = std::move(w.Out);
    return;
  }
}


// The texts of an article, and what its headings quote.
struct Article {
  std::vector<Paragraph> Main, Commentary;
  MainWords Words;
  PreviousSide Previous;
  std::vector<Quote> Quotes;
  std::vector<CitationTruth> Citations;
};

void MakeArticle(int32_t article, Article& a) {
  MainText(article, a.Main, a.Words);
  int32_t tractate = 0, side = 0;
  LocateArticle(article, &tractate, &side);
  if (side != TractateTable[tractate].FirstSideOffset + 2) a.Previous.Article = article - 1;
  const bool longest = 2 * article == CorpusLongestRecord;
  const size_t limit = longest ? CorpusMaxText - 40 : NaturalLimit;
  for (int scale = 100;; scale -= 10) {
    CommentaryParagraphs(article, scale, a.Words, a.Previous, a.Commentary, a.Quotes);
    AddCitations(article, a.Commentary, &a.Citations);
    if (ListLength(a.Commentary) <= limit || scale <= 10) break;
  }
  if (longest) FillTo(CorpusLongestRecord, CorpusMaxText, a.Commentary);
}

// Stored bytes [start, end) of words [first, first + count) of a main text.
void StoredRange(const std::vector<Paragraph>& list, const MainWords& m, uint32_t first, uint32_t count,
                 uint16_t* start, uint16_t* end) {
  std::vector<size_t> offsets(1, 0);
  for (const Paragraph& p : list) offsets.push_back(offsets.back() + 3 + p.Text.size());
  *start = 0xFFFF, *end = 0;
  for (uint32_t i = first; i < first + count; ++i) {
    const WordPlace& w = m.Places[i];
    const size_t length = list[w.Paragraph].Text.size();
    const size_t at = offsets[w.Paragraph] + 2 + (length - w.Position - w.Length);
    *start = std::min<uint16_t>(*start, uint16_t(at));
    *end = std::max<uint16_t>(*end, uint16_t(at + w.Length));
  }
}

// Whether the heading's words from token k on, as written (their skeletons
// in forms), stand for the words from `at` on (in one paragraph), as a
// careful reader would take them: a word ending in a geresh may be cut short,
// one with gershayim may stand for initials, and a reference between two of
// them is passed over.
bool Fits(const Quote& q, const std::vector<std::string>& forms, const MainWords& m,
          const std::vector<std::string>& skeletons, uint32_t at, size_t k = 0) {
  if (k == q.Tokens.size()) return true;
  if (at >= m.Words.size() || (k && m.Places[at].Paragraph != m.Places[at - 1].Paragraph)) return false;
  // A reference between two of the words, passed over whole.
  const uint32_t reference = m.Places[at].Reference;
  if (k && reference && m.Places[at - 1].Reference != reference) {
    uint32_t after = at;
    while (after < m.Words.size() && m.Places[after].Reference == reference) ++after;
    if (after < m.Words.size() && m.Places[after].Paragraph == m.Places[at].Paragraph &&
        Fits(q, forms, m, skeletons, after, k))
      return true;
  }
  const HeadingToken& t = q.Tokens[k];
  const std::string& s = skeletons[at];
  const bool cut = t.Kind == '\'' || t.Letters.back() == '\'';
  const bool initials = t.Kind == '"' || t.Letters.find('"') != std::string::npos;
  if (t.Kind != '"' && (cut ? s.compare(0, forms[k].size(), forms[k]) == 0 : s == forms[k]) &&
      Fits(q, forms, m, skeletons, at + 1, k + 1))
    return true;
  if (!initials) return false;
  std::string letters;
  for (char c : t.Letters) {
    if (c >= 0x61 && c <= 0x7B) letters += c;
  }
  if (letters.size() < 2 || letters.size() > 4 || at + letters.size() > m.Words.size() ||
      m.Places[at + letters.size() - 1].Paragraph != m.Places[at].Paragraph)
    return false;
  for (size_t i = 0; i < letters.size(); ++i) {
    if (Skeleton(m.Words[at + i].substr(0, 1)) != Skeleton(letters.substr(i, 1))) return false;
  }
  return Fits(q, forms, m, skeletons, uint32_t(at + letters.size()), k + 1);
}

// What each heading of an article quotes (the words it was written from, in
// the paragraph where they begin), and whether its words as written stand at
// more than one place open to it.
void Truth(Article& a, std::vector<HeadingTruth>& truth) {
  std::vector<std::string> here, before;
  for (const std::string& w : a.Words.Words) here.push_back(Skeleton(w));
  if (a.Previous.Article) {
    for (const std::string& w : a.Previous.Get().Words) before.push_back(Skeleton(w));
  }
  const uint32_t tail = uint32_t(std::max<int64_t>(0, int64_t(before.size()) - 30));
  for (size_t h = 0; h < a.Quotes.size(); ++h) {
    const Quote& q = a.Quotes[h];
    HeadingTruth t{q.Side, 0, 0, q.First, q.Count, false, q.Shape};
    if (q.Side != QuotesNothing) {
      const bool previous = q.Side == QuotesPreviousSide;
      const MainWords& m = previous ? a.Previous.Words : a.Words;
      t.Words = WithinParagraph(m, q.First, q.Count);
      StoredRange(previous ? a.Previous.List : a.Main, m, q.First, t.Words, &t.QuoteStart, &t.QuoteEnd);
      std::vector<std::string> forms;
      for (const HeadingToken& k : q.Tokens) forms.push_back(Skeleton(k.Letters));
      uint32_t places = 0;
      for (uint32_t at = tail; at < before.size(); ++at) places += Fits(q, forms, a.Previous.Words, before, at);
      for (uint32_t at = 0; at < here.size(); ++at) places += Fits(q, forms, a.Words, here, at);
      t.Ambiguous = places > 1;
    }
    truth.push_back(t);
  }
}

}  // namespace

void GenerateArticle(int32_t article, std::vector<unsigned char>& mainText, std::vector<unsigned char>& commentary,
                     std::vector<HeadingTruth>* truth, std::vector<CitationTruth>* citations) {
  mainText.clear();
  commentary.clear();
  if (truth) truth->clear();
  if (citations) citations->clear();
  if (article < 1 || article > ArticleCount) return;
  Article a;
  MakeArticle(article, a);
  Assemble(a.Main, mainText);
  Assemble(a.Commentary, commentary);
  if (truth) Truth(a, *truth);
  if (citations) *citations = a.Citations;
}

bool GenerateText(int32_t record, std::vector<unsigned char>& out) {
  out.clear();
  if (record < 1 || record > 2 * ArticleCount) return false;
  std::vector<unsigned char> other;
  if (record % 2)
    GenerateArticle(ArticleOf(record), out, other);
  else
    GenerateArticle(ArticleOf(record), other, out);
  return true;
}
