// Reading places: the Back/Forward history as a table of steps, stored
// bookmark values (good and each kind of damage), and the zoom's size steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "store/places.h"
#include "store/records.h"

namespace {

Place At(int32_t lesson, uint16_t main = 0) { return Place{lesson, {main, 0}, {0, 0}, 0}; }

TEST(Places, HistoryStepsLikeABrowser) {
  // Each step: what happens at the current place, and the article the
  // reader is at afterwards (a failed Back or Forward stays).
  enum Op { Jump, Back, Forward };
  struct Step { Op op; int32_t to; bool moves; int32_t at; int32_t back, forward; };
  const Step steps[] = {
      {Back, 0, false, 1, 0, 0},     // nowhere to go
      {Jump, 1, true, 1, 0, 0},      // to where the reader is: nothing recorded
      {Jump, 5, true, 5, 1, 0},
      {Jump, 9, true, 9, 2, 0},
      {Back, 0, true, 5, 1, 1},
      {Back, 0, true, 1, 0, 2},
      {Back, 0, false, 1, 0, 2},
      {Forward, 0, true, 5, 1, 1},
      {Jump, 13, true, 13, 2, 0},    // a new jump drops the Forward places
      {Forward, 0, false, 13, 2, 0},
      {Back, 0, true, 5, 1, 1},
  };
  PlaceHistory history{};
  Place here = At(1);
  for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
    const Step& s = steps[i];
    Place target{};
    bool moved = true;
    if (s.op == Jump) {
      target = At(s.to);
      RecordJump(&history, here, target);
    } else {
      moved = s.op == Back ? StepBack(&history, here, &target) : StepForward(&history, here, &target);
    }
    if (moved) here = target;
    EXPECT_EQ(moved, s.moves) << "step " << i;
    EXPECT_EQ(here.Lesson, s.at) << "step " << i;
    EXPECT_EQ(history.BackCount, s.back) << "step " << i;
    EXPECT_EQ(history.ForwardCount, s.forward) << "step " << i;
  }
  // The same article elsewhere in it is another place; 100 places at most.
  history = PlaceHistory{};
  for (int32_t i = 0; i < 150; ++i) RecordJump(&history, At(1, static_cast<uint16_t>(i)), At(1, 999));
  EXPECT_EQ(history.BackCount, MaxHistoryPlaces);
  EXPECT_EQ(history.Back[0].Main.Offset, 50) << "the oldest dropped out";
  Place target{};
  ASSERT_TRUE(StepBack(&history, At(1, 999), &target));
  EXPECT_EQ(target.Main.Offset, 149);
}

std::vector<unsigned char> Stored(int32_t lesson, uint16_t main, uint16_t mainFlag, const std::u16string& name,
                                  bool terminated = true) {
  std::vector<unsigned char> v = {static_cast<unsigned char>(lesson), static_cast<unsigned char>(lesson >> 8),
                                  static_cast<unsigned char>(main), static_cast<unsigned char>(main >> 8),
                                  static_cast<unsigned char>(mainFlag), 0, 7, 0, 1, 0};
  for (char16_t c : name) v.insert(v.end(), {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8)});
  if (terminated) v.insert(v.end(), {0, 0});
  return v;
}

TEST(Places, StoredBookmarkValues) {
  const std::u16string name = u"\u05D1\u05E8\u05DB\u05D5\u05EA \u05D1";
  const struct { uint32_t type; std::vector<unsigned char> bytes; bool good; const char* what; } cases[] = {
      {3, Stored(7, 300, 0, name), true, "a good value"},
      {3, Stored(RecordCount - 1, 0, 1, std::u16string(63, u'x')), true, "the last article, 63 units"},
      {1, Stored(7, 300, 0, name), false, "a string, not binary"},
      {4, std::vector<unsigned char>(4, 7), false, "a number"},
      {3, {}, false, "empty"},
      {3, Stored(7, 0, 0, u"", false), false, "no name at all"},
      {3, Stored(7, 0, 0, name, false), false, "a name without terminator"},
      {3, Stored(7, 0, 0, std::u16string(64, u'x')), false, "a name over 63 units"},
      {3, Stored(7, 0, 0, std::u16string(u"a\0b", 3)), false, "a terminator inside the name"},
      {3, Stored(RecordCount + 1, 0, 0, name), false, "a Lesson beyond the corpus"},
      {3, Stored(0, 0, 0, name), false, "Lesson 0"},
      {3, Stored(8, 0, 0, name), false, "a commentary record"},
      {3, Stored(7, 0, 2, name), false, "a blank-row flag that is neither 0 nor 1"},
      {3, std::vector<unsigned char>(100000, 1), false, "100,000 bytes"},
  };
  for (const auto& c : cases) {
    Bookmark mark{};
    EXPECT_EQ(ReadBookmark(c.type, c.bytes.data(), c.bytes.size(), RecordCount, &mark), c.good) << c.what;
    if (!c.good) continue;
    // What is read is written back byte for byte.
    std::vector<unsigned char> again(StoreBookmark(mark, nullptr));
    StoreBookmark(mark, again.data());
    EXPECT_EQ(again, c.bytes) << c.what;
  }
  // A corpus with fewer articles keeps only the bookmarks it has.
  const auto late = Stored(2001, 0, 0, name);
  Bookmark mark{};
  EXPECT_FALSE(ReadBookmark(3, late.data(), late.size(), 2000, &mark));
  EXPECT_TRUE(ReadBookmark(3, late.data(), late.size(), 2002, &mark));
}

TEST(Places, BookmarkListAndNames) {
  static BookmarkList list;
  list.Count = 0;
  Bookmark a{At(1), u"a"}, b{At(3), u"b"};
  EXPECT_TRUE(AddBookmark(&list, a));
  EXPECT_TRUE(AddBookmark(&list, b));
  EXPECT_FALSE(AddBookmark(&list, Bookmark{At(1), u"again"})) << "a place already bookmarked";
  EXPECT_EQ(std::u16string(list.Items[0].Name), u"b") << "newest first";
  EXPECT_TRUE(MoveBookmark(&list, 0, 1));
  EXPECT_FALSE(MoveBookmark(&list, 1, 1));
  EXPECT_EQ(std::u16string(list.Items[0].Name), u"a");
  EXPECT_FALSE(RenameBookmark(&list, 0, u""));
  EXPECT_TRUE(RenameBookmark(&list, 0, std::u16string(80, u'n').c_str()));
  EXPECT_EQ(std::u16string(list.Items[0].Name).size(), 63u);
  DeleteBookmark(&list, 0);
  EXPECT_EQ(list.Count, 1);
  EXPECT_EQ(std::u16string(list.Items[0].Name), u"b");

  // The first side of the first tractate, and one past the table.
  DisplayChar name[MaxBookmarkNameUnits + 1];
  PlaceName(1, name);
  EXPECT_GT(std::u16string(name).size(), 5u);
  EXPECT_EQ(name[std::u16string(name).size() - 1], u'\u05D0') << "side a";
  EXPECT_NE(std::u16string(name).find(u" \u05D1 "), std::u16string::npos) << "folio 2 as a numeral";
  PlaceName(RecordCount + 1, name);
  EXPECT_EQ(name[0], 0);
}

// Saving a changed list, cut short at every step in turn: a reader finds the
// whole old list or the whole new one, and the next save, run through from
// there, leaves exactly the new list as values 0, 1, ... A letter names a
// bookmark at a place of its own ('B' is 'b' renamed, '?' a damaged value);
// the last row is a full list, one deleted and one added.
TEST(Places, BookmarkSavesCutShortLeaveOneWholeList) {
  struct Store { std::map<int32_t, std::vector<unsigned char>> values; int operations = 0, failAt = 0; };
  auto read = [](void* c, int32_t i, unsigned char* bytes, size_t* size, uint32_t* type) {
    auto& v = static_cast<Store*>(c)->values;
    *type = BookmarkValueType;
    const bool fits = v.count(i) && bytes && v[i].size() <= *size;
    if (fits) std::copy(v[i].begin(), v[i].end(), bytes);
    *size = fits ? v[i].size() : 0;
    return v.count(i) > 0;
  };
  auto write = [](void* c, int32_t i, const unsigned char* bytes, size_t size) {
    auto* s = static_cast<Store*>(c);
    if (s->operations++ >= s->failAt) return false;
    s->values[i].assign(bytes, bytes + size);
    return true;
  };
  auto remove = [](void* c, int32_t i) {
    auto* s = static_cast<Store*>(c);
    return s->operations++ < s->failAt && s->values.erase(i) < 2;
  };
  auto load = [&](Store& store) {
    static BookmarkList loaded;
    ReadBookmarkValues(&loaded, RecordCount, BookmarkValues{&store, read, write, remove});
    std::u16string names;
    for (int32_t i = 0; i < loaded.Count; ++i) names += loaded.Items[i].Name;
    return names;
  };
  auto mark = [](char16_t name) { return Bookmark{At(2 * (name | 0x20) - 193), {name}}; };
  std::u16string full, changed;
  for (int i = 0; i < MaxBookmarks; ++i) full += char16_t(0x400 + i / 32 * 64 + i % 32);
  (changed = full).erase(500, 1).insert(0, 1, u'y');
  const struct { std::u16string before, after; } cases[] = {
      {u"abc", u"dabc"}, {u"abc", u"ac"}, {u"abc", u"bac"}, {u"abc", u"aBc"}, {u"a", u""}, {u"a?bc", u"abc"},
      {full, changed},  // cut short at 0, 1, 2, 999 and then at every 997th step
  };
  for (const auto& k : cases) {
    static BookmarkList list;
    list.Count = 0;
    for (char16_t n : k.after) list.Items[list.Count++] = mark(n);
    Store first;  // as older versions store a list
    for (char16_t n : k.before) {
      std::vector<unsigned char> v(StoreBookmark(mark(n), nullptr), 0);
      if (n != u'?') StoreBookmark(mark(n), v.data());
      first.values[int32_t(first.values.size())] = v;
    }
    const std::u16string old = load(first);
    for (int failAt = 0, done = 0; !done; failAt += failAt > 1 && k.before.size() > 100 ? 997 : 1) {
      Store store = first;
      store.failAt = failAt;
      done = WriteBookmarkValues(&list, BookmarkValues{&store, read, write, remove});
      const std::u16string cut = load(store);
      EXPECT_TRUE(cut == old || cut == k.after) << k.after.size() << " " << failAt;
      store.failAt = INT32_MAX;
      EXPECT_TRUE(WriteBookmarkValues(&list, BookmarkValues{&store, read, write, remove}));
      EXPECT_EQ(load(store), k.after) << failAt;
      EXPECT_EQ(store.values.size(), k.after.size()) << failAt;
    }
  }
}

TEST(Places, ZoomSteps) {
  const struct { int32_t size, direction, expected; } cases[] = {
      {12, 1, 14}, {12, -1, 11}, {13, 1, 14}, {13, -1, 12}, {0, 1, 14}, {0, -1, 11},
      {72, 1, 72}, {80, 1, 80}, {80, -1, 72}, {10, -1, 10}, {8, -1, 8}, {8, 1, 10}, {40, 1, 52},
  };
  for (const auto& c : cases) EXPECT_EQ(ZoomedFontSize(c.size, c.direction), c.expected) << c.size << " " << c.direction;
}

}  // namespace
