// Writes an input built against the line sort (McIlroy's adversary played
// against its own steps) and the same lines shuffled, for timing the sort on
// its worst case beside an ordinary order of the same bytes.
//
//   tarnel_gen_killer KIND LINES KILLER_PATH SHUFFLED_PATH
//
// KIND distinct: every line a different key, for the whole-line sort; lines
// start with the key in nine digits, so byte order is key order.
// KIND pairs: every key held by two lines that differ, for `-1nf` (field 1
// as a number): "4711,..." and "0004711,...", equal as numbers.
// Prints what the sort's plain steps would spend on the killer order.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/sort_adversary.h"

namespace tarnel {
namespace {

constexpr const char* kWords[] = {
    "alpha",   "bravo", "charlie", "delta",   "echo",   "foxtrot",
    "golf",    "hotel", "india",   "juliet",  "kilo",   "lima",
    "mike",    "north", "south",   "east",    "west",   "order",
    "invoice", "total", "status",  "pending", "closed", "open"};
constexpr std::uint64_t kWordCount = sizeof kWords / sizeof kWords[0];

// splitmix64: the same sequence on every platform.
std::uint64_t Mix(std::uint64_t x) {
  std::uint64_t z = x + 0x9e3779b97f4a7c15;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}

// The line of |key|; |second| for the other line of a pair.
std::string LineOf(std::uint32_t key, bool second, KillerKind kind) {
  const std::uint64_t r = Mix(key * 2 + (second ? 1 : 0));
  char text[64];
  if (kind == KillerKind::kDistinct) {
    std::snprintf(text, sizeof text, "%09u,%s,%u\n", key,
                  kWords[r % kWordCount],
                  static_cast<unsigned>(r >> 40) % 100000);
  } else {
    std::snprintf(text, sizeof text, second ? "%07u,%s,%u\n" : "%u,%s,%u\n",
                  key, kWords[r % kWordCount],
                  static_cast<unsigned>(r >> 40) % 100000);
  }
  return text;
}

bool Write(const char* path, const std::vector<std::string>& lines,
           const std::vector<std::uint32_t>& order) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) {
    std::perror(path);
    return false;
  }
  std::string chunk;
  bool ok = true;
  for (std::size_t i = 0; i < order.size() && ok; ++i) {
    chunk += lines[order[i]];
    if (chunk.size() >= (1u << 20) || i + 1 == order.size()) {
      ok = std::fwrite(chunk.data(), 1, chunk.size(), out) == chunk.size();
      chunk.clear();
    }
  }
  if (std::fclose(out) != 0) ok = false;
  if (!ok) std::perror(path);
  return ok;
}

int Main(int argc, char** argv) {
  const bool distinct = argc == 5 && std::strcmp(argv[1], "distinct") == 0;
  const bool pairs = argc == 5 && std::strcmp(argv[1], "pairs") == 0;
  const long count = argc == 5 ? std::strtol(argv[2], nullptr, 10) : 0;
  if ((!distinct && !pairs) || count <= 0) {
    std::fprintf(stderr,
                 "usage: %s distinct|pairs LINES KILLER_PATH SHUFFLED_PATH\n",
                 argv[0]);
    return 2;
  }
  const KillerKind kind = distinct ? KillerKind::kDistinct : KillerKind::kPairs;
  const std::size_t n = static_cast<std::size_t>(count);
  const KillerOrder killer = PlayAgainstLineSortSkipping(n, kind);

  // lines[i] is the line at position i of the killer order.
  std::vector<std::string> lines;
  lines.reserve(n);
  std::vector<bool> seen(n + 1, false);
  for (std::uint32_t key : killer.keys) {
    lines.push_back(LineOf(key, seen[key], kind));
    seen[key] = true;
  }
  std::vector<std::uint32_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  if (!Write(argv[3], lines, order)) return 1;
  // Fisher-Yates with a fixed seed: the same shuffle everywhere.
  for (std::size_t i = n - 1; i > 0; --i) {
    std::swap(order[i], order[Mix(i) % (i + 1)]);
  }
  if (!Write(argv[4], lines, order)) return 1;
  std::printf("%zu lines; the plain steps take %" PRIu64
              " comparisons on the killer order\n",
              n, killer.comparisons);
  return 0;
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) { return tarnel::Main(argc, argv); }
