#include "engine/sort_selection.h"

#include "engine/comparators.h"
#include "engine/keyed_sort.h"
#include "engine/line_sort.h"
#include "engine/sort_parameters.h"

namespace tarnel {

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

void SelectComparator(char** base, std::size_t count, int base_mode,
                      std::int32_t key_pos, std::int32_t key_kind,
                      ZeroedBuffer* table) {
  KeyIndex = key_pos;
  const ComparatorRow row = SelectRow(key_pos, key_kind);
  if (row == kNoRow) return;
  // Without memory for the keys the plain comparators give the same order,
  // only slower.
  if (!SortWithKeys(base, count, row, base_mode, key_pos, table)) {
    SortWithComparators(base, count, base_mode, key_pos, key_kind);
  }
}

void SortWithComparators(char** base, std::size_t count, int base_mode,
                         std::int32_t key_pos, std::int32_t key_kind) {
  KeyIndex = key_pos;
  const ComparatorRow row = SelectRow(key_pos, key_kind);
  if (row == kNoRow) return;
  const LineComparator compare = ComparatorTable[row][base_mode];
  LineSort(base, count,
           [compare](char*& a, char*& b) { return compare(&a, &b); });
}

}  // namespace tarnel
