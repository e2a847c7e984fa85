// corpustext refs: the citations of pages in a text folder's commentary and
// the page each resolves to, read against the folder's own tractate names.
#include <cstdio>

#include "store/references.h"
#include "tools/corpus/textformat.h"

int RefsCommand(const std::string& textDir, int only, FILE* out, FILE* errors) {
  TextFolder folder;
  TextDiagnostics diag;
  std::string sideWord = BuiltInNames().SideWord;
  if (ReadTextFolder(textDir, folder, diag) && folder.HasSideWord) ParseSideWord(folder.SideWord, sideWord, diag);
  // Every file is read first: a citation may name any tractate.
  std::vector<TractateText> texts(TractateCount);
  for (int t = 0; t < TractateCount && diag.Errors.empty(); ++t) {
    if (folder.Present[t]) ParseTractateText(t, TextFileName(t), folder.Tractates[t], sideWord, texts[t], diag);
  }
  if (!diag.Errors.empty()) {
    for (size_t i = 0; i < diag.Errors.size() && i < 50; ++i) std::fprintf(errors, "%s\n", diag.Errors[i].c_str());
    std::fprintf(errors, "refs: %zu errors in the texts\n", diag.Errors.size());
    return 1;
  }
  // The folder's names, where its files give them, in the table's display order.
  std::vector<std::basic_string<DisplayChar>> names(TractateCount);
  TractateEntry table[TractateCount + 1];
  for (int t = 0; t <= TractateCount; ++t) table[t] = BuiltInTractates[t];
  for (int t = 0; t < TractateCount; ++t) {
    if (texts[t].Name.empty()) continue;
    for (auto c = texts[t].Name.rbegin(); c != texts[t].Name.rend(); ++c) names[t] += DisplayChar(static_cast<unsigned char>(*c));
    table[t].Name = names[t].c_str();
  }
  int64_t found = 0, resolved = 0;
  std::vector<Citation> citations;
  for (int t = 0; t < TractateCount; ++t) {
    if (only >= 0 && t != only) continue;
    for (size_t i = 0; i < texts[t].Sides.size(); ++i) {
      const int32_t code = BuiltInTractates[t].FirstSideOffset + 2 + int32_t(i);
      const int32_t article = ArticleOfSide(t, code);
      for (const CorpusParagraph& p : texts[t].Sides[i].Commentary) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(p.Text.data());
        const int32_t length = int32_t(p.Text.size());
        const int32_t n = FindAllCitations(bytes, length, false, article, table, nullptr, 0);
        if (n < 0) {
          std::fprintf(errors, "refs: out of memory\n");
          return 1;
        }
        citations.resize(size_t(n));
        FindAllCitations(bytes, length, false, article, table, citations.data(), n);
        for (const Citation& c : citations) {
          std::string text;
          unsigned char bad = 0;
          if (!LetterCodeToUtf8(p.Text.substr(size_t(c.Start), size_t(c.End - c.Start)), text, &bad)) text.assign(1, '?');
          int32_t tractate = 0, side = 0;
          char page[32] = "-";
          if (c.Article && LocateArticle(c.Article, &tractate, &side))
            std::snprintf(page, sizeof page, "%02d %d %c", tractate + 1, side / 2, side % 2 ? 'b' : 'a');
          std::fprintf(out, "%s\t%s\t%s\t%s\n", TextFileName(t).c_str(), SideCodeName(code).c_str(), text.c_str(), page);
          ++found;
          resolved += c.Article != 0;
        }
      }
    }
  }
  std::fprintf(out, "%lld citations found, %lld resolved (%.1f %%)\n", (long long)found, (long long)resolved,
               found ? 100.0 * double(resolved) / double(found) : 0.0);
  return 0;
}
