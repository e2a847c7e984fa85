// The corpus as plain UTF-8 text, the form in which a user brings the texts:
// one file a tractate, 01.txt .. 38.txt in table order, and side.txt with the
// side word. In a tractate file, blank lines are ignored and:
//   first line        the tractate's name in Hebrew letters (optional)
//   @ 2a              a page side: folio and side (also "@ ב." or "@ ב ע"א")
//   (lines)           its main text, one paragraph a line
//   @@                its commentary
//   heading | comment a heading and its comment; "heading |" a heading
//                     alone; a line without "|" a comment alone
//   @#82 text         a paragraph of the given style byte (hex), its text
//                     taken as it stands: the rarer kinds of paragraph and
//                     texts that the plain lines cannot carry exactly
// "@" and "|" are no characters of the stored text, so the markers never
// clash with it.
//
// Import maps Hebrew letters to the letter code, drops points and
// cantillation marks, turns maqaf, geresh and gershayim (and their ASCII
// look-alikes) into the stored punctuation, and refuses letters of other
// scripts. Export writes any corpus so that its import gives the same records.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "tools/corpus/corpus.h"

// What an import met: errors stop it; the rest is reported.
struct TextDiagnostics {
  std::vector<std::string> Errors;  // "01.txt:12: message"
  std::vector<std::string> Notes;   // missing page sides and the like
  int64_t Dropped = 0;              // characters the letter code cannot hold
  std::vector<std::string> DroppedPlaces;  // the first few, "01.txt:12: U+20AC"
  int64_t Points = 0;               // points and cantillation marks
  int64_t Invisible = 0;            // direction and joining marks, byte order marks
  int32_t MissingSides = 0;         // page sides given by no file
};

// The files of a text folder, in memory.
struct TextFolder {
  std::string Tractates[TractateCount];  // contents of 01.txt .. 38.txt
  bool Present[TractateCount] = {};
  std::string SideWord;                  // contents of side.txt
  bool HasSideWord = false;
};

// "01.txt" .. "38.txt" for tractate index 0..37.
std::string TextFileName(int tractate);

// Largest text a record may hold: the reader's buffer (text and two bytes)
// stays below 65,536 bytes.
constexpr size_t ImportMaxText = 65533;

// The paragraph styles "@#" takes: 41, 51, 81, 82, b1, b2 and d2.
bool ImportableStyle(unsigned char style);

// One tractate file parsed: its name (empty when the file gives none) and
// each of the tractate's page sides, first to last.
struct SideText {
  int MarkerLine = 0;      // 0: the file does not give this page side
  int CommentaryLine = 0;  // 0: no commentary marker
  std::vector<CorpusParagraph> Main, Commentary;
};
struct TractateText {
  std::string Name;
  std::vector<SideText> Sides;
};

// Parses the bytes of tractate t's file (named file in the messages) with
// the given side word; errors and what was dropped go to diag. After a
// refused page marker the lines up to the next accepted one are skipped, and
// that marker's error says how many.
void ParseTractateText(int tractate, const std::string& file, const std::string& bytes, const std::string& sideWord,
                       TractateText& out, TextDiagnostics& diag);

// The side word of side.txt: its first line that is not blank. False, with
// an error, when that is not one word of Hebrew letters.
bool ParseSideWord(const std::string& bytes, std::string& word, TextDiagnostics& diag);

// "2a", "157b": a page side's code (2 x folio + side) as the messages name it.
std::string SideCodeName(int32_t code);

// Texts to encoded records and names. On any error, returns false and leaves
// records empty. progress, when given, gets one line per tractate.
bool ImportTextFolder(const TextFolder& folder, std::vector<CorpusRecord>& records, CorpusNames& names,
                      TextDiagnostics& diag, unsigned threads, FILE* progress);

// Records and names to texts. False, with a message, when a record is no
// paragraph list, holds a byte the text cannot carry or a paragraph style
// that an import refuses. headerMismatches
// counts page headers that differ from those the import makes.
bool ExportTextFolder(const std::vector<CorpusRecord>& records, const CorpusNames& names, TextFolder& folder,
                      int32_t* headerMismatches, std::string& error);

// Reading and writing the folder on disk. Reading reports an unreadable
// folder or file, no tractate file at all, or a file beyond 38.txt as errors.
// Writing replaces the folder as a whole (see folderswap.h); on failure the
// old folder stays as it was.
bool ReadTextFolder(const std::string& dir, TextFolder& folder, TextDiagnostics& diag);
bool WriteTextFolder(const std::string& dir, const TextFolder& folder, std::string& error);

// The text of a LetterCode string in UTF-8; false (with the byte in *bad)
// at a byte that the text cannot carry.
bool LetterCodeToUtf8(const std::string& code, std::string& out, unsigned char* bad);

// corpustext links: for every heading of the folder's commentary (or of
// tractate index `only`, -1 for all) a tab-separated line: file, page side,
// the heading's number on it, the heading, and the main-text words it is
// linked to ("<" before them when on the previous side; "-": none); then a
// line of counts. Returns a process exit code.
int LinksCommand(const std::string& textDir, int only, FILE* out, FILE* errors);

// corpustext refs: for every citation of a page found in the folder's
// commentary (or tractate index `only`'s, -1 for all), read against the
// folder's tractate names, a tab-separated line: file, page side, the
// citation as the file has it, and the page it resolves to as "NN folio
// side" ("22 27 a") or "-"; then a line of counts. Returns a process exit
// code.
int RefsCommand(const std::string& textDir, int only, FILE* out, FILE* errors);

// The two commands of the corpustext tool. Each writes its folder only when
// the whole import or export succeeded. Both return a process exit code.
int ImportCommand(const std::string& textDir, const std::string& corpusDir, TextDiagnostics& diag,
                  FILE* progress);
int ExportCommand(const std::string& corpusDir, const std::string& textDir, FILE* progress, FILE* errors);
