// The lines ForEachLine visits: each line's start and end, wherever its
// line feed falls among the blocks the feeds are found in, and no byte read
// outside the stretch given (the stretches lie in buffers of their exact
// size, which the address sanitizer watches).
#include "engine/line_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tarnel {
namespace {

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

// The lines of |text| found one byte at a time.
Spans Expected(const std::string& text) {
  Spans spans;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      spans.emplace_back(start, i);
      start = i + 1;
    }
  }
  if (start < text.size()) spans.emplace_back(start, text.size());
  return spans;
}

Spans Visited(const std::string& text) {
  const std::vector<char> bytes(text.begin(), text.end());
  const char* const from = bytes.data();
  Spans spans;
  ForEachLine(from, from + bytes.size(),
              [&](const char* line, const char* end) {
                spans.emplace_back(line - from, end - from);
              });
  return spans;
}

TEST(ForEachLineTest, VisitsEveryLineAsItsFeedsPartThem) {
  std::vector<std::string> texts = {"",
                                    "\n",
                                    "\n\n",
                                    "a",
                                    "a\n",
                                    "a\nb",
                                    "\r\n\r\n",
                                    std::string(63, 'x') + "\n",
                                    std::string(64, 'x') + "\n",
                                    std::string(64, 'x'),
                                    std::string(127, '\n'),
                                    std::string(200, 'y')};
  // Lines of every length up to 70 after a first line that moves them
  // across the blocks, and random texts whose feeds fall anywhere.
  for (std::size_t shift = 0; shift < 64; shift += 7) {
    std::string text(shift, 's');
    for (std::size_t length = 0; length <= 70; ++length) {
      text += '\n' + std::string(length, 'l');
    }
    texts.push_back(text);
  }
  std::mt19937 rng(9);
  for (int i = 0; i < 200; ++i) {
    std::string text(rng() % 300, 'r');
    for (char& c : text) c = rng() % 8 == 0 ? '\n' : 'r';
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.size());
    EXPECT_EQ(Visited(text), Expected(text));
  }
}

}  // namespace
}  // namespace tarnel
