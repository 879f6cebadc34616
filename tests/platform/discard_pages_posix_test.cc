// Pages given back from a buffer: never a byte outside the range asked
// for, and every whole page inside it, on small pages and on huge ones,
// where a buffer of huge pages ends in small ones.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/memory.h"

namespace tarnel {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;
constexpr char kFill = 0x5a;

struct DiscardCase {
  const char* name;
  std::size_t size;    ///< of the buffer
  std::size_t offset;  ///< of the range given back
  std::size_t bytes;
  /// Part of the range that must be gone whatever the page size.
  std::size_t gone_from;
  std::size_t gone_to;
};

// Whether any page of [from, to) of |data| is in memory.
bool AnyResident(const char* data, std::size_t from, std::size_t to) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(data + from);
  const std::uintptr_t first = start / page * page;
  const std::size_t length =
      reinterpret_cast<std::uintptr_t>(data + to) - first;
  std::vector<unsigned char> pages((length + page - 1) / page);
  if (::mincore(reinterpret_cast<void*>(first), length, pages.data()) != 0) {
    ADD_FAILURE() << "mincore failed";
    return true;
  }
  for (unsigned char p : pages) {
    if (p & 1) return true;
  }
  return false;
}

class DiscardPagesTest : public ::testing::TestWithParam<DiscardCase> {};

TEST_P(DiscardPagesTest, GivesBackWholePagesOfTheRangeOnly) {
  const DiscardCase& c = GetParam();
  ZeroedBuffer buffer =
      ZeroedBuffer::Allocate(c.size, AllocationSite::kSortKeys);
  ASSERT_TRUE(buffer.valid());
  char* const data = buffer.data();
  std::fill(data, data + c.size, kFill);
  buffer.DiscardPages(c.offset, c.bytes);

  EXPECT_FALSE(AnyResident(data, c.gone_from, c.gone_to));
  const std::size_t end = std::min(c.size, c.offset + c.bytes);
  for (std::size_t i = 0; i < c.size; ++i) {
    const bool inside = i >= c.offset && i < end;
    if (!inside && data[i] != kFill) {
      FAIL() << "byte " << i << " outside the range was lost";
    }
    if (inside && data[i] != kFill && data[i] != 0) {
      FAIL() << "byte " << i << " is neither kept nor zero";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, DiscardPagesTest,
    ::testing::Values(
        // Below the size that gets huge pages.
        DiscardCase{"SmallPages", kMiB, 5000, 600000, 16384, 589824},
        // Huge pages throughout: a range across three of them.
        DiscardCase{"InsideHugePages", 16 * kMiB, kMiB + 3, 6 * kMiB, 2 * kMiB,
                    6 * kMiB},
        // The small pages after the last whole huge page go one by one.
        DiscardCase{"TailAfterHugePages", 9 * kMiB + 123, 8 * kMiB + 5000, kMiB,
                    8 * kMiB + 8192, 9 * kMiB},
        // A range from the huge pages into the tail, asked past the end.
        DiscardCase{"HugePagesIntoTail", 9 * kMiB + 123, 3 * kMiB, 10 * kMiB,
                    4 * kMiB, 9 * kMiB}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel
