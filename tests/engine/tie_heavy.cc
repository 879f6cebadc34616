// Lines rich in ties for the sort suites that hold the engine to the plain
// procedure.
#include "tests/engine/tie_heavy.h"

#include <iterator>

namespace tarnel {

std::vector<std::string> TieHeavy(std::mt19937& rng, std::size_t n) {
  static const char* const kPieces[] = {"",
                                        "a",
                                        "A",
                                        "b",
                                        "B",
                                        "ab",
                                        "aB",
                                        "_",
                                        "\xe6\x9d\xb1",
                                        "\x82\xa0",
                                        "1",
                                        "01",
                                        "-0",
                                        "+7",
                                        " 42",
                                        "\"3",
                                        "99999999999999999999",
                                        "-5x",
                                        "sameprefix-sameprefix-"};
  std::vector<std::string> lines(n);
  for (std::string& line : lines) {
    const int fields = static_cast<int>(rng() % 4);
    line = kPieces[rng() % std::size(kPieces)];
    for (int f = 0; f < fields; ++f) {
      line += ',';
      line += kPieces[rng() % std::size(kPieces)];
    }
  }
  return lines;
}

}  // namespace tarnel
