// The skipping form of the line sort: the very steps of PartitionLines and
// LineSort, for ranges on which the plain steps have spent too much.
//
// Most of a partition step is two walks that only ever hear "go on": the
// forward scan over elements below the pivot, the backward scan over
// elements above it. Give each element the rank of its class (equal
// elements, equal ranks) and the outcome of those comparisons is known in
// advance: a tree over positions holding the lowest and highest rank under
// each node finds where a walk stops in O(log n). Only the element that
// stops a walk is compared and moved, exactly as the plain step does, so
// every swap, and with it the order of equal lines, is the plain one.
//
// Cost. A step touches (compares or moves) at most 2 min(below, above) +
// 3 equal + O(1) elements: a swap from both ends takes one element of each
// side, and an element equal to the pivot is moved at most three times
// before it is final. An element is on the smaller side of at most log2 n
// steps, so the whole sort touches O(n log n) elements, each O(log n) in
// the tree: O(n log^2 n) whatever the input, after one O(n log n) merge
// sort of the keys for the ranks.
#ifndef TARNEL_ENGINE_LINE_SORT_FALLBACK_H_
#define TARNEL_ENGINE_LINE_SORT_FALLBACK_H_

#include <algorithm>
#include <bit>
#include <cassert>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

#include "platform/memory.h"

namespace tarnel {

/// What one partition step, in either form, leaves to be sorted: the
/// elements [0, n_left) and [right, right + n_right). Everything between
/// them is in its final place.
struct PartitionResult {
  std::size_t n_left;
  std::size_t right;
  std::size_t n_right;
};

/// A compare that can also say whether an element has a key. An element
/// without one compares equal to every element; among elements with one the
/// compare is a total preorder and sign(compare(a, b)) == -sign(compare(b,
/// a)). Only such a compare can be ranked, so only it gets the skipping form.
template <typename Compare, typename T>
concept KeyAwareCompare = requires(Compare& compare, T& a, T& b) {
  { compare(a, b) } -> std::convertible_to<int>;
  { compare.has_key(a) } -> std::convertible_to<bool>;
};

/// Lowest and highest class rank under every node of a complete binary tree
/// over positions, in memory the caller provides. An element without a key
/// holds [kLowest, kHighest], so it stops both walks as an element equal to
/// the pivot does.
class RankTree {
 public:
  using Rank = std::int32_t;
  struct Node {
    Rank low;
    Rank high;
  };
  static constexpr Rank kLowest = std::numeric_limits<Rank>::min();
  static constexpr Rank kHighest = std::numeric_limits<Rank>::max();
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  /// Ranks and the ranking's indices are 32-bit, and ranks must stay
  /// inside (kLowest, kHighest); a larger range keeps the plain steps.
  static constexpr std::size_t kMaxElements = std::size_t{1} << 30;

  /// Nodes a tree over |n| positions needs, n <= kMaxElements.
  static std::size_t NodesFor(std::size_t n) {
    return 2 * std::bit_ceil(std::max<std::size_t>(n, 1));
  }

  /// A tree over |n| positions in NodesFor(n) |nodes|; SetLeaf every
  /// position, then Build.
  RankTree(Node* nodes, std::size_t n);

  void SetLeaf(std::size_t pos, Rank low, Rank high) {
    nodes_[leaves_ + pos] = {low, high};
  }
  void Build();

  bool Keyed(std::size_t pos) const {
    const Node& leaf = nodes_[leaves_ + pos];
    return leaf.low == leaf.high;
  }
  Rank RankAt(std::size_t pos) const { return nodes_[leaves_ + pos].low; }

  /// Changes the ranks of one position.
  void Assign(std::size_t pos, Rank low, Rank high) {
    Update(pos, Node{low, high});
  }

  /// Exchanges the leaves of two positions, as the elements are exchanged.
  void Swap(std::size_t x, std::size_t y);

  /// The first position in [from, to] whose element is not below |rank|
  /// (highest >= rank), or kNone.
  std::size_t FirstNotBelow(std::size_t from, std::size_t to, Rank rank);

  /// The last position in [from, to] whose element is not above |rank|
  /// (lowest <= rank), or kNone.
  std::size_t LastNotAbove(std::size_t from, std::size_t to, Rank rank);

  /// Nodes visited so far; what the sort's work bound counts.
  std::uint64_t steps() const { return steps_; }

 private:
  void Pull(std::size_t v);
  void Update(std::size_t pos, Node leaf);

  std::size_t leaves_;
  Node* nodes_;
  std::uint64_t steps_ = 0;
};

/// A key-aware compare behind two function pointers. The skipping form is
/// built once per element type with it instead of once per compare, which
/// keeps it from crowding the compiler's inlining of the plain steps.
template <typename T>
class ErasedKeyCompare {
 public:
  template <typename Compare>
  requires KeyAwareCompare<Compare, T>
  explicit ErasedKeyCompare(Compare& compare)
      : compare_(const_cast<void*>(static_cast<const void*>(&compare))),
        compare_fn_([](void* c, T& a, T& b) -> int {
          return (*static_cast<Compare*>(c))(a, b);
        }),
        has_key_fn_([](void* c, T& a) -> bool {
          return static_cast<Compare*>(c)->has_key(a);
        }) {}

  int operator()(T& a, T& b) const { return compare_fn_(compare_, a, b); }
  bool has_key(T& a) const { return has_key_fn_(compare_, a); }

 private:
  void* compare_;
  int (*compare_fn_)(void*, T&, T&);
  bool (*has_key_fn_)(void*, T&);
};

/// Sorts the |count| indices at |order| by the elements of |base| they name,
/// merging runs bottom-up through |scratch|, and returns where the sorted
/// indices ended up. A merge sort, as no input can slow it down: a
/// quicksort's pivot rule may well be upset by an input built against the
/// line sort's own.
template <typename T, typename Compare>
std::uint32_t* SortIndices(T* base, std::uint32_t* order,
                           std::uint32_t* scratch, std::size_t count,
                           Compare& compare) {
  std::uint32_t* from = order;
  std::uint32_t* to = scratch;
  for (std::size_t width = 1; width < count; width *= 2) {
    for (std::size_t lo = 0; lo < count; lo += 2 * width) {
      const std::size_t mid = std::min(lo + width, count);
      const std::size_t hi = std::min(lo + 2 * width, count);
      std::size_t a = lo;
      std::size_t b = mid;
      std::size_t k = lo;
      while (a < mid && b < hi) {
        to[k++] =
            compare(base[from[b]], base[from[a]]) < 0 ? from[b++] : from[a++];
      }
      while (a < mid) to[k++] = from[a++];
      while (b < hi) to[k++] = from[b++];
    }
    std::swap(from, to);
  }
  return from;
}

/// Fills |tree| with the class ranks of base[0, n): one sort of the elements
/// that have a key, with the same compare, then equal neighbours share a
/// rank. |scratch| is room for 2 n indices.
template <typename T, typename Compare>
requires KeyAwareCompare<Compare, T>
void RankElements(T* base, std::size_t n, Compare& compare,
                  std::uint32_t* scratch, RankTree* tree) {
  std::size_t keyed = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (compare.has_key(base[i])) {
      scratch[keyed++] = static_cast<std::uint32_t>(i);
    } else {
      tree->SetLeaf(i, RankTree::kLowest, RankTree::kHighest);
    }
  }
  const std::uint32_t* const order =
      SortIndices(base, scratch, scratch + n, keyed, compare);
  RankTree::Rank rank = 0;
  for (std::size_t k = 0; k < keyed; ++k) {
    if (k > 0 && compare(base[order[k - 1]], base[order[k]]) < 0) ++rank;
    tree->SetLeaf(order[k], rank, rank);
  }
  tree->Build();
}

/// PartitionLines on the |n| elements at base + lo, the tree holding the
/// ranks of base[0, ...). Same swaps, same result; only the comparisons
/// whose outcome the ranks already give are left out.
template <typename T, typename Compare>
bool SkippingPartition(T* base, std::size_t lo, std::size_t n, Compare& compare,
                       RankTree& tree, PartitionResult* result) {
  using std::swap;
  T* const a = base + lo;
  auto exchange = [a, lo, &tree](std::size_t x, std::size_t y) {
    if (x == y) return;
    swap(a[x], a[y]);
    tree.Swap(lo + x, lo + y);
  };
  // Up to the partition loop the plain steps cost O(1): taken as they are.
  if (n == 2) {
    if (compare(a[0], a[1]) > 0) exchange(0, 1);
    return false;
  }
  std::size_t hi = n - 1;
  const std::size_t mid = n / 2;
  if (compare(a[mid], a[hi]) > 0) exchange(mid, hi);
  if (compare(a[mid], a[0]) > 0) {
    exchange(mid, 0);
  } else if (compare(a[0], a[hi]) > 0) {
    exchange(0, hi);
  }
  if (n == 3) {
    exchange(0, mid);
    return false;
  }

  // A pivot without a key is equal to every element: the plain loop finds
  // each one equal and swaps it with itself (eq == i all along), ends with
  // i == eq == n, and the pivot run move has nothing to move.
  if (!tree.Keyed(lo)) {
    *result = {0, n, 0};
    return true;
  }
  const RankTree::Rank pivot = tree.RankAt(lo);

  // The plain loop, with its two walks done by the tree. The pivot stays at
  // a[0] throughout, so its rank stays |pivot|.
  std::size_t eq = 1;
  std::size_t i = 1;
  for (;;) {
    // Plain: while a[i] < pivot and i < hi, ++i. At hi it stops either way.
    const std::size_t stop = tree.FirstNotBelow(lo + i, lo + hi, pivot);
    if (stop == RankTree::kNone) {
      i = hi;  // a[hi] is below too: the plain loop breaks there
      break;
    }
    i = stop - lo;
    const int r = compare(a[i], a[0]);
    assert(r >= 0);
    if (r <= 0) {
      if (r == 0) exchange(i, eq++);
      if (i >= hi) break;
      ++i;
      continue;
    }
    if (i < hi) {
      // Plain: while i < hi and a[hi] > pivot, --hi.
      const std::size_t back = tree.LastNotAbove(lo + i + 1, lo + hi, pivot);
      if (back == RankTree::kNone) {
        hi = i;
      } else {
        hi = back - lo;
        const int r2 = compare(a[0], a[hi]);
        assert(r2 >= 0);
        exchange(i, hi);
        if (r2 != 0) {
          ++i;
          --hi;
        }
      }
    }
    if (hi <= i) break;
  }
  if (compare(a[i], a[0]) <= 0) ++i;

  // The pivot run move, as in the plain step: at most |eq| swaps.
  std::size_t p = 0;
  std::size_t q = i - 1;
  while (p < eq && q >= eq) exchange(p++, q--);

  *result = {i - eq, i, n - i};
  return true;
}

/// LineSort's loop over base[lo, lo + n) with the skipping step. The order in
/// which the two sides are sorted does not matter: they share no element.
template <typename T, typename Compare>
void SkippingSortRange(T* base, std::size_t lo, std::size_t n, Compare& compare,
                       RankTree& tree) {
  PartitionResult parts;
  while (n >= 2 && SkippingPartition(base, lo, n, compare, tree, &parts)) {
    if (parts.n_left > parts.n_right) {
      SkippingSortRange(base, lo + parts.right, parts.n_right, compare, tree);
      n = parts.n_left;
    } else {
      SkippingSortRange(base, lo, parts.n_left, compare, tree);
      lo += parts.right;
      n = parts.n_right;
    }
  }
}

/// Sorts the |n| elements at |base| into exactly the order LineSort gives
/// them, in O(n log^2 n) for every input, and adds the tree's steps to
/// |tree_steps|. Returns false, with |base| untouched, when there is no
/// memory for the tree and the ranking (40 n bytes at most) or n is too large
/// for it.
template <typename T, typename Compare>
requires KeyAwareCompare<Compare, T>
bool SkippingLineSort(T* base, std::size_t n, Compare& compare,
                      std::uint64_t* tree_steps) {
  // Also keeps the byte count below from wrapping round on 32-bit systems.
  if (n > RankTree::kMaxElements || n > SIZE_MAX / 64) return false;
  const std::size_t node_bytes = RankTree::NodesFor(n) * sizeof(RankTree::Node);
  ZeroedBuffer memory =
      ZeroedBuffer::Allocate(node_bytes + 2 * n * sizeof(std::uint32_t),
                             AllocationSite::kSortFallback);
  if (!memory.valid()) return false;
  RankTree tree(reinterpret_cast<RankTree::Node*>(memory.data()), n);
  RankElements(base, n, compare,
               reinterpret_cast<std::uint32_t*>(memory.data() + node_bytes),
               &tree);
  SkippingSortRange(base, 0, n, compare, tree);
  *tree_steps += tree.steps();
  return true;
}

}  // namespace tarnel

#endif  // TARNEL_ENGINE_LINE_SORT_FALLBACK_H_
