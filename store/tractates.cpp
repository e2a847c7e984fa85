#include "store/tractates.h"

const TractateEntry TractateTable[TractateCount + 1] = {
    {DISPLAY_TEXT("bmrmcdq"), 125, 2},
    {DISPLAY_TEXT("ylilmxf{"), 312, 2},
    {DISPLAY_TEXT("cyhoxs"), 207, 2},
    {DISPLAY_TEXT("moahuqes"), 240, 2},
    {DISPLAY_TEXT("idseauy{"), 67, 2},
    {DISPLAY_TEXT("dcre"), 173, 2},
    {DISPLAY_TEXT("sqrmf{j"), 110, 2},
    {DISPLAY_TEXT("fiqfiz"), 78, 2},
    {DISPLAY_TEXT("jhxuhc"), 59, 2},
    {DISPLAY_TEXT("mhqe"), 61, 2},
    {DISPLAY_TEXT("mxua"), 55, 2},
    {DISPLAY_TEXT("c{r{eohb"), 51, 2},
    {DISPLAY_TEXT("rwbxy"), 242, 2},
    {DISPLAY_TEXT("ueoe"), 222, 2},
    {DISPLAY_TEXT("azilbgi{"), 180, 2},
    {DISPLAY_TEXT("g{wr"), 130, 2},
    {DISPLAY_TEXT("tafqei"), 96, 2},
    {DISPLAY_TEXT("wudbo"), 178, 2},
    {DISPLAY_TEXT("nyrw"), 162, 2},
    {DISPLAY_TEXT("zqiq"), 236, 2},
    {DISPLAY_TEXT("dxogflr"), 235, 2},
    {DISPLAY_TEXT("hx{afiyl"), 350, 2},
    {DISPLAY_TEXT("xfcjy"), 224, 2},
    {DISPLAY_TEXT("rqbm"), 46, 2},
    {DISPLAY_TEXT("zsou"), 96, 2},
    {DISPLAY_TEXT("mxhgz"), 150, 2},
    {DISPLAY_TEXT("lixwed"), 25, 2},
    {DISPLAY_TEXT("zbb{"), 238, 2},
    {DISPLAY_TEXT("dqzimilo"), 217, 2},
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

bool LocateArticle(int32_t article, int32_t* tractate, int32_t* sideCode) {
  if (article < 1) return false;
  for (int t = 0; TractateTable[t].Name; ++t) {
    if (article <= TractateTable[t].SideCount) {
      *tractate = t;
      *sideCode = article + TractateTable[t].FirstSideOffset + 1;
      return true;
    }
    article -= TractateTable[t].SideCount;
  }
  return false;
}
