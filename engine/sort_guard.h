// What a caller may ask of the line sort beside the order itself: how deep
// the plain steps may partition a range before the skipping form takes it
// over, and counters of the work done. The defaults are what the program
// uses and cost nothing; tests, benchmarks and fuzzing force the switch and
// read the counters. No setting changes the order.
#ifndef TARNEL_ENGINE_SORT_GUARD_H_
#define TARNEL_ENGINE_SORT_GUARD_H_

#include <bit>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace tarnel {

/// What a sort did.
struct SortSteps {
  std::uint64_t comparisons = 0;  ///< calls of the compare, ranking included
  std::uint64_t tree_steps = 0;   ///< rank tree nodes the skipping form visited
  std::uint64_t switches = 0;     ///< ranges handed to the skipping form
  std::uint64_t switched = 0;     ///< elements in those ranges
  std::uint64_t refused = 0;      ///< switches dropped for want of memory

  void Add(const SortSteps& other) {
    comparisons += other.comparisons;
    tree_steps += other.tree_steps;
    switches += other.switches;
    switched += other.switched;
    refused += other.refused;
  }
};

struct SortGuard {
  /// 2 floor(log2 n) for a sort of n elements (DepthBudget).
  static constexpr int kFromSize = -1;
  /// The plain steps throughout, whatever they cost.
  static constexpr int kNever = INT_MAX;

  /// Partitions along one path before the rest of its range goes to the
  /// skipping form: 0 sorts everything that way, kNever nothing.
  int budget = kFromSize;
  /// When set, the sort adds what it did here.
  SortSteps* steps = nullptr;
};

/// As in introsort. A median-of-three quicksort goes this deep on ordinary
/// input only in a few small ranges, and the partitions above the switch
/// cost at most n comparisons per level, 2 n log2 n in all.
constexpr int DepthBudget(std::size_t n) {
  return n < 2 ? 0 : 2 * (static_cast<int>(std::bit_width(n)) - 1);
}

}  // namespace tarnel

#endif  // TARNEL_ENGINE_SORT_GUARD_H_
