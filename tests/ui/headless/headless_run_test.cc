// The start without a display, called in-process: the window's logic over
// controls in memory, its boxes through the installed message boxes.
#include "ui/headless/headless_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::TempDir;

TEST(HeadlessRunTest, BatchRunSortsAndEndsWithItsBox) {
  TempDir folder;
  const std::string in = folder.Write("in.txt", "pear\nApple\napple\n");
  RecordingMessageBoxes boxes;
  EXPECT_EQ(RunWithoutDisplay({"-a", "-r", "-f", in, "-o", folder / "out"}), 0);
  EXPECT_EQ(folder.Read("out"), "pear\r\napple\r\nApple\r\n");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Finish!"});
}

TEST(HeadlessRunTest, FailedBatchRunEndsWithOne) {
  TempDir folder;
  RecordingMessageBoxes boxes;
  EXPECT_EQ(RunWithoutDisplay(
                {"-a+", "-f", folder / "missing", "-o", folder / "out"}),
            1);
  EXPECT_EQ(boxes.Texts(),
            std::vector<std::string>{"File Open Error![" +
                                     (folder / "missing") + "]"});
}

TEST(HeadlessRunTest, ClipboardIsNotThere) {
  TempDir folder;
  const std::string in = folder.Write("in.txt", "b\na\n");
  RecordingMessageBoxes boxes;
  EXPECT_EQ(RunWithoutDisplay({"-a+", "-f", in}), 1);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"ClipBoard Open Error!"});
}

TEST(HeadlessRunTest, InteractiveStartIsRefusedOnStandardError) {
  RecordingMessageBoxes boxes;
  testing::internal::CaptureStderr();
  const int status = RunWithoutDisplay({"-r", "in.txt"});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), kNoDisplayText);
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace tarnel
