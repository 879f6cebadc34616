#include "ui/logic/parse_int.h"

#include <cstddef>

namespace tarnel {

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t ParseIntDefault(std::string_view text,
                             std::int32_t default_value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return default_value;

  // Hexadecimal: a bit pattern of at most 32 bits, never signed.
  std::size_t hex_start = 0;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
    hex_start = i + 1;
  } else if (text[i] == '0' && i + 1 < text.size() &&
             (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex_start = i + 2;
  }
  if (hex_start != 0) {
    if (hex_start == text.size()) return default_value;
    std::uint64_t pattern = 0;
    for (std::size_t j = hex_start; j < text.size(); ++j) {
      const int digit = HexDigitValue(text[j]);
      if (digit < 0) return default_value;
      pattern = pattern * 16 + static_cast<std::uint64_t>(digit);
      if (pattern > 0xFFFFFFFFu) return default_value;
    }
    // Two's complement conversion: the top bit makes the value negative.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(pattern));
  }

  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return default_value;
  // The magnitude may reach 2^31 only for a negative number.
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!IsDecimalDigit(text[i])) return default_value;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > limit) return default_value;
  }
  const std::int64_t value = static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace tarnel
