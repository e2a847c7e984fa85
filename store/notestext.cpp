// The notes file's text form (see store/notes.h): writing it, and reading
// every note it still holds when some of it is damaged.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "store/letters.h"
#include "store/notes.h"

namespace {

constexpr char VersionPrefix[] = "Orvane notes ";
constexpr char Comment[] = "# The reader's notes: each begins with [note]; see the README.\n";
constexpr char32_t FirstHebrewLetter = 0x05D0;
// No line the writer makes is longer: a note's line of escaped units (six
// bytes each at most) and its key. A longer one is damaged, and not decoded.
constexpr size_t MaxLineBytes = 6 * MaxNoteUnits + 64;

// Appends to a text being written or counted.
struct Sink {
  char* out;
  size_t n;
  void Put(char c) {
    if (out) out[n] = c;
    ++n;
  }
  void Put(const char* s) {
    while (*s) Put(*s++);
  }
  void Utf8(char32_t c) {
    if (c < 0x80) {
      Put(static_cast<char>(c));
    } else if (c < 0x800) {
      Put(static_cast<char>(0xC0 | c >> 6));
      Put(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      Put(static_cast<char>(0xE0 | c >> 12));
      Put(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      Put(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      Put(static_cast<char>(0xF0 | c >> 18));
      Put(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      Put(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      Put(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  void Hex(const char* lead, uint32_t v, int digits) {
    Put(lead);
    for (int k = digits - 1; k >= 0; --k) Put("0123456789ABCDEF"[v >> (4 * k) & 15]);
  }
  void Number(int64_t v) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(v));
    Put(digits);
  }
};

// Passage and context bytes: letters as Hebrew letters, the brace byte as
// '{', what else prints as itself, the rest escaped.
void PutBytes(Sink& sink, const unsigned char* s, int32_t n) {
  for (int32_t k = 0; k < n; ++k) {
    const unsigned char b = s[k];
    if (b >= FirstLetter && b <= LastLetter) sink.Utf8(FirstHebrewLetter + (b - FirstLetter));
    else if (b == OpenBraceByte) sink.Put('{');
    else if (b == '\\') sink.Put("\\\\");
    else if (b == NoteParagraphBreak) sink.Put("\\n");
    else if (b >= 0x20 && b < 0x7F) sink.Put(static_cast<char>(b));
    else sink.Hex("\\x", b, 2);
  }
}

void PutField(Sink& sink, const char* key, const unsigned char* s, int32_t n) {
  sink.Put(key);
  sink.Put(": ");
  PutBytes(sink, s, n);
  sink.Put('\n');
}

// One line of a note's text, [from, to) of its units.
void PutTextLine(Sink& sink, const DisplayChar* t, int32_t from, int32_t to) {
  sink.Put(to > from ? "text: " : "text:");
  for (int32_t k = from; k < to; ++k) {
    const char32_t u = t[k];
    if (u >= 0xD800 && u <= 0xDBFF && k + 1 < to && t[k + 1] >= 0xDC00 && t[k + 1] <= 0xDFFF) {
      sink.Utf8(0x10000 + ((u - 0xD800) << 10) + (t[k + 1] - 0xDC00));
      ++k;
    } else if (u == '\\') {
      sink.Put("\\\\");
    } else if (u == '\n') {
      sink.Put("\\n");
    } else if (u == '\r') {
      sink.Put("\\r");
    } else if (u == '\t') {
      sink.Put("\\t");
    } else if (u < 0x20 || u == 0x7F || (u >= 0xD800 && u <= 0xDFFF)) {
      sink.Hex("\\u", u, 4);
    } else {
      sink.Utf8(u);
    }
  }
  sink.Put('\n');
}

void PutNote(Sink& sink, const Note& note) {
  const NoteAnchor& a = note.Anchor;
  sink.Put("\n[note]\npage: ");
  sink.Number(a.Lesson);
  sink.Put(a.Pane == NoteCommentaryPane ? " commentary\n" : " main\n");
  if (a.Start != NoNoteOffset || a.End != NoNoteOffset) {
    sink.Put("at: ");
    sink.Number(a.Start);
    sink.Put(' ');
    sink.Number(a.End);
    sink.Put('\n');
  }
  if (a.Length <= NotePassageWhole) {
    PutField(sink, "passage", a.Passage, a.Length);
  } else {
    PutField(sink, "passage-start", a.Passage, NotePassageEnd);
    PutField(sink, "passage-end", a.Passage + NotePassageEnd, NotePassageEnd);
    sink.Put("passage-length: ");
    sink.Number(a.Length);
    sink.Put('\n');
  }
  for (int side = 0; side < 2; ++side) {
    const unsigned char* c = side ? a.After : a.Before;
    const int32_t n = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(c)));
    if (n) PutField(sink, side ? "after" : "before", c, n);
  }
  for (int which = 0; which < 2; ++which) {
    char time[20];
    const int64_t t = which ? note.Changed : note.Created;
    if (t == 0) continue;
    FormatNoteTime(t, time);
    sink.Put(which ? "changed: " : "created: ");
    sink.Put(time);
    sink.Put('\n');
  }
  int32_t from = 0;
  for (int32_t k = 0; k + 1 < note.TextUnits; ++k) {
    if (note.Text[k] != '\r' || note.Text[k + 1] != '\n') continue;
    PutTextLine(sink, note.Text, from, k);
    from = ++k + 1;
  }
  PutTextLine(sink, note.Text, from, note.TextUnits);
}

// Days since 1970-01-01 of a date, and back (the proleptic Gregorian
// calendar, by eras of 400 years).
int64_t DaysFromDate(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void DateFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = yoe + era * 400 + (*m <= 2);
}

// --- Reading -----------------------------------------------------------------

// One decoded line: its code points.
struct Line {
  char32_t* Units;
  int32_t Count;
};

// Decodes UTF-8; false for a malformed, overlong or surrogate sequence.
bool DecodeLine(const unsigned char* s, size_t n, Line* line) {
  line->Count = 0;
  size_t k = 0;
  while (k < n) {
    const unsigned char b = s[k];
    char32_t c;
    int more;
    if (b < 0x80) {
      c = b;
      more = 0;
    } else if (b >= 0xC2 && b <= 0xDF) {
      c = b & 0x1F;
      more = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      c = b & 0x0F;
      more = 2;
    } else if (b >= 0xF0 && b <= 0xF4) {
      c = b & 0x07;
      more = 3;
    } else {
      return false;
    }
    if (more && k + static_cast<size_t>(more) >= n) return false;
    for (int j = 1; j <= more; ++j) {
      if ((s[k + j] & 0xC0) != 0x80) return false;
      c = c << 6 | (s[k + j] & 0x3F);
    }
    if ((more == 2 && c < 0x800) || (more == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
      return false;
    line->Units[line->Count++] = c;
    k += static_cast<size_t>(more) + 1;
  }
  return true;
}

int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  return -1;
}

// digits hexadecimal digits at v[*k + 1 ...]; *k moved onto the last.
bool HexAt(const char32_t* v, int32_t n, int32_t* k, int digits, uint32_t* value) {
  if (*k + digits >= n) return false;
  *value = 0;
  for (int j = 1; j <= digits; ++j) {
    const int h = HexValue(v[*k + j]);
    if (h < 0) return false;
    *value = *value << 4 | static_cast<uint32_t>(h);
  }
  *k += digits;
  return true;
}

// A passage or context value back to its bytes: at most limit of them and a
// 0. False when it holds what the writer never writes.
bool ReadBytes(const char32_t* v, int32_t n, unsigned char* out, int32_t limit, int32_t* length) {
  int32_t m = 0;
  for (int32_t k = 0; k < n; ++k) {
    const char32_t c = v[k];
    unsigned char b;
    if (c >= FirstHebrewLetter && c < FirstHebrewLetter + LetterCount) {
      b = static_cast<unsigned char>(FirstLetter + (c - FirstHebrewLetter));
    } else if (c == '{') {
      b = OpenBraceByte;
    } else if (c == '\\') {
      if (++k >= n) return false;
      uint32_t x = 0;
      if (v[k] == '\\') b = '\\';
      else if (v[k] == 'n') b = NoteParagraphBreak;
      else if (v[k] == 'x' && HexAt(v, n, &k, 2, &x) && x != 0) b = static_cast<unsigned char>(x);
      else return false;
    } else if (c >= 0x20 && c < 0x7F && !(c >= FirstLetter && c <= LastLetter) && c != OpenBraceByte) {
      b = static_cast<unsigned char>(c);
    } else {
      return false;
    }
    if (m >= limit) return false;
    out[m++] = b;
  }
  out[m] = 0;
  *length = m;
  return true;
}

// A text value appended to units as UTF-16. False for a bad escape or when
// more than MaxNoteUnits would be held.
bool ReadText(const char32_t* v, int32_t n, DisplayChar* units, int32_t* count) {
  int32_t m = *count;
  auto put = [&](uint32_t u) {
    if (m >= MaxNoteUnits) return false;
    units[m++] = static_cast<DisplayChar>(u);
    return true;
  };
  for (int32_t k = 0; k < n; ++k) {
    char32_t c = v[k];
    if (c == '\\') {
      if (++k >= n) return false;
      uint32_t x = 0;
      if (v[k] == '\\') c = '\\';
      else if (v[k] == 'n') c = '\n';
      else if (v[k] == 'r') c = '\r';
      else if (v[k] == 't') c = '\t';
      else if (v[k] == 'u' && HexAt(v, n, &k, 4, &x)) c = x;
      else return false;
    }
    if (c >= 0x10000) {
      if (!put(0xD800 + ((c - 0x10000) >> 10)) || !put(0xDC00 + ((c - 0x10000) & 0x3FF))) return false;
    } else if (!put(c)) {
      return false;
    }
  }
  *count = m;
  return true;
}

// A decimal number of at most 9 digits filling [v, v + n).
bool ReadNumber(const char32_t* v, int32_t n, int32_t* value) {
  if (n < 1 || n > 9) return false;
  int32_t x = 0;
  for (int32_t k = 0; k < n; ++k) {
    if (v[k] < '0' || v[k] > '9') return false;
    x = x * 10 + static_cast<int32_t>(v[k] - '0');
  }
  *value = x;
  return true;
}

bool Equals(const char32_t* v, int32_t n, const char* word) {
  const int32_t m = static_cast<int32_t>(std::strlen(word));
  if (n != m) return false;
  for (int32_t k = 0; k < n; ++k)
    if (v[k] != static_cast<unsigned char>(word[k])) return false;
  return true;
}

int32_t Find(const char32_t* v, int32_t n, char32_t c) {
  for (int32_t k = 0; k < n; ++k)
    if (v[k] == c) return k;
  return -1;
}

// A note being read: which of its fields were seen.
enum Field : uint32_t {
  HasPage = 1, HasAt = 2, HasWhole = 4, HasStart = 8, HasEnd = 16, HasLength = 32, HasBefore = 64,
  HasAfter = 128, HasCreated = 256, HasChanged = 512, HasText = 1024,
};

struct Reader {
  NoteList* list;
  NotesReadReport* report;
  DisplayChar* text;  // MaxNoteUnits units
  bool inNote = false;
  bool skipping = false;  // in a section this version does not know
  uint32_t seen = 0;
  Note note{};
  int32_t units = 0;
  unsigned char end[NotePassageEnd + 1];

  void Damaged(int32_t line) {
    if (report->DamagedLines++ == 0) report->FirstDamaged = line;
  }
  void Begin() {
    inNote = true;
    skipping = false;
    seen = 0;
    note = Note{};
    note.Anchor.Start = note.Anchor.End = NoNoteOffset;
    units = 0;
  }
  // Ends the note being read: added when whole enough.
  void Finish() {
    if (!inNote) return;
    inNote = false;
    const bool whole = seen & HasWhole;
    const bool split = (seen & (HasStart | HasEnd | HasLength)) == (HasStart | HasEnd | HasLength);
    if (!(seen & HasPage) || !(whole || split) || units == 0) {
      ++report->NotesLost;
      return;
    }
    if (split) std::memcpy(note.Anchor.Passage + NotePassageEnd, end, NotePassageEnd + 1);
    note.TextUnits = units;
    note.Text = static_cast<DisplayChar*>(std::malloc((static_cast<size_t>(units) + 1) * sizeof(DisplayChar)));
    if (note.Text) {
      std::memcpy(note.Text, text, static_cast<size_t>(units) * sizeof(DisplayChar));
      note.Text[units] = 0;
    }
    if (!note.Text || !AppendNote(list, note)) {
      std::free(note.Text);
      report->OutOfMemory = true;
      return;
    }
    ++report->NotesRead;
  }

  // One field of the note; false when the line is damaged.
  bool Field(const char32_t* key, int32_t keyLength, const char32_t* v, int32_t n) {
    NoteAnchor& a = note.Anchor;
    auto once = [&](uint32_t bit) {
      if (seen & bit) return false;
      seen |= bit;
      return true;
    };
    int32_t length = 0, x = 0;
    if (Equals(key, keyLength, "page")) {
      const int32_t space = Find(v, n, ' ');
      if (space < 0 || !ReadNumber(v, space, &x) || x < 1 || x % 2 == 0) return false;
      const char32_t* pane = v + space + 1;
      const int32_t paneLength = n - space - 1;
      const bool main = Equals(pane, paneLength, "main");
      if (!(main || Equals(pane, paneLength, "commentary")) || !once(HasPage)) return false;
      a.Pane = main ? NoteMainPane : NoteCommentaryPane;
      a.Lesson = x;
      return true;
    }
    if (Equals(key, keyLength, "at")) {
      const int32_t space = Find(v, n, ' ');
      int32_t y = 0;
      if (space < 0 || !ReadNumber(v, space, &x) || !ReadNumber(v + space + 1, n - space - 1, &y) || x > 0xFFFF ||
          y > 0xFFFF)
        return false;
      if (!once(HasAt)) return false;
      a.Start = static_cast<uint16_t>(x);
      a.End = static_cast<uint16_t>(y);
      return true;
    }
    if (Equals(key, keyLength, "passage")) {
      unsigned char passage[NotePassageWhole + 1];
      if (!ReadBytes(v, n, passage, NotePassageWhole, &length) || length == 0 || (seen & (HasWhole | HasStart | HasEnd | HasLength)))
        return false;
      seen |= HasWhole;
      std::memcpy(a.Passage, passage, sizeof passage);
      a.Length = length;
      return true;
    }
    if (Equals(key, keyLength, "passage-start")) {
      unsigned char start[NotePassageEnd + 1];
      if (!ReadBytes(v, n, start, NotePassageEnd, &length) || length != NotePassageEnd ||
          (seen & (HasWhole | HasStart)))
        return false;
      seen |= HasStart;
      std::memcpy(a.Passage, start, sizeof start);
      return true;
    }
    if (Equals(key, keyLength, "passage-end")) {
      unsigned char last[NotePassageEnd + 1];
      if (!ReadBytes(v, n, last, NotePassageEnd, &length) || length != NotePassageEnd || (seen & HasWhole) ||
          !once(HasEnd))
        return false;
      std::memcpy(end, last, sizeof last);
      return true;
    }
    if (Equals(key, keyLength, "passage-length")) {
      // No pane's text is longer than its offsets reach.
      if (!ReadNumber(v, n, &x) || x <= NotePassageWhole || x > 0xFFFF || (seen & HasWhole) || !once(HasLength))
        return false;
      a.Length = x;
      return true;
    }
    if (Equals(key, keyLength, "before") || Equals(key, keyLength, "after")) {
      const bool after = key[0] == 'a';
      unsigned char context[NoteContextChars + 1];
      if (!ReadBytes(v, n, context, NoteContextChars, &length) || !once(after ? HasAfter : HasBefore)) return false;
      std::memcpy(after ? a.After : a.Before, context, sizeof context);
      return true;
    }
    if (Equals(key, keyLength, "created") || Equals(key, keyLength, "changed")) {
      const bool changed = key[1] == 'h';
      char ascii[20];
      if (n != 19) return false;
      for (int32_t k = 0; k < n; ++k) {
        if (v[k] > 0x7F) return false;
        ascii[k] = static_cast<char>(v[k]);
      }
      int64_t t = 0;
      if (!ParseNoteTime(ascii, 19, &t) || !once(changed ? HasChanged : HasCreated)) return false;
      (changed ? note.Changed : note.Created) = t;
      return true;
    }
    if (Equals(key, keyLength, "text")) {
      int32_t m = units;
      if ((seen & HasText) && (m + 2 > MaxNoteUnits)) return false;
      if (seen & HasText) {
        text[m++] = '\r';
        text[m++] = '\n';
      }
      if (!ReadText(v, n, text, &m)) return false;
      seen |= HasText;
      units = m;
      return true;
    }
    return report->Later;  // a later version's field: passed over
  }

  void Content(const char32_t* v, int32_t n, int32_t number) {
    if (n == 0 || v[0] == '#') return;
    if (v[0] == '[') {
      Finish();
      if (Equals(v, n, "[note]")) {
        Begin();
      } else if (v[n - 1] == ']' && report->Later) {
        skipping = true;
      } else {
        skipping = true;  // what follows belongs to no note
        Damaged(number);
      }
      return;
    }
    if (skipping && report->Later) return;
    const int32_t colon = Find(v, n, ':');
    if (!inNote || colon <= 0 || (colon + 1 < n && v[colon + 1] != ' ')) {
      Damaged(number);
      return;
    }
    const int32_t from = colon + 1 < n ? colon + 2 : n;
    if (!Field(v, colon, v + from, n - from)) Damaged(number);
  }
};

bool VersionLine(const char32_t* v, int32_t n, int32_t* version) {
  const int32_t prefix = static_cast<int32_t>(sizeof VersionPrefix - 1);
  if (n <= prefix) return false;
  for (int32_t k = 0; k < prefix; ++k)
    if (v[k] != static_cast<unsigned char>(VersionPrefix[k])) return false;
  return ReadNumber(v + prefix, n - prefix, version) && *version >= 1;
}

// Whether bytes hold a million note sections or more: counted before any
// note is read, so such a file is not read into memory.
bool TooManyNotes(const char* bytes, size_t size) {
  static constexpr char Section[] = "\n[note]";
  int32_t count = size >= 6 && std::memcmp(bytes, "[note]", 6) == 0;
  for (const char* p = bytes; p && count <= MaxNotes;) {
    p = static_cast<const char*>(std::memchr(p, '\n', size - static_cast<size_t>(p - bytes)));
    if (!p) break;
    if (static_cast<size_t>(bytes + size - p) >= sizeof Section - 1 && std::memcmp(p, Section, sizeof Section - 1) == 0)
      ++count;
    ++p;
  }
  return count > MaxNotes;
}

}  // namespace

void FormatNoteTime(int64_t seconds, char out[20]) {
  int64_t y, m, d;
  const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const int64_t rest = seconds - days * 86400;
  DateFromDays(days, &y, &m, &d);
  if (y < 0 || y > 9999) y = y < 0 ? 0 : 9999;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(y), static_cast<int>(m),
                static_cast<int>(d), static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  std::memcpy(out, text, 19);
  out[19] = 0;
}

bool ParseNoteTime(const char* text, size_t length, int64_t* seconds) {
  static constexpr char Shape[] = "dddd-dd-dd dd:dd:dd";
  if (length != 19) return false;
  int64_t parts[6] = {}, *p = parts;
  for (size_t k = 0; k < 19; ++k) {
    if (Shape[k] != 'd') {
      if (text[k] != Shape[k]) return false;
      ++p;
      continue;
    }
    if (text[k] < '0' || text[k] > '9') return false;
    *p = *p * 10 + (text[k] - '0');
  }
  static constexpr int DaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (parts[1] < 1 || parts[1] > 12 || parts[2] < 1 || parts[2] > DaysIn[parts[1] - 1] || parts[3] > 23 ||
      parts[4] > 59 || parts[5] > 59)
    return false;
  const bool leap = (parts[0] % 4 == 0 && parts[0] % 100 != 0) || parts[0] % 400 == 0;
  if (parts[1] == 2 && parts[2] == 29 && !leap) return false;
  *seconds = DaysFromDate(parts[0], parts[1], parts[2]) * 86400 + parts[3] * 3600 + parts[4] * 60 + parts[5];
  return true;
}

size_t WriteNotesText(const NoteList* list, int32_t tractate, char* out) {
  Sink sink{out, 0};
  sink.Put(VersionPrefix);
  sink.Number(NotesFileVersion);
  sink.Put('\n');
  sink.Put(Comment);
  for (int32_t i = 0; i < list->Count; ++i)
    if (NoteInTractate(list->Items[i], tractate)) PutNote(sink, list->Items[i]);
  return sink.n;
}

bool ReadNotesText(const char* bytes, size_t size, NoteList* list, NotesReadReport* report) {
  *report = NotesReadReport{};
  if (size > MaxNotesFileBytes || (size && TooManyNotes(bytes, size))) {
    report->Refused = true;
    return false;
  }
  // The longest line decodes to at most as many code points as it has bytes.
  size_t longest = 0;
  for (size_t at = 0; at < size;) {
    const void* nl = std::memchr(bytes + at, '\n', size - at);
    const size_t next = nl ? static_cast<size_t>(static_cast<const char*>(nl) - bytes) : size;
    if (next - at > longest) longest = next - at;
    at = next + 1;
  }
  if (longest > MaxLineBytes) longest = MaxLineBytes;
  Line line{static_cast<char32_t*>(std::malloc((longest + 1) * sizeof(char32_t))), 0};
  Reader reader{list, report, static_cast<DisplayChar*>(std::malloc(MaxNoteUnits * sizeof(DisplayChar)))};
  if (!line.Units || !reader.text) {
    std::free(line.Units);
    std::free(reader.text);
    report->OutOfMemory = true;
    return false;
  }
  int32_t number = 0;
  for (size_t at = 0; at < size && !report->OutOfMemory;) {
    const void* nl = std::memchr(bytes + at, '\n', size - at);
    const size_t next = nl ? static_cast<size_t>(static_cast<const char*>(nl) - bytes) : size;
    size_t n = next - at;
    if (n && bytes[at + n - 1] == '\r') --n;
    ++number;
    const bool decoded = n <= MaxLineBytes && DecodeLine(reinterpret_cast<const unsigned char*>(bytes + at), n, &line);
    at = next + 1;
    if (number == 1) {
      // A byte-order mark before the version line is passed over.
      int32_t skip = decoded && line.Count && line.Units[0] == 0xFEFF;
      if (decoded && VersionLine(line.Units + skip, line.Count - skip, &report->Version)) {
        report->Later = report->Version > NotesFileVersion;
        continue;
      }
      reader.Damaged(1);
      if (decoded) reader.Content(line.Units + skip, line.Count - skip, 1);
      continue;
    }
    if (!decoded) {
      reader.Damaged(number);
      continue;
    }
    reader.Content(line.Units, line.Count, number);
  }
  reader.Finish();
  std::free(line.Units);
  std::free(reader.text);
  return !report->OutOfMemory;
}
