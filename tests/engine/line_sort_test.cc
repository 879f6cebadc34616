#include "engine/line_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace tarnel {
namespace {

struct Tagged {
  int key;
  char tag;
};

std::string SortTags(std::vector<Tagged> items) {
  LineSort(items.data(), items.size(),
           [](const Tagged& a, const Tagged& b) { return a.key - b.key; });
  std::string tags;
  for (const Tagged& t : items) tags += t.tag;
  return tags;
}

std::vector<Tagged> TaggedKeys(const std::vector<int>& keys) {
  std::vector<Tagged> items;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    items.push_back({keys[i], static_cast<char>('a' + i)});
  }
  return items;
}

TEST(LineSortTest, AllEqualKeepOrderExceptThree) {
  EXPECT_EQ(SortTags({{0, 'a'}, {0, 'b'}}), "ab");
  EXPECT_EQ(SortTags({{0, 'a'}, {0, 'b'}, {0, 'c'}}), "bac");
  EXPECT_EQ(SortTags({{0, 'a'}, {0, 'b'}, {0, 'c'}, {0, 'd'}}), "abcd");
}

// Lines that compare equal to everything (a key beyond every line) come out
// in this order, so it is what users see for every size.
TEST(LineSortTest, AllEqualOfEverySizeKeepOrderOnlyThreeIsRotated) {
  for (std::size_t n = 0; n <= 26; ++n) {
    SCOPED_TRACE(n);
    const std::vector<Tagged> items = TaggedKeys(std::vector<int>(n, 7));
    std::string expected;
    for (const Tagged& t : items) expected += t.tag;
    if (n == 3) expected = "bac";
    EXPECT_EQ(SortTags(items), expected);
  }
}

TEST(LineSortTest, TwoElementsSwapOnlyWhenFirstIsGreater) {
  EXPECT_EQ(SortTags(TaggedKeys({2, 1})), "ba");
  EXPECT_EQ(SortTags(TaggedKeys({1, 2})), "ab");
  EXPECT_EQ(SortTags(TaggedKeys({1, 1})), "ab");
}

// Traced by hand through the median-of-three, partition and pivot-run steps.
TEST(LineSortTest, EqualKeysComeOutInTheProcedureOrder) {
  struct Case {
    std::vector<int> keys;
    std::string expected;
  };
  const Case cases[] = {
      {{3, 1, 3, 2, 3, 1, 2, 3}, "bfgdheca"},
      {{2, 1, 2, 1}, "bdca"},  // B a b A ignoring case: a A b B
      {{1, 0, 3, 2}, "badc"},  // distinct keys
      {{2, 2, 1}, "cab"},
      {{1, 2, 2}, "abc"},
      {{2, 1, 1}, "bca"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(SortTags(TaggedKeys(c.keys)), c.expected);
  }
}

TEST(LineSortTest, EmptyAndSingleElementAreLeftAlone) {
  EXPECT_EQ(SortTags({}), "");
  EXPECT_EQ(SortTags({{5, 'x'}}), "x");
  // A null table with no elements is never touched.
  LineSort(static_cast<int*>(nullptr), 0, [](int, int) { return 0; });
}

struct Item {
  int key;
  int id;
};

void ExpectSortedPermutation(const std::vector<Item>& before,
                             const std::vector<Item>& after) {
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 1; i < after.size(); ++i) {
    ASSERT_LE(after[i - 1].key, after[i].key) << "at " << i;
  }
  std::vector<int> ids_before, ids_after;
  for (const Item& item : before) ids_before.push_back(item.id);
  for (const Item& item : after) ids_after.push_back(item.id);
  std::sort(ids_before.begin(), ids_before.end());
  std::sort(ids_after.begin(), ids_after.end());
  ASSERT_EQ(ids_before, ids_after);
  // Every id still carries its own key.
  for (const Item& item : after)
    ASSERT_EQ(item.key, before[static_cast<std::size_t>(item.id)].key);
}

TEST(LineSortTest, RandomInputsComeOutSortedAndWhole) {
  std::mt19937 rng(20240611);
  for (int trial = 0; trial < 3000; ++trial) {
    const std::size_t n = rng() % 120;
    const int range = 1 + static_cast<int>(rng() % (n + 2));
    std::vector<Item> items;
    for (std::size_t i = 0; i < n; ++i) {
      items.push_back({static_cast<int>(rng() % static_cast<unsigned>(range)),
                       static_cast<int>(i)});
    }
    std::vector<Item> sorted = items;
    LineSort(sorted.data(), sorted.size(),
             [](const Item& a, const Item& b) { return a.key - b.key; });
    SCOPED_TRACE(trial);
    ExpectSortedPermutation(items, sorted);
    if (HasFatalFailure()) return;
  }
}

TEST(LineSortTest, PatternedLargeInputsComeOutSorted) {
  const std::size_t n = 100000;
  std::vector<std::vector<int>> patterns(5, std::vector<int>(n));
  for (std::size_t i = 0; i < n; ++i) {
    const int k = static_cast<int>(i);
    patterns[0][i] = k;                        // ascending
    patterns[1][i] = static_cast<int>(n) - k;  // descending
    patterns[2][i] = k < static_cast<int>(n / 2)
                         ? k
                         : static_cast<int>(n) - k;  // organ pipe
    patterns[3][i] = k % 2;                          // two values
    patterns[4][i] = (k * 7919) % 1000;              // many repeats
  }
  for (std::size_t p = 0; p < patterns.size(); ++p) {
    SCOPED_TRACE(p);
    std::vector<Item> items;
    for (std::size_t i = 0; i < n; ++i) {
      items.push_back({patterns[p][i], static_cast<int>(i)});
    }
    std::vector<Item> sorted = items;
    LineSort(sorted.data(), sorted.size(),
             [](const Item& a, const Item& b) { return a.key - b.key; });
    ExpectSortedPermutation(items, sorted);
  }
}

// The engine compares precomputed keys that only agree with the line
// comparators in sign; the magnitude must not change the order.
TEST(LineSortTest, OnlyTheSignOfAComparisonDecidesTheOrder) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 500; ++trial) {
    const std::size_t n = rng() % 60;
    std::vector<Item> items;
    for (std::size_t i = 0; i < n; ++i) {
      items.push_back({static_cast<int>(rng() % 9), static_cast<int>(i)});
    }
    std::vector<Item> by_difference = items;
    std::vector<Item> by_sign = items;
    LineSort(by_difference.data(), n, [](const Item& a, const Item& b) {
      return (a.key - b.key) * 1000;
    });
    LineSort(by_sign.data(), n, [](const Item& a, const Item& b) {
      return (a.key > b.key) - (a.key < b.key);
    });
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_EQ(by_difference[i].id, by_sign[i].id) << "trial " << trial;
    }
  }
}

}  // namespace
}  // namespace tarnel
