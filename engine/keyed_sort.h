// The keyed sort: the line sort with every line's key worked out once (the
// number's value, or the first 15 bytes of the possibly folded text), the
// comparisons looking at those first and touching the line bytes only on a
// tie. Each comparison has the same sign as the comparator table's for the
// same two lines, so the line sort's steps, and with them the order of lines
// that compare equal, are exactly those of the plain sort.
#ifndef TARNEL_ENGINE_KEYED_SORT_H_
#define TARNEL_ENGINE_KEYED_SORT_H_

#include <cstddef>
#include <cstdint>

#include "engine/key_syntax.h"
#include "engine/sort_guard.h"
#include "platform/memory.h"

namespace tarnel {

/// Sorts |count| lines of |base| by |row| in |base_mode| (0 to 3), the key
/// position being |key_index|. When |table| is the memory that holds |base|,
/// its pages are given back while the keys alone hold the lines. Returns
/// false, with |base| untouched, when there is no memory for the keys.
/// |guard| can force or forbid the fallback and count the steps; the order
/// is the same whatever it says.
bool SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index,
                  ZeroedBuffer* table = nullptr, const SortGuard& guard = {});

}  // namespace tarnel

#endif  // TARNEL_ENGINE_KEYED_SORT_H_
