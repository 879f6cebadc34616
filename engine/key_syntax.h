// How a key is found in a line and how two keys compare: the column tail,
// the comma-separated field, the number of a text, and byte-wise text order
// with or without case. Every form of the sort reads keys through these, so
// they agree on every pair of lines.
#ifndef TARNEL_ENGINE_KEY_SYNTAX_H_
#define TARNEL_ENGINE_KEY_SYNTAX_H_

#include <cstddef>
#include <cstdint>

namespace tarnel {

/// The six ways to read and compare a key, in the order the comparator
/// table stores them.
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

constexpr bool IsNumberRow(ComparatorRow row) {
  return row == kWholeLineNumber || row == kColumnNumber || row == kFieldNumber;
}

/// Longest field a field-text comparison looks at; longer fields are cut.
inline constexpr std::size_t kFieldCap = 512;

/// The tail of |line| from byte |key_index| on (taken as unsigned, so a
/// negative index lies beyond every line), or null when the line does not
/// reach past that byte.
const char* ColumnTail(const char* line, std::int32_t key_index);

/// The start of the field after |key_index| commas (none for 0 or less), or
/// null when the line has fewer fields.
const char* FindField(const char* line, std::int32_t key_index);

/// The length of the field starting at |field|: up to the next comma or the
/// end of the line, at most kFieldCap.
std::size_t FieldLength(const char* field);

/// Byte-wise order of two texts, bytes taken as 0 to 255; a prefix sorts
/// first. Only the sign counts.
int CompareText(const char* a, const char* b);
/// The same with a to z folded to upper case first.
int CompareFoldedText(const char* a, const char* b);

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

/// The number of the field after |key_index| commas: the number after one
/// optional double quote, or 0 when the line has no such field. The field
/// is not cut at its comma; the number ends at its first non-digit anyway.
NumberText NumberOfField(const char* line, std::int32_t key_index);

/// Compares two numbers by exact value; -0 equals 0.
int CompareNumbers(const NumberText& a, const NumberText& b);

}  // namespace tarnel

#endif  // TARNEL_ENGINE_KEY_SYNTAX_H_
