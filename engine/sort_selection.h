// Which comparison a run sorts by, and the sort itself: SelectComparator
// picks the row of the comparator table from KeyPos and KeyKind, the column
// from the base mode, and sorts the line table by it.
#ifndef TARNEL_ENGINE_SORT_SELECTION_H_
#define TARNEL_ENGINE_SORT_SELECTION_H_

#include <cstddef>
#include <cstdint>

#include "engine/key_syntax.h"
#include "engine/sort_guard.h"
#include "platform/memory.h"

namespace tarnel {

/// The row a sort uses for this key, or kNoRow when nothing is sorted: a
/// column key at position 0 is the whole line, and so is a field text key
/// at field 0; a field number key stays a field key.
ComparatorRow SelectRow(std::int32_t key_pos, std::int32_t key_kind);

/// Stores |key_pos| in KeyIndex and sorts the |count| lines of |base| in
/// place by the comparison chosen from the base mode (0 to 3), KeyPos and
/// KeyKind, in the exact order of the line sort. Leaves the table untouched
/// when KeyKind chooses no comparison. |table|, when given, is the memory
/// that holds |base| from its start: the sort may give its pages back for a
/// while, and may hand the sorted lines back in other memory that replaces
/// it. Returns where the sorted lines are: |base|, or the start of |table|.
/// |guard| can force or forbid the worst-case fallback and count the steps;
/// the order is the same whatever it says.
char** SelectComparator(char** base, std::size_t count, int base_mode,
                        std::int32_t key_pos, std::int32_t key_kind,
                        ZeroedBuffer* table = nullptr,
                        const SortGuard& guard = {});

/// The same sort with the table's comparators called on the lines at every
/// comparison: slow, but the plain form of what SelectComparator must give
/// (the plain steps throughout with SortGuard{SortGuard::kNever}).
void SortWithComparators(char** base, std::size_t count, int base_mode,
                         std::int32_t key_pos, std::int32_t key_kind,
                         const SortGuard& guard = {});

}  // namespace tarnel

#endif  // TARNEL_ENGINE_SORT_SELECTION_H_
