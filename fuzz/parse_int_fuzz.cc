// ParseIntDefault against a model written here from its contract, on raw
// bytes and on texts built from the pieces that matter: leading blanks, a
// sign, the hexadecimal forms $, x, X, 0x and 0X, digits at and around the
// 32-bit edges, and what may follow them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "ui/logic/parse_int.h"

namespace tarnel {
namespace {

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) {
  return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  return digits;
}

// Compares digit strings without leading zeros by length, then as text.
bool AtMost(std::string_view digits, std::string_view limit) {
  return digits.size() < limit.size() ||
         (digits.size() == limit.size() && digits <= limit);
}

// The value |text| spells, or none when the default applies.
std::optional<std::int32_t> Model(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::nullopt;
  std::string_view rest = text.substr(start);

  std::size_t prefix = 0;
  if (rest.starts_with("0x") || rest.starts_with("0X")) {
    prefix = 2;
  } else if (rest.starts_with('$') || rest.starts_with('x') ||
             rest.starts_with('X')) {
    prefix = 1;
  }
  if (prefix != 0) {
    const std::string_view digits = rest.substr(prefix);
    if (digits.empty()) return std::nullopt;
    for (const char c : digits) {
      if (!IsHex(c)) return std::nullopt;
    }
    const std::string_view significant = WithoutLeadingZeros(digits);
    if (significant.size() > 8) return std::nullopt;
    const std::uint32_t pattern = static_cast<std::uint32_t>(
        std::stoul(std::string(significant), nullptr, 16));
    return static_cast<std::int32_t>(pattern);
  }

  const bool negative = rest.starts_with('-');
  if (negative || rest.starts_with('+')) rest.remove_prefix(1);
  if (rest.empty()) return std::nullopt;
  for (const char c : rest) {
    if (!IsDecimal(c)) return std::nullopt;
  }
  const std::string_view significant = WithoutLeadingZeros(rest);
  if (!AtMost(significant, negative ? "2147483648" : "2147483647")) {
    return std::nullopt;
  }
  const long long magnitude = std::stoll(std::string(significant));
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// A text of the shapes the contract speaks of.
std::string Built(FuzzedDataProvider& input) {
  std::string text(input.ConsumeIntegralInRange<std::size_t>(0, 3), ' ');
  text += input.PickValueInArray({"", "", "+", "-", "--", "+-"});
  text += input.PickValueInArray({"", "", "$", "x", "X", "0x", "0X", "00x"});
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      text += input.PickValueInArray(
          {"0", "00", "1", "2147483647", "2147483648", "2147483649",
           "02147483647", "4294967295", "4294967296", "9999999999", "7FFFFFFF",
           "80000000", "FFFFFFFF", "fffffffF", "100000000", "000000000FF", "1a",
           "-1", ""});
      break;
    case 1:
      text += std::to_string(input.ConsumeIntegral<std::int64_t>());
      break;
    default:
      text += input.ConsumeRandomLengthString(24);
      break;
  }
  text += input.PickValueInArray({"", "", "", " ", "\t", "x", "0", "\xff"});
  return text;
}

}  // namespace
}  // namespace tarnel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tarnel;
  FuzzedDataProvider input(data, size);
  const auto default_value = input.ConsumeIntegral<std::int32_t>();
  const std::string text = input.ConsumeBool()
                               ? Built(input)
                               : input.ConsumeRemainingBytesAsString();
  const std::optional<std::int32_t> model = Model(text);
  const std::int32_t parsed = ParseIntDefault(text, default_value);
  FUZZ_CHECK(parsed == model.value_or(default_value),
             "text [" + text + "] gave " + std::to_string(parsed) +
                 ", the model " +
                 (model ? std::to_string(*model) : std::string("the default")));
  return 0;
}
