#include "engine/sort_selection.h"

#include "engine/comparators.h"
#include "engine/keyed_sort.h"
#include "engine/line_sort.h"
#include "engine/sort_parameters.h"

namespace tarnel {

namespace {

// Whether |line| has a key under |row|, KeyIndex being set for the sort.
// Without one the row's comparator calls the line equal to every line.
bool LineHasKey(ComparatorRow row, const char* line) {
  switch (row) {
    case kColumnText:
    case kColumnNumber:
      return ColumnTail(line, KeyIndex) != nullptr;
    case kFieldText:
      return FindField(line, KeyIndex) != nullptr;
    default:
      // A whole line always has a key, and so has a line without the field
      // of a field number: its number is 0, which compares like any other.
      return true;
  }
}

// One row and mode of the table, as a compare the line sort can rank.
struct TableCompare {
  LineComparator compare;
  ComparatorRow row;
  int operator()(char*& a, char*& b) const { return compare(&a, &b); }
  bool has_key(char* const& line) const { return LineHasKey(row, line); }
};

}  // namespace

ComparatorRow SelectRow(std::int32_t key_pos, std::int32_t key_kind) {
  const bool numeric = IsNumericKey(key_kind);
  switch (KeyUnitOf(key_kind)) {
    case kKeyColumn:
      if (key_pos == 0) return numeric ? kWholeLineNumber : kWholeLineText;
      return numeric ? kColumnNumber : kColumnText;
    case kKeyField:
      if (numeric) return kFieldNumber;
      return key_pos == 0 ? kWholeLineText : kFieldText;
    default:
      return kNoRow;
  }
}

char** SelectComparator(char** base, std::size_t count, int base_mode,
                        std::int32_t key_pos, std::int32_t key_kind,
                        ZeroedBuffer* table, const SortGuard& guard) {
  KeyIndex = key_pos;
  const ComparatorRow row = SelectRow(key_pos, key_kind);
  if (row == kNoRow) return base;
  const bool held = table && table->data() == reinterpret_cast<char*>(base);
  // Without memory for the keys the plain comparators give the same order,
  // only slower.
  if (!SortWithKeys(base, count, row, base_mode, key_pos, table, guard)) {
    SortWithComparators(base, count, base_mode, key_pos, key_kind, guard);
    return base;
  }
  return held ? reinterpret_cast<char**>(table->data()) : base;
}

void SortWithComparators(char** base, std::size_t count, int base_mode,
                         std::int32_t key_pos, std::int32_t key_kind,
                         const SortGuard& guard) {
  KeyIndex = key_pos;
  const ComparatorRow row = SelectRow(key_pos, key_kind);
  if (row == kNoRow) return;
  // One thread only: the field comparators share their scratch buffers.
  LineSort(base, count, TableCompare{ComparatorTable[row][base_mode], row},
           guard);
}

}  // namespace tarnel
