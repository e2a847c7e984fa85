// Import of a text folder: UTF-8 tractate files to the records the build
// embeds. Everything is parsed and checked before anything is written.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <thread>

#include "store/records.h"
#include "tools/corpus/folderswap.h"
#include "tools/corpus/textformat.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t MaxDroppedPlaces = 5;
constexpr size_t MaxErrors = 50;
constexpr unsigned char StyleVisual = 0x10;
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

struct SideText {
  int MarkerLine = 0;      // 0: the file does not give this page side
  int CommentaryLine = 0;  // 0: no commentary marker
  std::vector<CorpusParagraph> Main, Commentary;
};

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

  void Error(const std::string& message) {
    if (!LineFailed) Diag.Errors.push_back(File + ":" + std::to_string(Line) + ": " + message);
    LineFailed = true;
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
      if (SeenText) return Error("text before the first page side; only the tractate's name may come first");
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
      if (!Current) return Error("a commentary before the first page side");
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
    if (!Current) return Error("a paragraph before the first page side");
    p += 2;
    if (p != end) ++p;
    Add(style, Map(p, end, false));
  }

  void PageSide(const char32_t* p, const char32_t* end) {
    const int32_t code = SideCode(p, end);
    if (code < 0) {
      return Error("a page side is \"@\", the folio and the side, as in \"@ 2a\", \"@ 2b\", "
                   "\"@ \u05D1.\" or \"@ \u05D1 \u05E2\"\u05D1\"");
    }
    const TractateEntry& e = BuiltInTractates[Tractate];
    const int32_t first = e.FirstSideOffset + 2, last = e.FirstSideOffset + 1 + e.SideCount;
    if (code < first || code > last)
      return Error("tractate " + std::to_string(Tractate + 1) + " has no page side " + SideName(code) +
                   " (its pages run from " + SideName(first) + " to " + SideName(last) + ")");
    SideText& side = Sides[code - first];
    if (side.MarkerLine)
      return Error("page side " + SideName(code) + " is given twice (first at line " +
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
        if (!quote(*p)) folio += Values[*p - 0x5D0];
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

  static std::string SideName(int32_t code) {
    return std::to_string(code / 2) + (code % 2 ? "b" : "a");
  }

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
      if (!DecodeUtf8(raw, line)) {
        LineFailed = false;
        Error("not valid UTF-8 (save the file as UTF-8)");
        continue;
      }
      ParseLine(line);
    }
  }
};

std::string Thousands(int64_t v) {
  const std::string digits = std::to_string(v);
  std::string s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

}  // namespace

bool ImportableStyle(unsigned char style) {
  return std::find(std::begin(KnownStyles), std::end(KnownStyles), style) != std::end(KnownStyles);
}

std::string TextFileName(int tractate) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.txt", tractate + 1);
  return name;
}

bool ImportTextFolder(const TextFolder& folder, std::vector<CorpusRecord>& records, CorpusNames& names,
                      TextDiagnostics& diag, unsigned threads, FILE* progress) {
  records.assign(RecordCount, {});
  names = BuiltInNames();
  const size_t errorsBefore = diag.Errors.size();

  if (folder.HasSideWord) {
    // The first line that is not blank; an error on it stops the import.
    // Its dropped marks are not counted with those of the texts.
    TextDiagnostics local;
    Parser p{0, "side.txt", names.SideWord, local};
    const std::string& bytes = folder.SideWord;
    std::string word;
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
    if (!sound) {
      diag.Errors.push_back("side.txt:" + std::to_string(std::max(p.Line, 1)) +
                            ": the side word is one word of Hebrew letters, at most " +
                            std::to_string(MaxSideWordBytes));
      diag.Errors.insert(diag.Errors.end(), local.Errors.begin(), local.Errors.end());
    } else {
      names.SideWord = word;
    }
  }

  // Where each record's text came from, for the messages about its size.
  std::vector<std::string> origin(RecordCount);
  std::string absent;  // the tractate files that are not there
  int32_t article = 1;
  for (int t = 0; t < TractateCount; ++t) {
    const TractateEntry& e = BuiltInTractates[t];
    Parser p{t, TextFileName(t), names.SideWord, diag};
    p.Sides.resize(e.SideCount);
    if (folder.Present[t]) p.Parse(folder.Tractates[t]);
    if (!p.Name.empty()) names.Tractates[t] = p.Name;

    std::vector<std::string> missing;
    size_t mainParagraphs = 0, commentaryParagraphs = 0;
    for (int32_t i = 0; i < e.SideCount; ++i, ++article) {
      const SideText& side = p.Sides[i];
      const int32_t code = e.FirstSideOffset + 2 + i;
      if (!side.MarkerLine) missing.push_back(Parser::SideName(code));
      mainParagraphs += side.Main.size();
      commentaryParagraphs += side.Commentary.size();
      std::vector<CorpusParagraph> list(1, {CorpusPageHeader, PageHeaderText(names.Tractates[t], code, names.SideWord)});
      for (int part = 0; part < 2; ++part) {
        const std::vector<CorpusParagraph>& body = part ? side.Commentary : side.Main;
        list.resize(1);
        list.insert(list.end(), body.begin(), body.end());
        const int line = part && side.CommentaryLine ? side.CommentaryLine : side.MarkerLine;
        const std::string where = p.File + ":" + std::to_string(line) + ": ";
        const std::string what = std::string(part ? "the commentary of " : "the main text of ") + Parser::SideName(code);
        const size_t length = ParagraphListLength(list);
        if (length > ImportMaxText) {
          diag.Errors.push_back(where + what + " comes to " + Thousands(int64_t(length)) +
                                " bytes; a record holds at most " + Thousands(ImportMaxText));
          continue;
        }
        AssembleParagraphs(list, records[2 * article - 2 + part].Text);
        origin[2 * article - 2 + part] = where + what;
      }
    }
    diag.MissingSides += int32_t(missing.size());
    if (!folder.Present[t]) {
      absent += (absent.empty() ? "" : ", ") + p.File;
    } else if (!missing.empty()) {
      std::string list;
      for (size_t i = 0; i < missing.size() && i < 6; ++i) list += (i ? ", " : "") + missing[i];
      if (missing.size() > 6) list += ", ...";
      diag.Notes.push_back(p.File + ": " + std::to_string(missing.size()) +
                           " page side" + (missing.size() > 1 ? "s" : "") + " missing (" + list +
                           "), made header-only pages");
    }
    if (progress) {
      std::fprintf(progress, "%s: %s, %d page sides (%zu missing), %zu paragraphs of main text, %zu of commentary\n",
                   p.File.c_str(), folder.Present[t] ? "read" : "no file", int(e.SideCount), missing.size(),
                   mainParagraphs, commentaryParagraphs);
    }
  }

  if (!absent.empty())
    diag.Notes.push_back("no file for " + absent + ": all their page sides are header-only pages");
  if (diag.Errors.size() == errorsBefore) {
    EncodeCorpus(records, std::max(1u, threads));
    for (int32_t n = 1; n <= RecordCount; ++n) {
      if (records[n - 1].Stream.size() + BlockHeaderBytes + 4 > 0xFFFF)
        diag.Errors.push_back(origin[n - 1] + " does not compress into a record");
    }
  }
  if (diag.Errors.size() > errorsBefore) {
    records.clear();
    return false;
  }
  return true;
}

bool ReadTextFolder(const std::string& dir, TextFolder& folder, TextDiagnostics& diag) {
  folder = TextFolder{};
  std::error_code failure;
  fs::directory_iterator it(dir, failure);
  if (failure) {
    diag.Errors.push_back(dir + ": cannot read the folder");
    return false;
  }
  bool any = false;
  const size_t errorsBefore = diag.Errors.size();
  for (; !failure && it != fs::directory_iterator(); it.increment(failure)) {
    const fs::directory_entry& entry = *it;
    const std::string name = entry.path().filename().string();
    const std::string stem = entry.path().stem().string();
    const bool numbered = entry.path().extension() == ".txt" && !stem.empty() && stem.size() <= 4 &&
                          std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::string* target = nullptr;
    if (numbered) {
      const int t = std::stoi(stem) - 1;
      if (t < 0 || t >= TractateCount) {
        diag.Errors.push_back(name + ": there are tractates 01 to " + std::to_string(TractateCount) + " only");
        continue;
      }
      if (folder.Present[t]) {
        diag.Errors.push_back(name + ": tractate " + std::to_string(t + 1) + " is given by two files");
        continue;
      }
      folder.Present[t] = any = true;
      target = &folder.Tractates[t];
    } else if (name == "side.txt") {
      folder.HasSideWord = true;
      target = &folder.SideWord;
    } else {
      continue;
    }
    std::string error;
    const int read = ReadWholeFile(entry.path(), *target, error);
    if (read <= 0)
      diag.Errors.push_back(read ? error : entry.path().string() + ": cannot read the file: there is no such file");
  }
  if (failure) diag.Errors.push_back(dir + ": cannot read the folder: " + failure.message());
  if (!any && diag.Errors.size() == errorsBefore)
    diag.Errors.push_back(dir + ": no tractate files (01.txt to " + TextFileName(TractateCount - 1) + ")");
  return diag.Errors.size() == errorsBefore;
}

int ImportCommand(const std::string& textDir, const std::string& corpusDir, TextDiagnostics& diag, FILE* progress) {
  const auto start = std::chrono::steady_clock::now();
  TextFolder folder;
  std::vector<CorpusRecord> records;
  CorpusNames names;
  if (!ReadTextFolder(textDir, folder, diag) ||
      !ImportTextFolder(folder, records, names, diag, std::max(1u, std::thread::hardware_concurrency()), progress))
    return 1;
  int32_t rewritten = 0;
  std::string error;
  if (!WriteCorpusFolder(corpusDir, records, names, &rewritten, error)) {
    diag.Errors.push_back(error);
    return 1;
  }
  if (progress) {
    uint64_t text = 0, stream = 0;
    for (const CorpusRecord& r : records) text += r.Text.size(), stream += r.Stream.size();
    for (const std::string& note : diag.Notes) std::fprintf(progress, "note: %s\n", note.c_str());
    if (diag.Dropped) {
      std::string places;
      for (const std::string& p : diag.DroppedPlaces) places += "\n  " + p;
      std::fprintf(progress, "note: %s characters the letter code cannot hold were dropped; the first:%s\n",
                   Thousands(diag.Dropped).c_str(), places.c_str());
    }
    std::fprintf(progress,
                 "import: %d records from %s (%d page sides missing), text %s bytes, streams %s bytes, "
                 "ratio %.3f; %s points and cantillation marks and %s invisible marks dropped; %d files "
                 "rewritten in %s; %.2f s\n",
                 RecordCount, textDir.c_str(), diag.MissingSides, Thousands(int64_t(text)).c_str(),
                 Thousands(int64_t(stream)).c_str(), double(text) / double(stream), Thousands(diag.Points).c_str(),
                 Thousands(diag.Invisible).c_str(), rewritten, corpusDir.c_str(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return 0;
}
