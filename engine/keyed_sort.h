// The keyed sort: the line sort with every line's key worked out once (the
// number's value, or the first bytes of the possibly folded text), the
// comparisons looking at those first and touching the line bytes only on a
// tie. Each comparison has the same sign as the comparator table's for the
// same two lines, so the line sort's steps, and with them the order of lines
// that compare equal, are exactly those of the plain sort.
//
// A key inside the line and its line take 16 bytes while all lines start
// less than 4 GiB above the lowest one, as those of one mapped file or read
// buffer do: the line is then held as its distance from that one, in as few
// bits as the span needs, the other bits of the item holding the key. Lines
// further apart, and whole-line text keys, take 24 bytes each.
#ifndef TARNEL_ENGINE_KEYED_SORT_H_
#define TARNEL_ENGINE_KEYED_SORT_H_

#include <cstddef>
#include <cstdint>

#include "engine/key_syntax.h"
#include "engine/sort_guard.h"
#include "platform/memory.h"

namespace tarnel {

/// Lines that start this far or further above the lowest line of a run take
/// the 24-byte items.
inline constexpr std::uint64_t kCompactSpan = std::uint64_t{1} << 32;
/// The most bits a 16-byte item gives the line's distance.
inline constexpr int kMostOffsetBits = 32;

/// Which items the sort may take. The program leaves the defaults; tests
/// narrow them to reach every layout with a few lines. No setting changes
/// the order.
struct KeyItemLayout {
  /// The 16-byte items are taken when every line starts less than this far
  /// above the lowest one (never from kCompactSpan on); 0 rules them out.
  std::uint64_t compact_span = kCompactSpan;
  /// Bits the 16-byte items give the distance at the least, as a larger
  /// span would (at most kMostOffsetBits); the fewer are left for the key.
  int offset_bits = 0;
  /// Text keys are held as codes of fewer bits than bytes wherever their
  /// bytes allow, not only where a sample of them says it pays.
  bool always_code = false;
};

/// Sorts |count| lines of |base| by |row| in |base_mode| (0 to 3), the key
/// position being |key_index|. When |table| is the memory that holds |base|
/// from its start, its pages are given back while the keys alone hold the
/// lines, and the sorted lines may come back in other memory, which then
/// replaces |table|: they are always at the start of |table|. Returns
/// false, with |base| untouched, when there is no memory for the keys.
/// |guard| can force or forbid the fallback and count the steps; the order
/// is the same whatever it or |layout| says.
bool SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index,
                  ZeroedBuffer* table = nullptr, const SortGuard& guard = {},
                  const KeyItemLayout& layout = {});

}  // namespace tarnel

#endif  // TARNEL_ENGINE_KEYED_SORT_H_
