// A text's length up to its first NUL, wherever in a large buffer that NUL
// lies, and in buffers that do not end in one.
#include "engine/text_length.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tarnel {
namespace {

struct LengthCase {
  const char* name;
  std::size_t size;       ///< of the buffer
  std::size_t first_nul;  ///< where the text ends; size - 1 for the last byte
  bool last_byte_set;     ///< the buffer's last byte is no NUL
};

class TextLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(TextLengthTest, EndsAtTheFirstNul) {
  const LengthCase& c = GetParam();
  ZeroedBuffer buffer =
      ZeroedBuffer::Allocate(c.size, AllocationSite::kReadBuffer);
  ASSERT_TRUE(buffer.valid());
  std::memset(buffer.data(), 'x', c.size - 1);
  buffer.data()[c.first_nul] = '\0';
  if (c.last_byte_set) {
    buffer.data()[c.size - 1] = 'x';
    buffer.data()[c.size - 2] = '\0';
  }
  EXPECT_EQ(TextLength(buffer), std::strlen(buffer.data()));
  EXPECT_EQ(TextLength(buffer), c.last_byte_set && c.first_nul == c.size - 1
                                    ? c.size - 2
                                    : c.first_nul);
}

constexpr std::size_t kBig = std::size_t{3} * kSplitSearchBytes + 5;

INSTANTIATE_TEST_SUITE_P(
    Buffers, TextLengthTest,
    ::testing::Values(LengthCase{"Small", 100, 99, false},
                      LengthCase{"SmallWithNulInside", 100, 40, false},
                      LengthCase{"BigToItsEnd", kBig, kBig - 1, false},
                      LengthCase{"BigNulInLowerHalf", kBig, 12345, false},
                      LengthCase{"BigNulAtTheMiddle", kBig, (kBig - 1) / 2,
                                 false},
                      LengthCase{"BigNulJustBeforeTheMiddle", kBig,
                                 (kBig - 1) / 2 - 1, false},
                      LengthCase{"BigNulInUpperHalf", kBig, kBig - 7, false},
                      LengthCase{"BigWithoutLastNul", kBig, kBig - 1, true}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel
