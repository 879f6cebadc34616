#include "engine/key_syntax.h"

#include <cstring>

#include "platform/ascii_fold.h"

namespace tarnel {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const char* ColumnTail(const char* line, std::int32_t key_index) {
  const std::size_t k = static_cast<std::uint32_t>(key_index);
  const std::size_t reach = strnlen(line, k + 1);
  return reach > k ? line + k : nullptr;
}

const char* FindField(const char* line, std::int32_t key_index) {
  for (std::int32_t skip = key_index; skip > 0; --skip) {
    line = std::strchr(line, ',');
    if (!line) return nullptr;
    ++line;
  }
  return line;
}

std::size_t FieldLength(const char* field) {
  const std::size_t length = std::strcspn(field, ",");
  return length > kFieldCap ? kFieldCap : length;
}

int CompareText(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && *x == *y) ++x, ++y;
  return int{*x} - int{*y};
}

int CompareFoldedText(const char* a, const char* b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && FoldCase(*x) == FoldCase(*y)) ++x, ++y;
  return int{FoldCase(*x)} - int{FoldCase(*y)};
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

NumberText NumberOfField(const char* line, std::int32_t key_index) {
  const char* field = FindField(line, key_index);
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

}  // namespace tarnel
