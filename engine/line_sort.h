// The line sort: an in-place median-of-three quicksort.
//
// It is not stable, and some comparators call a short line equal to every
// line, so the order in which lines that compare equal come out is decided by
// these exact steps. Users see that order; the steps below must not be
// "improved". Only the sign of a comparison is ever used, which is what lets
// the engine compare precomputed keys instead of lines and get the same order.
#ifndef TARNEL_ENGINE_LINE_SORT_H_
#define TARNEL_ENGINE_LINE_SORT_H_

#include <cstddef>
#include <utility>

#include "platform/helper_thread.h"

namespace tarnel {

/// What one partition step leaves to be sorted: the elements [0, n_left) and
/// [right, right + n_right). Everything between them is in its final place.
struct PartitionResult {
  std::size_t n_left;
  std::size_t right;
  std::size_t n_right;
};

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

/// Sorts |n| elements at |base| so that compare(x, y) <= 0 for neighbours.
/// compare(x, y) returns a negative, zero or positive int.
template <typename T, typename Compare>
void LineSort(T* base, std::size_t n, Compare&& compare) {
  PartitionResult parts;
  while (n >= 2 && PartitionLines(base, n, compare, &parts)) {
    // Recurse on the smaller side only, so the depth stays within log2 of n.
    if (parts.n_left > parts.n_right) {
      LineSort(base + parts.right, parts.n_right, compare);
      n = parts.n_left;
    } else {
      LineSort(base, parts.n_left, compare);
      base += parts.right;
      n = parts.n_right;
    }
  }
}

/// The same sort, with the two sides of the first |levels| partitions of at
/// least |cutoff| elements sorted on threads of their own. The sides never
/// share an element, so every element takes exactly the steps it would take
/// in LineSort and the result is the same, element for element.
template <typename T, typename Compare>
void ParallelLineSort(T* base, std::size_t n, const Compare& compare,
                      int levels, std::size_t cutoff) {
  Compare local = compare;
  if (levels <= 0 || n < cutoff) {
    LineSort(base, n, local);
    return;
  }
  PartitionResult parts;
  if (!PartitionLines(base, n, local, &parts)) return;
  T* const right = base + parts.right;
  HelperThread helper([right, &parts, &compare, levels, cutoff] {
    ParallelLineSort(right, parts.n_right, compare, levels - 1, cutoff);
  });
  ParallelLineSort(base, parts.n_left, compare, levels - 1, cutoff);
  helper.Join();
}

}  // namespace tarnel

#endif  // TARNEL_ENGINE_LINE_SORT_H_
