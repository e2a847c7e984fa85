#include "store/folios.h"

#include "store/tractates.h"

namespace {

// The SideCode of the tractate's last page.
int32_t LastSideCode(const TractateEntry& t) { return t.FirstSideOffset + t.SideCount + 1; }

}  // namespace

DafChoice EmptyDafChoice() {
  DafChoice choice{};
  choice.Tractate = -1;
  for (DigitList& list : choice.Lists) list = {0, -1};
  return choice;
}

void FillDigitModel(DigitList* list, DigitFill fill) {
  const int32_t wanted = fill.Max + 1;
  if (list->Count == wanted) return;
  if (list->Count > wanted) {
    list->Count = wanted;
    if (list->Selection >= wanted) list->Selection = -1;
  }
  if (fill.Max == 0 && !fill.KeepFirst) {
    list->Count = 0;
    list->Selection = -1;
    return;
  }
  list->Count = wanted;
  if (fill.Max == 0) list->Selection = 0;
}

void SelectDigit(DigitList* list, int32_t index) {
  list->Selection = (index >= 0 && index < list->Count) ? index : -1;
}

bool RebuildDigitModel(DafChoice* choice, DigitFill fills[DigitListCount]) {
  if (choice->Tractate < 0 || choice->Tractate >= TractateCount) return false;
  DigitList* lists = choice->Lists;
  const int32_t last = LastSideCode(TractateTable[choice->Tractate]);
  DigitFill applied[DigitListCount];

  const int32_t hundredsMax = last / 200;
  applied[HundredsList] = {hundredsMax, false};
  FillDigitModel(&lists[HundredsList], applied[HundredsList]);

  int32_t tensMax, h;
  if (hundredsMax == 0) {
    tensMax = last / 20;
    h = 0;
  } else {
    h = lists[HundredsList].Selection;
    tensMax = h <= 0 ? 9 : (last % 200) / 20;
  }
  applied[TensList] = {tensMax, hundredsMax != 0};
  FillDigitModel(&lists[TensList], applied[TensList]);

  int32_t unitsMax, d;
  if (hundredsMax == 0 && tensMax == 0) {
    unitsMax = last / 2;
    d = 0;
  } else {
    d = lists[TensList].Selection;
    unitsMax = (d < tensMax || h < hundredsMax) ? 9 : (last % 20) / 2;
  }
  applied[UnitsList] = {unitsMax, hundredsMax != 0 || tensMax != 0};
  FillDigitModel(&lists[UnitsList], applied[UnitsList]);

  // The last folio offers its second side only when the tractate ends on one.
  const bool lastFolio = (hundredsMax != 0 || tensMax != 0 || unitsMax != 0) &&
                         lists[UnitsList].Selection >= unitsMax && d >= tensMax && h >= hundredsMax;
  applied[SideList] = {(lastFolio && last % 2 == 0) ? 0 : 1, true};
  FillDigitModel(&lists[SideList], applied[SideList]);

  if (fills) {
    for (int i = 0; i < DigitListCount; ++i) fills[i] = applied[i];
  }
  return true;
}

void SelectArticle(DafChoice* choice, int32_t article) {
  if (article <= 0) return;
  int32_t t = 0;
  while (TractateTable[t].Name && article > TractateTable[t].SideCount) {
    article -= TractateTable[t].SideCount;
    ++t;
  }
  // Beyond the last tractate there is nothing to select.
  if (!TractateTable[t].Name) return;
  choice->Tractate = t;
  RebuildDigitModel(choice, nullptr);

  const int32_t sideCode = article + TractateTable[t].FirstSideOffset + 1;
  int32_t folio = sideCode / 2;
  if (folio >= 100) {
    SelectDigit(&choice->Lists[HundredsList], 1);
    RebuildDigitModel(choice, nullptr);
    folio -= 100;
  }
  if (folio >= 10) {
    SelectDigit(&choice->Lists[TensList], folio / 10);
    RebuildDigitModel(choice, nullptr);
    folio %= 10;
  }
  if (folio >= 1) {
    SelectDigit(&choice->Lists[UnitsList], folio);
    RebuildDigitModel(choice, nullptr);
  }
  SelectDigit(&choice->Lists[SideList], sideCode % 2);
}

int32_t ChosenArticle(const DafChoice& choice) {
  auto value = [&](int list) {
    const int32_t s = choice.Lists[list].Selection;
    return s < 0 ? 0 : s;
  };
  const int32_t c = value(SideList) + 2 * (value(UnitsList) + 10 * value(TensList) + 100 * value(HundredsList)) - 2;
  const bool chosen = choice.Tractate >= 0 && choice.Tractate < TractateCount;
  const int32_t first = chosen ? TractateTable[choice.Tractate].FirstSideOffset : 2;
  if (c < first) return 0;
  int32_t article = c + 1 - first;
  for (int32_t t = 0; chosen && t < choice.Tractate; ++t) article += TractateTable[t].SideCount;
  return article;
}
