#include "output/rtf.h"

#include <cstring>

#include "store/letters.h"

const char RtfHeader[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fcharset177\\cpg1255 David;}}"
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red255\\green0\\blue0;}"
    "\\rtldoc\\pard\\rtlpar\\qr\\lang1033\\f0\\fs20\\uc0\r\n";
const char RtfSeparator[] = "\\qc\\cf2\\fs72\\b*  *  *  *  *\\b0\\par\\par\\qr\\fs20\\cf0\r\n";
const char RtfClosing[] = "}\r\n";

static_assert(sizeof RtfHeader - 1 == 180);
static_assert(sizeof RtfSeparator - 1 == 52);

namespace {

constexpr char ParagraphBreak[] = "\\par\\par\r\n";
constexpr DisplayChar Cr = 13;
constexpr DisplayChar Lf = 10;

// Canonical decompositions of the assigned Hebrew presentation forms
// U+FB2A..U+FB4B; 0 marks a code point outside the set.
struct Decomposition {
  DisplayChar Form;
  DisplayChar Units[3];
};
constexpr Decomposition Decompositions[] = {
    {0xFB2A, {0x05E9, 0x05C1, 0}}, {0xFB2B, {0x05E9, 0x05C2, 0}},
    {0xFB2C, {0x05E9, 0x05BC, 0x05C1}}, {0xFB2D, {0x05E9, 0x05BC, 0x05C2}},
    {0xFB30, {0x05D0, 0x05BC, 0}}, {0xFB31, {0x05D1, 0x05BC, 0}}, {0xFB32, {0x05D2, 0x05BC, 0}},
    {0xFB33, {0x05D3, 0x05BC, 0}}, {0xFB34, {0x05D4, 0x05BC, 0}}, {0xFB35, {0x05D5, 0x05BC, 0}},
    {0xFB36, {0x05D6, 0x05BC, 0}}, {0xFB38, {0x05D8, 0x05BC, 0}}, {0xFB39, {0x05D9, 0x05BC, 0}},
    {0xFB3A, {0x05DA, 0x05BC, 0}}, {0xFB3B, {0x05DB, 0x05BC, 0}}, {0xFB3C, {0x05DC, 0x05BC, 0}},
    {0xFB3E, {0x05DE, 0x05BC, 0}}, {0xFB40, {0x05E0, 0x05BC, 0}}, {0xFB41, {0x05E1, 0x05BC, 0}},
    {0xFB43, {0x05E3, 0x05BC, 0}}, {0xFB44, {0x05E4, 0x05BC, 0}}, {0xFB46, {0x05E6, 0x05BC, 0}},
    {0xFB47, {0x05E7, 0x05BC, 0}}, {0xFB48, {0x05E8, 0x05BC, 0}}, {0xFB49, {0x05E9, 0x05BC, 0}},
    {0xFB4A, {0x05EA, 0x05BC, 0}}, {0xFB4B, {0x05D5, 0x05B9, 0}},
};
static_assert(sizeof Decompositions / sizeof Decompositions[0] == 27);

const Decomposition* DecompositionOf(DisplayChar u) {
  if (u < 0xFB2A || u > 0xFB4B) return nullptr;
  for (const Decomposition& d : Decompositions)
    if (d.Form == u) return &d;
  return nullptr;
}

int32_t RuleHyphens(uint8_t p) { return p <= 160 ? p : 2 * (p - 160); }

bool IsRule(uint8_t style) { return (style & 7) == 7; }

// Appends to an RTF body being written or counted.
struct Sink {
  char* out;
  size_t n;
  void Put(char c) {
    if (out) out[n] = c;
    ++n;
  }
  void Put(const char* s, size_t k) {
    if (out) std::memcpy(out + n, s, k);
    n += k;
  }
  void Escape(uint32_t unit) {
    char digits[16];
    int k = 0;
    do {
      digits[k++] = static_cast<char>('0' + unit % 10);
      unit /= 10;
    } while (unit);
    Put("\\u", 2);
    while (k) Put(digits[--k]);
  }
};

// Copies a paragraph's units leaving out control characters (the marker
// 0x14), and a space they would leave beside another, as a selection's copy
// does: plain text holds no control other than its line ends. Returns the
// units written.
size_t PutWithoutControls(const DisplayChar* units, size_t n, DisplayChar* out) {
  size_t k = 0;
  bool dropped = false;
  for (size_t i = 0; i < n; ++i) {
    const DisplayChar u = units[i];
    if (u < 0x20) {
      dropped = true;
      continue;
    }
    if (u != ' ' || !dropped || k == 0 || out[k - 1] != ' ') out[k++] = u;
    dropped = false;
  }
  return k;
}

}  // namespace

size_t CopyTextUnits(const unsigned char* text) {
  if (!text) return 1;
  size_t bytes = 0, lines = 0, spaces = 0, rules = 0;
  const unsigned char* p = text;
  while (p[0] != 0) {
    const uint8_t style = p[0], param = p[1];
    const size_t n = std::strlen(reinterpret_cast<const char*>(p + 2));
    lines += (style & 0x80) ? 2 : 1;
    if (IsRule(style)) {
      rules += param;
    } else {
      spaces += param & 0x3F;
    }
    p += n + 3;
  }
  bytes = static_cast<size_t>(p - text);
  return bytes + bytes / 2 + 2 * lines + spaces + rules + 1;
}

size_t BuildCopyText(const unsigned char* text, DisplayChar* out) { return BuildCopyText(text, out, CurrentOrder()); }

size_t BuildCopyText(const unsigned char* text, DisplayChar* out, RunOrder order, bool openEnd) {
  size_t k = 0;
  const unsigned char* p = text;
  while (p && p[0] != 0) {
    const uint8_t style = p[0], param = p[1];
    const unsigned char* s = p + 2;
    const size_t n = std::strlen(reinterpret_cast<const char*>(s));
    const bool piece = openEnd && s[n + 1] == 0;  // the last paragraph, cut
    if (IsRule(style)) {
      for (int32_t i = RuleHyphens(param); i > 0; --i) out[k++] = '-';
    } else {
      const DisplayChar* units = n ? ToDisplayText(s, &ConversionBuffer, static_cast<int32_t>(n), order) : nullptr;
      if (units) k += PutWithoutControls(units, n, out + k);
      for (int i = piece ? 0 : param & 0x3F; i > 0; --i) out[k++] = ' ';
    }
    for (int i = piece ? 0 : (style & 0x80) ? 2 : 1; i > 0; --i) {
      out[k++] = Cr;
      out[k++] = Lf;
    }
    p = s + n + 1;
  }
  out[k] = 0;
  return k;
}

size_t RtfBody(const DisplayChar* copyText, char* out) {
  Sink sink{out, 0};
  bool afterEscape = false;
  const DisplayChar* u = copyText;
  while (u && *u) {
    const DisplayChar c = *u;
    if (c == ' ') {
      // A reader takes the first space after an escape as its end: only
      // there does the run need one more.
      if (afterEscape) sink.Put(' ');
      while (*u == ' ') {
        sink.Put(' ');
        ++u;
      }
      afterEscape = false;
      continue;
    }
    if (c == Cr || c == Lf) {
      while (*u == Cr || *u == Lf) ++u;
      sink.Put(ParagraphBreak, sizeof ParagraphBreak - 1);
      afterEscape = false;
      continue;
    }
    if (c >= 33 && c <= 126 && c != '\\' && c != '{' && c != '}') {
      if (afterEscape && c >= '0' && c <= '9') sink.Put(' ');
      sink.Put(static_cast<char>(c));
      afterEscape = false;
    } else if (const Decomposition* d = DecompositionOf(c)) {
      for (DisplayChar part : d->Units)
        if (part) sink.Escape(part);
      afterEscape = true;
    } else {
      sink.Escape(c);
      afterEscape = true;
    }
    ++u;
  }
  sink.Put(ParagraphBreak, sizeof ParagraphBreak - 1);
  if (out) out[sink.n] = 0;
  return sink.n;
}

bool IsRtfDocument(const char* old, size_t oldLength) {
  return old && oldLength >= 5 && std::memcmp(old, "{\\rtf", 5) == 0;
}

size_t RtfDocument(const char* old, size_t oldLength, const char* body, size_t bodyLength, char* out) {
  size_t keep = 0;
  const bool append = IsRtfDocument(old, oldLength);
  if (append) {
    keep = oldLength;
    while (keep > 0 && (old[keep - 1] == '\r' || old[keep - 1] == '\n' || old[keep - 1] == ' ' ||
                        old[keep - 1] == '\t'))
      --keep;
    if (keep > 0 && old[keep - 1] == '}') --keep;
  }
  const char* lead = append ? RtfSeparator : RtfHeader;
  const size_t leadLength = append ? sizeof RtfSeparator - 1 : sizeof RtfHeader - 1;
  const size_t fixed = leadLength + (sizeof RtfClosing - 1) + 1;
  if (keep > SIZE_MAX - fixed || bodyLength > SIZE_MAX - fixed - keep) return 0;
  const size_t total = keep + bodyLength + fixed;
  if (out) {
    char* w = out;
    if (keep) std::memcpy(w, old, keep);
    w += keep;
    std::memcpy(w, lead, leadLength);
    w += leadLength;
    if (bodyLength) std::memcpy(w, body, bodyLength);
    w += bodyLength;
    std::memcpy(w, RtfClosing, sizeof RtfClosing);  // with its 0
  }
  return total;
}
