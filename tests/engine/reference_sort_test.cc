// A plain reference of the line sort, written straight from its steps with
// positions and the table's comparators, and checked against the engine's
// sort (precomputed keys, sides sorted on threads) on inputs full of ties.
// Any difference in the order of equal lines shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/comparators.h"
#include "engine/radix_sort.h"
#include "engine/run_sort.h"
#include "engine/sort_selection.h"
#include "platform/ascii_fold.h"
#include "tests/engine/tie_heavy.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

int Compare(LineComparator cmp, std::vector<char*>& v, std::size_t x,
            std::size_t y) {
  return cmp(&v[x], &v[y]);
}

void Swap(std::vector<char*>& v, std::size_t x, std::size_t y) {
  std::swap(v[x], v[y]);
}

void ReferenceSort(std::vector<char*>& v, std::size_t lo, std::size_t n,
                   LineComparator cmp) {
  for (;;) {
    if (n <= 1) return;
    if (n == 2) {
      if (Compare(cmp, v, lo, lo + 1) > 0) Swap(v, lo, lo + 1);
      return;
    }
    std::size_t hi = lo + n - 1;
    const std::size_t mid = lo + n / 2;
    if (Compare(cmp, v, mid, hi) > 0) Swap(v, mid, hi);
    if (Compare(cmp, v, mid, lo) > 0) {
      Swap(v, mid, lo);
    } else if (Compare(cmp, v, lo, hi) > 0) {
      Swap(v, lo, hi);
    }
    if (n == 3) {
      Swap(v, lo, mid);
      return;
    }
    std::size_t eq = lo + 1;
    std::size_t i = lo + 1;
    for (;;) {
      const int r = Compare(cmp, v, i, lo);
      if (r <= 0) {
        if (r == 0) Swap(v, i, eq++);
        if (i >= hi) break;
        ++i;
        continue;
      }
      while (i < hi) {
        const int r2 = Compare(cmp, v, lo, hi);
        if (r2 < 0) {
          --hi;
          continue;
        }
        Swap(v, i, hi);
        if (r2 != 0) {
          ++i;
          --hi;
        }
        break;
      }
      if (!(hi > i)) break;
    }
    if (Compare(cmp, v, i, lo) <= 0) ++i;
    std::size_t p = lo;
    std::size_t q = i - 1;
    while (p < eq && q >= eq) Swap(v, p++, q--);
    const std::size_t n_left = i - eq;
    const std::size_t n_right = lo + n - i;
    if (n_left > n_right) {
      ReferenceSort(v, i, n_right, cmp);
      n = n_left;
    } else {
      ReferenceSort(v, lo, n_left, cmp);
      lo = i;
      n = n_right;
    }
  }
}

// The inputs every suite here is run on: lines rich in ties, and lines that
// share long prefixes and differ only in case.
// The lines of |input| in the reference's order for |row| and |mode|.
std::vector<char*> ReferenceOrder(std::vector<char*> input, ComparatorRow row,
                                  int mode, std::int32_t key_pos) {
  KeyIndex = key_pos;
  ReferenceSort(input, 0, input.size(), ComparatorTable[row][mode]);
  return input;
}

// Each line's bytes, in place, and the text of them all with LF endings.
std::vector<char*> Pointers(std::vector<std::string>& lines) {
  std::vector<char*> pointers;
  for (std::string& line : lines) pointers.push_back(line.data());
  return pointers;
}

std::string TextOf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct Shape {
  const char* name;
  std::vector<std::string> (*lines)(std::mt19937&, std::size_t);
};
constexpr Shape kShapes[] = {{"tie-heavy", TieHeavy},
                             {"shared prefixes", SharedPrefixes}};

TEST(ReferenceSortTest, EngineSortGivesTheReferenceOrderForEveryRowAndMode) {
  std::mt19937 rng(4242);
  for (const Shape& shape : kShapes)
    for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 17u, 300u, 50000u}) {
      SCOPED_TRACE(shape.name);
      std::vector<std::string> lines = shape.lines(rng, n);
      const std::vector<char*> input = Pointers(lines);
      for (std::int32_t kind : {1, 2, 5, 6}) {
        for (std::int32_t pos : {0, 1, 2, 7, -1}) {
          for (int mode = 0; mode < kBaseModes; ++mode) {
            std::vector<char*> engine = input;
            SelectComparator(engine.data(), engine.size(), mode, pos, kind);
            ASSERT_EQ(engine,
                      ReferenceOrder(input, SelectRow(pos, kind), mode, pos))
                << "n " << n << ", KeyKind " << kind << ", KeyPos " << pos
                << ", mode " << mode;
          }
        }
      }
    }
}

// Whether two lines differ only in the case of A to Z.
bool HasCaseTwins(const std::vector<std::string>& lines) {
  std::map<std::string, std::string> seen;
  for (const std::string& line : lines) {
    const auto [it, inserted] = seen.emplace(FoldedCopy(line), line);
    if (!inserted && it->second != line) return true;
  }
  return false;
}

// The radix sort serves the whole line: where it sorts, its lines must be
// the reference's, byte for byte; these inputs hold case twins ("a" and
// "A"), so with the case ignored its check must refuse wherever a pair of
// them turns up, and the run then takes the line sort.
TEST(ReferenceSortTest, RadixSortGivesTheReferenceBytesOrRefusesOnCaseTwins) {
  std::mt19937 rng(777);
  for (const Shape& shape : kShapes)
    for (std::size_t n : {2u, 17u, 300u, 50000u}) {
      SCOPED_TRACE(shape.name);
      std::vector<std::string> lines = shape.lines(rng, n);
      const std::string text = TextOf(lines);
      const std::vector<char*> input = Pointers(lines);
      for (int mode = 0; mode < kBaseModes; ++mode) {
        const std::vector<char*> reference =
            ReferenceOrder(input, kWholeLineText, mode, 0);
        const std::vector<std::string> expected(reference.begin(),
                                                reference.end());
        const bool fold = IgnoresCase(mode);
        RadixTable table;
        ASSERT_TRUE(BuildRadixTable(text.c_str(), fold, true,
                                    AllocationSite::kSortKeys, &table));
        const bool sorted = SortRadixTable(text.c_str(), table, fold, true);
        EXPECT_EQ(sorted, !(fold && HasCaseTwins(lines)))
            << "n " << n << ", mode " << mode;
        if (!sorted) continue;
        std::vector<std::string> got;
        for (std::size_t i = 0; i < table.count; ++i) {
          const char* line = RadixLine(text.c_str(), table.items[i]);
          got.emplace_back(line, LineContentEnd(line));
        }
        if (IsDescending(mode)) std::reverse(got.begin(), got.end());
        ASSERT_EQ(got, expected) << "n " << n << ", mode " << mode;
      }
    }
}

// The whole run, radix sort or its refusal and the line sort, against the
// reference, for every mode, with repeats kept and dropped.
TEST(ReferenceSortTest, WholeLineRunsGiveTheReferenceBytes) {
  std::mt19937 rng(31337);
  testing_support::TempDir folder;
  for (const Shape& shape : kShapes)
    for (std::size_t n : {5u, 40000u}) {
      SCOPED_TRACE(shape.name);
      std::vector<std::string> lines = shape.lines(rng, n);
      const std::string in = folder.Write("in.txt", TextOf(lines));
      const std::vector<char*> input = Pointers(lines);
      for (int mode = 0; mode < kBaseModes; ++mode) {
        const std::vector<char*> reference =
            ReferenceOrder(input, kWholeLineText, mode, 0);
        for (const bool unique : {false, true}) {
          // In the C locale the suites run in, lines repeat when their bytes
          // are the same, or the same with A to Z folded when case is ignored.
          auto same = [mode](const std::string& a, const std::string& b) {
            return IgnoresCase(mode) ? FoldedCopy(a) == FoldedCopy(b) : a == b;
          };
          std::string expected;
          for (std::size_t i = 0; i < reference.size(); ++i) {
            if (unique && i > 0 && same(reference[i], reference[i - 1])) {
              continue;
            }
            expected += std::string(reference[i]) + "\r\n";
          }
          const std::string out = folder / "out.txt";
          RunSort(nullptr, mode | (unique ? kSortUnique : 0), in.c_str(),
                  out.c_str(), 0, kKeyColumn, 1);
          EXPECT_EQ(LastResult, 0);
          ASSERT_EQ(folder.Read("out.txt"), expected)
              << "n " << n << ", mode " << mode << (unique ? ", unique" : "");
        }
      }
    }
}

}  // namespace
}  // namespace tarnel
