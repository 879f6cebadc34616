// The texts of the boxes that carry a count or a path.
#include "core/box_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tarnel {
namespace {

TEST(FormatBoxTextTest, CountsPrintAsFullUnsignedDecimals) {
  EXPECT_EQ(
      FormatBoxText("Read Error!(statbuf.st_size=[%u], readsize=[%u])",
                    {std::uint64_t{5000000000}, std::uint64_t{4294967296}}),
      "Read Error!(statbuf.st_size=[5000000000], readsize=[4294967296])");
}

}  // namespace
}  // namespace tarnel
