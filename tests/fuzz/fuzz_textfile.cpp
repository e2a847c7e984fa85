// A tractate file is whatever a user typed, pasted or converted: feeds any
// bytes to the importer's parser of one file, checks that what it keeps is
// text a record can hold, and that a file it takes without error, written
// back in the text form (plain lines where they carry the text exactly,
// "@#" lines elsewhere), parses to the same name and page sides.
#include <cstdint>
#include <cstring>
#include <string>

#include "tools/corpus/textformat.h"

namespace {

// Side words in the letter code: the generated corpus's, and a short one.
const std::string SideWords[] = {"sofd", "wd"};

bool Held(unsigned char b) { return b == 0x14 || (b >= 0x20 && b <= 0x7E && !(b >= 'A' && b <= 'Z')); }

std::string Utf8(const std::string& code) {
  std::string out;
  for (unsigned char b : code) {
    if (b >= 0x61 && b <= 0x7B) {
      const unsigned c = 0x5D0 + (b - 0x61);
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (b == 0x7E) {
      out += '{';
    } else if (b == 0x14) {
      out += "\xC2\xB6";
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

bool Plain(const std::string& s, bool barAllowed) {
  return !s.empty() && s.front() != ' ' && s.back() != ' ' && s.front() != '@' && s.find("  ") == std::string::npos &&
         (barAllowed || s.find('|') == std::string::npos);
}

// Plain lines give main text before "@@" and headings and comments after it.
void WriteParagraph(const CorpusParagraph& p, bool commentary, std::string& out) {
  if (!commentary && p.Style == CorpusMainText && Plain(p.Text, true)) {
    out += Utf8(p.Text) + "\n";
  } else if (commentary && p.Style == CorpusComment && Plain(p.Text, false)) {
    out += Utf8(p.Text) + "\n";
  } else if (commentary && p.Style == CorpusHeading && Plain(p.Text, false)) {
    out += Utf8(p.Text) + " |\n";
  } else {
    char head[8];
    std::snprintf(head, sizeof head, "@#%02x ", p.Style);
    out += head + Utf8(p.Text) + "\n";
  }
}

bool Same(const TractateText& a, const TractateText& b) {
  if (a.Name != b.Name || a.Sides.size() != b.Sides.size()) return false;
  for (size_t i = 0; i < a.Sides.size(); ++i) {
    const SideText &x = a.Sides[i], &y = b.Sides[i];
    if (!x.MarkerLine != !y.MarkerLine || !x.CommentaryLine != !y.CommentaryLine) return false;
    for (int part = 0; part < 2; ++part) {
      const auto &p = part ? x.Commentary : x.Main, &q = part ? y.Commentary : y.Main;
      if (p.size() != q.size()) return false;
      for (size_t k = 0; k < p.size(); ++k)
        if (p[k].Style != q[k].Style || p[k].Text != q[k].Text) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: the tractate and the side word; the rest: its file.
  const int tractate = (data[0] & 0x7F) % TractateCount;
  const std::string& sideWord = SideWords[data[0] >> 7];
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  TractateText text;
  TextDiagnostics diag;
  ParseTractateText(tractate, "f.txt", bytes, sideWord, text, diag);

  const TractateEntry& e = BuiltInTractates[tractate];
  if (text.Sides.size() != size_t(e.SideCount)) __builtin_trap();
  size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  // At most one error a line, each naming the file and line.
  if (diag.Errors.size() > lines + 1) __builtin_trap();
  for (const std::string& error : diag.Errors)
    if (error.compare(0, 2, "f.") != 0 || error.find(": ") == std::string::npos) __builtin_trap();
  if (text.Name.size() > size_t(MaxTractateNameBytes)) __builtin_trap();
  for (const SideText& side : text.Sides) {
    if (!side.MarkerLine && (!side.Main.empty() || !side.Commentary.empty() || side.CommentaryLine)) __builtin_trap();
    if (!side.CommentaryLine && !side.Commentary.empty()) __builtin_trap();
    for (const auto* list : {&side.Main, &side.Commentary})
      for (const CorpusParagraph& p : *list) {
        if (!ImportableStyle(p.Style)) __builtin_trap();
        for (unsigned char b : p.Text)
          if (!Held(b)) __builtin_trap();
      }
  }
  if (!diag.Errors.empty()) return 0;

  std::string again = text.Name.empty() ? "" : Utf8(text.Name) + "\n";
  for (int32_t i = 0; i < e.SideCount; ++i) {
    const SideText& side = text.Sides[i];
    if (!side.MarkerLine) continue;
    again += "@ " + SideCodeName(e.FirstSideOffset + 2 + i) + "\n";
    for (const CorpusParagraph& p : side.Main) WriteParagraph(p, false, again);
    if (side.CommentaryLine) again += "@@\n";
    for (const CorpusParagraph& p : side.Commentary) WriteParagraph(p, true, again);
  }
  TractateText back;
  TextDiagnostics backDiag;
  ParseTractateText(tractate, "f.txt", again, sideWord, back, backDiag);
  if (!backDiag.Errors.empty() || !Same(text, back)) __builtin_trap();
  return 0;
}
