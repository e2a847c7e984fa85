// Choosing a page side by tractate and Hebrew-numeral folio: the platform-free
// core of the Choose Daf dialog.
//
// The dialog's four digit lists (hundreds, tens, units, side) are modelled
// here by their item count and selection; the dialog reads its list boxes
// into a DafChoice, lets these functions decide, and brings the list boxes
// to the result with the same fills. A list box and its model behave alike:
// items that stay keep their selection, a deleted selected item leaves the
// list without one.
#pragma once
#include <cstdint>

enum DigitListIndex { HundredsList, TensList, UnitsList, SideList, DigitListCount };

struct DigitList {
  int32_t Count;
  int32_t Selection;  // -1: nothing selected
};

struct DafChoice {
  int32_t Tractate;  // index into TractateTable; -1: none selected
  DigitList Lists[DigitListCount];
};

// One fill of a digit list: bring it to the items 0..Max.
struct DigitFill {
  int32_t Max;
  bool KeepFirst;  // false with Max 0: the list ends empty
};

// Nothing selected and every digit list empty, as the dialog opens.
DafChoice EmptyDafChoice();

// FillDigitList on the model.
void FillDigitModel(DigitList* list, DigitFill fill);

// RebuildDigitLists: limits the digit and side lists to the folios of the
// chosen tractate, one list after the other, each list's limit depending on
// the selections left in the lists before it. fills (may be null) receives
// the fill applied to each list, in list order. Returns false (and changes
// nothing) without a tractate.
bool RebuildDigitModel(DafChoice* choice, DigitFill fills[DigitListCount]);

// Selects item index of a list; an index the list does not hold leaves it
// without a selection.
void SelectDigit(DigitList* list, int32_t index);

// The initial selection: tractate, digits and side of article (1..5358),
// rebuilding the lists after each step as the dialog does. An article of 0
// or beyond the corpus selects nothing.
void SelectArticle(DafChoice* choice, int32_t article);

// ReadSelection: the article of the choice, or 0 while it lies before the
// tractate's first page.
int32_t ChosenArticle(const DafChoice& choice);

// Article n <-> main-text record 2n - 1 (commentary 2n).
constexpr int32_t RecordOfArticle(int32_t article) { return 2 * article - 1; }
constexpr int32_t ArticleOfRecord(int32_t record) { return (record + 1) / 2; }
