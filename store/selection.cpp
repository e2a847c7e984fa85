// The selection model. A boundary is turned into a reading key: a number that
// grows in reading order over the whole text. Within the paragraph whose
// string [s, s + n] holds it, boundary k has the key k, or 2s + n - k where
// the paragraph is read from its end; so every paragraph's keys lie within
// [s, s + n], in the order of the paragraphs, and the characters covered
// are those whose keys lie between the two boundaries' keys.
#include "store/selection.h"

#include <cstdlib>
#include <cstring>

#include "store/letters.h"

namespace {

constexpr uint8_t VisualOrder = 0x10;

struct Paragraph {
  int32_t Start;   // offset of its string
  int32_t Length;  // bytes of its string
  uint8_t Style;
  uint8_t Param;
};

// The paragraph at *at (the offset of its style byte), and *at moved on to
// the next one; false at the list's ending 0 style byte.
bool NextParagraph(const unsigned char* text, int32_t* at, Paragraph* p) {
  if (text[*at] == 0) return false;
  p->Style = text[*at];
  p->Param = text[*at + 1];
  p->Start = *at + 2;
  p->Length = static_cast<int32_t>(std::strlen(reinterpret_cast<const char*>(text + p->Start)));
  *at = p->Start + p->Length + 1;
  return true;
}

bool HoldsText(const Paragraph& p) { return (p.Style & 7) != 7 && p.Length > 0; }

int32_t ReadingEnds(const Paragraph& p) { return 2 * p.Start + p.Length; }

int32_t KeyOf(const unsigned char* text, int32_t offset) {
  int32_t at = 0;
  Paragraph p;
  while (NextParagraph(text, &at, &p)) {
    if (offset < p.Start) return p.Start;
    if (offset <= p.Start + p.Length) return (p.Style & VisualOrder) ? ReadingEnds(p) - offset : offset;
  }
  return at;  // beyond every paragraph
}

struct Keys {
  int32_t Low, High;
};

Keys KeysOf(const unsigned char* text, const TextSelection& sel) {
  const int32_t a = KeyOf(text, sel.Anchor), f = KeyOf(text, sel.Focus);
  return a < f ? Keys{a, f} : Keys{f, a};
}

// The stored bytes of a paragraph whose keys lie between the two, widened
// over any number a boundary cuts.
bool Covered(const unsigned char* text, const Paragraph& p, const Keys& keys, int32_t* lo, int32_t* hi) {
  if (!HoldsText(p)) return false;
  int32_t a = keys.Low, b = keys.High;
  if (p.Style & VisualOrder) {
    a = ReadingEnds(p) - keys.High;
    b = ReadingEnds(p) - keys.Low;
  }
  if (a < p.Start) a = p.Start;
  if (b > p.Start + p.Length) b = p.Start + p.Length;
  if (a >= b) return false;
  const unsigned char* s = text + p.Start;
  int32_t from, to;
  if (NumberAround(s, p.Length, a - p.Start, &from, &to)) a = p.Start + from;
  if (NumberAround(s, p.Length, b - p.Start, &from, &to)) b = p.Start + to;
  *lo = a;
  *hi = b;
  return true;
}

uint16_t Boundary(int32_t offset) { return static_cast<uint16_t>(offset < 0xFFFF ? offset : 0xFFFF); }

}  // namespace

bool SelectedInParagraph(const unsigned char* text, const TextSelection& sel, int32_t stringOffset, int32_t* lo,
                         int32_t* hi) {
  if (!text || !HasSelection(sel)) return false;
  int32_t at = 0;
  Paragraph p;
  while (NextParagraph(text, &at, &p) && p.Start <= stringOffset) {
    if (p.Start == stringOffset) return Covered(text, p, KeysOf(text, sel), lo, hi);
  }
  return false;
}

TextSelection SelectAllOf(const unsigned char* text) {
  TextSelection all{0, 0};
  bool first = true;
  int32_t at = 0;
  Paragraph p;
  while (text && NextParagraph(text, &at, &p)) {
    if (!HoldsText(p)) continue;
    const bool fromEnd = p.Style & VisualOrder;
    if (first) all.Anchor = Boundary(fromEnd ? p.Start + p.Length : p.Start);
    all.Focus = Boundary(fromEnd ? p.Start : p.Start + p.Length);
    first = false;
  }
  return all;
}

size_t ExtractSelectionInto(const unsigned char* text, const TextSelection& sel, unsigned char* out,
                            bool* endsInside) {
  if (endsInside) *endsInside = false;
  if (!text || !HasSelection(sel)) return 0;
  const Keys keys = KeysOf(text, sel);
  size_t n = 0;
  bool any = false;
  auto put = [&](unsigned char b) {
    if (out) out[n] = b;
    ++n;
  };
  int32_t at = 0, lo, hi;
  Paragraph p;
  while (NextParagraph(text, &at, &p)) {
    if (!Covered(text, p, keys, &lo, &hi)) continue;
    const size_t start = n;
    put(p.Style);
    put(p.Param);
    unsigned char last = 0;  // the last byte put of this paragraph
    bool dropped = false;
    for (int32_t i = lo; i < hi; ++i) {
      const unsigned char b = text[i];
      if (b < 0x20) {
        dropped = true;
        continue;
      }
      if (b != ' ' || !dropped || last != ' ') put(last = b);
      dropped = false;
    }
    if (!last) {
      n = start;  // only control bytes: no paragraph
      continue;
    }
    put(0);
    any = true;
    // Short of the paragraph's end in reading order.
    if (endsInside) *endsInside = (p.Style & VisualOrder) ? lo > p.Start : hi < p.Start + p.Length;
  }
  if (!any) {
    if (endsInside) *endsInside = false;
    return 0;
  }
  put(0);
  put(0);
  put(0);
  return n;
}

unsigned char* ExtractSelection(const unsigned char* text, const TextSelection& sel) {
  const size_t size = ExtractSelectionInto(text, sel, nullptr);
  auto* list = size ? static_cast<unsigned char*>(std::malloc(size)) : nullptr;
  if (list) ExtractSelectionInto(text, sel, list);
  return list;
}
