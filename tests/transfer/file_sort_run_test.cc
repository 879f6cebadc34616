// Whole runs from file to file through RunSort: the file the user ends up
// with and the boxes the run shows, including the closing one. Runs that
// meet what only one system has are in file_sort_run_posix_test.cc and
// file_sort_run_win32_test.cc.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/run_sort.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

struct SortCase {
  const char* name;
  std::string input;
  std::string output;
};

class FileSortRunBytesTest : public FileSortRunTest,
                             public ::testing::WithParamInterface<SortCase> {};

TEST_P(FileSortRunBytesTest, WritesSortedLinesWithCrLfAndFinishes) {
  const std::string in = dir_ / "in.txt";
  const std::string out = dir_ / "out.txt";
  WriteBytes(in, GetParam().input);

  SortWholeLines(in, out);

  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(out), GetParam().output);
  EXPECT_EQ(ReadBytes(in), GetParam().input);
  EXPECT_EQ(boxes_.boxes, (Boxes{FinishBox("Finish!")}));
  EXPECT_EQ(dir_.Names(), (Names{"in.txt", "out.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FileSortRunBytesTest,
    ::testing::Values(
        SortCase{"LfBecomesCrLf", "b\na\nc\n", "a\r\nb\r\nc\r\n"},
        SortCase{"CrLfKept", "b\r\na\r\n", "a\r\nb\r\n"},
        SortCase{"MixedEndsGiveCrLf", "b\r\na\nc\r\n", "a\r\nb\r\nc\r\n"},
        // Bytes compare unsigned: 0x9f sorts before 0xa0, both after ASCII.
        SortCase{"DoubleByteTextByByteValue", "\x82\xa0z\r\n\x82\x9fy\r\nq\r\n",
                 "q\r\n\x82\x9fy\r\n\x82\xa0z\r\n"},
        // The text ends at its first NUL; what follows is never a line.
        SortCase{"NulEndsTheText", std::string("b\na\n\0c\n", 7),
                 "a\r\nb\r\n"}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

TEST_F(FileSortRunTest, QuietSuccessShowsNoBox) {
  WriteBytes(dir_ / "in.txt", "b\na\n");
  SortWholeLines(dir_ / "in.txt", dir_ / "out.txt", kQuiet);
  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(dir_ / "out.txt"), "a\r\nb\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(FileSortRunTest, EmptyFileShowsNoLineAndWritesNothing) {
  WriteBytes(dir_ / "in.txt", "");
  SortWholeLines(dir_ / "in.txt", dir_ / "out.txt");
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("No Line!")}));
  EXPECT_EQ(dir_.Names(), Names{"in.txt"});
}

// A source that cannot be read stops the run before the output is touched,
// and its own box is the only one.
class FileSortRunBadSourceTest
    : public FileSortRunTest,
      public ::testing::WithParamInterface<const char*> {};

TEST_P(FileSortRunBadSourceTest, ShowsOnlyFileOpenErrorAndKeepsOutput) {
  ASSERT_TRUE(dir_.MakeFolder("folder"));
  const std::string in = dir_ / GetParam();
  const std::string out = dir_ / "out.txt";
  WriteBytes(out, "previous\r\n");

  SortWholeLines(in, out);

  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("File Open Error![" + in + "]")}));
  EXPECT_EQ(ReadBytes(out), "previous\r\n");
}

INSTANTIATE_TEST_SUITE_P(Sources, FileSortRunBadSourceTest,
                         ::testing::Values("missing.txt", "folder"));

// A result that cannot be delivered: the writer's box, then "Error-Finish!".
struct BadTargetCase {
  const char* name;
  const char* relative;  ///< inside the temporary folder; null: the empty path
};

class FileSortRunBadTargetTest
    : public FileSortRunTest,
      public ::testing::WithParamInterface<BadTargetCase> {};

TEST_P(FileSortRunBadTargetTest, ShowsFileOpenErrorThenErrorFinish) {
  ASSERT_TRUE(dir_.MakeFolder("folder"));
  WriteBytes(dir_ / "in.txt", "b\na\n");
  const std::string out =
      GetParam().relative ? dir_ / GetParam().relative : std::string();

  SortWholeLines(dir_ / "in.txt", out);

  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(boxes_.boxes, (Boxes{ErrorBox("File Open Error!\n[" + out + "]"),
                                 FinishBox("Error-Finish!")}));
  EXPECT_EQ(dir_.Names(), (Names{"folder", "in.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FileSortRunBadTargetTest,
    ::testing::Values(BadTargetCase{"Folder", "folder"},
                      BadTargetCase{"MissingDirectory", "none/out.txt"},
                      BadTargetCase{"EmptyPath", nullptr}),
    [](const auto& case_info) { return std::string(case_info.param.name); });

}  // namespace
}  // namespace tarnel
