// The key comparators and the choice between them.
//
// Each comparator takes two entries of the line table (pointers to
// NUL-terminated lines) in the qsort manner and returns a negative, zero or
// positive number. Keys are read straight from the line bytes; the engine's
// fast path (sort_keys.h) precomputes them instead but must give the same
// sign for every pair, which the tests check against these functions.
#ifndef TARNEL_ENGINE_COMPARATORS_H_
#define TARNEL_ENGINE_COMPARATORS_H_

#include <cstddef>
#include <cstdint>

#include "platform/memory.h"

namespace tarnel {

/// qsort-style comparator over two entries of the line table.
using LineComparator = int (*)(const void* a, const void* b);

/// Rows of the comparator table, in the order the table stores them.
enum ComparatorRow {
  kWholeLineText = 0,
  kColumnText = 1,
  kFieldText = 2,
  kWholeLineNumber = 3,
  kColumnNumber = 4,
  kFieldNumber = 5,
  kNoRow = -1,
};
inline constexpr int kComparatorRows = 6;
inline constexpr int kBaseModes =
    4;  ///< 0 asc, 1 desc, 2 asc ignoring case, 3 desc ignoring case

/// Indexed by row, then by base mode.
extern const LineComparator ComparatorTable[kComparatorRows][kBaseModes];

/// The key position of the current sort: a byte offset for column keys (taken
/// as unsigned, so a negative one lies beyond every line), the number of
/// commas to skip for field keys.
extern std::int32_t KeyIndex;

/// Longest field a field-text comparison looks at; longer fields are cut.
inline constexpr std::size_t kFieldCap = 512;
extern char FieldBufferA[kFieldCap + 1];
extern char FieldBufferB[kFieldCap + 1];

/// Copies the key field of |line| (at most 512 bytes) into |buffer| and
/// returns it; null when the line has fewer fields.
const char* ExtractField(const char* line, char* buffer);

/// The start of field KeyIndex of |line| (after KeyIndex commas), or null
/// when the line has fewer fields.
const char* FindField(const char* line);

/// A number read from a text, kept as its digits so that any number of
/// digits compares by its exact value.
struct NumberText {
  bool negative = false;
  const char* digits = nullptr;  ///< first significant digit
  std::size_t count = 0;         ///< significant digits; 0 for the value 0
};

/// The number at the start of |text|: leading white space, one optional
/// sign, then decimal digits up to the first non-digit. No digits is 0.
NumberText NumberOf(const char* text);

/// The value of the key field: the number after one optional double quote,
/// or 0 when the line has no such field.
NumberText FieldNumber(const char* line);

/// Compares two numbers by exact value; -0 equals 0.
int CompareNumbers(const NumberText& a, const NumberText& b);

/// The row a sort uses for this key, or kNoRow when nothing is sorted.
ComparatorRow SelectRow(std::int32_t key_pos, std::int32_t key_kind);

/// Sorts the |count| lines of |base| in place with the comparator chosen from
/// the base mode (0 to 3), KeyPos and KeyKind. Leaves the table untouched
/// when KeyKind chooses no comparator. |table|, when given, is the memory
/// that holds |base|: the sort may give its pages back for a while.
void SelectComparator(char** base, std::size_t count, int base_mode,
                      std::int32_t key_pos, std::int32_t key_kind,
                      ZeroedBuffer* table = nullptr);

/// The same sort with the table's comparators called on the lines at every
/// comparison: slow, but the plain form of what SelectComparator must give.
void SortWithComparators(char** base, std::size_t count, int base_mode,
                         std::int32_t key_pos, std::int32_t key_kind);

}  // namespace tarnel

#endif  // TARNEL_ENGINE_COMPARATORS_H_
