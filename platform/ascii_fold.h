// The one case fold TARNEL applies itself: the bytes a to z become A to Z,
// every other byte stays. No locale is consulted and characters are not
// decoded, so a trail byte of a double-byte character in that range is
// folded too. Keys compare folded this way when case is ignored, the repeat
// filter falls back to it for text the locale cannot decode, and command-line
// options are matched with it.
#ifndef TARNEL_PLATFORM_ASCII_FOLD_H_
#define TARNEL_PLATFORM_ASCII_FOLD_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnel {

/// |c| with a to z upper-cased.
constexpr unsigned char FoldCase(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A'))
                                : c;
}

/// The same fold on the eight bytes of |word| at once.
constexpr std::uint64_t FoldCaseInWord(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHigh = 0x8080808080808080u;
  // The high bit of each byte of |low7| + (0x80 - c) is set exactly when
  // that byte's low seven bits are at least c.
  const std::uint64_t low7 = word & ~kHigh;
  const std::uint64_t at_least_a = low7 + (0x80 - 'a') * kOnes;
  const std::uint64_t above_z = low7 + (0x80 - 'z' - 1) * kOnes;
  const std::uint64_t is_lower = at_least_a & ~above_z & ~word & kHigh;
  // 0x80 >> 2 is 0x20, the distance from a lower- to an upper-case letter.
  return word - (is_lower >> 2);
}

/// A copy of |text| with the fold applied to every byte.
inline std::string FoldedCopy(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    c = static_cast<char>(FoldCase(static_cast<unsigned char>(c)));
  }
  return folded;
}

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_ASCII_FOLD_H_
