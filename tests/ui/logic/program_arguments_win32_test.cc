// ProgramArguments on Windows: the bytes GetCommandLineA gives a program
// that was started with a chosen command line, split by the rules of
// SplitCommandLine, not the C runtime's. The probe beside this program
// reports what it found.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/program_folder.h"

namespace tarnel {
namespace {

using Arguments = std::vector<std::string>;

std::string ProbePath() {
  return ProgramFolder() + "\\tarnel_arguments_probe.exe";
}

std::string FromHex(const std::string& line) {
  std::istringstream bytes(line);
  std::string text;
  unsigned byte;
  while (bytes >> std::hex >> byte) text.push_back(static_cast<char>(byte));
  return text;
}

// Starts the probe with |tail| after its quoted name and returns what it
// reports; a single "<failed>" when it could not be run.
Arguments ArgumentsFor(const std::string& tail) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return {"<failed>"};
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const std::string probe = ProbePath();
  std::string command_line = "\"" + probe + "\" " + tail;
  const bool started =
      ::CreateProcessA(probe.c_str(), command_line.data(), nullptr, nullptr,
                       TRUE, 0, nullptr, nullptr, &startup, &process);
  ::CloseHandle(write_end);
  std::string output;
  char chunk[4096];
  DWORD got = 0;
  while (started && ::ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) &&
         got > 0) {
    output.append(chunk, got);
  }
  ::CloseHandle(read_end);
  if (!started) return {"<failed>"};
  ::WaitForSingleObject(process.hProcess, 30000);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);

  std::istringstream lines(output);
  std::string line;
  std::getline(lines, line);
  const int count = std::atoi(line.c_str());
  Arguments arguments;
  for (int i = 0; i < count && std::getline(lines, line); ++i) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    arguments.push_back(FromHex(line));
  }
  return arguments;
}

struct LineCase {
  const char* name;
  std::string tail;
  Arguments expected;
};

class ProgramArgumentsWin32Test : public testing::TestWithParam<LineCase> {};

TEST_P(ProgramArgumentsWin32Test, SplitsTheWholeCommandLine) {
  EXPECT_EQ(ArgumentsFor(GetParam().tail), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ProgramArgumentsWin32Test,
    testing::Values(
        LineCase{"Plain", "-a -f in.txt -2nf", {"-a", "-f", "in.txt", "-2nf"}},
        LineCase{"QuotedBlanks", "-f \"my file.txt\"", {"-f", "my file.txt"}},
        // "a ソ" quoted: its last byte is a backslash in ASCII, which the C
        // runtime would take as escaping the closing quote.
        LineCase{"ShiftJisBeforeTheClosingQuote",
                 "\"a \x83\x5c\" b",
                 {"a \x83\x5c", "b"}},
        LineCase{"BackslashesAreOrdinary", "a\\\"b c\"", {"a\\b c"}}),
    [](const testing::TestParamInfo<LineCase>& case_info) {
      return std::string(case_info.param.name);
    });

TEST(ProgramArgumentsWin32LimitTest, LongUnquotedArgumentContinuesAsTheNext) {
  const std::string word(4096 + 5, 'w');
  EXPECT_EQ(ArgumentsFor(word + " z"),
            (Arguments{std::string(4096, 'w'), "wwwww", "z"}));
}

TEST(ProgramArgumentsWin32LimitTest, LongQuotedRunIsCutAndItsRestDropped) {
  const std::string run(4096 + 100, 'q');
  EXPECT_EQ(ArgumentsFor("\"" + run + "\"tail next"),
            (Arguments{std::string(4096, 'q'), "tail", "next"}));
}

}  // namespace
}  // namespace tarnel
