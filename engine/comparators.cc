#include "engine/comparators.h"

#include <cstring>

namespace tarnel {

std::int32_t KeyIndex = 0;
char FieldBufferA[kFieldCap + 1];
char FieldBufferB[kFieldCap + 1];

namespace {

const char* LineOf(const void* entry) {
  return *static_cast<char* const*>(entry);
}

template <bool kFoldCase>
int CompareTexts(const char* a, const char* b) {
  return kFoldCase ? CompareFoldedText(a, b) : CompareText(a, b);
}

template <ComparatorRow kRow, bool kFoldCase>
int CompareAscending(const void* left, const void* right) {
  const char* a = LineOf(left);
  const char* b = LineOf(right);
  if constexpr (kRow == kWholeLineText) {
    return CompareTexts<kFoldCase>(a, b);
  } else if constexpr (kRow == kColumnText) {
    const char* ta = ColumnTail(a, KeyIndex);
    const char* tb = ColumnTail(b, KeyIndex);
    if (!ta || !tb) return 0;
    return CompareTexts<kFoldCase>(ta, tb);
  } else if constexpr (kRow == kFieldText) {
    const char* fa = ExtractField(a, FieldBufferA);
    const char* fb = ExtractField(b, FieldBufferB);
    if (!fa || !fb) return 0;
    return CompareTexts<kFoldCase>(fa, fb);
  } else if constexpr (kRow == kWholeLineNumber) {
    return CompareNumbers(NumberOf(a), NumberOf(b));
  } else if constexpr (kRow == kColumnNumber) {
    const char* ta = ColumnTail(a, KeyIndex);
    const char* tb = ColumnTail(b, KeyIndex);
    if (!ta || !tb) return 0;
    return CompareNumbers(NumberOf(ta), NumberOf(tb));
  } else {
    return CompareNumbers(FieldNumber(a), FieldNumber(b));
  }
}

// Descending order is only ever the ascending comparison with its sign
// turned round.
template <ComparatorRow kRow, bool kFoldCase>
int CompareDescending(const void* left, const void* right) {
  return -CompareAscending<kRow, kFoldCase>(left, right);
}

}  // namespace

// Case has no meaning for numbers: their modes 2 and 3 repeat modes 0 and 1.
#define TARNEL_TEXT_ROW(row)                                      \
  {                                                               \
    CompareAscending<row, false>, CompareDescending<row, false>,  \
        CompareAscending<row, true>, CompareDescending<row, true> \
  }
#define TARNEL_NUMBER_ROW(row)                                      \
  {                                                                 \
    CompareAscending<row, false>, CompareDescending<row, false>,    \
        CompareAscending<row, false>, CompareDescending<row, false> \
  }

const LineComparator ComparatorTable[kComparatorRows][kBaseModes] = {
    TARNEL_TEXT_ROW(kWholeLineText),  TARNEL_TEXT_ROW(kColumnText),
    TARNEL_TEXT_ROW(kFieldText),      TARNEL_NUMBER_ROW(kWholeLineNumber),
    TARNEL_NUMBER_ROW(kColumnNumber), TARNEL_NUMBER_ROW(kFieldNumber),
};

#undef TARNEL_TEXT_ROW
#undef TARNEL_NUMBER_ROW

const char* ExtractField(const char* line, char* buffer) {
  const char* field = FindField(line, KeyIndex);
  if (!field) return nullptr;
  const std::size_t length = FieldLength(field);
  std::memset(buffer, 0, length + 1);
  std::memcpy(buffer, field, length);
  return buffer;
}

NumberText FieldNumber(const char* line) {
  return NumberOfField(line, KeyIndex);
}

}  // namespace tarnel
