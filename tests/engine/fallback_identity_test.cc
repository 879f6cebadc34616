// The worst-case fallback forced on every range must give the plain order
// byte for byte, on the reference sort test's tie-heavy inputs: every row,
// every mode, key positions at, inside and beyond the lines and -1, lines too
// short and fields missing; through the keyed sort (on threads too) and
// through the comparator table.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/comparators.h"
#include "engine/keyed_sort.h"
#include "engine/sort_parameters.h"
#include "engine/sort_selection.h"
#include "tests/engine/tie_heavy.h"

namespace tarnel {
namespace {

constexpr SortGuard kPlain{SortGuard::kNever};

TEST(FallbackIdentityTest, ForcedEverywhereGivesThePlainOrderForEveryRow) {
  std::mt19937 rng(4242);
  int switched_sorts = 0;
  for (std::size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 17u, 300u, 50000u}) {
    std::vector<std::string> lines = TieHeavy(rng, n);
    std::vector<char*> input;
    for (std::string& line : lines) input.push_back(line.data());
    for (std::int32_t kind : {1, 2, 5, 6}) {
      for (std::int32_t pos : {0, 1, 2, 7, 40, -1}) {
        const ComparatorRow row = SelectRow(pos, kind);
        for (int mode = 0; mode < kBaseModes; ++mode) {
          SCOPED_TRACE(testing::Message()
                       << "n " << n << ", KeyKind " << kind << ", KeyPos "
                       << pos << ", mode " << mode);
          std::vector<char*> plain = input;
          SortWithComparators(plain.data(), n, mode, pos, kind, kPlain);

          SortSteps table_steps;
          std::vector<char*> table = input;
          SortWithComparators(table.data(), n, mode, pos, kind,
                              {0, &table_steps});
          ASSERT_EQ(table, plain);

          SortSteps keyed_steps;
          std::vector<char*> keyed = input;
          ASSERT_TRUE(SortWithKeys(keyed.data(), n, row, mode, pos, nullptr,
                                   {0, &keyed_steps}));
          ASSERT_EQ(keyed, plain);

          if (n >= 2) {
            ASSERT_EQ(table_steps.switched, n);
            ASSERT_EQ(keyed_steps.switched, n);
            ++switched_sorts;
          }
        }
      }
    }
  }
  EXPECT_EQ(switched_sorts, 7 * 4 * 6 * kBaseModes);
}

// A small budget runs out inside the threads' shares of the keyed sort, and
// the whole selection, fallback table included, follows the guard.
TEST(FallbackIdentityTest, SwitchingInsideThreadsGivesThePlainOrder) {
  std::mt19937 rng(77);
  std::vector<std::string> lines = TieHeavy(rng, 80000);
  std::vector<char*> input;
  for (std::string& line : lines) input.push_back(line.data());
  for (std::int32_t kind : {1, 2, 5, 6}) {
    for (std::int32_t pos : {0, 2, -1}) {
      for (int mode = 0; mode < kBaseModes; ++mode) {
        SCOPED_TRACE(testing::Message() << "KeyKind " << kind << ", KeyPos "
                                        << pos << ", mode " << mode);
        const bool keyless = pos < 0 && KeyUnitOf(kind) == kKeyColumn;
        std::vector<char*> plain = input;
        SortWithComparators(plain.data(), plain.size(), mode, pos, kind,
                            kPlain);
        for (int budget : {1, 2, SortGuard::kFromSize}) {
          SortSteps steps;
          std::vector<char*> selected = input;
          SelectComparator(selected.data(), selected.size(), mode, pos, kind,
                           nullptr, {budget, &steps});
          ASSERT_EQ(selected, plain) << "budget " << budget;
          // With no line keyed the first step finishes the whole range.
          if (budget > 0 && !keyless) {
            ASSERT_GT(steps.switches, 0u);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tarnel
