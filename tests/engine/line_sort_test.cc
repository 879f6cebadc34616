#include "engine/line_sort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnel {
namespace {

struct Tagged {
  int key;
  char tag;
};

std::string SortTags(std::vector<Tagged> items) {
  LineSort(items.data(), items.size(), [](const Tagged& a, const Tagged& b) {
    return a.key - b.key;
  });
  std::string tags;
  for (const Tagged& t : items) tags += t.tag;
  return tags;
}

TEST(LineSortTest, AllEqualKeepOrderExceptThree) {
  EXPECT_EQ(SortTags({{0, 'a'}, {0, 'b'}}), "ab");
  EXPECT_EQ(SortTags({{0, 'a'}, {0, 'b'}, {0, 'c'}}), "bac");
  EXPECT_EQ(SortTags({{0, 'a'}, {0, 'b'}, {0, 'c'}, {0, 'd'}}), "abcd");
}

}  // namespace
}  // namespace tarnel
