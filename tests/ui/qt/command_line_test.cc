// The batch run that FormCreate starts on the Qt window; how the arguments
// set the controls is the command-line table of tests/ui/cases.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::Child;

using Arguments = std::vector<std::string>;

class BatchRunTest : public testing::Test {
 protected:
  void SetUp() override { ResetApplicationState(); }

  std::unique_ptr<TTarnelMainForm> Start(Arguments arguments) {
    return std::make_unique<TTarnelMainForm>(App(), std::move(arguments),
                                             recorder.Function());
  }

  RecordingMessageBoxes boxes;
  RunRecorder recorder;
};

TEST_F(BatchRunTest, RunsOnceDuringCreationWithTheSettingsOfTheArguments) {
  auto form = Start({"-a", "-f", "in.csv", "-o", "out.csv", "-2nf"});
  const RunCall expected(
      SortRequest{App().Handle(), 0, "in.csv", "out.csv", 1, 6, 0});
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0], expected);
}

TEST_F(BatchRunTest, QuietBatchPassesQuietAndItsOptions) {
  auto form = Start({"-a+", "-r", "-u"});
  const RunCall expected(
      SortRequest{App().Handle(), 5, nullptr, nullptr, 0, 1, 1});
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0], expected);
}

TEST_F(BatchRunTest, TrailingFileOptionLeavesTheClipboardAsInput) {
  auto form = Start({"-a", "-o", "out.txt", "-f"});
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, std::nullopt);
  EXPECT_EQ(recorder.calls[0].output_name,
            std::optional<std::string>("out.txt"));
}

TEST_F(BatchRunTest, InputFileWithoutOutputWritesToTheClipboard) {
  auto form = Start({"-a", "in.txt"});
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, std::optional<std::string>("in.txt"));
  EXPECT_EQ(recorder.calls[0].output_name, std::nullopt);
}

TEST_F(BatchRunTest, NeverShowsTheWindow) {
  auto form = Start({"-a"});
  EXPECT_FALSE(App().ShowMainForm());
  EXPECT_FALSE(form->isVisible());
}

TEST_F(BatchRunTest, ReportsWhetherTheResultWasDelivered) {
  EXPECT_TRUE(Start({"-a"})->BatchDelivered());
  recorder.result = -1;
  EXPECT_FALSE(Start({"-a"})->BatchDelivered());
}

TEST_F(BatchRunTest, AsksTheApplicationToTerminate) {
  auto form = Start({"-a+"});
  // Stands in for a terminate request that never comes.
  EXPECT_EQ(ExecWithDeadline(), 0);
}

TEST_F(BatchRunTest, ArgumentsWithoutAutoRunOnlyFillTheWindow) {
  auto form = Start({"in.txt", "-i"});
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_TRUE(App().ShowMainForm());
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(), QString("in.txt"));
  EXPECT_TRUE(Child<QCheckBox>(*form, "NotCaseSensitiveCheckBox")->isChecked());
}

TEST_F(BatchRunTest, NameBytesOutsideTheLocalEncodingReachTheRunUnchanged) {
  const std::string name = "\x83\x65\x83\x4C\x83\x58\x83\x67.txt";  // Shift-JIS
  auto form = Start({"-a", "-f", name});
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, std::optional<std::string>(name));
}

}  // namespace
}  // namespace tarnel
