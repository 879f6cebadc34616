// The lines of a stretch of text, visited in order.
#ifndef TARNEL_ENGINE_LINE_SCAN_H_
#define TARNEL_ENGINE_LINE_SCAN_H_

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnel {

// Calls |visit(line, end)| for every line that starts in [from, to), |end|
// being its line feed or |to|, and reads nothing outside [from, to). Where
// the machine compares sixteen bytes at once, the feeds of 64 bytes are
// found together: lines are too short for a search per line to pay. A
// visit may change its line and what lies before it, which the search has
// left behind.
template <typename Text, typename Visit>
void ForEachLine(Text* from, Text* to, Visit&& visit) {
  Text* line = from;
  Text* p = from;
#if defined(__SSE2__)
  const __m128i feed = _mm_set1_epi8('\n');
  for (; to - p >= 64; p += 64) {
    std::uint64_t feeds = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i bytes =
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      const auto mask = static_cast<std::uint16_t>(
          _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)));
      feeds |= std::uint64_t{mask} << (16 * k);
    }
    for (; feeds != 0; feeds &= feeds - 1) {
      Text* end = p + std::countr_zero(feeds);
      visit(line, end);
      line = end + 1;
    }
  }
#endif
  while (line < to) {
    // No feed lies between |line| and |p|.
    Text* search = std::max(line, p);
    auto* found =
        std::memchr(search, '\n', static_cast<std::size_t>(to - search));
    Text* end = found ? static_cast<Text*>(found) : to;
    visit(line, end);
    line = end + 1;
  }
}

}  // namespace tarnel

#endif  // TARNEL_ENGINE_LINE_SCAN_H_
