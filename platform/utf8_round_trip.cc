#include "platform/utf8_round_trip.h"

#include <cstdint>
#include <cstring>

namespace tarnel {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// U+FDD0 to U+FDEF and the last two code points of every plane.
bool IsNoncharacter(std::uint32_t c) {
  return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

bool SurvivesUtf16RoundTrip(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const unsigned char* const end = p + bytes.size();
  if (bytes.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    return false;
  }
  while (p < end) {
    // Most text is ASCII: eight bytes at a time while no high bit is set.
    if (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if ((word & kHighBits) == 0) {
        p += 8;
        continue;
      }
    }
    const unsigned char lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    int length;
    std::uint32_t c;
    std::uint32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, c = lead & 0x07, least = 0x10000;
    } else {
      return false;  // a continuation byte, or a lead that is never valid
    }
    if (end - p < length) return false;
    for (int k = 1; k < length; ++k) {
      if (!IsContinuation(p[k])) return false;
      c = (c << 6) | (p[k] & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ||
        IsNoncharacter(c)) {
      return false;
    }
    p += length;
  }
  return true;
}

std::string_view AfterUtf16Trip(std::string_view bytes,
                                const Utf16Trip& through_utf16,
                                std::string& converted) {
  if (SurvivesUtf16RoundTrip(bytes)) return bytes;
  converted = through_utf16(bytes);
  return converted;
}

}  // namespace tarnel
