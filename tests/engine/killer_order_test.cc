// Orders built by McIlroy's adversary against the line sort: the plain steps
// spend about n^2/4 comparisons on them, the guarded sort stays within a
// fixed multiple of n log2^2 n, counted in comparisons and tree steps, and
// both give the same order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/keyed_sort.h"
#include "engine/line_sort.h"
#include "engine/sort_adversary.h"
#include "engine/sort_parameters.h"
#include "engine/sort_selection.h"

namespace tarnel {
namespace {

TEST(KillerOrderTest, ReplayingTheOrderCostsWhatThePlayCost) {
  for (KillerKind kind : {KillerKind::kDistinct, KillerKind::kPairs}) {
    const KillerOrder order = PlayAgainstLineSort(3000, kind);
    std::vector<std::uint32_t> keys = order.keys;
    std::uint64_t comparisons = 0;
    LineSort(keys.data(), keys.size(),
             [&comparisons](std::uint32_t a, std::uint32_t b) {
               ++comparisons;
               return (a > b) - (a < b);
             });
    EXPECT_EQ(comparisons, order.comparisons);
    EXPECT_GT(comparisons, 3000u * 3000u / 5);
    // Dense keys: distinct ones are 0..n-1, pairs are 0..n/2-1 twice each.
    for (std::size_t i = 0; i < keys.size(); ++i) {
      ASSERT_EQ(keys[i], kind == KillerKind::kDistinct ? i : i / 2);
    }
  }
}

TEST(KillerOrderTest, SkippingPlayGivesThePlainPlaysOrder) {
  for (KillerKind kind : {KillerKind::kDistinct, KillerKind::kPairs}) {
    for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 16u,
                          31u, 100u, 999u, 20000u}) {
      const KillerOrder plain = PlayAgainstLineSort(n, kind);
      const KillerOrder skipping = PlayAgainstLineSortSkipping(n, kind);
      EXPECT_EQ(skipping.keys, plain.keys) << "n " << n;
      EXPECT_EQ(skipping.comparisons, plain.comparisons) << "n " << n;
    }
  }
}

// Room over what the guarded sort spends on these orders (about half of
// n log2^2 n); the plain steps spend twelve times the bound at 20,000 lines.
constexpr double kWorkFactor = 2.0;

std::vector<std::string> LinesOf(const std::vector<std::uint32_t>& keys,
                                 KillerKind kind) {
  std::vector<bool> seen(keys.size() + 1, false);
  std::vector<std::string> lines;
  for (std::uint32_t key : keys) {
    char text[32];
    if (kind == KillerKind::kDistinct) {
      std::snprintf(text, sizeof text, "%09u,x", key);
    } else {
      // The two lines of a key differ, and only as numbers are they equal.
      std::snprintf(text, sizeof text, seen[key] ? "%07u,b" : "%u,a", key);
    }
    seen[key] = true;
    lines.emplace_back(text);
  }
  return lines;
}

struct KillerCase {
  KillerKind kind;
  std::int32_t key_kind;
  std::int32_t key_pos;
  int mode;
};

TEST(KillerOrderTest, PlainStepsAreQuadraticAndTheGuardedSortIsNot) {
  const std::size_t n = 20000;
  const double log2n = std::log2(static_cast<double>(n));
  const double bound = kWorkFactor * static_cast<double>(n) * log2n * log2n;
  const KillerCase cases[] = {
      {KillerKind::kDistinct, kKeyColumn, 0, 0},             // whole line
      {KillerKind::kPairs, kKeyField | kKeyNumeric, 0, 0},   // -1nf
      {KillerKind::kPairs, kKeyColumn | kKeyNumeric, 0, 0},  // -1n
  };
  for (const KillerCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "KeyKind " << c.key_kind);
    std::vector<std::string> lines =
        LinesOf(PlayAgainstLineSortSkipping(n, c.kind).keys, c.kind);
    std::vector<char*> input;
    for (std::string& line : lines) input.push_back(line.data());
    const ComparatorRow row = SelectRow(c.key_pos, c.key_kind);

    SortSteps plain_steps;
    std::vector<char*> plain = input;
    ASSERT_TRUE(SortWithKeys(plain.data(), n, row, c.mode, c.key_pos, nullptr,
                             {SortGuard::kNever, &plain_steps}));
    EXPECT_GT(static_cast<double>(plain_steps.comparisons), 6 * bound);

    for (int budget : {SortGuard::kFromSize, 0}) {
      SCOPED_TRACE(testing::Message() << "budget " << budget);
      SortSteps keyed_steps;
      std::vector<char*> keyed = input;
      ASSERT_TRUE(SortWithKeys(keyed.data(), n, row, c.mode, c.key_pos, nullptr,
                               {budget, &keyed_steps}));
      EXPECT_EQ(keyed, plain);
      EXPECT_LE(
          static_cast<double>(keyed_steps.comparisons + keyed_steps.tree_steps),
          bound);
      EXPECT_GT(keyed_steps.tree_steps, 0u);

      SortSteps table_steps;
      std::vector<char*> table = input;
      SortWithComparators(table.data(), n, c.mode, c.key_pos, c.key_kind,
                          {budget, &table_steps});
      EXPECT_EQ(table, plain);
      EXPECT_LE(
          static_cast<double>(table_steps.comparisons + table_steps.tree_steps),
          bound);
    }
  }
}

}  // namespace
}  // namespace tarnel
