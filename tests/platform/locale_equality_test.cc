// The repeat filter's equality where every system agrees: on POSIX in the
// C locale the suites run in, on Windows in code page 932.
#include "platform/locale_equality.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/equality_case.h"

namespace tarnel {
namespace {

class LocaleEqualityTest : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(LocaleEqualityTest, AnswersWithAndWithoutCase) {
  ExpectAnswers(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LocaleEqualityTest,
    ::testing::Values(
        EqualityCase{"SameText", "pear,120", "pear,120", true, true},
        EqualityCase{"BothEmpty", "", "", true, true},
        EqualityCase{"EmptyAndNot", "", "a", false, false},
        EqualityCase{"OnlyAsciiCase", "Apple", "aPPLE", false, true},
        EqualityCase{"OtherLetter", "apple", "apply", false, false},
        EqualityCase{"Prefix", "apple", "apples", false, false},
        // いろは, the same bytes.
        EqualityCase{"SameShiftJis", "\x82\xa2\x82\xeb\x82\xcd",
                     "\x82\xa2\x82\xeb\x82\xcd", true, true},
        // あ followed by ASCII that differs only in case.
        EqualityCase{"ShiftJisThenAsciiCase", "\x82\xa0pen", "\x82\xa0PEN",
                     false, true},
        EqualityCase{"ShiftJisThenOtherLetter", "\x82\xa0pen", "\x82\xa0pin",
                     false, false},
        // Other bytes from 128 up, then ASCII that differs only in case.
        EqualityCase{"OtherHighBytesThenAsciiCase", "\x82\xa0pen",
                     "\x82\xa1PEN", false, false},
        EqualityCase{"AsciiCaseThenUtf8", "Tokyo\xe6\x9d\xb1\xe4\xba\xac",
                     "TOKYO\xe6\x9d\xb1\xe4\xba\xac", false, true},
        // 東京 followed by ASCII that differs only in case.
        EqualityCase{"Utf8ThenAsciiCase", "\xe6\x9d\xb1\xe4\xba\xac,Alpha",
                     "\xe6\x9d\xb1\xe4\xba\xac,aLPHA", false, true},
        EqualityCase{"HighBytePrefix", "\x82\xa0pen", "\x82\xa0pens", false,
                     false},
        // Longer than a word of eight bytes: the case, a difference or the
        // end in the first, second or a partial one; the neighbours of A
        // to Z in ASCII.
        EqualityCase{"LongAsciiCase", "Alpha00012345,Beta-7",
                     "aLPHA00012345,bETA-7", false, true},
        EqualityCase{"LongAsciiOtherLastByte", "alpha00012345,xyzw",
                     "ALPHA00012345,xyzv", false, false},
        EqualityCase{"LongAsciiOtherInFirstWord", "alphb00012345,xyzw",
                     "ALPHA00012345,xyzw", false, false},
        EqualityCase{"LongAsciiPrefix", "alpha0001234567", "ALPHA00012345678",
                     false, false},
        EqualityCase{"LongAsciiThenUtf8", "ALPHA000123,\xe6\x9d\xb1",
                     "alpha000123,\xe6\x9d\xb1", false, true},
        EqualityCase{"BytesBesideTheLetters", "[alpha]{beta}@x`",
                     "[ALPHA]{BETA}@X`", false, true},
        EqualityCase{"BracketIsNoBrace", "[alpha]{beta}@x`", "{alpha]{beta}@x`",
                     false, false},
        EqualityCase{"AtIsNoBacktick", "[alpha]{beta}@x`", "[alpha]{beta}`x`",
                     false, false}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel
