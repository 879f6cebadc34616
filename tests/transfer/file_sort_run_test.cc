// Whole runs from file to file through RunSort: the file the user ends up
// with and the boxes the run shows, including the closing one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "engine/run_sort.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::RunInChild;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

constexpr std::int32_t kAscending = 0;
constexpr std::int32_t kWholeLine = 1;
constexpr std::uint8_t kShowFinish = 0;
constexpr std::uint8_t kQuiet = 1;

class FileSortRunTest : public FileTransferTest {
 protected:
  void SortWholeLines(const std::string& in, const std::string& out,
                      std::uint8_t quiet = kShowFinish) {
    RunSort(&owner_tag_, kAscending, in.c_str(), out.c_str(), 0, kWholeLine,
            quiet);
  }
};

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

TEST_F(FileSortRunTest, FileSortedOntoItselfKeepsItsModeAndLeavesNoTemporary) {
  const std::string path = dir_ / "data.txt";
  WriteBytes(path, "c\nb\na\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);

  SortWholeLines(path, path);

  EXPECT_EQ(LastResult, 0);
  EXPECT_EQ(ReadBytes(path), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(ModeOf(path), 0640);
  EXPECT_EQ(dir_.Names(), Names{"data.txt"});
  EXPECT_EQ(boxes_.boxes, (Boxes{FinishBox("Finish!")}));
}

// The output names the input through a link: the input is read whole
// before anything is written, so the sorted text replaces it, and the link
// stays a link.
TEST_F(FileSortRunTest, OutputThatLinksToTheInputReplacesTheInput) {
  const std::string in = dir_ / "in.txt";
  WriteBytes(in, "c\nb\na\n");
  ASSERT_EQ(::chmod(in.c_str(), 0640), 0);
  ASSERT_EQ(::symlink("in.txt", (dir_ / "relative").c_str()), 0);
  ASSERT_EQ(::symlink(in.c_str(), (dir_ / "absolute").c_str()), 0);

  for (const char* link : {"relative", "absolute"}) {
    SCOPED_TRACE(link);
    boxes_.boxes.clear();
    WriteBytes(in, "c\nb\na\n");
    SortWholeLines(in, dir_ / link);

    EXPECT_EQ(LastResult, 0);
    EXPECT_EQ(ReadBytes(in), "a\r\nb\r\nc\r\n");
    EXPECT_TRUE(IsSymlink(dir_ / link));
    EXPECT_EQ(ModeOf(in), 0640);
    EXPECT_EQ(dir_.Names(), (Names{"absolute", "in.txt", "relative"}));
    EXPECT_EQ(boxes_.boxes, (Boxes{FinishBox("Finish!")}));
  }
}

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
  ASSERT_EQ(::mkdir((dir_ / "folder").c_str(), 0755), 0);
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
  ASSERT_EQ(::mkdir((dir_ / "folder").c_str(), 0755), 0);
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

TEST_F(FileSortRunTest, DeviceFullEndsWithWriteErrorAndErrorFinish) {
  WriteBytes(dir_ / "in.txt", "b\na\n");
  SortWholeLines(dir_ / "in.txt", "/dev/full");
  EXPECT_EQ(LastResult, -1);
  // "a\r\nb\r\n" is 6 bytes, none of which /dev/full takes.
  EXPECT_EQ(boxes_.boxes,
            (Boxes{ErrorBox("Write Error!(lstrlen(lpMem)=[6], writesize=[0])"),
                   FinishBox("Error-Finish!")}));
}

TEST_F(FileSortRunTest, QuietFailureShowsOnlyTheErrorBox) {
  WriteBytes(dir_ / "in.txt", "b\na\n");
  SortWholeLines(dir_ / "in.txt", "/dev/full", kQuiet);
  EXPECT_EQ(LastResult, -1);
  EXPECT_EQ(
      boxes_.boxes,
      (Boxes{ErrorBox("Write Error!(lstrlen(lpMem)=[6], writesize=[0])")}));
}

TEST_F(FileSortRunTest, ShortWriteEndsWithErrorFinishAndKeepsOldOutput) {
  const std::string in = dir_ / "in.txt";
  const std::string out = dir_ / "out.txt";
  // 100 lines of "line NN" (7 bytes + CR LF): a 900-byte result.
  std::string input;
  for (int i = 99; i >= 0; --i) {
    input +=
        "line " + std::string(i < 10 ? "0" : "") + std::to_string(i) + "\n";
  }
  WriteBytes(in, input);
  WriteBytes(out, "previous\r\n");

  const std::string report = RunInChild([&] {
    const rlimit size_limit{128, 128};
    ::setrlimit(RLIMIT_FSIZE, &size_limit);
    ::signal(SIGXFSZ, SIG_IGN);
    RecordingMessageBoxes boxes;
    RunSort(&owner_tag_, kAscending, in.c_str(), out.c_str(), 0, kWholeLine,
            kShowFinish);
    std::string text = std::to_string(LastResult);
    for (const std::string& box : boxes.Texts()) text += "|" + box;
    return text;
  });

  EXPECT_EQ(report,
            "-1|Write Error!(lstrlen(lpMem)=[900], writesize=[128])"
            "|Error-Finish!");
  EXPECT_EQ(ReadBytes(out), "previous\r\n");
  EXPECT_EQ(dir_.Names(), (Names{"in.txt", "out.txt"}));
}

}  // namespace
}  // namespace tarnel
