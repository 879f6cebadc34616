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

std::vector<std::string> SharedPrefixes(std::mt19937& rng, std::size_t n) {
  static const char* const kWords[] = {"alpha",
                                       "ALPHA",
                                       "Alpha",
                                       "delta",
                                       "DELTA",
                                       "\xe6\x9d\xb1",
                                       "sigma_",
                                       "SIGMA_",
                                       "Sigma_",
                                       "z",
                                       "\x82\xa0"
                                       "alpha",
                                       "\x82\xa0"
                                       "ALPHA"};
  static const char* const kFields[] = {"",          ",42",      ",-42,x",
                                        ",\"7\",Ab", ",007,aB,", ",,"};
  const std::size_t stems = n / 8 + 1;
  std::vector<std::string> lines(n);
  for (std::string& line : lines) {
    const std::size_t word = rng() % std::size(kWords);
    const std::size_t stem = rng() % stems;
    line = kWords[word];
    const std::string digits = std::to_string(100000000 + stem).substr(1);
    line += digits;
    // The rest follows from the word's letters and the digits alone, so
    // that case forms of one word are twins.
    line += kFields[(word / 3 + stem) % std::size(kFields)];
  }
  return lines;
}

}  // namespace tarnel
