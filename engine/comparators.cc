#include "engine/comparators.h"

#include <array>
#include <cstring>

#include "engine/line_sort.h"
#include "engine/sort_keys.h"

namespace tarnel {

std::int32_t KeyIndex = 0;
char FieldBufferA[kFieldCap + 1];
char FieldBufferB[kFieldCap + 1];

namespace {

// Upper case for a to z only, byte by byte: no locale is consulted, so a
// trail byte of a double-byte character in that range is folded as well.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  return table;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

int TextCompare(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && *x == *y) ++x, ++y;
  return int{*x} - int{*y};
}

int FoldedCompare(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && kFold[*x] == kFold[*y]) ++x, ++y;
  return int{kFold[*x]} - int{kFold[*y]};
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* LineOf(const void* entry) {
  return *static_cast<char* const*>(entry);
}

// The tail of |line| from the key column, or null when the line does not
// reach past it.
const char* ColumnTail(const char* line) {
  const std::size_t k = static_cast<std::uint32_t>(KeyIndex);
  const std::size_t reach = strnlen(line, k + 1);
  return reach > k ? line + k : nullptr;
}

template <bool kFoldCase>
int CompareTexts(const char* a, const char* b) {
  return kFoldCase ? FoldedCompare(a, b) : TextCompare(a, b);
}

template <ComparatorRow kRow, bool kFoldCase>
int CompareAscending(const void* left, const void* right) {
  const char* a = LineOf(left);
  const char* b = LineOf(right);
  if constexpr (kRow == kWholeLineText) {
    return CompareTexts<kFoldCase>(a, b);
  } else if constexpr (kRow == kColumnText) {
    const char* ta = ColumnTail(a);
    const char* tb = ColumnTail(b);
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
    const char* ta = ColumnTail(a);
    const char* tb = ColumnTail(b);
    if (!ta || !tb) return 0;
    return CompareNumbers(NumberOf(ta), NumberOf(tb));
  } else {
    return CompareNumbers(FieldNumber(a), FieldNumber(b));
  }
}

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

const char* FindField(const char* line) {
  for (std::int32_t skip = KeyIndex; skip > 0; --skip) {
    line = std::strchr(line, ',');
    if (!line) return nullptr;
    ++line;
  }
  return line;
}

const char* ExtractField(const char* line, char* buffer) {
  const char* field = FindField(line);
  if (!field) return nullptr;
  std::size_t length = std::strcspn(field, ",");
  if (length > kFieldCap) length = kFieldCap;
  std::memset(buffer, 0, length + 1);
  std::memcpy(buffer, field, length);
  return buffer;
}

NumberText NumberOf(const char* text) {
  NumberText number;
  while (IsSpace(*text)) ++text;
  if (*text == '+' || *text == '-') number.negative = (*text++ == '-');
  while (*text == '0') ++text;
  number.digits = text;
  while (IsDigit(*text)) ++text;
  number.count = static_cast<std::size_t>(text - number.digits);
  return number;
}

NumberText FieldNumber(const char* line) {
  const char* field = FindField(line);
  if (!field) return NumberOf("");
  if (*field == '"') ++field;
  return NumberOf(field);
}

int CompareNumbers(const NumberText& a, const NumberText& b) {
  const bool a_negative = a.negative && a.count > 0;
  const bool b_negative = b.negative && b.count > 0;
  if (a_negative != b_negative) return a_negative ? -1 : 1;
  int magnitude = 0;
  if (a.count != b.count) {
    magnitude = a.count < b.count ? -1 : 1;
  } else if (a.count > 0) {
    const int c = std::memcmp(a.digits, b.digits, a.count);
    magnitude = (c > 0) - (c < 0);
  }
  return a_negative ? -magnitude : magnitude;
}

ComparatorRow SelectRow(std::int32_t key_pos, std::int32_t key_kind) {
  const std::int32_t unit = key_kind & ~4;
  const bool numeric = (key_kind & 4) != 0;
  if (unit == 1) {
    if (key_pos == 0) return numeric ? kWholeLineNumber : kWholeLineText;
    return numeric ? kColumnNumber : kColumnText;
  }
  if (unit == 2) {
    if (numeric) return kFieldNumber;
    return key_pos == 0 ? kWholeLineText : kFieldText;
  }
  return kNoRow;
}

void SelectComparator(char** base, std::size_t count, int base_mode,
                      std::int32_t key_pos, std::int32_t key_kind,
                      ZeroedBuffer* table) {
  KeyIndex = key_pos;
  const ComparatorRow row = SelectRow(key_pos, key_kind);
  if (row == kNoRow) return;
  SortWithKeys(base, count, row, base_mode, key_pos, table);
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
