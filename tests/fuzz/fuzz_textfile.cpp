// A tractate file is whatever a user typed or converted: any bytes to the
// importer's parser; what it keeps must be text a record can hold, and a file
// taken without error, written back in the text form, must parse again to
// what writes the same.
#include <cstdint>
#include <cstring>
#include <string>

#include "tools/corpus/textformat.h"

namespace {

// The letter code as UTF-8: letters to Hebrew, '~' to '{', 0x14 to a pilcrow.
std::string Utf8(const std::string& code) {
  std::string out;
  for (unsigned char b : code) {
    const unsigned c = b >= 0x61 && b <= 0x7B ? 0x5D0 + (b - 0x61) : b == 0x7E ? '{' : b == 0x14 ? 0xB6 : b;
    if (c < 0x80) out += static_cast<char>(c);
    else out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return out;
}

// Plain lines where they carry the paragraph exactly (main text before "@@",
// headings and comments after it), "@#" lines elsewhere. One-to-one, so two
// texts that write the same are the same.
std::string Write(const TractateText& text, const TractateEntry& e) {
  std::string out = text.Name.empty() ? "" : Utf8(text.Name) + "\n";
  for (int32_t i = 0; i < e.SideCount; ++i) {
    const SideText& side = text.Sides[i];
    if (!side.MarkerLine) continue;
    out += "@ " + SideCodeName(e.FirstSideOffset + 2 + i) + "\n";
    for (int part = 0; part < 2; ++part) {
      if (part && side.CommentaryLine) out += "@@\n";
      for (const CorpusParagraph& p : part ? side.Commentary : side.Main) {
        const std::string& s = p.Text;
        const bool plain = !s.empty() && s.front() != ' ' && s.back() != ' ' && s.front() != '@' &&
                           s.find("  ") == s.npos && (!part || s.find('|') == s.npos);
        if (plain && !part && p.Style == CorpusMainText) out += Utf8(s) + "\n";
        else if (plain && part && p.Style == CorpusComment) out += Utf8(s) + "\n";
        else if (plain && part && p.Style == CorpusHeading) out += Utf8(s) + " |\n";
        else {
          char head[8];
          std::snprintf(head, sizeof head, "@#%02x ", p.Style);
          out += head + Utf8(s) + "\n";
        }
      }
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: the tractate and the side word (the generated corpus's or a short one).
  const int tractate = (data[0] & 0x7F) % TractateCount;
  const std::string sideWord = data[0] >> 7 ? "wd" : "sofd";
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  TractateText text;
  TextDiagnostics diag;
  ParseTractateText(tractate, "f.txt", bytes, sideWord, text, diag);

  const TractateEntry& e = BuiltInTractates[tractate];
  if (text.Sides.size() != size_t(e.SideCount) || text.Name.size() > size_t(MaxTractateNameBytes)) __builtin_trap();
  // At most one error a line, each naming the file and line.
  size_t lines = 0;
  for (char c : bytes) lines += c == '\n';
  if (diag.Errors.size() > lines + 1) __builtin_trap();
  for (const std::string& error : diag.Errors)
    if (error.compare(0, 2, "f.") != 0 || error.find(": ") == std::string::npos) __builtin_trap();
  for (const SideText& side : text.Sides) {
    if (!side.MarkerLine && (!side.Main.empty() || side.CommentaryLine)) __builtin_trap();
    if (!side.CommentaryLine && !side.Commentary.empty()) __builtin_trap();
    for (const auto* list : {&side.Main, &side.Commentary})
      for (const CorpusParagraph& p : *list) {
        if (!ImportableStyle(p.Style)) __builtin_trap();
        for (unsigned char b : p.Text)
          if (b != 0x14 && (b < 0x20 || b > 0x7E || (b >= 'A' && b <= 'Z'))) __builtin_trap();
      }
  }
  if (!diag.Errors.empty()) return 0;

  const std::string again = Write(text, e);
  TractateText back;
  TextDiagnostics backDiag;
  ParseTractateText(tractate, "f.txt", again, sideWord, back, backDiag);
  if (!backDiag.Errors.empty() || back.Name != text.Name || Write(back, e) != again) __builtin_trap();
  return 0;
}
