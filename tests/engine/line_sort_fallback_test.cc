// The line sort's skipping form and its guard against the plain steps: the
// tree's walks stop where a scan stops, and whatever the budget, thread
// count or memory, the order is the plain one.
#include "engine/line_sort_fallback.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "engine/line_sort.h"
#include "platform/memory.h"

namespace tarnel {
namespace {

TEST(RankTreeTest, WalksStopWhereAScanStops) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; ++trial) {
    const std::size_t n = 1 + rng() % 70;
    std::vector<RankTree::Node> model(n);
    std::vector<RankTree::Node> nodes(RankTree::NodesFor(n));
    RankTree tree(nodes.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
      const int r = static_cast<int>(rng() % 12);
      model[i] = rng() % 5
                     ? RankTree::Node{r, r}
                     : RankTree::Node{RankTree::kLowest, RankTree::kHighest};
      tree.SetLeaf(i, model[i].low, model[i].high);
    }
    tree.Build();
    for (int op = 0; op < 200; ++op) {
      std::size_t from = rng() % n;
      std::size_t to = rng() % n;
      if (from > to) std::swap(from, to);
      const int rank = static_cast<int>(rng() % 12);
      if (op % 3 == 0) {
        tree.Swap(from, to);
        std::swap(model[from], model[to]);
        continue;
      }
      std::size_t first = RankTree::kNone;
      for (std::size_t j = from; j <= to && first == RankTree::kNone; ++j) {
        if (model[j].high >= rank) first = j;
      }
      std::size_t last = RankTree::kNone;
      for (std::size_t j = to + 1; j-- > from && last == RankTree::kNone;) {
        if (model[j].low <= rank) last = j;
      }
      ASSERT_EQ(tree.FirstNotBelow(from, to, rank), first) << trial;
      ASSERT_EQ(tree.LastNotAbove(from, to, rank), last) << trial;
    }
  }
}

// Keys below 0 stand for elements without a key.
struct Item {
  int key;
  int id;
};

struct ItemCompare {
  bool descending;
  int operator()(const Item& a, const Item& b) const {
    if (a.key < 0 || b.key < 0) return 0;
    const int c = (a.key > b.key) - (a.key < b.key);
    return descending ? -c : c;
  }
  bool has_key(const Item& a) const { return a.key >= 0; }
};

// The same relation with no key test: it keeps the plain steps.
struct PlainCompare {
  ItemCompare compare;
  int operator()(const Item& a, const Item& b) const { return compare(a, b); }
};

std::vector<Item> TieHeavyItems(std::mt19937& rng, std::size_t n) {
  const std::size_t range = 1 + rng() % (n + 2);
  const std::size_t missing_in_8 = rng() % 9;  // 0: none, 8: every element
  std::vector<Item> items;
  for (std::size_t i = 0; i < n; ++i) {
    const bool missing = rng() % 8 < missing_in_8;
    items.push_back(
        {missing ? -1 : static_cast<int>(rng() % range), static_cast<int>(i)});
  }
  return items;
}

std::vector<int> Ids(const std::vector<Item>& items) {
  std::vector<int> ids;
  for (const Item& item : items) ids.push_back(item.id);
  return ids;
}

TEST(SkippingFormTest, GivesThePlainOrderOnTieHeavyKeys) {
  std::mt19937 rng(20240611);
  for (int trial = 0; trial < 6000; ++trial) {
    // Many tiny ranges: n == 2 and n == 3 end the plain step early.
    const std::size_t n = trial % 4 == 0 ? rng() % 7 : rng() % 200;
    const std::vector<Item> items = TieHeavyItems(rng, n);
    const ItemCompare compare{trial % 2 == 1};
    std::vector<Item> plain = items;
    LineSort(plain.data(), n, PlainCompare{compare});
    const int budget = trial % 3 == 0 ? 0 : static_cast<int>(rng() % 4);
    SortSteps steps;
    std::vector<Item> skipped = items;
    LineSort(skipped.data(), n, compare, {budget, &steps});
    ASSERT_EQ(Ids(skipped), Ids(plain)) << "trial " << trial << ", n " << n;
    if (budget == 0 && n >= 2) {
      ASSERT_EQ(steps.switched, n);
    }
  }
}

// Switched ranges inside the threads' shares switch where LineSort
// switches them, so the order is LineSort's for every budget.
TEST(SkippingFormTest, ThreadedSortGivesThePlainOrderForEveryBudget) {
  std::mt19937 rng(99);
  std::vector<Item> items;
  for (int i = 0; i < 200000; ++i) {
    items.push_back({rng() % 9 ? static_cast<int>(rng() % 5000) : -1, i});
  }
  std::vector<Item> plain = items;
  LineSort(plain.data(), plain.size(), PlainCompare{{false}});
  for (int budget : {SortGuard::kFromSize, 0, 1, 3, 8}) {
    SortSteps steps;
    std::vector<Item> threaded = items;
    ParallelLineSort(threaded.data(), threaded.size(), ItemCompare{false}, 3,
                     1000, {budget, &steps});
    EXPECT_EQ(Ids(threaded), Ids(plain)) << "budget " << budget;
    if (budget >= 0) {
      EXPECT_GT(steps.switches, 0u) << "budget " << budget;
    }
  }
}

TEST(SkippingFormTest, CompareWithoutKeyTestKeepsThePlainSteps) {
  std::mt19937 rng(5);
  const std::vector<Item> items = TieHeavyItems(rng, 5000);
  SortSteps plain_steps;
  std::vector<Item> plain = items;
  LineSort(plain.data(), plain.size(), PlainCompare{{false}},
           {SortGuard::kNever, &plain_steps});
  SortSteps steps;
  std::vector<Item> forced = items;
  LineSort(forced.data(), forced.size(), PlainCompare{{false}}, {0, &steps});
  EXPECT_EQ(Ids(forced), Ids(plain));
  EXPECT_EQ(steps.switches + steps.refused + steps.tree_steps, 0u);
  EXPECT_EQ(steps.comparisons, plain_steps.comparisons);
}

int refused_trees = 0;

bool RefuseTrees(AllocationSite site, std::size_t) {
  if (site != AllocationSite::kSortFallback) return true;
  ++refused_trees;
  return false;
}

TEST(SkippingFormTest, WithoutMemoryForTheTreeTheRangeKeepsThePlainSteps) {
  std::mt19937 rng(11);
  const std::vector<Item> items = TieHeavyItems(rng, 3000);
  SortSteps plain_steps;
  std::vector<Item> plain = items;
  LineSort(plain.data(), plain.size(), ItemCompare{false},
           {SortGuard::kNever, &plain_steps});

  refused_trees = 0;
  const AllocationFilter previous = SetAllocationFilter(RefuseTrees);
  SortSteps steps;
  std::vector<Item> refused = items;
  LineSort(refused.data(), refused.size(), ItemCompare{false}, {0, &steps});
  SetAllocationFilter(previous);

  EXPECT_EQ(Ids(refused), Ids(plain));
  // Asked once, then the range and everything in it stays plain.
  EXPECT_EQ(refused_trees, 1);
  EXPECT_EQ(steps.refused, 1u);
  EXPECT_EQ(steps.switches + steps.tree_steps, 0u);
  EXPECT_EQ(steps.comparisons, plain_steps.comparisons);
}

}  // namespace
}  // namespace tarnel
