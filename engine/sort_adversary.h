// Inputs that drive the plain line sort quadratic, made by McIlroy's
// adversary ("A Killer Adversary for Quicksort", 1999) playing against the
// sort's own steps. For the tests and the benchmarks; the program never
// links it.
//
// Every element starts as "gas", above every "solid" one. When two gas
// elements meet, one is frozen to the next solid value: the one last seen
// against a solid element, which in a quicksort is the pivot candidate. The
// pivot thus freezes early and low, and each partition peels off only a few
// elements. Once the sort is over, the values are an input on which the sort
// makes exactly the comparisons it made against the adversary.
#ifndef TARNEL_ENGINE_SORT_ADVERSARY_H_
#define TARNEL_ENGINE_SORT_ADVERSARY_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnel {

enum class KillerKind {
  kDistinct,  ///< every key differs
  kPairs,     ///< every key is held by two elements: the two gas elements
              ///< that meet are frozen together to one value
};

struct KillerOrder {
  /// keys[i]: the key of the element at position i; dense from 0 on.
  std::vector<std::uint32_t> keys;
  /// What the plain steps spend on it.
  std::uint64_t comparisons = 0;
};

/// Plays against LineSort's plain steps, comparison by comparison: O(n^2).
KillerOrder PlayAgainstLineSort(std::size_t n, KillerKind kind);

/// The same play with the walks over known outcomes skipped, as the sort's
/// skipping form does: the same keys and count in O(n log^2 n), for sizes
/// the plain play would take hours over.
KillerOrder PlayAgainstLineSortSkipping(std::size_t n, KillerKind kind);

}  // namespace tarnel

#endif  // TARNEL_ENGINE_SORT_ADVERSARY_H_
