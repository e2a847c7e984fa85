// The built-in tractate table, the names resource and the table the program reads.
#include "store/tractates.h"

const TractateEntry BuiltInTractates[TractateCount + 1] = {
    {DISPLAY_TEXT("bmrmcdq"), 125, 2},
    {DISPLAY_TEXT("emox yjb"), 312, 2},
    {DISPLAY_TEXT("cyhoxs"), 207, 2},
    {DISPLAY_TEXT("moahuqes"), 240, 2},
    {DISPLAY_TEXT("idseauy{"), 67, 2},
    {DISPLAY_TEXT("pjel"), 173, 2},
    {DISPLAY_TEXT("sqrmf{j"), 110, 2},
    {DISPLAY_TEXT("fiqfiz"), 78, 2},
    {DISPLAY_TEXT("jhxuhc"), 59, 2},
    {DISPLAY_TEXT("fmdy"), 61, 2},
    {DISPLAY_TEXT("mxua"), 55, 2},
    {DISPLAY_TEXT("c{r{ eohb"), 51, 2},
    {DISPLAY_TEXT("njrw ebxy"), 242, 2},
    {DISPLAY_TEXT("ueoe"), 222, 2},
    {DISPLAY_TEXT("azilbgi{"), 180, 2},
    {DISPLAY_TEXT("g{wr"), 130, 2},
    {DISPLAY_TEXT("tafqei"), 96, 2},
    {DISPLAY_TEXT("wudbo"), 178, 2},
    {DISPLAY_TEXT("nyrw"), 162, 2},
    {DISPLAY_TEXT("zqiq"), 236, 2},
    {DISPLAY_TEXT("dxy gflr"), 235, 2},
    {DISPLAY_TEXT("fiyl hx{a"), 350, 2},
    {DISPLAY_TEXT("xfcjy"), 224, 2},
    {DISPLAY_TEXT("yjqc"), 46, 2},
    {DISPLAY_TEXT("zsou"), 96, 2},
    {DISPLAY_TEXT("mxhgz"), 150, 2},
    {DISPLAY_TEXT("lixwed"), 25, 2},
    {DISPLAY_TEXT("zbb{"), 238, 2},
    {DISPLAY_TEXT("edqz milo"), 217, 2},
    {DISPLAY_TEXT("fhrx{rq"), 281, 2},
    {DISPLAY_TEXT("iiizreum"), 119, 2},
    {DISPLAY_TEXT("smcdq"), 65, 2},
    {DISPLAY_TEXT("bajufxij"), 65, 2},
    {DISPLAY_TEXT("iluh"), 54, 2},
    {DISPLAY_TEXT("jbse"), 41, 2},
    {DISPLAY_TEXT("{wc{"), 17, 49},
    {DISPLAY_TEXT("fbqh{{z"), 8, 66},
    {DISPLAY_TEXT("yqzmf"), 143, 2},
    {nullptr, 0, 0},
};

const DisplayChar BuiltInSideSuffix[] = DISPLAY_TEXT(" dfos");

namespace {

bool IsNameByte(unsigned char b) {
  return (b >= 0x61 && b <= 0x7B) || b == ' ' || b == '\'' || b == '"' || b == '-';
}

// Copies one 0-terminated string of 1..limit name bytes from [*p, end) to out
// and steps past it.
bool TakeName(const unsigned char*& p, const unsigned char* end, int limit, DisplayChar* out) {
  int n = 0;
  while (p < end && *p) {
    if (n == limit || !IsNameByte(*p)) return false;
    out[n++] = *p++;
  }
  if (p == end || n == 0) return false;
  out[n] = 0;
  ++p;
  return true;
}

}  // namespace

bool ParseCorpusNames(const unsigned char* bytes, size_t size, CorpusNameSet* out) {
  if (!bytes) return false;
  const unsigned char* p = bytes;
  const unsigned char* end = bytes + size;
  for (int t = 0; t < TractateCount; ++t) {
    if (!TakeName(p, end, MaxTractateNameBytes, out->Names[t])) return false;
  }
  out->SideSuffix[0] = ' ';
  return TakeName(p, end, MaxSideWordBytes, out->SideSuffix + 1) && p == end;
}

namespace {

struct CorpusTable {
  TractateEntry Entries[TractateCount + 1];
  const DisplayChar* SideSuffix;
  CorpusNameSet Names;
};

const CorpusTable& Corpus() {
  static CorpusTable table;
  static bool ready;
  if (!ready) {
    ready = true;
    for (int t = 0; t <= TractateCount; ++t) table.Entries[t] = BuiltInTractates[t];
    table.SideSuffix = BuiltInSideSuffix;
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    if (FindCorpusNames(&bytes, &size) && ParseCorpusNames(bytes, size, &table.Names)) {
      for (int t = 0; t < TractateCount; ++t) table.Entries[t].Name = table.Names.Names[t];
      table.SideSuffix = table.Names.SideSuffix;
    }
  }
  return table;
}

}  // namespace

const TractateEntry* CorpusTractates() { return Corpus().Entries; }

const DisplayChar* CorpusSideSuffix() { return Corpus().SideSuffix; }

int32_t FolioNumeralLetters(int32_t folio, char out[5]) {
  int32_t n = 0;
  if (folio >= 100 && folio < 200) {
    out[n++] = HundredsDigits[1];
    folio -= 100;
  }
  if (folio == 15 || folio == 16) {
    out[n++] = UnitsDigits[9];
    out[n++] = UnitsDigits[folio - 9];
  } else if (folio > 0 && folio < 100) {
    if (folio >= 10) out[n++] = TensDigits[folio / 10];
    if (folio % 10) out[n++] = UnitsDigits[folio % 10];
  }
  out[n] = 0;
  return n;
}

bool LocateArticle(int32_t article, int32_t* tractate, int32_t* sideCode) {
  if (article < 1) return false;
  for (int t = 0; t < TractateCount; ++t) {
    const TractateEntry& e = BuiltInTractates[t];
    if (article <= e.SideCount) {
      *tractate = t;
      *sideCode = article + e.FirstSideOffset + 1;
      return true;
    }
    article -= e.SideCount;
  }
  return false;
}
