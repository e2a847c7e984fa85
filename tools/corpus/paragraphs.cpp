// Paragraph lists, page headers and the names resource.
#include "store/letters.h"
#include "tools/corpus/corpus.h"

size_t ParagraphListLength(const std::vector<CorpusParagraph>& list) {
  size_t n = 3;  // the ending style byte and two more 0 bytes
  for (const CorpusParagraph& p : list) n += 3 + p.Text.size();
  return n;
}

void AssembleParagraphs(const std::vector<CorpusParagraph>& list, std::vector<unsigned char>& out) {
  out.clear();
  out.reserve(ParagraphListLength(list));
  for (const CorpusParagraph& p : list) {
    out.push_back(p.Style);
    out.push_back(0);
    const size_t at = out.size();
    out.insert(out.end(), p.Text.begin(), p.Text.end());
    // Display order: the reading order turned round, brackets mirrored,
    // each number still read left to right.
    if (p.Style & 0x10) TurnParagraph(out.data() + at, static_cast<int32_t>(p.Text.size()));
    out.push_back(0);
  }
  out.insert(out.end(), 3, 0);
}

bool SplitParagraphs(const std::vector<unsigned char>& t, std::vector<CorpusParagraph>& list) {
  list.clear();
  size_t i = 0;
  while (i < t.size() && t[i] != 0) {
    if (i + 1 >= t.size()) return false;
    CorpusParagraph p{t[i], {}};
    if (t[i + 1] != 0) return false;  // every paragraph has parameter 0
    size_t j = i + 2;
    while (j < t.size() && t[j] != 0) p.Text += static_cast<char>(t[j++]);
    if (j == t.size()) return false;
    if (p.Style & 0x10) TurnParagraph(reinterpret_cast<unsigned char*>(p.Text.data()), static_cast<int32_t>(p.Text.size()));
    list.push_back(std::move(p));
    i = j + 1;
  }
  return i + 3 == t.size() && t[i] == 0 && t[i + 1] == 0 && t[i + 2] == 0;
}

std::string FolioNumeral(int32_t folio) {
  char digits[5];
  FolioNumeralLetters(folio, digits);
  return digits;
}

std::string PageHeaderText(const std::string& name, int32_t sideCode, const std::string& sideWord) {
  return name + " " + FolioNumeral(sideCode / 2) + " " + sideWord + " " + SideLetters[sideCode % 2];
}

namespace {

std::string Reading(const DisplayChar* display) {
  std::string s;
  for (const DisplayChar* p = display; *p; ++p) s += static_cast<char>(*p);
  return std::string(s.rbegin(), s.rend());
}

}  // namespace

CorpusNames BuiltInNames() {
  CorpusNames names;
  for (int t = 0; t < TractateCount; ++t) names.Tractates[t] = Reading(BuiltInTractates[t].Name);
  names.SideWord = Reading(BuiltInSideSuffix + 1);
  return names;
}

std::vector<unsigned char> BuildNamesResource(const CorpusNames& names) {
  std::vector<unsigned char> out;
  auto put = [&](const std::string& reading) {
    out.insert(out.end(), reading.rbegin(), reading.rend());
    out.push_back(0);
  };
  for (const std::string& name : names.Tractates) put(name);
  put(names.SideWord);
  return out;
}
