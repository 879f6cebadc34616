// Whole runs from file to file where POSIX differs: the mode of a file
// sorted onto itself, a device that takes nothing, and a write cut short
// for real by the file size limit.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "engine/run_sort.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/test_files.h"
#include "tests/transfer/test_files_posix.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;
using testing_support::RunInChild;
using testing_support::WriteBytes;

using Names = std::set<std::string>;

constexpr std::int32_t kAscending = 0;
constexpr std::int32_t kWholeLine = 1;

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
  WriteBytes(in, HundredNumberedLines());
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

}  // namespace
}  // namespace tarnel
