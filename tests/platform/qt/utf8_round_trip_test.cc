// The check that lets the clipboard skip the trip through UTF-16, held to
// what Qt's own conversions do with the same bytes.
#include "platform/utf8_round_trip.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <random>
#include <string>

namespace tarnel {
namespace {

std::string ThroughUtf16(const std::string& bytes) {
  const QByteArray back =
      QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()))
          .toLocal8Bit();
  return std::string(back.constData(), static_cast<std::size_t>(back.size()));
}

struct Case {
  const char* name;
  std::string bytes;
  bool survives;
};

class Utf8RoundTripTest : public ::testing::TestWithParam<Case> {};

TEST_P(Utf8RoundTripTest, SaysSurvivesOnlyWhereQtGivesTheSameBytesBack) {
  const Case& c = GetParam();
  EXPECT_EQ(SurvivesUtf16RoundTrip(c.bytes), c.survives);
  if (c.survives) {
    EXPECT_EQ(ThroughUtf16(c.bytes), c.bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Utf8RoundTripTest,
    ::testing::Values(
        Case{"Empty", "", true},
        Case{"Ascii", "pear\r\napple\r\nfig, 42\t~\x7f\r\n", true},
        Case{"LongAsciiThenKana", std::string(40, 'a') + "さくら\n", true},
        Case{"TwoThreeAndFourBytes", "\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8d\x90",
             true},
        Case{"HighestCodePoint", "\xf4\x8f\xbf\xbd", true},
        Case{"StrayContinuation", "ab\x80", false},
        Case{"ShiftJisBytes", "\x82\xa0\x82\xa2\n", false},
        Case{"CutSequenceAtEnd", "abc\xe3\x81", false},
        Case{"OverlongSlash", "\xc0\xaf", false},
        Case{"OverlongThreeBytes", "\xe0\x80\xaf", false},
        Case{"Surrogate", "\xed\xa0\x80", false},
        Case{"AboveUnicode", "\xf4\x90\x80\x80", false},
        Case{"ByteFF", "\xff", false},
        Case{"LeadingByteOrderMark",
             "\xef\xbb\xbf"
             "abc",
             false},
        Case{"Noncharacter", "\xef\xbf\xbe", false}),
    [](const ::testing::TestParamInfo<Case>& param_info) {
      return std::string(param_info.param.name);
    });

// Whatever the check lets through must come back unchanged, for bytes made
// to hit its edges: ASCII runs, lead and continuation bytes of every kind.
TEST(Utf8RoundTripPropertyTest, EveryTextItLetsThroughComesBackUnchanged) {
  static const unsigned char kBytes[] = {'a',  '\n', 0x7f, 0x80, 0xbf, 0xc2,
                                         0xdf, 0xe0, 0xed, 0xef, 0xf0, 0xf4,
                                         0x8f, 0x90, 0xa0, 0xbb, 0xbe};
  std::mt19937 rng(5);
  int passed = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const int length = static_cast<int>(rng() % 12);
    for (int i = 0; i < length; ++i) {
      bytes += static_cast<char>(kBytes[rng() % sizeof kBytes]);
    }
    if (!SurvivesUtf16RoundTrip(bytes)) continue;
    ++passed;
    ASSERT_EQ(ThroughUtf16(bytes), bytes);
  }
  // Enough texts with multi-byte sequences got through to mean something.
  EXPECT_GT(passed, 2000);
}

}  // namespace
}  // namespace tarnel
