// The repeat filter's equality where every system agrees: on POSIX in the
// C locale the suites run in, on Windows in code page 932.
#include "platform/locale_equality.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace tarnel {
namespace {

struct EqualityCase {
  const char* name;
  const char* a;
  const char* b;
  bool equal;  ///< with case
  bool equal_ignoring_case;
};

class LocaleEqualityTest : public ::testing::TestWithParam<EqualityCase> {};

void ExpectAnswers(const EqualityCase& c) {
  EXPECT_EQ(LocaleEquality(false)(c.a, c.b), c.equal);
  EXPECT_EQ(LocaleEquality(false)(c.b, c.a), c.equal);
  EXPECT_EQ(LocaleEquality(true)(c.a, c.b), c.equal_ignoring_case);
  EXPECT_EQ(LocaleEquality(true)(c.b, c.a), c.equal_ignoring_case);
}

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

// In a UTF-8 locale case is folded beyond ASCII, character by character;
// a text that is not valid UTF-8 falls back to folding A to Z only.
class LocaleEqualityUtf8Test : public LocaleEqualityTest {
 protected:
  void SetUp() override {
    previous_ = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8";
  }
  void TearDown() override { std::setlocale(LC_ALL, previous_.c_str()); }

 private:
  std::string previous_;
};

TEST_P(LocaleEqualityUtf8Test, AnswersWithAndWithoutCase) {
  ExpectAnswers(GetParam());
}

// Tokyo in kanji is \xe6\x9d\xb1\xe4\xba\xac; e acute \xc3\xa9, and in upper
// case \xc3\x89. A split literal ends an escape before a hex digit.
INSTANTIATE_TEST_SUITE_P(
    Lines, LocaleEqualityUtf8Test,
    ::testing::Values(
        EqualityCase{"AccentCase", "\xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89",
                     false, true},
        EqualityCase{"CaseAfterKanji", "\xe6\x9d\xb1\xe4\xba\xac,ete\xc3\xa9",
                     "\xe6\x9d\xb1\xe4\xba\xac,ETE\xc3\x89", false, true},
        EqualityCase{"DigitAfterKanji", "\xe6\x9d\xb1\xe4\xba\xac,00012345",
                     "\xe6\x9d\xb1\xe4\xba\xac,00012346", false, false},
        EqualityCase{"KanjiPrefix", "\xe6\x9d\xb1\xe4\xba\xac",
                     "\xe6\x9d\xb1\xe4\xba\xacx", false, false},
        EqualityCase{"OtherKanji", "\xe6\x9d\xb1", "\xe6\x9d\xb2", false,
                     false},
        EqualityCase{"InvalidAfterCaseTwin", "\xc3\xa9\xff", "\xc3\x89\xff",
                     false, false},
        EqualityCase{"InvalidAfterAsciiCase", "\xe6\x9d\xb1x\xff",
                     "\xe6\x9d\xb1X\xff", false, true},
        EqualityCase{"CutSequenceAfterCaseTwin", "\xc3\xa9\xc3", "\xc3\x89\xc3",
                     false, false},
        EqualityCase{"InvalidAfterOtherKanji", "\xe6\x9d\xb1\xff",
                     "\xe6\x9d\xb2\xff", false, false}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel
