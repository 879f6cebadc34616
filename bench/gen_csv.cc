// Writes the benchmark's input: a CSV text of N lines (2,000,000 by default,
// about 80 MB) made from a fixed seed, so every run sorts the same bytes.
//
//   tarnel_gen_csv PATH [LINES] [--digits | --prefixed]
//
// Lines have 1 to 8 fields: words in mixed case, signed integers (some long,
// some negative), quoted decimals, and Japanese text in UTF-8; LF line ends.
// With --digits every line is instead 10 random decimal digits: many short
// lines, where the per-line costs dominate.
// With --prefixed every line starts with one of a dozen first words in one
// of its case forms and eight digits, then the fields as above, which follow
// from the word and the digits alone: lines share long prefixes, and many
// differ only in the case of their first word, which is where ties are
// decided deep in the lines and case twins meet.
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarnel {
namespace {

constexpr std::uint64_t kSeed = 0x7a3e1c5b9d2f4068;
constexpr long kDefaultLines = 2000000;

// splitmix64: tiny, fast, and the same sequence on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  /// A number in [0, n).
  std::uint32_t Below(std::uint32_t n) {
    return static_cast<std::uint32_t>((Next() >> 32) * n >> 32);
  }

 private:
  std::uint64_t state_;
};

constexpr const char* kWords[] = {
    "alpha",   "bravo",    "charlie",  "delta",   "echo",      "foxtrot",
    "golf",    "hotel",    "india",    "juliet",  "kilo",      "lima",
    "mike",    "november", "oscar",    "papa",    "quebec",    "romeo",
    "sierra",  "tango",    "uniform",  "victor",  "whiskey",   "xray",
    "yankee",  "zulu",     "apple",    "banana",  "cherry",    "date",
    "invoice", "order",    "customer", "product", "warehouse", "shipping",
    "total",   "tax",      "region",   "north",   "south",     "east",
    "west",    "status",   "pending",  "closed",  "open",      "archived"};
constexpr std::uint32_t kWordCount = sizeof kWords / sizeof kWords[0];

constexpr const char* kJapanese[] = {
    "東京",     "大阪府",   "テスト",   "日本語のテキスト",
    "株式会社", "データ",   "名古屋市", "売上合計",
    "注文番号", "ひらがな", "カタカナ", "漢字",
    "請求書",   "商品",     "倉庫"};
constexpr std::uint32_t kJapaneseCount = sizeof kJapanese / sizeof kJapanese[0];

void AppendWord(Random& random, std::string& line) {
  const char* word = kWords[random.Below(kWordCount)];
  const std::size_t start = line.size();
  line += word;
  switch (random.Below(4)) {
    case 0:  // lower case as it is
      break;
    case 1:  // Capitalised
      line[start] = static_cast<char>(line[start] - 32);
      break;
    case 2:  // UPPER
      for (std::size_t i = start; i < line.size(); ++i) {
        line[i] = static_cast<char>(line[i] - 32);
      }
      break;
    default:  // rAnDoM
      for (std::size_t i = start; i < line.size(); ++i) {
        if (random.Below(2)) line[i] = static_cast<char>(line[i] - 32);
      }
      break;
  }
  if (random.Below(3) == 0) line += std::to_string(random.Below(1000));
}

void AppendInteger(Random& random, std::string& line) {
  if (random.Below(3) == 0) line += '-';
  const std::uint32_t shape = random.Below(20);
  if (shape == 0) {
    // Longer than any 64-bit number.
    line += std::to_string(1 + random.Below(9));
    for (int i = 0; i < 22; ++i)
      line += static_cast<char>('0' + random.Below(10));
  } else if (shape < 4) {
    line += std::to_string(random.Next() >> 8);
  } else {
    line += std::to_string(random.Below(100000));
  }
}

void AppendDecimal(Random& random, std::string& line) {
  line += '"';
  if (random.Below(4) == 0) line += '-';
  line += std::to_string(random.Below(10000));
  line += '.';
  line += std::to_string(random.Below(100));
  line += '"';
}

void AppendLine(Random& random, std::string& line) {
  // Mostly 4 to 6 fields; a few short lines lack the later keys.
  const std::uint32_t r = random.Below(100);
  const std::uint32_t fields = r < 2 ? 1 : r < 5 ? 2 : r < 10 ? 3 : 4 + r % 3;
  AppendWord(random, line);
  if (fields >= 2) {
    line += ',';
    AppendInteger(random, line);
  }
  if (fields >= 3) {
    line += ',';
    if (random.Below(5) == 0) {
      line += kJapanese[random.Below(kJapaneseCount)];
    } else {
      AppendWord(random, line);
    }
  }
  for (std::uint32_t f = 3; f < fields; ++f) {
    line += ',';
    switch (random.Below(4)) {
      case 0:
        AppendDecimal(random, line);
        break;
      case 1:
        line += kJapanese[random.Below(kJapaneseCount)];
        break;
      case 2:
        AppendInteger(random, line);
        break;
      default:
        AppendWord(random, line);
        break;
    }
  }
  line += '\n';
}

constexpr const char* kFirstWords[] = {"alpha", "Beta",  "DELTA", "東京",
                                       "gamma", "Kappa", "OMEGA", "sigma",
                                       "大阪",  "Theta", "ZETA",  "lambda"};
constexpr std::uint32_t kFirstWordCount =
    sizeof kFirstWords / sizeof kFirstWords[0];

// The first word as written, lower case, upper case or capitalised.
void AppendCaseForm(Random& random, const char* word, std::string& line) {
  const std::size_t start = line.size();
  line += word;
  const std::uint32_t form = random.Below(4);
  for (std::size_t i = start; i < line.size(); ++i) {
    const char c = line[i];
    const bool lower = c >= 'a' && c <= 'z';
    const bool upper = c >= 'A' && c <= 'Z';
    const bool to_upper = form == 2 || (form == 3 && i == start);
    if (form == 0) break;
    if (to_upper && lower) line[i] = static_cast<char>(c - 32);
    if (!to_upper && upper) line[i] = static_cast<char>(c + 32);
  }
}

// |stems| numbers per first word make about two lines per word and number,
// so about half of the lines have a twin that differs at most in case.
void AppendPrefixedLine(Random& random, std::uint32_t stems,
                        std::string& line) {
  const std::uint32_t word = random.Below(kFirstWordCount);
  const std::uint32_t number = random.Below(stems);
  AppendCaseForm(random, kFirstWords[word], line);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08" PRIu32, number);
  line += digits;
  // The rest of the line follows from the word and the number.
  Random rest(kSeed ^ (std::uint64_t{word} << 32 | number));
  std::string fields;
  AppendLine(rest, fields);
  const std::size_t comma = fields.find(',');
  line.append(fields, comma == std::string::npos ? fields.size() - 1 : comma);
}

void AppendDigits(Random& random, std::string& line) {
  for (int i = 0; i < 10; ++i)
    line += static_cast<char>('0' + random.Below(10));
  line += '\n';
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  const char* const shape = argc >= 3 ? argv[argc - 1] : "";
  const bool digits = std::strcmp(shape, "--digits") == 0;
  const bool prefixed = std::strcmp(shape, "--prefixed") == 0;
  if (digits || prefixed) --argc;
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s PATH [LINES] [--digits | --prefixed]\n",
                 argv[0]);
    return 2;
  }
  const long lines =
      argc == 3 ? std::strtol(argv[2], nullptr, 10) : tarnel::kDefaultLines;
  if (lines <= 0) {
    std::fprintf(stderr, "LINES must be a positive number\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  tarnel::Random random(tarnel::kSeed);
  const auto stems = static_cast<std::uint32_t>(
      std::max<long>(1, std::min<long>(lines / 24, 100000000)));
  std::string chunk;
  std::uint64_t bytes = 0;
  for (long i = 0; i < lines; ++i) {
    if (digits) {
      tarnel::AppendDigits(random, chunk);
    } else if (prefixed) {
      tarnel::AppendPrefixedLine(random, stems, chunk);
    } else {
      tarnel::AppendLine(random, chunk);
    }
    if (chunk.size() >= (1u << 20) || i + 1 == lines) {
      if (std::fwrite(chunk.data(), 1, chunk.size(), out) != chunk.size()) {
        std::perror(argv[1]);
        std::fclose(out);
        return 1;
      }
      bytes += chunk.size();
      chunk.clear();
    }
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::printf("%ld lines, %" PRIu64 " bytes\n", lines, bytes);
  return 0;
}
