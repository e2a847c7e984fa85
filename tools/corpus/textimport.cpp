// Import of a text folder: UTF-8 tractate files to the records the build
// embeds. Everything is parsed and checked before anything is written.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <thread>

#include "store/records.h"
#include "tools/corpus/folderswap.h"
#include "tools/corpus/textformat.h"

namespace {

namespace fs = std::filesystem;

std::string Thousands(int64_t v) {
  const std::string digits = std::to_string(v);
  std::string s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

}  // namespace

std::string TextFileName(int tractate) {
  char name[16];
  std::snprintf(name, sizeof name, "%02d.txt", tractate + 1);
  return name;
}

bool ImportTextFolder(const TextFolder& folder, std::vector<CorpusRecord>& records, CorpusNames& names,
                      TextDiagnostics& diag, unsigned threads, FILE* progress) {
  records.assign(RecordCount, {});
  names = BuiltInNames();
  const size_t errorsBefore = diag.Errors.size();

  if (folder.HasSideWord) {
    std::string word;
    if (ParseSideWord(folder.SideWord, word, diag)) names.SideWord = word;
  }

  // Where each record's text came from, for the messages about its size.
  std::vector<std::string> origin(RecordCount);
  std::string absent;  // the tractate files that are not there
  int32_t article = 1;
  for (int t = 0; t < TractateCount; ++t) {
    const TractateEntry& e = BuiltInTractates[t];
    const std::string file = TextFileName(t);
    const size_t errorsOfEarlierFiles = diag.Errors.size();
    TractateText p;
    ParseTractateText(t, file, folder.Present[t] ? folder.Tractates[t] : std::string(), names.SideWord, p, diag);
    if (!p.Name.empty()) names.Tractates[t] = p.Name;

    std::vector<std::string> missing;
    size_t mainParagraphs = 0, commentaryParagraphs = 0;
    for (int32_t i = 0; i < e.SideCount; ++i, ++article) {
      const SideText& side = p.Sides[i];
      const int32_t code = e.FirstSideOffset + 2 + i;
      if (!side.MarkerLine) missing.push_back(SideCodeName(code));
      mainParagraphs += side.Main.size();
      commentaryParagraphs += side.Commentary.size();
      std::vector<CorpusParagraph> list(1, {CorpusPageHeader, PageHeaderText(names.Tractates[t], code, names.SideWord)});
      for (int part = 0; part < 2; ++part) {
        const std::vector<CorpusParagraph>& body = part ? side.Commentary : side.Main;
        list.resize(1);
        list.insert(list.end(), body.begin(), body.end());
        const int line = part && side.CommentaryLine ? side.CommentaryLine : side.MarkerLine;
        const std::string where = file + ":" + std::to_string(line) + ": ";
        const std::string what = std::string(part ? "the commentary of " : "the main text of ") + SideCodeName(code);
        const size_t length = ParagraphListLength(list);
        if (length > ImportMaxText) {
          diag.Errors.push_back(where + what + " comes to " + Thousands(int64_t(length)) +
                                " bytes; a record holds at most " + Thousands(ImportMaxText));
          continue;
        }
        AssembleParagraphs(list, records[2 * article - 2 + part].Text);
        origin[2 * article - 2 + part] = where + what;
      }
    }
    diag.MissingSides += int32_t(missing.size());
    if (!folder.Present[t]) {
      absent += (absent.empty() ? "" : ", ") + file;
    } else if (!missing.empty()) {
      std::string list;
      for (size_t i = 0; i < missing.size() && i < 6; ++i) list += (i ? ", " : "") + missing[i];
      if (missing.size() > 6) list += ", ...";
      diag.Notes.push_back(file + ": " + std::to_string(missing.size()) +
                           " page side" + (missing.size() > 1 ? "s" : "") + " missing (" + list +
                           "), made header-only pages");
    }
    const size_t errors = diag.Errors.size() - errorsOfEarlierFiles;
    if (progress && errors) {
      // The first line about a file in trouble names the first mistake.
      std::fprintf(progress, "%s: %zu error%s, the first: %s\n", file.c_str(), errors, errors > 1 ? "s" : "",
                   diag.Errors[errorsOfEarlierFiles].c_str());
    } else if (progress) {
      std::fprintf(progress, "%s: %s, %d page sides (%zu missing), %zu paragraphs of main text, %zu of commentary\n",
                   file.c_str(), folder.Present[t] ? "read" : "no file", int(e.SideCount), missing.size(),
                   mainParagraphs, commentaryParagraphs);
    }
  }

  if (!absent.empty())
    diag.Notes.push_back("no file for " + absent + ": all their page sides are header-only pages");
  if (diag.Errors.size() == errorsBefore) {
    EncodeCorpus(records, std::max(1u, threads));
    for (int32_t n = 1; n <= RecordCount; ++n) {
      if (records[n - 1].Stream.size() + BlockHeaderBytes + 4 > 0xFFFF)
        diag.Errors.push_back(origin[n - 1] + " does not compress into a record");
    }
  }
  if (diag.Errors.size() > errorsBefore) {
    records.clear();
    return false;
  }
  return true;
}

bool ReadTextFolder(const std::string& dir, TextFolder& folder, TextDiagnostics& diag) {
  folder = TextFolder{};
  std::error_code failure;
  fs::directory_iterator it(dir, failure);
  if (failure) {
    diag.Errors.push_back(dir + ": cannot read the folder");
    return false;
  }
  bool any = false;
  const size_t errorsBefore = diag.Errors.size();
  for (; !failure && it != fs::directory_iterator(); it.increment(failure)) {
    const fs::directory_entry& entry = *it;
    const std::string name = entry.path().filename().string();
    const std::string stem = entry.path().stem().string();
    const bool numbered = entry.path().extension() == ".txt" && !stem.empty() && stem.size() <= 4 &&
                          std::all_of(stem.begin(), stem.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::string* target = nullptr;
    if (numbered) {
      const int t = std::stoi(stem) - 1;
      if (t < 0 || t >= TractateCount) {
        diag.Errors.push_back(name + ": there are tractates 01 to " + std::to_string(TractateCount) + " only");
        continue;
      }
      if (folder.Present[t]) {
        diag.Errors.push_back(name + ": tractate " + std::to_string(t + 1) + " is given by two files");
        continue;
      }
      folder.Present[t] = any = true;
      target = &folder.Tractates[t];
    } else if (name == "side.txt") {
      folder.HasSideWord = true;
      target = &folder.SideWord;
    } else {
      continue;
    }
    std::string error;
    const int read = ReadWholeFile(entry.path(), *target, error);
    if (read <= 0)
      diag.Errors.push_back(read ? error : entry.path().string() + ": cannot read the file: there is no such file");
  }
  if (failure) diag.Errors.push_back(dir + ": cannot read the folder: " + failure.message());
  if (!any && diag.Errors.size() == errorsBefore)
    diag.Errors.push_back(dir + ": no tractate files (01.txt to " + TextFileName(TractateCount - 1) + ")");
  return diag.Errors.size() == errorsBefore;
}

int ImportCommand(const std::string& textDir, const std::string& corpusDir, TextDiagnostics& diag, FILE* progress) {
  const auto start = std::chrono::steady_clock::now();
  TextFolder folder;
  std::vector<CorpusRecord> records;
  CorpusNames names;
  if (!ReadTextFolder(textDir, folder, diag) ||
      !ImportTextFolder(folder, records, names, diag, std::max(1u, std::thread::hardware_concurrency()), progress))
    return 1;
  int32_t rewritten = 0;
  std::string error;
  if (!WriteCorpusFolder(corpusDir, records, names, &rewritten, error)) {
    diag.Errors.push_back(error);
    return 1;
  }
  if (progress) {
    uint64_t text = 0, stream = 0;
    for (const CorpusRecord& r : records) text += r.Text.size(), stream += r.Stream.size();
    for (const std::string& note : diag.Notes) std::fprintf(progress, "note: %s\n", note.c_str());
    if (diag.Dropped) {
      std::string places;
      for (const std::string& p : diag.DroppedPlaces) places += "\n  " + p;
      std::fprintf(progress, "note: %s characters the letter code cannot hold were dropped; the first:%s\n",
                   Thousands(diag.Dropped).c_str(), places.c_str());
    }
    std::fprintf(progress,
                 "import: %d records from %s (%d page sides missing), text %s bytes, streams %s bytes, "
                 "ratio %.3f; %s points and cantillation marks and %s invisible marks dropped; %d files "
                 "rewritten in %s; %.2f s\n",
                 RecordCount, textDir.c_str(), diag.MissingSides, Thousands(int64_t(text)).c_str(),
                 Thousands(int64_t(stream)).c_str(), double(text) / double(stream), Thousands(diag.Points).c_str(),
                 Thousands(diag.Invisible).c_str(), rewritten, corpusDir.c_str(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return 0;
}
