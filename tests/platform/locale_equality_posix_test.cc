// The repeat filter's equality in a UTF-8 locale, where POSIX folds case
// beyond ASCII, character by character, and a text that is not valid UTF-8
// falls back to folding A to Z only.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/locale_equality.h"
#include "tests/platform/equality_case.h"

namespace tarnel {
namespace {

class LocaleEqualityUtf8Test : public ::testing::TestWithParam<EqualityCase> {
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
// case \xc3\x89.
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
