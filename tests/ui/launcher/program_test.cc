// The built program, run as a child process without a display: batch runs
// end to end, with their exit status, their lines on standard error and
// their output files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
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

TEST(ProgramTest, BatchSortsFileIntoFileAndSaysFinish) {
  TempDir folder;
  folder.Write("in.txt", "pear\r\napple\nfig");
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", "in.txt", "-o", "out.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "TARNEL: Finish!\n");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(folder.Read("out.txt"), "apple\r\nfig\r\npear\r\n");
}

TEST(ProgramTest, QuietBatchPrintsNothing) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-f", "in.txt", "-o", "out.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(folder.Read("out.txt"), "a\r\nb\r\n");
}

TEST(ProgramTest, DescendingWithoutRepeatedLines) {
  TempDir folder;
  folder.Write("in.txt", "b\na\nb\nc\na\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-r", "-u", "-f", "in.txt", "-o", "out.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(folder.Read("out.txt"), "c\r\nb\r\na\r\n");
}

TEST(ProgramTest, NumberInSecondFieldAsKey) {
  TempDir folder;
  folder.Write("in.csv", "x,10\ny,9\nz,100\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-f", "in.csv", "-o", "out.csv", "-2nf"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(folder.Read("out.csv"), "y,9\r\nx,10\r\nz,100\r\n");
}

TEST(ProgramTest, UpperCaseOptionsAndFileNamesWithTheirCase) {
  TempDir folder;
  folder.Write("In.TXT", "a\nc\nb\n");
  const ChildResult outcome =
      RunProgram(folder, {"-A+", "-R", "-F", "In.TXT", "-O", "Out.TXT"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(folder.Read("Out.TXT"), "c\r\nb\r\na\r\n");
}

TEST(ProgramTest, SortsAFileOntoItself) {
  TempDir folder;
  folder.Write("data.txt", "3\n1\n2\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-f", "data.txt", "-o", "data.txt"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(folder.Read("data.txt"), "1\r\n2\r\n3\r\n");
}

TEST(ProgramTest, ReadsStandardInputThroughDevStdin) {
  TempDir folder;
  const ChildResult outcome = RunProgram(
      folder, {"-a", "-f", "/dev/stdin", "-o", "out.txt"}, "2\n10\n1\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "TARNEL: Finish!\n");
  EXPECT_EQ(folder.Read("out.txt"), "1\r\n10\r\n2\r\n");
}

// Standard output and error are pipes here, as in "tarnel ... | head".
TEST(ProgramTest, WritesTheResultToStandardOutputThroughDevStdout) {
  TempDir folder;
  folder.Write("in.txt", "b\na\nc");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-f", "in.txt", "-o", "/dev/stdout"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "a\r\nb\r\nc\r\n");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(folder.Names(), std::set<std::string>{"in.txt"});
}

TEST(ProgramTest, WritesTheResultToStandardErrorBeforeItsFinish) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", "in.txt", "-o", "/dev/stderr"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "a\r\nb\r\nTARNEL: Finish!\n");
  EXPECT_EQ(outcome.out, "");
}

TEST(ProgramTest, MissingInputFileFailsWithItsMessageOnly) {
  TempDir folder;
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", folder / "missing.txt", "-o", "out.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: File Open Error![" +
                             (folder / "missing.txt") + "]\n");
  EXPECT_EQ(folder.Read("out.txt"), "<missing>");
}

TEST(ProgramTest, OutputIntoAFolderFailsAndSaysErrorFinish) {
  TempDir folder;
  folder.Write("in.txt", "a\n");
  std::filesystem::create_directory(folder / "sub");
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", "in.txt", "-o", folder / "sub"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: File Open Error!\n[" +
                             (folder / "sub") + "]\nTARNEL: Error-Finish!\n");
}

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

TEST(ProgramTest, EmptyInputFileHasNoLine) {
  TempDir folder;
  folder.Write("empty.txt", "");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-f", "empty.txt", "-o", "out.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: No Line!\n");
}

TEST(ProgramTest, ClipboardCannotBeOpenedWithoutADisplay) {
  TempDir folder;
  const ChildResult outcome = RunProgram(folder, {"-a"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: ClipBoard Open Error!\n");
}

TEST(ProgramTest, ResultForTheClipboardWithoutADisplayIsAFailure) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  const ChildResult outcome = RunProgram(folder, {"-a", "-f", "in.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err,
            "TARNEL-ERROR: ClipBoard Open Error!\nTARNEL: Error-Finish!\n");
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

TEST(ProgramTest, EmptyArgumentEndsTheArguments) {
  TempDir folder;
  folder.Write("in.txt", "a\nb\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a+", "-f", "in.txt", "-o", "out.txt", "", "-r"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(folder.Read("out.txt"), "a\r\nb\r\n");
}

TEST(ProgramTest, QtStyleOptionsAreFileNames) {
  TempDir folder;
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-style", "-o", "out.txt"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "TARNEL-ERROR: File Open Error![-style]\n");
}

TEST(ProgramTest, OffscreenPlatformCountsAsNoDisplay) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", "in.txt", "-o", "out.txt"}, std::nullopt,
                 {{"DISPLAY", ":987"}, {"QT_QPA_PLATFORM", "offscreen"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "TARNEL: Finish!\n");
}

TEST(ProgramTest, LibraryComplaintsDuringStartAreNotPrinted) {
  TempDir folder;
  folder.Write("in.txt", "b\na\n");
  const ChildResult outcome =
      RunProgram(folder, {"-a", "-f", "in.txt", "-o", "out.txt"}, std::nullopt,
                 {{"FONTCONFIG_FILE", "/nonexistent/fonts.conf"},
                  {"HOME", "/nonexistent"},
                  {"XDG_RUNTIME_DIR", "/nonexistent"},
                  {"QT_LOGGING_RULES", "*.debug=true"}});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "TARNEL: Finish!\n");
  EXPECT_EQ(outcome.out, "");
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
