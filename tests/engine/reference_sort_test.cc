// A plain reference of the line sort, written straight from its steps with
// positions and the table's comparators, and checked against the engine's
// sort (precomputed keys, sides sorted on threads) on inputs full of ties.
// Any difference in the order of equal lines shows up here.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/comparators.h"
#include "engine/sort_selection.h"

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

// Short lines, missing and equal fields, case twins, numbers with and
// without quotes and signs, long shared prefixes and bytes above 127.
std::vector<std::string> TieHeavy(std::mt19937& rng, std::size_t n) {
  static const char* const kPieces[] = {"",
                                        "a",
                                        "A",
                                        "b",
                                        "B",
                                        "ab",
                                        "aB",
                                        "_",
                                        "\xe6\x9d\xb1",
                                        "\x82\xa0",
                                        "1",
                                        "01",
                                        "-0",
                                        "+7",
                                        " 42",
                                        "\"3",
                                        "99999999999999999999",
                                        "-5x",
                                        "sameprefix-sameprefix-"};
  std::vector<std::string> lines(n);
  for (std::string& line : lines) {
    const int fields = static_cast<int>(rng() % 4);
    line = kPieces[rng() % std::size(kPieces)];
    for (int f = 0; f < fields; ++f) {
      line += ',';
      line += kPieces[rng() % std::size(kPieces)];
    }
  }
  return lines;
}

TEST(ReferenceSortTest, EngineSortGivesTheReferenceOrderForEveryRowAndMode) {
  std::mt19937 rng(4242);
  for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 17u, 300u, 50000u}) {
    std::vector<std::string> lines = TieHeavy(rng, n);
    std::vector<char*> input;
    for (std::string& line : lines) input.push_back(line.data());
    for (std::int32_t kind : {1, 2, 5, 6}) {
      for (std::int32_t pos : {0, 1, 2, 7, -1}) {
        for (int mode = 0; mode < kBaseModes; ++mode) {
          std::vector<char*> engine = input;
          SelectComparator(engine.data(), engine.size(), mode, pos, kind);
          const ComparatorRow row = SelectRow(pos, kind);
          std::vector<char*> reference = input;
          KeyIndex = pos;
          ReferenceSort(reference, 0, reference.size(),
                        ComparatorTable[row][mode]);
          ASSERT_EQ(engine, reference)
              << "n " << n << ", KeyKind " << kind << ", KeyPos " << pos
              << ", mode " << mode;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarnel
