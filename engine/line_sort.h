// The line sort: an in-place median-of-three quicksort.
//
// It is not stable, and some comparators call a short line equal to every
// line, so the order in which lines that compare equal come out is decided by
// these exact steps. Users see that order; the steps below must not be
// "improved". Only the sign of a comparison is ever used, which is what lets
// the engine compare precomputed keys instead of lines and get the same order.
//
// A deterministic pivot can be driven to n^2/4 comparisons by an input built
// against it. A range whose partitions go deeper than a budget (SortGuard) is
// therefore handed to the skipping form (line_sort_fallback.h), which takes
// the very same steps in O(n log^2 n). Ranges are independent once
// partitioned, so where the switch happens cannot change the order; only the
// work changes. A compare without has_key() cannot be ranked and always
// keeps the plain steps.
#ifndef TARNEL_ENGINE_LINE_SORT_H_
#define TARNEL_ENGINE_LINE_SORT_H_

#include <cstddef>
#include <cstdint>
#include <utility>

#include "engine/line_sort_fallback.h"
#include "engine/sort_guard.h"
#include "platform/helper_thread.h"

namespace tarnel {

/// One step of the line sort on |n| elements, n >= 2. Returns false when the
/// step finished the range (fewer than four elements), true when it
/// partitioned it and filled |result|.
template <typename T, typename Compare>
bool PartitionLines(T* base, std::size_t n, Compare& compare,
                    PartitionResult* result) {
  using std::swap;
  auto exchange = [base](std::size_t x, std::size_t y) {
    if (x != y) swap(base[x], base[y]);
  };
  if (n == 2) {
    if (compare(base[0], base[1]) > 0) exchange(0, 1);
    return false;
  }
  std::size_t hi = n - 1;
  const std::size_t mid = n / 2;

  // Median of three, left at position 0 as the pivot.
  if (compare(base[mid], base[hi]) > 0) exchange(mid, hi);
  if (compare(base[mid], base[0]) > 0) {
    exchange(mid, 0);
  } else if (compare(base[0], base[hi]) > 0) {
    exchange(0, hi);
  }
  if (n == 3) {
    exchange(0, mid);
    return false;
  }

  // Partition. Elements equal to the pivot are gathered right behind it, in
  // [1, eq); smaller ones follow, larger ones are pushed to the top.
  std::size_t eq = 1;
  std::size_t i = 1;
  for (;;) {
    const int r = compare(base[i], base[0]);
    if (r <= 0) {
      if (r == 0) exchange(i, eq++);
      if (i >= hi) break;
      ++i;
      continue;
    }
    while (i < hi) {
      const int r2 = compare(base[0], base[hi]);
      if (r2 < 0) {
        --hi;
        continue;
      }
      exchange(i, hi);
      if (r2 != 0) {
        ++i;
        --hi;
      }
      break;
    }
    if (hi <= i) break;
  }
  if (compare(base[i], base[0]) <= 0) ++i;

  // Move the pivot run next to the larger side by swapping from both ends.
  std::size_t p = 0;
  std::size_t q = i - 1;
  while (p < eq && q >= eq) exchange(p++, q--);

  // The pivot run now sits between the two sides and is final.
  *result = {i - eq, i, n - i};
  return true;
}

namespace internal {

// Partitions left along a path before its range switches; SIZE_MAX never
// runs out, as a path is never deeper than its range is long.
inline std::size_t DepthLeft(const SortGuard& guard, std::size_t n) {
  if (guard.budget == SortGuard::kNever) return SIZE_MAX;
  const int budget =
      guard.budget == SortGuard::kFromSize ? DepthBudget(n) : guard.budget;
  return budget > 0 ? static_cast<std::size_t>(budget) : 0;
}

// Counts calls, passing the key test through when there is one.
template <typename Compare>
struct CountingCompare {
  Compare& compare;
  std::uint64_t& count;
  template <typename T>
  decltype(auto) operator()(T& a, T& b) {
    ++count;
    return compare(a, b);
  }
  template <typename T>
  requires KeyAwareCompare<Compare, T>
  bool has_key(T& a) { return compare.has_key(a); }
};

// Hands the range to the skipping form; false when it keeps the plain
// steps after all.
template <typename T, typename Compare>
bool SwitchRange(T* base, std::size_t n, Compare& compare, SortSteps* steps) {
  if constexpr (KeyAwareCompare<Compare, T>) {
    std::uint64_t tree_steps = 0;
    ErasedKeyCompare<T> erased(compare);
    const bool switched = SkippingLineSort(base, n, erased, &tree_steps);
    if (steps && switched) {
      steps->tree_steps += tree_steps;
      ++steps->switches;
      steps->switched += n;
    } else if (steps) {
      ++steps->refused;
    }
    return switched;
  } else {
    (void)base, (void)n, (void)compare, (void)steps;
    return false;
  }
}

template <typename T, typename Compare>
void SortRange(T* base, std::size_t n, Compare& compare, std::size_t depth_left,
               SortSteps* steps) {
  PartitionResult parts;
  while (n >= 2) {
    if (depth_left == 0) {
      if (SwitchRange(base, n, compare, steps)) return;
      // No memory for the tree: this range keeps the plain steps.
      depth_left = SIZE_MAX;
    }
    if (!PartitionLines(base, n, compare, &parts)) return;
    --depth_left;
    // Recurse on the smaller side only, so the depth stays within log2 of n.
    if (parts.n_left > parts.n_right) {
      SortRange(base + parts.right, parts.n_right, compare, depth_left, steps);
      n = parts.n_left;
    } else {
      SortRange(base, parts.n_left, compare, depth_left, steps);
      base += parts.right;
      n = parts.n_right;
    }
  }
}

template <typename T, typename Compare>
void CountedSortRange(T* base, std::size_t n, Compare& compare,
                      std::size_t depth_left, SortSteps* steps) {
  if (!steps) {
    SortRange(base, n, compare, depth_left, nullptr);
    return;
  }
  CountingCompare<Compare> counted{compare, steps->comparisons};
  SortRange(base, n, counted, depth_left, steps);
}

template <typename T, typename Compare>
void ParallelSortRange(T* base, std::size_t n, const Compare& compare,
                       int levels, std::size_t cutoff, std::size_t depth_left,
                       SortSteps* steps) {
  Compare local = compare;
  if (levels <= 0 || n < cutoff || depth_left == 0) {
    CountedSortRange(base, n, local, depth_left, steps);
    return;
  }
  PartitionResult parts;
  if (steps) {
    CountingCompare<Compare> counted{local, steps->comparisons};
    if (!PartitionLines(base, n, counted, &parts)) return;
  } else if (!PartitionLines(base, n, local, &parts)) {
    return;
  }
  --depth_left;
  T* const right = base + parts.right;
  // Each side counts on its own; the sums are added once both are done.
  SortSteps right_steps;
  SortSteps* const right_counts = steps ? &right_steps : nullptr;
  HelperThread helper(
      [right, &parts, &compare, levels, cutoff, depth_left, right_counts] {
        ParallelSortRange(right, parts.n_right, compare, levels - 1, cutoff,
                          depth_left, right_counts);
      });
  ParallelSortRange(base, parts.n_left, compare, levels - 1, cutoff, depth_left,
                    steps);
  helper.Join();
  if (steps) steps->Add(right_steps);
}

}  // namespace internal

/// Sorts |n| elements at |base| so that compare(x, y) <= 0 for neighbours.
/// compare(x, y) returns a negative, zero or positive int; with a has_key()
/// as well (KeyAwareCompare) the sort is O(n log^2 n) on every input.
template <typename T, typename Compare>
void LineSort(T* base, std::size_t n, Compare&& compare,
              const SortGuard& guard = {}) {
  internal::CountedSortRange(base, n, compare, internal::DepthLeft(guard, n),
                             guard.steps);
}

/// The same sort, with the two sides of the first |levels| partitions of at
/// least |cutoff| elements sorted on threads of their own. The sides never
/// share an element, so every element takes exactly the steps it would take
/// in LineSort and the result is the same, element for element. The budget
/// runs down through those partitions as in LineSort, so each range
/// switches exactly where LineSort would switch it.
template <typename T, typename Compare>
void ParallelLineSort(T* base, std::size_t n, const Compare& compare,
                      int levels, std::size_t cutoff,
                      const SortGuard& guard = {}) {
  internal::ParallelSortRange(base, n, compare, levels, cutoff,
                              internal::DepthLeft(guard, n), guard.steps);
}

}  // namespace tarnel

#endif  // TARNEL_ENGINE_LINE_SORT_H_
