// Export of a corpus as a text folder, written so that its import gives the
// same records: a paragraph that a plain line would not carry exactly goes
// out as "@#" and its style byte, with its text as it stands.
#include <cstdio>

#include "store/records.h"
#include "tools/corpus/folderswap.h"
#include "tools/corpus/textformat.h"

bool LetterCodeToUtf8(const std::string& code, std::string& out, unsigned char* bad) {
  out.clear();
  for (unsigned char b : code) {
    if (b >= 0x61 && b <= 0x7B) {
      const unsigned c = 0x5D0 + (b - 0x61);
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (b == 0x7E) {
      out += '{';
    } else if (b == 0x14) {
      out += "\xC2\xB6";  // the pilcrow stands for the marker byte
    } else if (b >= 0x20 && b <= 0x7D && !(b >= 'A' && b <= 'Z')) {
      out += static_cast<char>(b);
    } else {
      *bad = b;
      return false;
    }
  }
  return true;
}

namespace {

// A plain line gives back exactly this text: no space at either end, none
// doubled, no marker at its start, and no "|" where it would split the line.
bool Plain(const std::string& s, bool barAllowed) {
  return !s.empty() && s.front() != ' ' && s.back() != ' ' && s.front() != '@' &&
         s.find("  ") == std::string::npos && (barAllowed || s.find('|') == std::string::npos);
}

struct Writer {
  std::string Out;
  std::string Line;
  unsigned char Bad = 0;
  bool BadStyle = false;  // the failure was a style, not a byte

  bool Styled(const CorpusParagraph& p) {
    if (!ImportableStyle(p.Style)) {
      BadStyle = true;
      return false;
    }
    if (!LetterCodeToUtf8(p.Text, Line, &Bad)) return false;
    char head[8];
    std::snprintf(head, sizeof head, "@#%02x ", p.Style);
    Out += head + Line + "\n";
    return true;
  }
  bool Text(const std::string& s, const char* after = "\n") {
    if (!LetterCodeToUtf8(s, Line, &Bad)) return false;
    Out += Line + after;
    return true;
  }
};

bool ExportTractate(int t, const std::vector<CorpusRecord>& records, const CorpusNames& names, int32_t article,
                    std::string& text, int32_t* headerMismatches, std::string& error) {
  const TractateEntry& e = BuiltInTractates[t];
  Writer w;
  if (!w.Text(names.Tractates[t])) {
    error = "the name of tractate " + std::to_string(t + 1) + " cannot be written as text";
    return false;
  }
  std::vector<CorpusParagraph> list;
  for (int32_t i = 0; i < e.SideCount; ++i, ++article) {
    const int32_t code = e.FirstSideOffset + 2 + i;
    w.Out += "\n@ " + std::to_string(code / 2) + (code % 2 ? "b\n" : "a\n");
    for (int part = 0; part < 2; ++part) {
      const int32_t n = 2 * article - 1 + part;
      if (!SplitParagraphs(records[n - 1].Text, list) || list.empty() || list[0].Style != CorpusPageHeader) {
        error = "record " + std::to_string(n) + " is no paragraph list that starts with a page header";
        return false;
      }
      if (list[0].Text != PageHeaderText(names.Tractates[t], code, names.SideWord)) ++*headerMismatches;
      if (part) w.Out += "@@\n";
      bool sound = true;
      size_t k = 1;
      for (; k < list.size() && sound; ++k) {
        const CorpusParagraph& p = list[k];
        const bool nextIsComment = k + 1 < list.size() && list[k + 1].Style == CorpusComment;
        if (!part && p.Style == CorpusMainText && Plain(p.Text, true)) {
          sound = w.Text(p.Text);
        } else if (part && p.Style == CorpusHeading && Plain(p.Text, false)) {
          // A heading and its comment share a line.
          if (nextIsComment && Plain(list[k + 1].Text, true)) {
            sound = w.Text(p.Text, " | ") && w.Text(list[++k].Text);
          } else {
            sound = w.Text(p.Text, " |\n");
          }
        } else if (part && p.Style == CorpusComment && Plain(p.Text, false)) {
          sound = w.Text(p.Text);
        } else {
          sound = w.Styled(p);
        }
      }
      if (!sound && w.BadStyle) {
        char style[8];
        std::snprintf(style, sizeof style, "%02x", list[k - 1].Style);
        error = "record " + std::to_string(n) + " (" + TextFileName(t) + ", " +
                (part ? "the commentary of " : "the main text of ") + std::to_string(code / 2) +
                (code % 2 ? "b" : "a") + "): paragraph " + std::to_string(k - 1) +
                " after the page header has the style " + style +
                ", which an import refuses (it takes 41, 51, 81, 82, b1, b2 and d2)";
        return false;
      }
      if (!sound) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", w.Bad);
        error = "record " + std::to_string(n) + " holds the byte " + byte + ", which the text cannot carry";
        return false;
      }
    }
  }
  text = std::move(w.Out);
  return true;
}

}  // namespace

bool ExportTextFolder(const std::vector<CorpusRecord>& records, const CorpusNames& names, TextFolder& folder,
                      int32_t* headerMismatches, std::string& error) {
  folder = TextFolder{};
  *headerMismatches = 0;
  if (records.size() != size_t(RecordCount)) {
    error = "the corpus does not hold " + std::to_string(RecordCount) + " records";
    return false;
  }
  int32_t article = 1;
  for (int t = 0; t < TractateCount; ++t) {
    if (!ExportTractate(t, records, names, article, folder.Tractates[t], headerMismatches, error)) return false;
    folder.Present[t] = true;
    article += BuiltInTractates[t].SideCount;
  }
  Writer w;
  if (!w.Text(names.SideWord)) {
    error = "the side word cannot be written as text";
    return false;
  }
  folder.SideWord = w.Out;
  folder.HasSideWord = true;
  return true;
}

bool WriteTextFolder(const std::string& dir, const TextFolder& folder, std::string& error) {
  FolderSwap swap;
  if (!BeginFolderSwap(dir, swap, error)) return false;
  bool sound = true;
  for (int t = 0; t < TractateCount && sound; ++t) {
    if (folder.Present[t]) sound = StageFile(swap, TextFileName(t), folder.Tractates[t], error) >= 0;
  }
  sound = sound && (!folder.HasSideWord || StageFile(swap, "side.txt", folder.SideWord, error) >= 0) &&
          CommitFolderSwap(swap, error);
  if (!sound) AbandonFolderSwap(swap);
  return sound;
}

int ExportCommand(const std::string& corpusDir, const std::string& textDir, FILE* progress, FILE* errors) {
  std::vector<CorpusRecord> records;
  CorpusNames names;
  TextFolder folder;
  int32_t mismatches = 0;
  std::string error;
  if (!ReadCorpusFolder(corpusDir, records, names, error) ||
      !ExportTextFolder(records, names, folder, &mismatches, error) || !WriteTextFolder(textDir, folder, error)) {
    std::fprintf(errors, "export: %s; nothing was written\n", error.c_str());
    return 1;
  }
  if (mismatches)
    std::fprintf(progress, "note: %d page headers differ from those an import makes from name, folio and side\n",
                 mismatches);
  std::fprintf(progress, "export: %d tractates and side.txt written to %s\n", TractateCount, textDir.c_str());
  return 0;
}
