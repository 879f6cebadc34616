#include "ui/logic/command_line_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnel {
namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
  const char* name;
  std::string command_line;
  Arguments expected;
};

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheArgumentsAfterTheProgram) {
  EXPECT_EQ(SplitCommandLine(GetParam().command_line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitCommandLineTest,
    testing::Values(
        SplitCase{"ProgramOnly", "tarnel.exe", {}}, SplitCase{"Empty", "", {}},
        SplitCase{"Plain", "tarnel.exe -a -f in.txt", {"-a", "-f", "in.txt"}},
        SplitCase{"QuotedProgramWithBlanks",
                  "\"C:\\Program Files\\tarnel.exe\" -r",
                  {"-r"}},
        SplitCase{"QuotedArgumentKeepsBlanks",
                  "t -f \"my file.txt\"",
                  {"-f", "my file.txt"}},
        SplitCase{"QuoteMidArgument", "t a\"b c\"d", {"ab cd"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", "t \"a b", {"a b"}},
        SplitCase{"ControlBytesSeparate",
                  "t a\tb\r\nc\x01"
                  "d",
                  {"a", "b", "c", "d"}},
        SplitCase{"RunsOfBlanks", "t    a     b   ", {"a", "b"}},
        // Adjacent quote pairs between arguments are skipped entirely.
        SplitCase{"EmptyQuotesSkipped", "t \"\" a \"\"\"\" b", {"a", "b"}},
        // Inside an argument a pair is an empty quoted run.
        SplitCase{"EmptyQuotesInsideArgument", "t a\"\"b", {"ab"}},
        // A lone quote at the end gives an empty argument: the list ends.
        SplitCase{"EmptyArgumentEndsTheList", "t a \"", {"a"}},
        SplitCase{"HighBytesAreOrdinary",
                  "t \x83\x65\x83\x4C\xA0x",
                  {"\x83\x65\x83\x4C\xA0x"}},
        SplitCase{"BackslashesAreOrdinary", "t a\\\"b c\"", {"a\\b c"}},
        SplitCase{"QuotedBlankIsAnArgument", "t \" \" x", {" ", "x"}}),
    [](const testing::TestParamInfo<SplitCase>& case_info) {
      return std::string(case_info.param.name);
    });

TEST(SplitCommandLineTest, NulByteEndsTheCommandLine) {
  const std::string line("t a\0b", 5);
  EXPECT_EQ(SplitCommandLine(line), Arguments{"a"});
}

TEST(SplitCommandLineTest, UnquotedArgumentOfBufferSizeStaysWhole) {
  const std::string word(kArgumentBufferSize, 'w');
  EXPECT_EQ(SplitCommandLine("t " + word + " z"), (Arguments{word, "z"}));
}

TEST(SplitCommandLineTest, LongUnquotedArgumentContinuesAsTheNextOne) {
  const std::string word(kArgumentBufferSize + 5, 'w');
  EXPECT_EQ(SplitCommandLine("t " + word + " z"),
            (Arguments{std::string(kArgumentBufferSize, 'w'), "wwwww", "z"}));
}

TEST(SplitCommandLineTest, LongQuotedRunIsCutAndItsRestDropped) {
  const std::string run(kArgumentBufferSize + 100, 'q');
  EXPECT_EQ(SplitCommandLine("t \"" + run + "\"tail next"),
            (Arguments{std::string(kArgumentBufferSize, 'q'), "tail", "next"}));
}

TEST(SplitCommandLineTest, QuotedRunFillingTheBufferMidArgument) {
  // Two bytes before the quote leave room for all but two of the run.
  const std::string run(kArgumentBufferSize, 'q');
  const Arguments result = SplitCommandLine("t ab\"" + run + "\" z");
  ASSERT_EQ(result.size(), 2u);
  EXPECT_EQ(result[0], "ab" + std::string(kArgumentBufferSize - 2, 'q'));
  EXPECT_EQ(result[1], "z");
}

TEST(SplitCommandLineTest, LongProgramNameSpillsIntoTheArguments) {
  const std::string program(kArgumentBufferSize + 3, 'p');
  EXPECT_EQ(SplitCommandLine(program + " a"), (Arguments{"ppp", "a"}));
}

}  // namespace
}  // namespace tarnel
