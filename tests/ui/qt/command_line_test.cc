// The program's arguments applied to the window: ParseCommandLine and the
// batch run that FormCreate starts.
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
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using Arguments = std::vector<std::string>;

// The settings a command line leaves in the window.
struct Settings {
  std::uint8_t auto_run = 0;
  std::uint8_t quiet = 0;
  bool descending = false;
  bool ignore_case = false;
  bool unique = false;
  std::optional<std::string> input = std::nullopt;
  std::optional<std::string> output = std::nullopt;
  std::string key = "1";
  bool numeric = false;
  bool field = false;
};

struct CommandLineCase {
  const char* name;
  Arguments arguments;
  Settings expected;
};

class CommandLineTest : public testing::TestWithParam<CommandLineCase> {
 protected:
  void SetUp() override { ResetApplicationState(); }

  RecordingMessageBoxes boxes;
  RunRecorder recorder;
};

void ExpectFileSide(const char* side, const std::optional<std::string>& name,
                    QCheckBox* clipboard, QCheckBox* file, BrowsePanel* panel,
                    QLineEdit* edit) {
  SCOPED_TRACE(side);
  EXPECT_EQ(clipboard->isChecked(), !name.has_value());
  EXPECT_EQ(file->isChecked(), name.has_value());
  EXPECT_EQ(edit->isHidden(), !name.has_value());
  EXPECT_EQ(panel->isHidden(), !name.has_value());
  EXPECT_EQ(edit->text().toStdString(), name.value_or(""));
}

TEST_P(CommandLineTest, SetsTheControls) {
  const Settings& expected = GetParam().expected;
  TTarnelMainForm form(App(), GetParam().arguments, recorder.Function());
  EXPECT_EQ(form.AutoRun, expected.auto_run);
  EXPECT_EQ(form.Quiet, expected.quiet);
  EXPECT_EQ(form.Sort_R_RadioButton->isChecked(), expected.descending);
  EXPECT_EQ(form.Sort_F_RadioButton->isChecked(), !expected.descending);
  EXPECT_EQ(form.NotCaseSensitiveCheckBox->isChecked(), expected.ignore_case);
  EXPECT_EQ(form.UniqCheckBox->isChecked(), expected.unique);
  ExpectFileSide("input", expected.input, form.ClipBoardCheckBox1,
                 form.FileOpenCheckBox, form.FileOpenPanel, form.FileOpenEdit);
  ExpectFileSide("output", expected.output, form.ClipBoardCheckBox2,
                 form.FileSaveCheckBox, form.FileSavePanel, form.FileSaveEdit);
  EXPECT_EQ(form.SortPosEdit->text().toStdString(), expected.key);
  EXPECT_EQ(form.NumCompCheckBox->isChecked(), expected.numeric);
  EXPECT_EQ(form.StringCompCheckBox->isChecked(), !expected.numeric);
  EXPECT_EQ(form.FieldCheckBox->isChecked(), expected.field);
  EXPECT_EQ(form.ColumCheckBox->isChecked(), !expected.field);
  // Only a batch command line runs, and then exactly once.
  EXPECT_EQ(recorder.calls.size(), expected.auto_run == 1 ? 1u : 0u);
  EXPECT_TRUE(boxes.boxes.empty());
}

// Settings{...} names only what differs from the window's initial state.
INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineTest,
    testing::Values(
        // clang-format off
        CommandLineCase{"NoArguments", {}, {}},
        CommandLineCase{"AutoRun", {"-a"}, {.auto_run = 1}},
        CommandLineCase{"AutoRunUpperCase", {"-A"}, {.auto_run = 1}},
        CommandLineCase{"QuietAutoRun", {"-a+"}, {.auto_run = 1, .quiet = 1}},
        CommandLineCase{"QuietAutoRunUpperCase", {"-A+"},
                        {.auto_run = 1, .quiet = 1}},
        CommandLineCase{"Descending", {"-r"}, {.descending = true}},
        CommandLineCase{"DescendingUpperCase", {"-R"}, {.descending = true}},
        CommandLineCase{"IgnoreCase", {"-I"}, {.ignore_case = true}},
        CommandLineCase{"Unique", {"-u"}, {.unique = true}},
        CommandLineCase{"InputFileKeepsItsCase", {"-F", "In.TXT"},
                        {.input = "In.TXT"}},
        CommandLineCase{"OutputFileKeepsItsCase", {"-O", "Out.CSV"},
                        {.output = "Out.CSV"}},
        CommandLineCase{"PlainNameIsTheInputFile", {"My File.txt"},
                        {.input = "My File.txt"}},
        CommandLineCase{"NonAsciiName", {"-f", "データ.csv"},
                        {.input = "データ.csv"}},
        CommandLineCase{"DashZeroIsAFileName", {"-0"}, {.input = "-0"}},
        CommandLineCase{"DashXIsAFileName", {"-x"}, {.input = "-x"}},
        CommandLineCase{"LoneDashIsAFileName", {"-"}, {.input = "-"}},
        CommandLineCase{"LongerOptionIsAFileName", {"-ab"}, {.input = "-ab"}},
        CommandLineCase{"TrailingInputOptionIgnored", {"a.txt", "-f"},
                        {.input = "a.txt"}},
        CommandLineCase{"TrailingOutputOptionIgnored", {"-o"}, {}},
        CommandLineCase{"OptionAfterFileOptionIsTheName", {"-f", "-r"},
                        {.input = "-r"}},
        CommandLineCase{"KeyDigitsThenLettersIgnored", {"-12abc"},
                        {.key = "12"}},
        CommandLineCase{"KeyNumeric", {"-3n"}, {.key = "3", .numeric = true}},
        CommandLineCase{"KeyNumericUpperCase", {"-3N"},
                        {.key = "3", .numeric = true}},
        CommandLineCase{"KeyFieldUpperCase", {"-3F"},
                        {.key = "3", .field = true}},
        CommandLineCase{"KeyNumericField", {"-2nf"},
                        {.key = "2", .numeric = true, .field = true}},
        CommandLineCase{"KeyFieldBeforeNumericTakesOnlyField", {"-3fn"},
                        {.key = "3", .field = true}},
        CommandLineCase{"KeyKeepsZerosAsTyped", {"-100"}, {.key = "100"}},
        CommandLineCase{"KeyLongerThanTheEditTakes", {"-12345678"},
                        {.key = "12345678"}},
        CommandLineCase{"KeyDigitsBeyondBufferDropped",
                        {std::string("-").append(130, '7').append("n")},
                        {.key = std::string(127, '7'), .numeric = true}},
        CommandLineCase{"RepeatedOptionsSetAgain", {"-3n", "-5", "-r", "-r"},
                        {.descending = true, .key = "5", .numeric = true}},
        CommandLineCase{"LastInputNameWins", {"-f", "a", "b", "-f", "c"},
                        {.input = "c"}},
        CommandLineCase{"PlainNameAfterFileOptionWins", {"-f", "a", "b"},
                        {.input = "b"}},
        CommandLineCase{"QuietStaysAfterPlainAutoRun", {"-a+", "-a"},
                        {.auto_run = 1, .quiet = 1}},
        CommandLineCase{"EverythingTogether",
                        {"-a", "-f", "in.csv", "-o", "out.csv", "-2nf", "-i",
                         "-u", "-r"},
                        {.auto_run = 1, .descending = true,
                         .ignore_case = true, .unique = true,
                         .input = "in.csv", .output = "out.csv", .key = "2",
                         .numeric = true, .field = true}}),
    // clang-format on
    [](const testing::TestParamInfo<CommandLineCase>& case_info) {
      return std::string(case_info.param.name);
    });

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
  EXPECT_EQ(form->FileOpenEdit->text(), QString("in.txt"));
  EXPECT_TRUE(form->NotCaseSensitiveCheckBox->isChecked());
}

TEST_F(BatchRunTest, NameBytesOutsideTheLocalEncodingReachTheRunUnchanged) {
  const std::string name = "\x83\x65\x83\x4C\x83\x58\x83\x67.txt";  // Shift-JIS
  auto form = Start({"-a", "-f", name});
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, std::optional<std::string>(name));
}

}  // namespace
}  // namespace tarnel
