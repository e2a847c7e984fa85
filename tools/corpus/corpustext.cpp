// corpustext: the corpus as plain UTF-8 text (see textformat.h).
//   corpustext export CORPUSDIR TEXTDIR   writes a corpus folder's texts
//   corpustext import TEXTDIR CORPUSDIR   builds a corpus folder from texts
//   corpustext links TEXTDIR [NN]         each heading and the words it quotes
//   corpustext refs TEXTDIR [NN]          each citation of a page and the page
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/corpus/textformat.h"

int main(int argc, char** argv) {
  const std::string command = argc == 4 ? argv[1] : "";
  if (command == "export") return ExportCommand(argv[2], argv[3], stdout, stderr);
  if (command == "import") {
    TextDiagnostics diag;
    const int status = ImportCommand(argv[2], argv[3], diag, stdout);
    std::fflush(stdout);  // the errors come after the lines of progress, also through a pipe
    const size_t shown = std::min<size_t>(diag.Errors.size(), 50);
    for (size_t i = 0; i < shown; ++i) std::fprintf(stderr, "%s\n", diag.Errors[i].c_str());
    if (diag.Errors.size() > shown) std::fprintf(stderr, "... and %zu more\n", diag.Errors.size() - shown);
    if (status) std::fprintf(stderr, "import: %zu errors; nothing was written\n", diag.Errors.size());
    return status;
  }
  if (argc >= 3 && argc <= 4 && (std::string(argv[1]) == "links" || std::string(argv[1]) == "refs")) {
    const std::string name = argv[1];
    // NN: a tractate's number, as its file is named (1 or 01 .. 38).
    const int only = argc == 4 ? std::atoi(argv[3]) - 1 : -1;
    if (argc == 4 && (only < 0 || only >= TractateCount || std::string(argv[3]).find_first_not_of("0123456789") != std::string::npos)) {
      std::fprintf(stderr, "%s: no tractate %s (there are 01 to %d)\n", name.c_str(), argv[3], TractateCount);
      return 2;
    }
    return name == "links" ? LinksCommand(argv[2], only, stdout, stderr) : RefsCommand(argv[2], only, stdout, stderr);
  }
  std::fprintf(stderr,
               "usage: corpustext export CORPUSDIR TEXTDIR\n       corpustext import TEXTDIR CORPUSDIR\n"
               "       corpustext links TEXTDIR [NN]\n       corpustext refs TEXTDIR [NN]\n");
  return 2;
}
