// The parser of one tractate file and of side.txt: UTF-8 lines to paragraphs
// in the letter code, with the errors and notes of what it met. It reads
// bytes only, so it can be tested and fuzzed without any files.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

#include "tools/corpus/textformat.h"

namespace {

constexpr size_t MaxDroppedPlaces = 5;
constexpr unsigned char KnownStyles[] = {CorpusMark,    CorpusHeading,  CorpusBlank,      CorpusSmallMark,
                                         CorpusMainText, CorpusComment, CorpusSmallHeader};

// ---------------------------------------------------------------------------
// Characters

enum class CharKind { Kept, Point, Invisible, Dropped, Foreign };

// Hebrew presentation forms U+FB1D..U+FB4F: the letters they stand for.
// Letters with points become the bare letter; '+' is the alternative plus.
constexpr const char* PresentationForms[] = {
    "j",  nullptr, "jj", "s",  "a",  "d",  "e",  "l",  "m",  "n",  "y",  "{",  "+",  "z",  "z",  "z",
    "z",  "a",  "a",  "a",  "b",  "c",  "d",  "e",  "f",  "g",  nullptr, "i",  "j",  "k",  "l",  "m",
    nullptr, "o",  nullptr, "q",  "r",  nullptr, "t",  "u",  nullptr, "w",  "x",  "y",  "z",  "{",  "f",
    "b",  "l",  "u",  "am",
};
static_assert(std::size(PresentationForms) == 0xFB4F - 0xFB1D + 1);

bool InRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Letters of the scripts a text of ours cannot hold (roughly: Latin, Greek,
// Cyrillic, Armenian, Arabic and everything after it in the plane, CJK).
bool IsForeignLetter(char32_t c) {
  if (c < 0x80) return InRange(c, 'A', 'Z') || InRange(c, 'a', 'z');
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (InRange(c, 0xC0, 0x2AF)) return c != 0xD7 && c != 0xF7;
  return InRange(c, 0x370, 0x58F) || InRange(c, 0x600, 0x1DBF) || InRange(c, 0x1E00, 0x1FFF) ||
         InRange(c, 0x2C00, 0x2DFF) || InRange(c, 0x3040, 0x9FFF) || InRange(c, 0xA000, 0xD7FF) ||
         InRange(c, 0xFB00, 0xFB17) || InRange(c, 0xFB50, 0xFDFF) || InRange(c, 0xFE70, 0xFEFE) ||
         InRange(c, 0xFF21, 0xFF3A) || InRange(c, 0xFF41, 0xFF5A) || InRange(c, 0xFF66, 0xFFDC) ||
         InRange(c, 0x10000, 0x1EFFF) || InRange(c, 0x20000, 0x3FFFF);
}

CharKind MapChar(char32_t c, std::string& out) {
  if (InRange(c, 0x5D0, 0x5EA)) {
    out += static_cast<char>(0x61 + (c - 0x5D0));
    return CharKind::Kept;
  }
  const char* to = nullptr;
  switch (c) {
    case 0x5BE: case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: case 0x2212:
      to = "-"; break;  // maqaf and dashes
    case 0x5F3: case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2032:
      to = "'"; break;  // geresh and single quotes
    case 0x5F4: case 0x201C: case 0x201D: case 0x201E: case 0x201F: case 0x2033: case 0xAB: case 0xBB:
      to = "\""; break;  // gershayim and double quotes
    case 0x5C3: to = ":"; break;  // sof pasuq ends a verse as a colon does
    case 0x5F0: to = "ff"; break;
    case 0x5F1: to = "fj"; break;
    case 0x5F2: to = "jj"; break;
    case '{': to = "~"; break;    // the stored opening brace
    case 0x14: case 0xB6: to = "\x14"; break;
    case '\t': case 0xA0: case 0x202F: case 0x205F: case 0x3000: to = " "; break;
    case 0x2026: to = "..."; break;
    default: break;
  }
  if (!to && InRange(c, 0x2000, 0x200A)) to = " ";
  if (!to && InRange(c, 0xFB1D, 0xFB4F)) {
    to = PresentationForms[c - 0xFB1D];
    if (!to) return CharKind::Dropped;
  }
  if (to) {
    out += to;
    return CharKind::Kept;
  }
  if (InRange(c, 0x591, 0x5C7)) return CharKind::Point;
  if (c == 0xAD || InRange(c, 0x200B, 0x200F) || InRange(c, 0x202A, 0x202E) || InRange(c, 0x2060, 0x2064) ||
      InRange(c, 0x2066, 0x2069) || c == 0xFEFF)
    return CharKind::Invisible;
  if (IsForeignLetter(c)) return CharKind::Foreign;
  // Printable ASCII stands for itself, except '~', which is the stored
  // opening brace.
  if (InRange(c, 0x20, 0x7D)) {
    out += static_cast<char>(c);
    return CharKind::Kept;
  }
  return CharKind::Dropped;
}

std::string CodePoint(char32_t c) {
  char s[16];
  std::snprintf(s, sizeof s, "U+%04X", unsigned(c));
  return s;
}

// Decodes one line of UTF-8; false at the first malformed sequence.
bool DecodeUtf8(std::string_view s, std::u32string& out) {
  out.clear();
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = s[i];
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size() + (extra == 0)) return false;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const unsigned char n = s[i + k];
      if ((n & 0xC0) != 0x80) return false;
      c = c << 6 | (n & 0x3F);
    }
    static constexpr char32_t Least[] = {0, 0x80, 0x800, 0x10000};
    if (c < Least[extra] || c > 0x10FFFF || InRange(c, 0xD800, 0xDFFF)) return false;
    out += c;
    i += extra + 1;
  }
  return true;
}

bool IsBlank(char32_t c) { return c == ' ' || c == '\t'; }

// ---------------------------------------------------------------------------
// One tractate file

struct Parser {
  int Tractate;
  std::string File;
  const std::string& SideWord;
  TextDiagnostics& Diag;
  std::vector<SideText> Sides;
  std::string Name;
  int Line = 0;
  SideText* Current = nullptr;
  bool InCommentary = false;
  bool SeenText = false;
  bool LineFailed = false;
  // After a refused page marker, or text where no page side has begun, the
  // lines up to the next accepted page marker belong to no side: they are
  // skipped without messages of their own, and the error that began the
  // skip says how many there were.
  int SkipError = -1;  // index of that error in Diag.Errors; -1: not skipping
  int Skipped = 0;     // lines of text skipped so far

  void Error(const std::string& message) {
    if (!LineFailed) Diag.Errors.push_back(File + ":" + std::to_string(Line) + ": " + message);
    LineFailed = true;
  }

  // Reports the line's error and skips what follows it.
  void Refuse(const std::string& message) {
    const bool first = !LineFailed;
    Error(message);
    if (first) {
      SkipError = int(Diag.Errors.size()) - 1;
      Skipped = 0;
    }
  }

  void EndSkip(bool atEnd) {
    if (SkipError >= 0 && Skipped > 0) {
      std::string& e = Diag.Errors[SkipError];
      e += Skipped == 1 ? "; the line of text after it" : "; the " + std::to_string(Skipped) + " lines of text after it";
      e += atEnd ? ", up to the end of the file," : ", up to line " + std::to_string(Line) + ",";
      e += Skipped == 1 ? " was skipped" : " were skipped";
    }
    SkipError = -1;
  }

  // A line that starts a page side ("@" but not "@@" or "@#").
  static bool PageMarkerLine(const std::u32string& line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i < line.size() && line[i] == '@' && (i + 1 == line.size() || (line[i + 1] != '@' && line[i + 1] != '#'));
  }

  // Maps [first, last) of the line to LetterCode; a plain text has its runs
  // of spaces made one and none at either end.
  std::string Map(const char32_t* first, const char32_t* last, bool plain) {
    std::string out;
    for (const char32_t* p = first; p != last; ++p) {
      switch (MapChar(*p, out)) {
        case CharKind::Kept: break;
        case CharKind::Point: ++Diag.Points; break;
        case CharKind::Invisible: ++Diag.Invisible; break;
        case CharKind::Dropped:
          if (Diag.Dropped++ < int64_t(MaxDroppedPlaces))
            Diag.DroppedPlaces.push_back(File + ":" + std::to_string(Line) + ": " + CodePoint(*p));
          break;
        case CharKind::Foreign:
          Error("letters of another script (" + CodePoint(*p) + "); the texts hold Hebrew letters only");
          break;
      }
    }
    if (!plain) return out;
    std::string s;
    for (char c : out) {
      if (c == ' ' && (s.empty() || s.back() == ' ')) continue;
      s += c;
    }
    if (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }

  std::vector<CorpusParagraph>& Target() { return InCommentary ? Current->Commentary : Current->Main; }

  void Add(unsigned char style, std::string text) {
    if (!LineFailed) Target().push_back({style, std::move(text)});
  }

  void ParseLine(const std::u32string& line) {
    LineFailed = false;
    const char32_t* p = line.data();
    const char32_t* end = p + line.size();
    while (p != end && IsBlank(*p)) ++p;
    if (p == end) return;
    if (*p == '@') return Marker(p + 1, end);
    if (!Current) {
      if (SeenText) return Refuse("text before the first page side; only the tractate's name may come first");
      SeenText = true;
      return TractateName(p, end);
    }
    if (!InCommentary) {
      std::string text = Map(p, end, true);
      if (!text.empty()) Add(CorpusMainText, std::move(text));
      return;
    }
    const char32_t* bar = std::find(p, end, char32_t('|'));
    if (bar == end) {
      std::string text = Map(p, end, true);
      if (!text.empty()) Add(CorpusComment, std::move(text));
      return;
    }
    std::string heading = Map(p, bar, true);
    std::string comment = Map(bar + 1, end, true);
    if (!heading.empty()) Add(CorpusHeading, std::move(heading));
    if (!comment.empty()) Add(CorpusComment, std::move(comment));
  }

  void TractateName(const char32_t* p, const char32_t* end) {
    std::string name = Map(p, end, true);
    bool sound = !name.empty() && name.size() <= size_t(MaxTractateNameBytes);
    for (char c : name) sound = sound && ((c >= 0x61 && c <= 0x7B) || std::strchr(" '\"-", c));
    if (!sound)
      Error("the tractate's name (the first line) may hold only Hebrew letters, spaces, ' \" and -, "
            "at most " + std::to_string(MaxTractateNameBytes) + " in all");
    else
      Name = std::move(name);
  }

  void Marker(const char32_t* p, const char32_t* end) {
    if (p != end && *p == '@') {
      ++p;
      while (p != end && IsBlank(*p)) ++p;
      if (p != end) return Error("\"@@\" (the start of the commentary) stands alone on its line");
      if (!Current) return Refuse("a commentary before the first page side");
      if (Current->CommentaryLine)
        return Error("the commentary of this page side is given twice (first at line " +
                     std::to_string(Current->CommentaryLine) + ")");
      Current->CommentaryLine = Line;
      InCommentary = true;
      return;
    }
    if (p != end && *p == '#') return StyledParagraph(p + 1, end);
    PageSide(p, end);
  }

  void StyledParagraph(const char32_t* p, const char32_t* end) {
    auto hex = [](char32_t c) {
      return c >= '0' && c <= '9' ? int(c - '0') : c >= 'a' && c <= 'f' ? int(c - 'a' + 10)
                                 : c >= 'A' && c <= 'F' ? int(c - 'A' + 10) : -1;
    };
    const int high = end - p >= 2 ? hex(p[0]) : -1;
    const int low = end - p >= 2 ? hex(p[1]) : -1;
    const unsigned char style = static_cast<unsigned char>(high * 16 + low);
    if (high < 0 || low < 0 || (p + 2 != end && p[2] != ' ') ||
        std::find(std::begin(KnownStyles), std::end(KnownStyles), style) == std::end(KnownStyles))
      return Error("\"@#\" is followed by a paragraph style: 41, 51, 81, 82, b1, b2 or d2, then a space");
    if (!Current) return Refuse("a paragraph before the first page side");
    p += 2;
    if (p != end) ++p;
    Add(style, Map(p, end, false));
  }

  void PageSide(const char32_t* p, const char32_t* end) {
    EndSkip(false);
    const int32_t code = SideCode(p, end);
    if (code < 0) {
      return Refuse("a page side is \"@\", the folio and the side, as in \"@ 2a\", \"@ 2b\", "
                   "\"@ \u05D1.\" or \"@ \u05D1 \u05E2\"\u05D1\"");
    }
    const TractateEntry& e = BuiltInTractates[Tractate];
    const int32_t first = e.FirstSideOffset + 2, last = e.FirstSideOffset + 1 + e.SideCount;
    if (code < first || code > last)
      return Refuse("tractate " + std::to_string(Tractate + 1) + " has no page side " + SideName(code) +
                   " (its pages run from " + SideName(first) + " to " + SideName(last) + ")");
    SideText& side = Sides[code - first];
    if (side.MarkerLine)
      return Refuse("page side " + SideName(code) + " is given twice (first at line " +
                   std::to_string(side.MarkerLine) + ")");
    side.MarkerLine = Line;
    Current = &side;
    InCommentary = false;
  }

  // 2 x folio + side from "2a", "2 b", "ב.", "ב:", "ב א", "ב ע"א" or the
  // folio and the side word and letter; -1 when it is none of these.
  int32_t SideCode(const char32_t* p, const char32_t* end) const {
    // Numeral values of the 27 letters, final forms as their others.
    static constexpr int Values[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 20,  20,  30, 40,
                                     40, 50, 50, 60, 70, 80, 80, 90, 90, 100, 200, 300, 400};
    auto quote = [](char32_t c) { return c == '\'' || c == '"' || c == 0x5F3 || c == 0x5F4 || c == 0x2019 || c == 0x201D; };
    while (p != end && IsBlank(*p)) ++p;
    int32_t folio = 0;
    if (p != end && *p >= '0' && *p <= '9') {
      while (p != end && *p >= '0' && *p <= '9' && folio < 10000) folio = folio * 10 + int32_t(*p++ - '0');
    } else {
      while (p != end && (InRange(*p, 0x5D0, 0x5EA) || (folio && quote(*p)))) {
        if (!quote(*p) && folio <= 9999) folio += Values[*p - 0x5D0];  // no overflow on an endless line
        ++p;
      }
    }
    if (folio < 1 || folio > 9999) return -1;
    // The side, with spaces and quotes taken out: ASCII a and b are the
    // letter code's alef and bet.
    std::string side;
    for (; p != end; ++p) {
      if (IsBlank(*p) || quote(*p)) continue;
      if (*p == 'a' || *p == 'A') side += 'a';
      else if (*p == 'b' || *p == 'B') side += 'b';
      else if (*p == '.' || *p == ':') side += char(*p);
      else if (InRange(*p, 0x5D0, 0x5EA)) side += char(0x61 + (*p - 0x5D0));
      else return -1;
    }
    if (side.empty()) return -1;
    const char letter = side.back();
    const std::string before = side.substr(0, side.size() - 1);
    int32_t s = -1;
    if (letter == 'a' || letter == '.') s = 0;
    if (letter == 'b' || letter == ':') s = 1;
    if (s < 0 || (!before.empty() && (letter == '.' || letter == ':'))) return -1;
    if (!before.empty() && before != "s" && before != SideWord) return -1;
    return 2 * folio + s;
  }

  static std::string SideName(int32_t code) { return SideCodeName(code); }

  void Parse(const std::string& bytes) {
    std::u32string line;
    size_t pos = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    while (pos < bytes.size()) {
      size_t next = bytes.find('\n', pos);
      if (next == std::string::npos) next = bytes.size();
      std::string_view raw(bytes.data() + pos, next - pos);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      pos = next + 1;
      ++Line;
      const bool decoded = DecodeUtf8(raw, line);
      if (SkipError >= 0 && !(decoded && PageMarkerLine(line))) {
        if (!decoded || std::any_of(line.begin(), line.end(), [](char32_t c) { return !IsBlank(c); })) ++Skipped;
        continue;
      }
      if (!decoded) {
        LineFailed = false;
        Error("not valid UTF-8 (save the file as UTF-8)");
        continue;
      }
      ParseLine(line);
    }
    EndSkip(true);
  }
};


}  // namespace

std::string SideCodeName(int32_t code) { return std::to_string(code / 2) + (code % 2 ? "b" : "a"); }

bool ImportableStyle(unsigned char style) {
  return std::find(std::begin(KnownStyles), std::end(KnownStyles), style) != std::end(KnownStyles);
}

void ParseTractateText(int tractate, const std::string& file, const std::string& bytes, const std::string& sideWord,
                       TractateText& out, TextDiagnostics& diag) {
  Parser p{tractate, file, sideWord, diag};
  p.Sides.resize(BuiltInTractates[tractate].SideCount);
  p.Parse(bytes);
  out.Name = std::move(p.Name);
  out.Sides = std::move(p.Sides);
}

bool ParseSideWord(const std::string& bytes, std::string& word, TextDiagnostics& diag) {
  // The first line that is not blank; an error on it stops the import.
  // Its dropped marks are not counted with those of the texts.
  TextDiagnostics local;
  const std::string noWord;
  Parser p{0, "side.txt", noWord, local};
  word.clear();
  std::u32string line;
  for (size_t pos = bytes.compare(0, 3, "\xEF\xBB\xBF") ? 0 : 3;
       pos < bytes.size() && word.empty() && local.Errors.empty();) {
    const size_t next = std::min(bytes.find('\n', pos), bytes.size());
    std::string_view raw = std::string_view(bytes).substr(pos, next - pos);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    pos = next + 1;
    ++p.Line;
    if (!DecodeUtf8(raw, line))
      p.Error("not valid UTF-8 (save the file as UTF-8)");
    else
      word = p.Map(line.data(), line.data() + line.size(), true);
  }
  bool sound = local.Errors.empty() && !word.empty() && word.size() <= size_t(MaxSideWordBytes);
  for (char c : word) sound = sound && c >= 0x61 && c <= 0x7B;
  if (sound) return true;
  diag.Errors.push_back("side.txt:" + std::to_string(std::max(p.Line, 1)) +
                        ": the side word is one word of Hebrew letters, at most " + std::to_string(MaxSideWordBytes));
  diag.Errors.insert(diag.Errors.end(), local.Errors.begin(), local.Errors.end());
  word.clear();
  return false;
}
