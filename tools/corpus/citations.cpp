// The generated commentary's citations (see citations.h).
//
// About one comment in fifteen cites a page, in the shares a real commentary
// shows: two thirds of the same tractate by folio and side alone, the rest
// by a tractate's full name, "above"/"below", the initials of a two-word
// name, a chapter mark, other side marks, or a name in the words before the
// parenthesis. About one comment in twenty cites a book of the Bible and a
// few say "there": those cite nothing here. The truth of each is decided
// here, from the page it was written for, never by reading it back.
#include "tools/corpus/citations.h"

#include <algorithm>
#include <string>

#include "store/tractates.h"

namespace {

// splitmix64, seeded apart from the texts' own generators.
struct CiteRng {
  uint64_t State;
  uint64_t Next() {
    State += 0x9E3779B97F4A7C15ull;
    uint64_t z = State;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return uint32_t(((Next() >> 32) * n) >> 32); }
  bool Chance(uint32_t num, uint32_t den) { return Below(den) < num; }
};

// The words, LetterCode in reading order.
const char Daf[] = "dt", DafShort[] = "d'", Tractate[] = "orl{", InTractate[] = "borl{";
const char Above[] = "msjm", Below[] = "mxop", SideWord[] = "sofd", Chapter[] = "uyx", There[] = "zn";
const char AsWeSay[] = "ldaoyjqjp", InChapter[] = "bu'";
const char* const Books[] = {"byazj{", "zof{", "fjxya", "bodby", "dbyjn", "jzsje",
                             "{emjn", "ozmj",  "ajfb",  "jhgxam", "dqjam", "jyoje"};

// Shares per thousand citations of this corpus, in CitationShape order up
// to the book references.
const uint32_t ShapeShares[] = {590, 123, 102, 25, 16, 8, 12, 12, 113, 5, 4};

std::string Reading(const DisplayChar* display) {
  std::string s;
  for (const DisplayChar* p = display; *p; ++p) s += static_cast<char>(*p);
  return std::string(s.rbegin(), s.rend());
}

std::string Name(int t) { return Reading(BuiltInTractates[t].Name); }

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words(1);
  for (char c : s) {
    if (c == ' ') words.emplace_back();
    else words.back() += c;
  }
  return words;
}

// The initials of a name of two words or more, the mark before the last.
std::string Initials(const std::string& name) {
  std::string letters;
  for (const std::string& w : Words(name)) {
    char c = w[0];
    c = c == 'k' ? 'l' : c == 'n' ? 'o' : c == 'p' ? 'q' : c == 't' ? 'u' : c == 'v' ? 'w' : c;
    letters += c;
  }
  letters.insert(letters.size() - 1, 1, '"');
  return letters;
}

// A name with one vowel letter (vav or yod) left out or added inside a word.
std::string VaryVowels(CiteRng& rng, std::string name) {
  for (size_t i = 1; i + 1 < name.size(); ++i) {
    if ((name[i] == 'f' || name[i] == 'j') && name[i - 1] != ' ' && name[i + 1] != ' ' && rng.Chance(2, 3)) {
      name.erase(i, 1);
      return name;
    }
  }
  size_t at = 1 + rng.Below(uint32_t(name.size() - 1));
  while (at < name.size() && (name[at] == ' ' || name[at - 1] == ' ')) ++at;
  if (at >= name.size()) return name;
  name.insert(at, 1, rng.Chance(1, 2) ? 'f' : 'j');
  return name;
}

// A folio as a commentary writes it: bare, with gershayim or geresh.
std::string Numeral(CiteRng& rng, int32_t folio) {
  std::string n = FolioNumeral(folio);
  const uint32_t form = rng.Below(100);
  if (form < 30) {
    if (n.size() >= 2) n.insert(n.size() - 1, 1, '"');
    else n += '\'';
  } else if (form < 38) {
    n += '\'';
  }
  return n;
}

// The folio and side mark of a side code: ". :" attached, or nothing for side a.
std::string FolioAndSide(CiteRng& rng, int32_t code) {
  const int32_t side = code % 2;
  if (side == 0 && rng.Chance(1, 8)) return Numeral(rng, code / 2);
  return Numeral(rng, code / 2) + (side ? ":" : ".");
}

// Letters that look like a word, the final form at the end.
std::string Invented(CiteRng& rng, int letters) {
  static const char Pool[] = "abcdehilmoqrsuwxyz{fj";
  std::string w;
  for (int i = 0; i < letters; ++i) w += Pool[rng.Below(sizeof Pool - 1)];
  char& c = w.back();
  c = c == 'l' ? 'k' : c == 'o' ? 'n' : c == 'q' ? 'p' : c == 'u' ? 't' : c == 'w' ? 'v' : c;
  return w;
}

std::string Skeleton(const std::string& w) {
  std::string s;
  for (char c : w) {
    if (c < 'a' || c > '{' || c == 'f' || c == 'j') continue;
    s += c == 'k' ? 'l' : c == 'n' ? 'o' : c == 'p' ? 'q' : c == 't' ? 'u' : c == 'v' ? 'w' : c;
  }
  return s;
}

struct Page {
  int32_t Tractate, Code;
};

int32_t FirstCode(int t) { return BuiltInTractates[t].FirstSideOffset + 2; }
int32_t LastCode(int t) { return FirstCode(t) + BuiltInTractates[t].SideCount - 1; }

int32_t ArticleOf(const Page& p) {
  int32_t article = p.Code - FirstCode(p.Tractate) + 1;
  for (int t = 0; t < p.Tractate; ++t) article += BuiltInTractates[t].SideCount;
  return article;
}

Page AnyPage(CiteRng& rng, int t) {
  return {t, FirstCode(t) + int32_t(rng.Below(uint32_t(BuiltInTractates[t].SideCount)))};
}

// One citation: the words before the parenthesis, what it holds, its page.
struct Written {
  std::string Before, Inside;
  int32_t Article;
  uint8_t Shape;
};

Written Cite(CiteRng& rng, const Page& here) {
  std::vector<uint64_t> cumulative;
  uint64_t sum = 0;
  for (uint32_t s : ShapeShares) cumulative.push_back(sum += s);
  const uint64_t x = rng.Below(uint32_t(sum));
  uint8_t shape = uint8_t(std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin());
  std::vector<int> twoWords;
  for (int t = 0; t < TractateCount; ++t) {
    if (Name(t).find(' ') != std::string::npos) twoWords.push_back(t);
  }
  Written w{"", "", 0, shape};
  const int other = int(rng.Below(TractateCount));
  const int pair = twoWords[rng.Below(uint32_t(twoWords.size()))];
  switch (shape) {
    case CiteSameTractate: {
      const Page p = AnyPage(rng, here.Tractate);
      w.Inside = std::string(Daf) + " " + FolioAndSide(rng, p.Code);
      w.Article = ArticleOf(p);
      // A name as an ordinary word before it does not name its tractate.
      if (rng.Chance(1, 8)) w.Before = std::string(rng.Chance(1, 4) ? "b" : "") + Name(int(rng.Below(TractateCount)));
      break;
    }
    case CiteFullName: {
      const Page p = AnyPage(rng, other);
      std::string name = rng.Chance(15, 100) ? VaryVowels(rng, Name(other)) : Name(other);
      const uint32_t form = rng.Below(100);
      const std::string folio = FolioAndSide(rng, p.Code);
      if (form < 40) w.Inside = name + " " + Daf + " " + folio;
      else if (form < 65) w.Inside = name + " " + folio;
      else if (form < 85) w.Inside = std::string("b") + name + " " + Daf + " " + folio;
      else if (form < 95) w.Inside = std::string(InTractate) + " " + name + " " + Daf + " " + folio;
      else w.Inside = std::string(Tractate) + " " + name + " " + Daf + " " + folio;
      w.Article = ArticleOf(p);
      break;
    }
    case CiteRelative: {
      // Above: an earlier page of the tractate; below: a later one.
      bool above = rng.Chance(1, 2);
      if (here.Code == FirstCode(here.Tractate)) above = false;
      if (here.Code == LastCode(here.Tractate)) above = true;
      const int32_t from = above ? FirstCode(here.Tractate) : here.Code + 1;
      const int32_t to = above ? here.Code - 1 : LastCode(here.Tractate);
      const Page p{here.Tractate, from + int32_t(rng.Below(uint32_t(to - from + 1)))};
      w.Inside = std::string(above ? Above : Below) + (rng.Chance(4, 5) ? std::string(" ") + Daf : "") + " " +
                 FolioAndSide(rng, p.Code);
      w.Article = ArticleOf(p);
      break;
    }
    case CiteAbbreviated: {
      const Page p = AnyPage(rng, pair);
      const uint32_t form = rng.Below(100);
      const std::string initials = Initials(Name(pair));
      if (form < 50) w.Inside = initials + " " + Daf + " " + FolioAndSide(rng, p.Code);
      else if (form < 80) w.Inside = std::string("b") + initials + " " + Daf + " " + FolioAndSide(rng, p.Code);
      else w.Inside = initials + " " + Numeral(rng, p.Code / 2) + (p.Code % 2 ? ":" : ".");
      w.Article = ArticleOf(p);
      break;
    }
    case CiteChapter: {
      const Page p = AnyPage(rng, here.Tractate);
      const std::string number = FolioNumeral(1 + int32_t(rng.Below(10)));
      const std::string mark = rng.Chance(1, 2) ? "u\"" + number : std::string(Chapter) + " " + number + "'";
      w.Inside = mark + " " + Daf + " " + FolioAndSide(rng, p.Code);
      w.Article = ArticleOf(p);
      break;
    }
    case CiteOtherSide:
      // Side b of the folio being read, written on its side a.
      if (here.Code % 2 == 0 && here.Code < LastCode(here.Tractate)) {
        w.Inside = std::string(SideWord) + " b";
        w.Article = ArticleOf({here.Tractate, here.Code + 1});
        break;
      }
      [[fallthrough]];
    case CiteLoneSide: {
      const Page p = AnyPage(rng, here.Tractate);
      w.Shape = CiteLoneSide;
      w.Inside = std::string(Daf) + " " + Numeral(rng, p.Code / 2) + " " + SideLetters[p.Code % 2];
      w.Article = ArticleOf(p);
      break;
    }
    case CiteAyinSide: {
      const Page p = AnyPage(rng, here.Tractate);
      w.Inside = std::string(Daf) + " " + Numeral(rng, p.Code / 2) + " s" + (rng.Chance(9, 10) ? "\"" : "") +
                 SideLetters[p.Code % 2];
      w.Article = ArticleOf(p);
      break;
    }
    case CiteNamedBefore: {
      const uint32_t form = rng.Below(100);
      const int t = form >= 40 && form < 60 ? pair : other;
      const Page p = AnyPage(rng, t);
      std::string chapter = std::string(InChapter) + " " + Invented(rng, 3 + int(rng.Below(3)));
      if (rng.Chance(1, 3)) chapter.append(" ").append(Invented(rng, 2 + int(rng.Below(4))));
      if (form < 40) w.Before = std::string(InTractate) + " " + Name(t);
      else if (form < 60) w.Before = std::string("b") + Initials(Name(t)) + " " + chapter;
      else if (form < 80) w.Before = std::string(AsWeSay) + " " + InTractate + " " + Name(t);
      else w.Before = std::string(InTractate) + " " + Name(t) + " " + chapter;
      w.Inside = (form >= 60 && form < 80 ? DafShort : Daf) + std::string(" ") + FolioAndSide(rng, p.Code);
      w.Article = ArticleOf(p);
      break;
    }
    case CiteUnknownName: {
      // A tractate the corpus does not have: its page is none of ours.
      std::string name;
      for (bool known = true; known;) {
        name = Invented(rng, 4 + int(rng.Below(3)));
        known = false;
        for (int t = 0; t < TractateCount; ++t) known |= Skeleton(Name(t)) == Skeleton(name);
      }
      w.Before = std::string(InTractate) + " " + name;
      if (rng.Chance(1, 3)) w.Before.append(" ").append(InChapter).append(" ").append(Invented(rng, 4));
      w.Inside = std::string(Daf) + " " + FolioAndSide(rng, AnyPage(rng, here.Tractate).Code);
      break;
    }
    default: {
      // A folio past the end of the tractate.
      const int32_t folio = std::min<int32_t>(LastCode(here.Tractate) / 2 + 1 + int32_t(rng.Below(5)), 199);
      w.Shape = CiteMissingPage;
      w.Inside = std::string(Daf) + " " + Numeral(rng, folio) + ".";
      break;
    }
  }
  return w;
}

Written Book(CiteRng& rng) {
  Written w{"", "", 0, CiteBook};
  std::string book = Books[rng.Below(sizeof Books / sizeof Books[0])];
  const uint32_t form = rng.Below(100);
  const std::string chapter = Numeral(rng, 1 + int32_t(rng.Below(50)));
  if (form < 55) w.Inside = book + " " + chapter;
  else if (form < 85) w.Inside = book + " " + chapter + " " + Numeral(rng, 1 + int32_t(rng.Below(30)));
  else w.Inside = book + " " + Chapter + " " + chapter;
  return w;
}

}  // namespace

void AddCitations(int32_t article, std::vector<CorpusParagraph>& commentary, std::vector<CitationTruth>* truth) {
  if (truth) truth->clear();
  int32_t tractate = 0, code = 0;
  if (!LocateArticle(article, &tractate, &code)) return;
  const Page here{tractate, code};
  CiteRng rng{0x636974617465ull ^ (uint64_t(article) * 0x9E3779B97F4A7C15ull)};
  for (size_t p = 1; p < commentary.size(); ++p) {
    if (commentary[p].Style != CorpusComment) continue;
    std::vector<Written> adds;
    if (rng.Chance(66, 1000)) adds.push_back(Cite(rng, here));
    if (rng.Chance(50, 1000)) adds.push_back(Book(rng));
    if (rng.Chance(5, 1000)) adds.push_back({"", rng.Chance(4, 5) ? There : std::string(There) + " " + Numeral(rng, 1 + int32_t(rng.Below(20))), 0, CiteThere});
    if (adds.empty()) continue;
    // Places after a word and outside any bracket, each taken once.
    const std::string& text = commentary[p].Text;
    std::vector<size_t> places;
    int depth = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      depth += c == '(' || c == '[' || c == '~' ? 1 : c == ')' || c == ']' || c == '}' ? -1 : 0;
      if (c == ' ' && depth == 0 && i > 0 && text[i - 1] >= 'a' && text[i - 1] <= '{') places.push_back(i);
    }
    if (places.empty()) continue;
    std::vector<std::pair<size_t, size_t>> at;  // place, citation
    for (size_t k = 0; k < adds.size(); ++k) {
      const size_t place = places[rng.Below(uint32_t(places.size()))];
      if (std::none_of(at.begin(), at.end(), [&](const auto& a) { return a.first == place; })) at.push_back({place, k});
    }
    std::sort(at.begin(), at.end());
    std::string out;
    size_t from = 0;
    for (const auto& [place, k] : at) {
      const Written& w = adds[k];
      out += text.substr(from, place - from) + " ";
      if (!w.Before.empty()) out += w.Before + " ";
      const size_t start = out.size();
      out += "(" + w.Inside + ")";
      if (truth) truth->push_back({uint16_t(p), uint16_t(start), uint16_t(out.size()), w.Article, w.Shape});
      from = place;
    }
    out += text.substr(from);
    commentary[p].Text = std::move(out);
  }
}
