// The built program, run as a child process without a display: batch runs
// end to end, with their exit status, their lines on standard error and
// their output files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tests/ui/launcher/program_runner.h"

namespace tarnel {
namespace {

using testing_support::ChildResult;
using testing_support::ReadBytes;
using testing_support::TempDir;

constexpr char kProgram[] = TARNEL_PROGRAM_PATH;
constexpr char kExamples[] = TARNEL_EXAMPLES_DIR;

// The program, with the test's environment less any display.
ChildResult RunProgram(const TempDir& folder,
                       const std::vector<std::string>& arguments,
                       const std::optional<std::string>& input = std::nullopt,
                       const std::map<std::string, std::string>& set = {}) {
  ProgramSetup setup;
  setup.input = input;
  setup.set = set;
  return RunIn(folder, kProgram, arguments, setup);
}

// One batch run: the folder's files before it, what the program is given,
// and what it must leave. "{dir}" in any text stands for the folder's path.
// A text left out is not checked.
struct ProgramCase {
  const char* name = "";
  std::map<std::string, std::string> files = {};
  std::vector<std::string> folders = {};
  std::vector<std::string> arguments = {};
  std::optional<std::string> input = {};
  std::map<std::string, std::string> set = {};
  int status = 0;
  std::optional<std::string> err = {};
  std::optional<std::string> out = {};
  /// The bytes of these files after the run; "<missing>" for none.
  std::map<std::string, std::string> results = {};
  /// Every entry the folder holds after the run.
  std::optional<std::set<std::string>> names = {};
};

// A case reads as its name in the test's output.
void PrintTo(const ProgramCase& c, std::ostream* out) { *out << c.name; }

std::string InFolder(std::string text, const TempDir& folder) {
  static constexpr std::string_view kFolder = "{dir}";
  for (std::size_t at = text.find(kFolder); at != std::string::npos;
       at = text.find(kFolder, at + folder.path().size())) {
    text.replace(at, kFolder.size(), folder.path());
  }
  return text;
}

class ProgramRunTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramRunTest, EndsWithItsStatusLinesAndFiles) {
  const ProgramCase& c = GetParam();
  TempDir folder;
  for (const auto& [name, bytes] : c.files) folder.Write(name, bytes);
  for (const std::string& name : c.folders)
    ASSERT_TRUE(folder.MakeFolder(name));
  std::vector<std::string> arguments;
  for (const std::string& argument : c.arguments) {
    arguments.push_back(InFolder(argument, folder));
  }
  std::map<std::string, std::string> set;
  for (const auto& [name, value] : c.set) set[name] = InFolder(value, folder);

  const ChildResult outcome = RunProgram(folder, arguments, c.input, set);
  EXPECT_EQ(outcome.status, c.status);
  if (c.err) {
    EXPECT_EQ(outcome.err, InFolder(*c.err, folder));
  }
  if (c.out) {
    EXPECT_EQ(outcome.out, *c.out);
  }
  for (const auto& [name, bytes] : c.results) {
    EXPECT_EQ(folder.Read(name), bytes) << name;
  }
  if (c.names) {
    EXPECT_EQ(folder.Names(), *c.names);
  }
}

constexpr char kFinish[] = "TARNEL: Finish!\n";

INSTANTIATE_TEST_SUITE_P(
    Batch, ProgramRunTest,
    testing::Values(
        ProgramCase{.name = "BatchSortsFileIntoFileAndSaysFinish",
                    .files = {{"in.txt", "pear\r\napple\nfig"}},
                    .arguments = {"-a", "-f", "in.txt", "-o", "out.txt"},
                    .err = kFinish,
                    .out = "",
                    .results = {{"out.txt", "apple\r\nfig\r\npear\r\n"}}},
        ProgramCase{.name = "QuietBatchPrintsNothing",
                    .files = {{"in.txt", "b\na\n"}},
                    .arguments = {"-a+", "-f", "in.txt", "-o", "out.txt"},
                    .err = "",
                    .out = "",
                    .results = {{"out.txt", "a\r\nb\r\n"}}},
        ProgramCase{
            .name = "DescendingWithoutRepeatedLines",
            .files = {{"in.txt", "b\na\nb\nc\na\n"}},
            .arguments = {"-a+", "-r", "-u", "-f", "in.txt", "-o", "out.txt"},
            .results = {{"out.txt", "c\r\nb\r\na\r\n"}}},
        ProgramCase{
            .name = "NumberInSecondFieldAsKey",
            .files = {{"in.csv", "x,10\ny,9\nz,100\n"}},
            .arguments = {"-a+", "-f", "in.csv", "-o", "out.csv", "-2nf"},
            .results = {{"out.csv", "y,9\r\nx,10\r\nz,100\r\n"}}},
        ProgramCase{.name = "UpperCaseOptionsAndFileNamesWithTheirCase",
                    .files = {{"In.TXT", "a\nc\nb\n"}},
                    .arguments = {"-A+", "-R", "-F", "In.TXT", "-O", "Out.TXT"},
                    .results = {{"Out.TXT", "c\r\nb\r\na\r\n"}}},
        ProgramCase{.name = "SortsAFileOntoItself",
                    .files = {{"data.txt", "3\n1\n2\n"}},
                    .arguments = {"-a+", "-f", "data.txt", "-o", "data.txt"},
                    .results = {{"data.txt", "1\r\n2\r\n3\r\n"}}},
        ProgramCase{.name = "ReadsStandardInputThroughDevStdin",
                    .arguments = {"-a", "-f", "/dev/stdin", "-o", "out.txt"},
                    .input = "2\n10\n1\n",
                    .err = kFinish,
                    .results = {{"out.txt", "1\r\n10\r\n2\r\n"}}},
        // Standard output and error are pipes here, as in "tarnel ... | head".
        ProgramCase{.name = "WritesTheResultToStandardOutputThroughDevStdout",
                    .files = {{"in.txt", "b\na\nc"}},
                    .arguments = {"-a+", "-f", "in.txt", "-o", "/dev/stdout"},
                    .err = "",
                    .out = "a\r\nb\r\nc\r\n",
                    .names = std::set<std::string>{"in.txt"}},
        ProgramCase{.name = "WritesTheResultToStandardErrorBeforeItsFinish",
                    .files = {{"in.txt", "b\na\n"}},
                    .arguments = {"-a", "-f", "in.txt", "-o", "/dev/stderr"},
                    .err = "a\r\nb\r\nTARNEL: Finish!\n",
                    .out = ""},
        ProgramCase{
            .name = "MissingInputFileFailsWithItsMessageOnly",
            .arguments = {"-a", "-f", "{dir}/missing.txt", "-o", "out.txt"},
            .status = 1,
            .err = "TARNEL-ERROR: File Open Error![{dir}/missing.txt]\n",
            .results = {{"out.txt", "<missing>"}}},
        ProgramCase{.name = "OutputIntoAFolderFailsAndSaysErrorFinish",
                    .files = {{"in.txt", "a\n"}},
                    .folders = {"sub"},
                    .arguments = {"-a", "-f", "in.txt", "-o", "{dir}/sub"},
                    .status = 1,
                    .err = "TARNEL-ERROR: File Open Error!\n[{dir}/sub]\n"
                           "TARNEL: Error-Finish!\n"},
        ProgramCase{.name = "EmptyInputFileHasNoLine",
                    .files = {{"empty.txt", ""}},
                    .arguments = {"-a+", "-f", "empty.txt", "-o", "out.txt"},
                    .status = 1,
                    .err = "TARNEL-ERROR: No Line!\n"},
        ProgramCase{.name = "ClipboardCannotBeOpenedWithoutADisplay",
                    .arguments = {"-a"},
                    .status = 1,
                    .err = "TARNEL-ERROR: ClipBoard Open Error!\n"},
        ProgramCase{.name = "ResultForTheClipboardWithoutADisplayIsAFailure",
                    .files = {{"in.txt", "b\na\n"}},
                    .arguments = {"-a", "-f", "in.txt"},
                    .status = 1,
                    .err = "TARNEL-ERROR: ClipBoard Open Error!\n"
                           "TARNEL: Error-Finish!\n"},
        ProgramCase{
            .name = "EmptyArgumentEndsTheArguments",
            .files = {{"in.txt", "a\nb\n"}},
            .arguments = {"-a+", "-f", "in.txt", "-o", "out.txt", "", "-r"},
            .results = {{"out.txt", "a\r\nb\r\n"}}},
        ProgramCase{.name = "QtStyleOptionsAreFileNames",
                    .arguments = {"-a", "-style", "-o", "out.txt"},
                    .status = 1,
                    .err = "TARNEL-ERROR: File Open Error![-style]\n"},
        ProgramCase{
            .name = "OffscreenPlatformCountsAsNoDisplay",
            .files = {{"in.txt", "b\na\n"}},
            .arguments = {"-a", "-f", "in.txt", "-o", "out.txt"},
            .set = {{"DISPLAY", ":987"}, {"QT_QPA_PLATFORM", "offscreen"}},
            .err = kFinish},
        ProgramCase{.name = "LibraryComplaintsDuringStartAreNotPrinted",
                    .files = {{"in.txt", "b\na\n"}},
                    .arguments = {"-a", "-f", "in.txt", "-o", "out.txt"},
                    .set = {{"FONTCONFIG_FILE", "/nonexistent/fonts.conf"},
                            {"HOME", "/nonexistent"},
                            {"XDG_RUNTIME_DIR", "/nonexistent"},
                            {"QT_LOGGING_RULES", "*.debug=true"}},
                    .err = kFinish,
                    .out = ""}),
    [](const testing::TestParamInfo<ProgramCase>& row) {
      return std::string(row.param.name);
    });

// Runs the program under "ulimit -v" (in KiB) through the shell, the way a
// user limits it. The sanitizers' shadow memory needs far more address space
// than any such limit leaves, so their builds cannot take part.
ChildResult RunUnderMemoryLimit(const TempDir& folder, int kib,
                                const std::string& command) {
  return RunIn(
      folder, "/bin/sh",
      {"-c", "ulimit -v " + std::to_string(kib) + " && " + command, kProgram});
}

#if defined(__SANITIZE_ADDRESS__)
#define TARNEL_ADDRESS_LIMITS_WORK 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNEL_ADDRESS_LIMITS_WORK 0
#endif
#endif
#ifndef TARNEL_ADDRESS_LIMITS_WORK
#define TARNEL_ADDRESS_LIMITS_WORK 1
#endif

// A file larger than the memory the process may take (sparse, so that it
// costs no disk) cannot be read into memory: the box says so, and the
// program ends with status 1.
TEST(ProgramTest, FileLargerThanTheMemoryLimitIsAReadBufferError) {
  if (!TARNEL_ADDRESS_LIMITS_WORK) GTEST_SKIP() << "sanitizer build";
  TempDir folder;
  folder.Write("huge.txt", "");
  std::filesystem::resize_file(folder / "huge.txt", std::uintmax_t{2} << 30);
  const ChildResult outcome = RunUnderMemoryLimit(
      folder, 1 << 20, "exec \"$0\" -a -f huge.txt -o out.txt");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: Memory Allocate Error![readbuf]\n");
  EXPECT_EQ(folder.Names(), std::set<std::string>{"huge.txt"});
}

// A pipe says nothing of its size, so memory runs out while it is read.
// That once ended the program with an uncaught std::bad_alloc.
TEST(ProgramTest, StreamLargerThanTheMemoryLimitIsAReadBufferError) {
  if (!TARNEL_ADDRESS_LIMITS_WORK) GTEST_SKIP() << "sanitizer build";
  TempDir folder;
  const ChildResult outcome = RunUnderMemoryLimit(
      folder, 250 << 10,
      "{ yes 0123456789abcdef | head -c 400000000; } 2>/dev/null | "
      "\"$0\" -a -f /dev/stdin -o out.txt");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: Memory Allocate Error![readbuf]\n");
  EXPECT_EQ(folder.Names(), std::set<std::string>{});
}

TEST(ProgramTest, InteractiveStartWithoutADisplayIsRefused) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"in.txt", "-r"}}) {
    const ChildResult outcome = RunProgram(folder, arguments);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err.rfind("tarnel: no display", 0), 0u) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
    EXPECT_EQ(outcome.out, "");
  }
}

TEST(ProgramTest, BatchRunWithoutADisplayLoadsNoWindowToolkit) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  // The dynamic loader names every library it loads in this file.
  const ChildResult outcome = RunProgram(
      folder, {"-a+", "-f", "in.txt", "-o", "out.txt"}, std::nullopt,
      {{"LD_DEBUG", "files"}, {"LD_DEBUG_OUTPUT", folder / "loader"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(folder.Read("out.txt"), "a\r\nb\r\n");
  std::string loaded;
  for (const std::string& name : folder.Names()) {
    if (name.rfind("loader", 0) == 0) loaded += folder.Read(name);
  }
  EXPECT_NE(loaded.find("libc.so"), std::string::npos) << loaded;
  EXPECT_EQ(loaded.find("Qt6"), std::string::npos) << loaded;
  EXPECT_EQ(loaded.find("tarnel-window"), std::string::npos) << loaded;
}

TEST(ProgramTest, ShippedExampleGivesItsShippedResult) {
  TempDir folder;
  const std::string examples(kExamples);
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", examples + "/fruit.csv", "-o",
                          "fruit-by-price.csv", "-2nf"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "TARNEL: Finish!\n");
  const std::string expected = ReadBytes(examples + "/fruit-by-price.csv");
  ASSERT_NE(expected, "<missing>");
  EXPECT_EQ(folder.Read("fruit-by-price.csv"), expected);
}

}  // namespace
}  // namespace tarnel
