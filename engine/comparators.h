// The comparator table: the plain form of every key comparison.
//
// Each comparator takes two entries of the line table (pointers to
// NUL-terminated lines) in the qsort manner and returns a negative, zero or
// positive number, reading its key straight from the line bytes at every
// call. The keyed sort (keyed_sort.h) works its keys out once instead, and
// must give the same sign for every pair; the tests hold it to this table.
#ifndef TARNEL_ENGINE_COMPARATORS_H_
#define TARNEL_ENGINE_COMPARATORS_H_

#include <cstddef>
#include <cstdint>

#include "engine/key_syntax.h"
#include "engine/sort_parameters.h"

namespace tarnel {

/// qsort-style comparator over two entries of the line table.
using LineComparator = int (*)(const void* a, const void* b);

/// One comparator for each base mode: 0 asc, 1 desc, 2 asc ignoring case,
/// 3 desc ignoring case.
inline constexpr int kBaseModes = kLargestBaseMode + 1;

/// Indexed by row, then by base mode.
extern const LineComparator ComparatorTable[kComparatorRows][kBaseModes];

/// The key position the comparators read: a byte offset for column keys,
/// the number of commas to skip for field keys. Set before each sort.
extern std::int32_t KeyIndex;

/// The field-text comparators' scratch copies of the two fields compared.
extern char FieldBufferA[kFieldCap + 1];
extern char FieldBufferB[kFieldCap + 1];

/// Copies the key field of |line| (field KeyIndex, at most kFieldCap bytes)
/// into |buffer| and returns it; null when the line has fewer fields.
const char* ExtractField(const char* line, char* buffer);

/// The number of field KeyIndex of |line| (see NumberOfField).
NumberText FieldNumber(const char* line);

}  // namespace tarnel

#endif  // TARNEL_ENGINE_COMPARATORS_H_
