#include "ui/logic/parse_int.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarnel {
namespace {

struct ParseCase {
  std::string text;
  std::int32_t expected;  // with the default 77
};

class ParseIntDefaultTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseIntDefaultTest, ConvertsWholeTextOrGivesDefault) {
  EXPECT_EQ(ParseIntDefault(GetParam().text, 77), GetParam().expected)
      << "text: [" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Decimal, ParseIntDefaultTest,
    testing::Values(ParseCase{"1", 1}, ParseCase{"0", 0}, ParseCase{"00", 0},
                    ParseCase{"012", 12}, ParseCase{"+5", 5},
                    ParseCase{"-5", -5}, ParseCase{"-0", 0},
                    ParseCase{"1024", 1024},
                    ParseCase{"2147483647", 2147483647},
                    ParseCase{"-2147483648", INT32_MIN},
                    // One past either end of the signed 32-bit range.
                    ParseCase{"2147483648", 77}, ParseCase{"-2147483649", 77},
                    ParseCase{"99999999999999999999", 77},
                    ParseCase{"0000000000000000000000012", 12}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseIntDefaultTest,
    testing::Values(ParseCase{"$10", 16}, ParseCase{"x1f", 31},
                    ParseCase{"X1F", 31}, ParseCase{"0x10", 16},
                    ParseCase{"0XaB", 171}, ParseCase{"$7FFFFFFF", 2147483647},
                    // The top bit set: the pattern reads as negative.
                    ParseCase{"$80000000", INT32_MIN},
                    ParseCase{"$FFFFFFFF", -1}, ParseCase{"0xFFFFFFFE", -2},
                    ParseCase{"$000000001", 1},
                    // More than 32 bits.
                    ParseCase{"$100000000", 77},
                    // A prefix without digits, a sign before the prefix,
                    // digits that are not hexadecimal.
                    ParseCase{"$", 77}, ParseCase{"0x", 77},
                    ParseCase{"-$10", 77}, ParseCase{"+0x10", 77},
                    ParseCase{"$1G", 77}, ParseCase{"00x1", 77}));

INSTANTIATE_TEST_SUITE_P(
    BlanksAndJunk, ParseIntDefaultTest,
    testing::Values(
        ParseCase{"", 77}, ParseCase{" ", 77}, ParseCase{"   42", 42},
        ParseCase{"  -7", -7}, ParseCase{"  $1f", 31},
        // Only spaces are skipped, and only in front.
        ParseCase{"42 ", 77}, ParseCase{"\t42", 77}, ParseCase{"4 2", 77},
        ParseCase{"- 4", 77}, ParseCase{"-", 77}, ParseCase{"+", 77},
        ParseCase{"--4", 77}, ParseCase{"1,001", 77}, ParseCase{"1.5", 77},
        ParseCase{"1e3", 77}, ParseCase{"12abc", 77},
        // Full-width digits are not digits.
        ParseCase{"\xEF\xBC\x91", 77}));

TEST(ParseIntDefaultTest, ReturnsTheDefaultGivenNotAFixedOne) {
  EXPECT_EQ(ParseIntDefault("abc", 1), 1);
  EXPECT_EQ(ParseIntDefault("abc", -9), -9);
}

}  // namespace
}  // namespace tarnel
