// The fast form of the line sort: every line's key is worked out once
// (the number's value, or the first 15 bytes of the possibly folded text) and
// the comparisons look at those first, touching the line bytes only on a tie.
// Each comparison has the same sign as the table's comparator for the same two
// lines, so the line sort's steps, and with them the order of lines that
// compare equal, are exactly those of the plain sort.
#ifndef TARNEL_ENGINE_SORT_KEYS_H_
#define TARNEL_ENGINE_SORT_KEYS_H_

#include <cstddef>
#include <cstdint>

#include "engine/comparators.h"
#include "platform/memory.h"

namespace tarnel {

/// Sorts |count| lines of |base| by |row| in |base_mode| (0 to 3), the key
/// position being |key_index|. When |table| is the memory that holds |base|,
/// its pages are given back while the keys alone hold the lines.
void SortWithKeys(char** base, std::size_t count, ComparatorRow row,
                  int base_mode, std::int32_t key_index,
                  ZeroedBuffer* table = nullptr);

}  // namespace tarnel

#endif  // TARNEL_ENGINE_SORT_KEYS_H_
