// The notes model. A pane's text is read into one reading-order string (the
// "reading"): each paragraph's bytes turned to reading order, control bytes
// left out, a NoteParagraphBreak between paragraphs; beside it, for each
// character the stored boundaries before and after it, and for each stored
// boundary its place in the reading. A passage is a span of the reading.
#include "store/notes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "store/letters.h"
#include "store/tractates.h"

namespace {

constexpr uint8_t VisualOrder = 0x10;

struct Reading {
  unsigned char* Text;  // Length bytes
  int32_t Length;
  uint16_t* Before;     // stored boundary before character i
  uint16_t* After;      // stored boundary after it
  int32_t* FromStored;  // reading position of stored boundary b, or -1
  int32_t StoredBytes;  // boundaries 0..StoredBytes
};

void FreeReading(Reading* r) {
  std::free(r->Text);
  std::free(r->Before);
  std::free(r->After);
  std::free(r->FromStored);
  *r = Reading{};
}

uint16_t Boundary(int32_t offset) { return static_cast<uint16_t>(offset < 0xFFFF ? offset : 0xFFFF); }

// The end of a paragraph list: the offset of its ending 0 style byte.
int32_t ListEnd(const unsigned char* text) {
  int32_t at = 0;
  while (text[at] != 0) at += 2 + static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(text + at + 2))) + 1;
  return at;
}

bool BuildReading(const unsigned char* text, Reading* r) {
  *r = Reading{};
  if (!text) return false;
  const int32_t end = ListEnd(text);
  r->StoredBytes = end + 2;
  const size_t cap = static_cast<size_t>(end) + 1;
  r->Text = static_cast<unsigned char*>(std::malloc(cap));
  r->Before = static_cast<uint16_t*>(std::malloc(cap * sizeof(uint16_t)));
  r->After = static_cast<uint16_t*>(std::malloc(cap * sizeof(uint16_t)));
  r->FromStored = static_cast<int32_t*>(std::malloc((static_cast<size_t>(r->StoredBytes) + 1) * sizeof(int32_t)));
  unsigned char* turned = static_cast<unsigned char*>(std::malloc(cap));
  if (!r->Text || !r->Before || !r->After || !r->FromStored || !turned) {
    std::free(turned);
    FreeReading(r);
    return false;
  }
  for (int32_t b = 0; b <= r->StoredBytes; ++b) r->FromStored[b] = -1;
  int32_t at = 0;
  uint16_t lastEnd = 0;
  while (text[at] != 0) {
    const uint8_t style = text[at];
    const int32_t s = at + 2;
    const int32_t n = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(text + s)));
    at = s + n + 1;
    if ((style & 7) == 7 || n == 0) continue;
    const bool visual = style & VisualOrder;
    std::memcpy(turned, text + s, static_cast<size_t>(n));
    if (visual) TurnParagraph(turned, n);
    bool any = false;
    for (int32_t k = 0; k < n && !any; ++k) any = turned[k] >= 0x20;
    if (any && r->Length > 0) {
      r->Text[r->Length] = NoteParagraphBreak;
      r->Before[r->Length] = lastEnd;
      r->After[r->Length] = Boundary(visual ? s + n : s);
      ++r->Length;
    }
    for (int32_t k = 0; k <= n; ++k) {
      const int32_t before = visual ? s + n - k : s + k;
      r->FromStored[before] = r->Length;
      if (k == n || turned[k] < 0x20) continue;
      r->Text[r->Length] = turned[k];
      r->Before[r->Length] = Boundary(before);
      r->After[r->Length] = Boundary(visual ? before - 1 : before + 1);
      ++r->Length;
    }
    if (any) lastEnd = Boundary(visual ? s : s + n);
  }
  std::free(turned);
  return true;
}

// Where a long passage's end (its last NotePassageEnd characters) is read:
// the positions in ascending order, in a buffer of the reading's length.
struct Ends {
  int32_t* At;
  int32_t Count;
};

void FindEnds(const Reading& r, const NoteAnchor& a, Ends* ends) {
  ends->Count = 0;
  if (a.Length <= NotePassageWhole) return;
  const unsigned char* end = a.Passage + NotePassageEnd;
  for (int32_t j = 0; j + NotePassageEnd <= r.Length; ++j)
    if (r.Text[j] == end[0] && std::memcmp(r.Text + j, end, NotePassageEnd) == 0) ends->At[ends->Count++] = j;
}

// The length of the anchor's passage read at position i, or 0 when it is
// not read there. A long one (kept as its start and end) may have grown or
// shrunk inside by up to a quarter: its end is taken nearest the length it
// had (the shorter among equals).
int32_t PassageAt(const Reading& r, const NoteAnchor& a, const Ends& ends, int32_t i) {
  if (i < 0 || a.Length <= 0) return 0;
  if (a.Length <= NotePassageWhole) {
    return i <= r.Length - a.Length && std::memcmp(r.Text + i, a.Passage, static_cast<size_t>(a.Length)) == 0
               ? a.Length
               : 0;
  }
  const int32_t lo = std::max(2 * NotePassageEnd, a.Length - a.Length / 4);
  const int32_t hi = std::min(a.Length + a.Length / 4, r.Length - i);
  if (lo > hi || std::memcmp(r.Text + i, a.Passage, NotePassageEnd) != 0) return 0;
  // Ends read from i + lo - NotePassageEnd to i + hi - NotePassageEnd.
  const int32_t target = i + a.Length - NotePassageEnd;
  const int32_t* next = std::lower_bound(ends.At, ends.At + ends.Count, target);
  int32_t best = -1;
  if (next != ends.At + ends.Count && *next <= i + hi - NotePassageEnd) best = *next;
  if (next != ends.At && next[-1] >= i + lo - NotePassageEnd && (best < 0 || target - next[-1] <= best - target))
    best = next[-1];
  return best < 0 ? 0 : best + NotePassageEnd - i;
}

// How many characters of the text read around [i, j) (the passage being
// there) agree with what was read around it when it was written.
int32_t ContextAgreement(const Reading& r, const NoteAnchor& a, int32_t i, int32_t j) {
  int32_t score = 0;
  const int32_t nb = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(a.Before)));
  for (int32_t k = 1; k <= nb && i - k >= 0 && r.Text[i - k] == a.Before[nb - k]; ++k) ++score;
  for (int32_t k = 0; a.After[k] && j + k < r.Length && r.Text[j + k] == a.After[k]; ++k) ++score;
  return score;
}

// Every occurrence is weighed, the one at the old offsets too: a copy of
// the passage put where it was does not take its note from it.
NotePlacement Place(const Reading& r, const NoteAnchor& a, Ends& ends, TextSelection* at) {
  FindEnds(r, a, &ends);
  const int32_t hint = a.Start != NoNoteOffset && a.Start <= r.StoredBytes ? r.FromStored[a.Start] : -1;
  int32_t found = -1, length = 0, bestScore = -1, bestDistance = 0;
  for (int32_t i = 0; i < r.Length; ++i) {
    if (r.Text[i] != a.Passage[0]) continue;
    const int32_t n = PassageAt(r, a, ends, i);
    if (n == 0) continue;
    const int32_t score = ContextAgreement(r, a, i, i + n);
    const int32_t distance = i == hint ? -1 : a.Start == NoNoteOffset ? 0 : std::abs(r.Before[i] - a.Start);
    if (score > bestScore || (score == bestScore && distance < bestDistance)) {
      found = i;
      length = n;
      bestScore = score;
      bestDistance = distance;
    }
  }
  if (found < 0) {
    *at = TextSelection{0, 0};
    return NotePlacement::Detached;
  }
  *at = TextSelection{r.Before[found], r.After[found + length - 1]};
  return found == hint && length == a.Length ? NotePlacement::Kept : NotePlacement::Moved;
}

void CopyBounded(unsigned char* out, const unsigned char* from, int32_t n) {
  std::memcpy(out, from, static_cast<size_t>(n));
  out[n] = 0;
}

bool ValidText(const DisplayChar* text, int32_t units) { return text && units > 0 && units <= MaxNoteUnits; }

DisplayChar* CopyText(const DisplayChar* text, int32_t units) {
  auto* copy = static_cast<DisplayChar*>(std::malloc((static_cast<size_t>(units) + 1) * sizeof(DisplayChar)));
  if (!copy) return nullptr;
  std::memcpy(copy, text, static_cast<size_t>(units) * sizeof(DisplayChar));
  copy[units] = 0;
  return copy;
}

bool Reserve(NoteList* list, int32_t count) {
  if (count <= list->Capacity) return true;
  int32_t capacity = list->Capacity ? list->Capacity : 16;
  while (capacity < count) capacity = capacity > MaxNotes / 2 ? MaxNotes + 1 : capacity * 2;
  auto* items = static_cast<Note*>(std::realloc(list->Items, static_cast<size_t>(capacity) * sizeof(Note)));
  if (!items) return false;
  list->Items = items;
  list->Capacity = capacity;
  return true;
}

// FNV-1a over what SameNote compares.
uint32_t NoteHash(const Note& note) {
  uint32_t h = 2166136261u;
  auto mix = [&h](const void* bytes, size_t n) {
    for (size_t k = 0; k < n; ++k) h = (h ^ static_cast<const unsigned char*>(bytes)[k]) * 16777619u;
  };
  mix(&note.Anchor.Lesson, sizeof note.Anchor.Lesson);
  mix(&note.Anchor.Pane, 1);
  mix(&note.Anchor.Length, sizeof note.Anchor.Length);
  mix(note.Anchor.Passage, std::strlen(reinterpret_cast<const char*>(note.Anchor.Passage)));
  mix(note.Text, static_cast<size_t>(note.TextUnits) * sizeof(DisplayChar));
  return h;
}

}  // namespace

bool AppendNote(NoteList* list, const Note& given) {
  Note note = given;
  if (list->Count >= MaxNotes || !Reserve(list, list->Count + 1)) return false;
  note.Id = ++list->LastId;
  if (note.Id == 0) note.Id = ++list->LastId;
  note.Placed = NotePlacement::Unplaced;
  note.At = TextSelection{0, 0};
  list->Items[list->Count++] = note;
  return true;
}

void FreeNotes(NoteList* list) {
  for (int32_t i = 0; i < list->Count; ++i) std::free(list->Items[i].Text);
  std::free(list->Items);
  list->Items = nullptr;
  list->Count = list->Capacity = 0;
}

TextSelection ParagraphSelectionAt(const unsigned char* text, int32_t offset) {
  if (!text || offset < 0) return TextSelection{0, 0};
  int32_t at = 0;
  while (text[at] != 0) {
    const uint8_t style = text[at];
    const int32_t s = at + 2;
    const int32_t n = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(text + s)));
    if (offset >= at && offset <= s + n) {
      if ((style & 7) == 7 || n == 0) return TextSelection{0, 0};
      return (style & VisualOrder) ? TextSelection{Boundary(s + n), Boundary(s)}
                                   : TextSelection{Boundary(s), Boundary(s + n)};
    }
    at = s + n + 1;
  }
  return TextSelection{0, 0};
}

bool CaptureNoteAnchor(const unsigned char* text, const TextSelection& sel, int32_t lesson, uint8_t pane,
                       NoteAnchor* out) {
  if (!text || !HasSelection(sel)) return false;
  Reading r;
  if (!BuildReading(text, &r)) return false;
  int32_t from = r.Length, to = 0, at = 0;
  while (text[at] != 0) {
    const uint8_t style = text[at];
    const int32_t s = at + 2;
    at = s + static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(text + s))) + 1;
    int32_t lo, hi;
    if (!SelectedInParagraph(text, sel, s, &lo, &hi)) continue;
    const bool visual = style & VisualOrder;
    const int32_t a = r.FromStored[visual ? hi : lo], b = r.FromStored[visual ? lo : hi];
    if (a >= 0 && a < from) from = a;
    if (b > to) to = b;
  }
  // No break at either end (a paragraph that held only control bytes).
  while (from < to && r.Text[from] == NoteParagraphBreak) ++from;
  while (to > from && r.Text[to - 1] == NoteParagraphBreak) --to;
  const bool any = from < to;
  if (any) {
    NoteAnchor& a = *out;
    a = NoteAnchor{};
    a.Lesson = lesson;
    a.Pane = pane;
    a.Start = r.Before[from];
    a.End = r.After[to - 1];
    a.Length = to - from;
    if (a.Length <= NotePassageWhole) {
      CopyBounded(a.Passage, r.Text + from, a.Length);
    } else {
      std::memcpy(a.Passage, r.Text + from, NotePassageEnd);
      CopyBounded(a.Passage + NotePassageEnd, r.Text + to - NotePassageEnd, NotePassageEnd);
    }
    const int32_t before = std::min(from, NoteContextChars);
    CopyBounded(a.Before, r.Text + from - before, before);
    CopyBounded(a.After, r.Text + to, std::min(r.Length - to, NoteContextChars));
  }
  FreeReading(&r);
  return any;
}

int32_t NotePassageText(const NoteAnchor& anchor, DisplayChar* out, int32_t capacity) {
  int32_t n = 0;
  auto put = [&](DisplayChar u) {
    if (n < capacity - 1) out[n++] = u;
  };
  const int32_t stored = anchor.Length <= NotePassageWhole ? anchor.Length : 2 * NotePassageEnd;
  for (int32_t k = 0; k < stored && anchor.Passage[k]; ++k) {
    if (anchor.Length > NotePassageWhole && k == NotePassageEnd) {
      put(' ');
      put(0x2026);
      put(' ');
    }
    const unsigned char b = anchor.Passage[k];
    if (b == NoteParagraphBreak) {
      put('\r');
      put('\n');
    } else {
      put(DisplayOf(b, AsciiBaseUnicode));
    }
  }
  if (capacity > 0) out[n] = 0;
  return n;
}

uint32_t AddNote(NoteList* list, const NoteAnchor& anchor, const DisplayChar* text, int32_t units, int64_t now) {
  if (list->ReadOnly || !ValidText(text, units) || anchor.Length <= 0) return 0;
  Note note{};
  note.Anchor = anchor;
  note.Created = note.Changed = now;
  note.TextUnits = units;
  note.Text = CopyText(text, units);
  if (!note.Text) return 0;
  if (!AppendNote(list, note)) {
    std::free(note.Text);
    return 0;
  }
  return list->Items[list->Count - 1].Id;
}

int32_t FindNote(const NoteList* list, uint32_t id) {
  for (int32_t i = 0; i < list->Count; ++i)
    if (list->Items[i].Id == id) return i;
  return -1;
}

bool EditNote(NoteList* list, int32_t index, const DisplayChar* text, int32_t units, int64_t now) {
  if (list->ReadOnly || index < 0 || index >= list->Count || !ValidText(text, units)) return false;
  DisplayChar* copy = CopyText(text, units);
  if (!copy) return false;
  Note& note = list->Items[index];
  std::free(note.Text);
  note.Text = copy;
  note.TextUnits = units;
  note.Changed = now;
  return true;
}

bool DeleteNote(NoteList* list, int32_t index) {
  if (list->ReadOnly || index < 0 || index >= list->Count) return false;
  std::free(list->Items[index].Text);
  std::memmove(list->Items + index, list->Items + index + 1,
               static_cast<size_t>(list->Count - index - 1) * sizeof(Note));
  --list->Count;
  return true;
}

bool SameNote(const Note& a, const Note& b) {
  const NoteAnchor &x = a.Anchor, &y = b.Anchor;
  return x.Lesson == y.Lesson && x.Pane == y.Pane && x.Length == y.Length &&
         std::strcmp(reinterpret_cast<const char*>(x.Passage), reinterpret_cast<const char*>(y.Passage)) == 0 &&
         a.TextUnits == b.TextUnits &&
         std::memcmp(a.Text, b.Text, static_cast<size_t>(a.TextUnits) * sizeof(DisplayChar)) == 0;
}

int32_t MergeNotes(NoteList* list, NoteList* from) {
  if (list->ReadOnly) {
    FreeNotes(from);
    return -1;
  }
  // The notes held, and those added, in an open hash table of indexes into
  // the list (-1 free): each note is compared only with the few of its hash.
  uint32_t size = 16;
  while (size < 2u * static_cast<uint32_t>(list->Count + from->Count)) size *= 2;
  auto* table = static_cast<int32_t*>(std::malloc(size * sizeof(int32_t)));
  int32_t added = 0;
  if (table) {
    std::memset(table, 0xFF, size * sizeof(int32_t));
    // The slot of a note equal to note, or the free slot where it goes.
    auto slot = [&](const Note& note) {
      uint32_t h = NoteHash(note) & (size - 1);
      while (table[h] >= 0 && !SameNote(list->Items[table[h]], note)) h = (h + 1) & (size - 1);
      return h;
    };
    for (int32_t k = 0; k < list->Count; ++k) table[slot(list->Items[k])] = k;
    for (int32_t i = 0; i < from->Count; ++i) {
      Note& note = from->Items[i];
      const uint32_t h = slot(note);
      if (table[h] >= 0 || !AppendNote(list, note)) continue;  // held already (or twice in from), or no memory
      table[h] = list->Count - 1;
      note.Text = nullptr;  // the list has it now
      ++added;
    }
    std::free(table);
  }
  FreeNotes(from);
  return added;
}

bool PlaceNotes(NoteList* list, int32_t lesson, uint8_t pane, const unsigned char* text) {
  Reading r;
  if (!BuildReading(text, &r)) return false;
  Ends ends{static_cast<int32_t*>(std::malloc((static_cast<size_t>(r.Length) + 1) * sizeof(int32_t))), 0};
  for (int32_t i = 0; ends.At && i < list->Count; ++i) {
    Note& note = list->Items[i];
    if (note.Anchor.Lesson == lesson && note.Anchor.Pane == pane) note.Placed = Place(r, note.Anchor, ends, &note.At);
  }
  const bool placed = ends.At != nullptr;
  std::free(ends.At);
  FreeReading(&r);
  return placed;
}

bool NoteInTractate(const Note& note, int32_t tractate) {
  if (tractate < 0) return true;
  int32_t t = 0, side = 0;
  return note.Anchor.Lesson >= 1 && LocateArticle((note.Anchor.Lesson + 1) / 2, &t, &side) && t == tractate;
}

int32_t NotesInTextOrder(const NoteList* list, int32_t tractate, int32_t* order) {
  int32_t n = 0;
  for (int32_t i = 0; i < list->Count; ++i)
    if (NoteInTractate(list->Items[i], tractate)) order[n++] = i;
  const Note* items = list->Items;
  std::sort(order, order + n, [items](int32_t x, int32_t y) {
    const Note &a = items[x], &b = items[y];
    if (a.Anchor.Lesson != b.Anchor.Lesson) return a.Anchor.Lesson < b.Anchor.Lesson;
    if (a.Anchor.Pane != b.Anchor.Pane) return a.Anchor.Pane < b.Anchor.Pane;
    if (a.Anchor.Start != b.Anchor.Start) return a.Anchor.Start < b.Anchor.Start;
    if (a.Created != b.Created) return a.Created < b.Created;
    return x < y;
  });
  return n;
}
