#include "compiler/kilometre_posts.h"

#include <gtest/gtest.h>

#include <array>

#include "compiler/runtime_failure.h"

namespace pack {
namespace {

struct Post {
  std::int32_t position, value, flag;
  bool operator==(const Post&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Post& p) {
  return out << "(" << p.position << ", " << p.value << ", " << p.flag << ")";
}

constexpr Post kNone{0, 0, 0};

// Rows 81, 82, 83 after ordering definitions read as "tre", "due" and "uno".
std::array<Post, 3> ordered(Post tre, Post due, Post uno) {
  Model model;
  auto put = [&](int row, Post p) {
    model.scenarioTable[row].numberA = p.position;
    model.scenarioTable[row].numberB = p.value;
    model.scenarioTable[row].numberC = p.flag;
  };
  put(kRowKilometreTre, tre);
  put(kRowKilometreDue, due);
  put(kRowKilometreUno, uno);
  progressive_ordina(model);
  auto get = [&](int row) {
    const ScenarioRecord& r = model.scenarioTable[row];
    return Post{r.numberA, r.numberB, r.numberC};
  };
  return {get(kRowKilometreTre), get(kRowKilometreDue), get(kRowKilometreUno)};
}

TEST(KilometrePosts, OrderedByPositionLargestFirst) {
  const Post t{300, 600, 0};
  const Post d{600, 300, 0};
  const Post u{0, 900, 0};
  struct Case {
    const char* what;
    Post tre, due, uno;
    std::array<Post, 3> rows;
  } cases[] = {
      {"t leads, d before u", {900, 1, 0}, {500, 2, 0}, {100, 3, 0}, {{{900, 1, 0}, {500, 2, 0}, {100, 3, 0}}}},
      {"t leads, u before d", {900, 1, 0}, {100, 2, 0}, {500, 3, 0}, {{{900, 1, 0}, {500, 3, 0}, {100, 2, 0}}}},
      {"t leads, tie: u first", {900, 1, 0}, {100, 2, 0}, {100, 3, 0}, {{{900, 1, 0}, {100, 3, 0}, {100, 2, 0}}}},
      {"d leads, t before u", t, d, u, {{d, t, u}}},
      {"d leads, u before t", {100, 1, 0}, {900, 2, 0}, {500, 3, 0}, {{{900, 2, 0}, {500, 3, 0}, {100, 1, 0}}}},
      {"d leads, tie: u first", {100, 1, 0}, {900, 2, 0}, {100, 3, 0}, {{{900, 2, 0}, {100, 3, 0}, {100, 1, 0}}}},
      {"u leads, t before d", {500, 1, 0}, {100, 2, 0}, {900, 3, 0}, {{{900, 3, 0}, {500, 1, 0}, {100, 2, 0}}}},
      {"u leads, d before t", {100, 1, 0}, {500, 2, 0}, {900, 3, 0}, {{{900, 3, 0}, {500, 2, 0}, {100, 1, 0}}}},
      {"u leads, tie: d first", {100, 1, 0}, {100, 2, 0}, {900, 3, 0}, {{{900, 3, 0}, {100, 2, 0}, {100, 1, 0}}}},
      {"two share the largest", kNone, {100, 500, 0}, {100, 900, 0}, {{kNone, kNone, kNone}}},
      {"all three share it", {100, 1, 0}, {100, 2, 0}, {100, 3, 0}, {{kNone, kNone, kNone}}},
      {"a negative position", {-100, 1, 0}, {50, 2, 0}, {0, 3, 0}, {{{50, 2, 0}, {0, 3, 0}, {-100, 1, 0}}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ordered(c.tre, c.due, c.uno), c.rows) << c.what;
  }
}

TEST(KilometrePosts, AllAtTheStartOrderedByValue) {
  struct Case {
    const char* what;
    Post tre, due, uno;
    std::array<Post, 3> rows;
  } cases[] = {
      {"u positive: u and t exchange", {0, 7, 0}, {0, 8, 0}, {0, 9, 0}, {{{0, 9, 0}, {0, 8, 0}, {0, 7, 0}}}},
      {"d positive: t and d exchange", {0, 7, 0}, {0, 8, 0}, {0, -9, 0}, {{{0, 8, 0}, {0, 7, 0}, {0, -9, 0}}}},
      {"only t positive: unchanged", {0, 7, 0}, {0, 0, 0}, {0, -9, 0}, {{{0, 7, 0}, {0, 0, 0}, {0, -9, 0}}}},
      {"none positive: all dropped", {0, -7, 0}, kNone, {0, 0, 1}, {{kNone, kNone, kNone}}},
      {"no definitions", kNone, kNone, kNone, {{kNone, kNone, kNone}}},
      {"u alone", kNone, kNone, {0, 925, 0}, {{{0, 925, 0}, kNone, kNone}}},
      // Only the sum is looked at: positions that cancel out count as all at the start.
      {"positions summing to 0", {-100, 1, 0}, {100, 2, 0}, kNone, {{{100, 2, 0}, {-100, 1, 0}, kNone}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ordered(c.tre, c.due, c.uno), c.rows) << c.what;
  }
}

TEST(KilometrePosts, FlagOneRaisesTheValueAfterOrdering) {
  // The stored route's only definition.
  EXPECT_EQ(ordered(kNone, kNone, {0, 160850, 1}), (std::array<Post, 3>{{{0, 160950, 1}, kNone, kNone}}));
  EXPECT_EQ(ordered({300, 1000, 1}, {600, 2000, 2}, {0, 3000, 1}),
            (std::array<Post, 3>{{{600, 2000, 2}, {300, 1100, 1}, {0, 3100, 1}}}));
  EXPECT_EQ(ordered({0, 500, -1}, kNone, kNone), (std::array<Post, 3>{{{0, 500, -1}, kNone, kNone}}));
}

TEST(KilometrePosts, OverflowIsARunTimeFailure) {
  EXPECT_THROW(ordered({2147483647, 1, 0}, {1, 2, 0}, kNone), RuntimeFailure);
  EXPECT_THROW(ordered({0, 2147483600, 1}, kNone, kNone), RuntimeFailure);
}

struct PostCase {
  std::int32_t position, value;
  bool onGrid;
};

TEST(KilometrePosts, KilometrePostsMustLieOnThe50MetreGrid) {
  const PostCase cases[] = {
      {0, 160950, true}, {-50, -100, true}, {25, 0, false}, {0, 160925, false}, {0, -25, false},
  };
  for (int row : {kRowKilometreTre, kRowKilometreDue, kRowKilometreUno}) {
    for (const PostCase& k : cases) {
      SCOPED_TRACE(testing::Message() << "row " << row << ": " << k.position << ", " << k.value);
      Model model;
      model.scenarioTable[static_cast<std::size_t>(row)].numberA = k.position;
      model.scenarioTable[static_cast<std::size_t>(row)].numberB = k.value;
      model.scenarioTable[static_cast<std::size_t>(row)].numberC = 7;  // the flag is not checked
      EXPECT_EQ(kilometrePostsOnGrid(model), k.onGrid);
    }
  }
}

}  // namespace
}  // namespace pack
