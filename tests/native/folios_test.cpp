// Choosing a page side by tractate and folio digits, and the update address.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "store/folios.h"
#include "store/tractates.h"
#include "store/updateaddress.h"

namespace {

int Sel(const DafChoice& c, int list) { return c.Lists[list].Selection; }

DafChoice Opened(int32_t article) {
  DafChoice c = EmptyDafChoice();
  SelectArticle(&c, article);
  return c;
}

// What a user does: pick an item of a list, then the dialog rebuilds.
void Pick(DafChoice* c, int list, int item) {
  SelectDigit(&c->Lists[list], item);
  RebuildDigitModel(c, nullptr);
}

void PickTractate(DafChoice* c, int t) {
  c->Tractate = t;
  RebuildDigitModel(c, nullptr);
}

TEST(ChooseDaf, EveryArticleOpensOnItselfAndItsRecord) {
  int32_t firstOfTractate = 1;
  for (int t = 0; t < TractateCount; ++t) {
    for (int32_t k = 0; k < TractateTable[t].SideCount; ++k) {
      const int32_t article = firstOfTractate + k;
      const DafChoice c = Opened(ArticleOfRecord(RecordOfArticle(article)));
      ASSERT_EQ(c.Tractate, t) << "article " << article;
      const int32_t sideCode = TractateTable[t].FirstSideOffset + 2 + k;
      const int32_t folio = sideCode / 2;
      EXPECT_EQ(std::max(Sel(c, HundredsList), 0) * 100 + std::max(Sel(c, TensList), 0) * 10 +
                    std::max(Sel(c, UnitsList), 0),
                folio)
          << "article " << article;
      EXPECT_EQ(Sel(c, SideList), sideCode % 2) << "article " << article;
      ASSERT_EQ(ChosenArticle(c), article) << "tractate " << t + 1 << " folio " << folio;
    }
    firstOfTractate += TractateTable[t].SideCount;
  }
  EXPECT_EQ(firstOfTractate - 1, ArticleCount);
  EXPECT_EQ(ArticleOfRecord(10716), ArticleCount) << "a commentary record opens on its article";
}

// The cases the exhaustive test below cannot tell apart from a wrong table.
TEST(ChooseDaf, OpeningCasesAndLostSelections) {
  DafChoice c = Opened(ArticleOfRecord(10715));
  EXPECT_EQ(c.Tractate, 37);
  EXPECT_EQ(c.Lists[HundredsList].Count, 0);
  EXPECT_EQ(Sel(c, TensList), 7);
  EXPECT_EQ(Sel(c, UnitsList), 3);
  EXPECT_EQ(c.Lists[SideList].Count, 1) << "73b does not exist";

  // A tractate below folio 100 empties the hundreds list; its selection is
  // lost: folio 122 of tractate 2 becomes 22a of tractate 1.
  c = Opened(1 + TractateTable[0].SideCount);
  Pick(&c, HundredsList, 1);
  Pick(&c, TensList, 2);
  PickTractate(&c, 0);
  EXPECT_EQ(c.Lists[HundredsList].Count, 0);
  EXPECT_EQ(Sel(c, HundredsList), -1);
  EXPECT_EQ(ChosenArticle(c), 2 * 22 - 4 + 1);

  // Tractate 36 begins at 25b.
  c = Opened(5191);
  EXPECT_EQ(c.Tractate, 35);
  Pick(&c, SideList, 0);
  EXPECT_EQ(ChosenArticle(c), 0) << "25a lies before the first page";
  Pick(&c, SideList, 1);
  EXPECT_EQ(ChosenArticle(c), 5191);

  // Beyond the corpus nothing is selected and nothing can be chosen.
  for (int32_t article : {0, ArticleCount + 1, 15001}) {
    c = Opened(article);
    EXPECT_EQ(c.Tractate, -1) << article;
    EXPECT_EQ(ChosenArticle(c), 0) << article;
  }
}

// Every state a user can reach by clicking, from the dialog opened on a
// tractate's first page: the choices are exactly the tractate's pages, and
// nothing past its last page.
TEST(ChooseDaf, ReachableChoicesAreExactlyTheTractatesPages) {
  auto key = [](const DafChoice& c) {
    std::string k(1, static_cast<char>(c.Tractate));
    for (const DigitList& l : c.Lists) {
      k += static_cast<char>(l.Count);
      k += static_cast<char>(l.Selection + 1);
    }
    return k;
  };
  int32_t first = 1;
  std::vector<int32_t> firstArticle;
  for (int t = 0; t < TractateCount; ++t) {
    firstArticle.push_back(first);
    first += TractateTable[t].SideCount;
  }
  for (int t = 0; t < TractateCount; ++t) {
    std::set<std::string> seen;
    std::set<int32_t> chosen;
    std::vector<DafChoice> todo = {Opened(firstArticle[t])};
    seen.insert(key(todo[0]));
    while (!todo.empty()) {
      const DafChoice c = todo.back();
      todo.pop_back();
      const int32_t a = ChosenArticle(c);
      if (a != 0) {
        ASSERT_GE(a, firstArticle[t]) << "tractate " << t + 1;
        ASSERT_LT(a, firstArticle[t] + TractateTable[t].SideCount) << "tractate " << t + 1;
        chosen.insert(a);
      }
      for (int list = 0; list < DigitListCount; ++list) {
        for (int item = 0; item < c.Lists[list].Count; ++item) {
          DafChoice next = c;
          Pick(&next, list, item);
          if (seen.insert(key(next)).second) todo.push_back(next);
        }
      }
    }
    EXPECT_EQ(static_cast<int32_t>(chosen.size()), TractateTable[t].SideCount) << "tractate " << t + 1;
  }
}

TEST(UpdateAddress, EncodesTheProductAndBuildsTheQuery) {
  const struct {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"Quillary/Orvane", u"Quillary/Orvane"},
      {u"a b&c", u"a+b%26c"},
      {u"v1.0_x~", u"v1.0%5Fx%7E"},
      {u"\u05D0\u00E9\n", u"%5D0%E9%0A"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    DisplayChar out[64];
    EXPECT_EQ(PercentEncode(out, 64, c.in), static_cast<int32_t>(std::u16string(c.out).size()));
    EXPECT_EQ(std::u16string(out), c.out);
  }
  // The address is built whole or not at all: a cut-off one is never handed on.
  DisplayChar address[UpdateAddressUnits];
  const std::u16string full = u"s/cgi-bin/upgrade?p=windows/a%26b&v=1";
  const int32_t room = static_cast<int32_t>(full.size()) + 1;
  EXPECT_EQ(BuildUpdateAddress(address, room, u"s", u"a&b", u"1"), room - 1);
  EXPECT_EQ(std::u16string(address), full);
  EXPECT_EQ(BuildUpdateAddress(address, room - 1, u"s", u"a&b", u"1"), -1);
  EXPECT_EQ(address[0], 0);
}

}  // namespace
