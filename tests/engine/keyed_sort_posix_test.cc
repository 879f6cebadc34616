// The keyed sort's 16-byte items hold a line as its distance from the lowest
// line in at most 32 bits: lines just within 4 GiB of it must take them,
// lines one byte further the 24-byte items, and both must find their lines.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/keyed_sort.h"

namespace tarnel {
namespace {

TEST(SortKeysFarApartTest, LinesAcross4GiBFindTheirLinesAgain) {
  // An address range as large as a file of over 4 GiB, reserved without
  // memory; only the pages the lines are on are made writable.
  const std::size_t bytes = kCompactSpan + (std::size_t{1} << 20);
  void* range = ::mmap(nullptr, bytes, PROT_NONE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (range == MAP_FAILED) GTEST_SKIP() << "no address range of over 4 GiB";
  const auto unmap = [bytes](void* start) { ::munmap(start, bytes); };
  const std::unique_ptr<void, decltype(unmap)> reserved(range, unmap);
  char* const origin = static_cast<char*>(range);
  ASSERT_EQ(::mprotect(origin, 1 << 16, PROT_READ | PROT_WRITE), 0);
  ASSERT_EQ(::mprotect(origin + kCompactSpan - (1 << 16), 1 << 17,
                       PROT_READ | PROT_WRITE),
            0);
  auto put = [origin](std::uint64_t at, const char* line) {
    return std::strcpy(origin + at, line);
  };
  char* const low[] = {put(64, "prefix-held-and-more-2"), put(96, "echo"),
                       put(112, "alpha")};
  for (const std::uint64_t distance : {kCompactSpan - 1, kCompactSpan}) {
    // Ties with the lowest line on every byte an item holds.
    char* const high = put(64 + distance, "prefix-held-and-more-1");
    std::vector<char*> base = {low[0], low[1], high, low[2]};
    ASSERT_TRUE(SortWithKeys(base.data(), base.size(), kColumnText, 0, 0));
    EXPECT_EQ(base, (std::vector<char*>{low[2], low[1], high, low[0]}))
        << "distance " << distance;
  }
}

}  // namespace
}  // namespace tarnel
