// corpustext links: the commentary's headings of a text folder and the
// main-text words the linker ties each one to, as the files have them.
#include <cstdio>

#include "store/links.h"
#include "tools/corpus/textformat.h"

namespace {

// The reading-order words of a main-text list behind stored bytes [start,
// end): the paragraph that holds them, turned back as the file has it.
std::string QuotedWords(const std::vector<CorpusParagraph>& list, uint16_t start, uint16_t end) {
  size_t at = 0;
  for (const CorpusParagraph& p : list) {
    const size_t text = at + 2, length = p.Text.size();
    if (start >= text && end <= text + length) {
      // A visual paragraph is stored turned round: words keep their bytes.
      const size_t from = (p.Style & 0x10) ? length - (end - text) : start - text;
      return p.Text.substr(from, end - start);
    }
    at = text + length + 1;
  }
  return "?";
}

std::string Utf8(const std::string& code) {
  std::string out;
  unsigned char bad = 0;
  return LetterCodeToUtf8(code, out, &bad) ? out : "?";
}

}  // namespace

int LinksCommand(const std::string& textDir, int only, FILE* out, FILE* errors) {
  TextFolder folder;
  TextDiagnostics diag;
  std::string sideWord = BuiltInNames().SideWord;
  if (ReadTextFolder(textDir, folder, diag) && folder.HasSideWord) ParseSideWord(folder.SideWord, sideWord, diag);
  int64_t headings = 0, linked = 0, previous = 0;
  std::vector<CommentLink> links;
  std::vector<unsigned char> mainText, previousText, commentary;
  for (int t = 0; t < TractateCount && diag.Errors.empty(); ++t) {
    if ((only >= 0 && t != only) || !folder.Present[t]) continue;
    const std::string file = TextFileName(t);
    TractateText text;
    ParseTractateText(t, file, folder.Tractates[t], sideWord, text, diag);
    std::vector<CorpusParagraph> main, notes, before;
    for (size_t i = 0; i < text.Sides.size() && diag.Errors.empty(); ++i) {
      const SideText& side = text.Sides[i];
      const int32_t code = BuiltInTractates[t].FirstSideOffset + 2 + int32_t(i);
      // The page header is no text: an empty one stands for it.
      before.swap(main);
      previousText.swap(mainText);
      main.assign(1, {CorpusPageHeader, ""});
      main.insert(main.end(), side.Main.begin(), side.Main.end());
      notes.assign(1, {CorpusPageHeader, ""});
      notes.insert(notes.end(), side.Commentary.begin(), side.Commentary.end());
      AssembleParagraphs(main, mainText);
      AssembleParagraphs(notes, commentary);
      int32_t n = LinkComments(mainText.data(), i ? previousText.data() : nullptr, commentary.data(), nullptr, 0);
      links.resize(size_t(n > 0 ? n : 0));
      n = LinkComments(mainText.data(), i ? previousText.data() : nullptr, commentary.data(), links.data(), n);
      if (n < 0) {
        std::fprintf(errors, "links: out of memory\n");
        return 1;
      }
      // The headings stand in the list in the order of the links.
      size_t paragraph = 1;
      for (int32_t h = 0; h < n; ++h, ++paragraph) {
        while (paragraph < notes.size() && notes[paragraph].Style != CorpusHeading) ++paragraph;
        const CommentLink& l = links[h];
        const std::string heading = paragraph < notes.size() ? notes[paragraph].Text : "";
        std::string words = l.Side == LinkNone ? "-" : l.Side == LinkPreviousSide ? "<" : "";
        if (l.Side != LinkNone) words += Utf8(QuotedWords(l.Side == LinkPreviousSide ? before : main, l.QuoteStart, l.QuoteEnd));
        std::fprintf(out, "%s\t%s\t%d\t%s\t%s\n", file.c_str(), SideCodeName(code).c_str(), int(h + 1),
                     Utf8(heading).c_str(), words.c_str());
        ++headings;
        linked += l.Side != LinkNone;
        previous += l.Side == LinkPreviousSide;
      }
    }
  }
  if (!diag.Errors.empty()) {
    for (size_t i = 0; i < diag.Errors.size() && i < 50; ++i) std::fprintf(errors, "%s\n", diag.Errors[i].c_str());
    std::fprintf(errors, "links: %zu errors in the texts\n", diag.Errors.size());
    return 1;
  }
  std::fprintf(out, "%lld headings, %lld linked (%.1f %%), %lld on the previous side\n", (long long)headings,
               (long long)linked, headings ? 100.0 * double(linked) / double(headings) : 0.0, (long long)previous);
  return 0;
}
