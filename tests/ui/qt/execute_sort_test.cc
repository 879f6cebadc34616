// The run handler: ExecuteSort's parameters from the control states, its
// checks of the file paths, what it shows during a run, and the refusal of
// a second run while one is in progress.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/run_sort.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::ShowAndActivate;
using testing_support::TempDir;
using testing_support::Utf8;

class ExecuteSortTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             recorder.Function());
  }

  RecordingMessageBoxes boxes;
  RunRecorder recorder;
  std::unique_ptr<TTarnelMainForm> form;
};

struct ParameterCase {
  const char* name;
  std::function<void(TTarnelMainForm&)> settle;
  RunCall expected;  // owner is the application window in every case
};

void UseFiles(TTarnelMainForm& f, const char* input, const char* output) {
  f.FileOpenCheckBox->setChecked(true);
  f.FileOpenEdit->setText(input);
  f.FileSaveCheckBox->setChecked(true);
  f.FileSaveEdit->setText(output);
}

void Key(TTarnelMainForm& f, const char* text) { f.SortPosEdit->setText(text); }

RunCall Expect(std::int32_t mode, std::int32_t pos, std::int32_t kind,
               std::uint8_t quiet = 0) {
  return RunCall(
      SortRequest{nullptr, mode, nullptr, nullptr, pos, kind, quiet});
}

class ExecuteSortParameterTest
    : public ExecuteSortTest,
      public testing::WithParamInterface<ParameterCase> {};

TEST_P(ExecuteSortParameterTest, PassesTheControlStatesToTheRun) {
  GetParam().settle(*form);
  form->ExecuteSort();
  RunCall expected = GetParam().expected;
  expected.request.owner_window = App().Handle();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0], expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExecuteSortParameterTest,
    testing::Values(
        // The clipboard, ascending, whole lines.
        ParameterCase{"InitialSettings", [](TTarnelMainForm&) {},
                      Expect(0, 0, 1)},
        ParameterCase{
            "Descending",
            [](TTarnelMainForm& f) { f.Sort_R_RadioButton->setChecked(true); },
            Expect(1, 0, 1)},
        ParameterCase{"IgnoreCase",
                      [](TTarnelMainForm& f) {
                        f.NotCaseSensitiveCheckBox->setChecked(true);
                      },
                      Expect(2, 0, 1)},
        ParameterCase{
            "Unique",
            [](TTarnelMainForm& f) { f.UniqCheckBox->setChecked(true); },
            Expect(4, 0, 1)},
        ParameterCase{"AllModeBits",
                      [](TTarnelMainForm& f) {
                        f.Sort_R_RadioButton->setChecked(true);
                        f.NotCaseSensitiveCheckBox->setChecked(true);
                        f.UniqCheckBox->setChecked(true);
                      },
                      Expect(7, 0, 1)},
        ParameterCase{"Files",
                      [](TTarnelMainForm& f) {
                        UseFiles(f, "in file.txt", "/tmp/out.txt");
                      },
                      RunCall(SortRequest{nullptr, 0, "in file.txt",
                                          "/tmp/out.txt", 0, 1, 0})},
        ParameterCase{
            "FileInputClipboardOutput",
            [](TTarnelMainForm& f) {
              f.FileOpenCheckBox->setChecked(true);
              f.FileOpenEdit->setText("in.txt");
            },
            RunCall(SortRequest{nullptr, 0, "in.txt", nullptr, 0, 1, 0})},
        ParameterCase{"ThirdFieldAsNumber",
                      [](TTarnelMainForm& f) {
                        Key(f, "3");
                        f.FieldCheckBox->setChecked(true);
                        f.NumCompCheckBox->setChecked(true);
                      },
                      Expect(0, 2, 6)},
        ParameterCase{"ColumnAsNumber",
                      [](TTarnelMainForm& f) {
                        Key(f, "10");
                        f.NumCompCheckBox->setChecked(true);
                      },
                      Expect(0, 9, 5)},
        ParameterCase{
            "FieldAsText",
            [](TTarnelMainForm& f) { f.FieldCheckBox->setChecked(true); },
            Expect(0, 0, 2)},
        ParameterCase{"DoubleZeroGivesMinusOne",
                      [](TTarnelMainForm& f) { Key(f, "00"); },
                      Expect(0, -1, 1)},
        // Not an integer: the default 1, so position 0.
        ParameterCase{"ThousandsSeparatorIsNotANumber",
                      [](TTarnelMainForm& f) { Key(f, "1,001"); },
                      Expect(0, 0, 1)},
        ParameterCase{"EmptyKeyPosition",
                      [](TTarnelMainForm& f) { Key(f, ""); }, Expect(0, 0, 1)},
        ParameterCase{"HexadecimalKeyPosition",
                      [](TTarnelMainForm& f) { Key(f, "$10"); },
                      Expect(0, 15, 1)},
        ParameterCase{"NegativeKeyPosition",
                      [](TTarnelMainForm& f) { Key(f, "-5"); },
                      Expect(0, -6, 1)},
        // 32-bit arithmetic: the smallest number less one wraps around.
        ParameterCase{"SmallestKeyPositionWraps",
                      [](TTarnelMainForm& f) { Key(f, "-2147483648"); },
                      Expect(0, 2147483647, 1)},
        ParameterCase{"QuietFromTheCommandLine",
                      [](TTarnelMainForm& f) { f.Quiet = 1; },
                      Expect(0, 0, 1, 1)}),
    [](const testing::TestParamInfo<ParameterCase>& case_info) {
      return std::string(case_info.param.name);
    });

const RecordedBox kNoInputBox{nullptr, "読み込み元ファイルが未指定です",
                              "TARNEL-ERROR", kBoxPlain | kBoxTaskModal};
const RecordedBox kNoOutputBox{nullptr, "書き出し先ファイルが未指定です",
                               "TARNEL-ERROR", kBoxPlain | kBoxTaskModal};

RecordedBox OwnedByApplication(RecordedBox box) {
  box.owner = App().Handle();
  return box;
}

TEST_F(ExecuteSortTest, EmptyInputPathShowsItsMessageAndRunsNothing) {
  form->FileOpenCheckBox->setChecked(true);
  EXPECT_FALSE(form->ExecuteSort());
  EXPECT_EQ(boxes.boxes,
            std::vector<RecordedBox>{OwnedByApplication(kNoInputBox)});
  EXPECT_TRUE(recorder.calls.empty());
  EXPECT_EQ(form->StatusLine->currentMessage(),
            Utf8("テキストソートユーティリティ"));
}

TEST_F(ExecuteSortTest, EmptyOutputPathShowsItsMessageAndRunsNothing) {
  form->FileOpenCheckBox->setChecked(true);
  form->FileOpenEdit->setText("in.txt");
  form->FileSaveCheckBox->setChecked(true);
  EXPECT_FALSE(form->ExecuteSort());
  EXPECT_EQ(boxes.boxes,
            std::vector<RecordedBox>{OwnedByApplication(kNoOutputBox)});
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(ExecuteSortTest, BothPathsEmptyShowsOnlyTheInputMessage) {
  form->FileOpenCheckBox->setChecked(true);
  form->FileSaveCheckBox->setChecked(true);
  EXPECT_FALSE(form->ExecuteSort());
  EXPECT_EQ(boxes.boxes,
            std::vector<RecordedBox>{OwnedByApplication(kNoInputBox)});
}

TEST_F(ExecuteSortTest, ClipboardSidesIgnoreTheirPathEdits) {
  form->FileOpenEdit->setText("ignored.txt");
  EXPECT_TRUE(form->ExecuteSort());
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, std::nullopt);
}

TEST_F(ExecuteSortTest, AnswersWhetherTheRunDeliveredItsResult) {
  EXPECT_TRUE(form->ExecuteSort());
  recorder.result = -1;
  EXPECT_FALSE(form->ExecuteSort());
}

TEST_F(ExecuteSortTest, ShowsRunMessageAndWaitCursorDuringTheRunOnly) {
  form->StatusLine->showMessage("before");
  QString status_during;
  const QCursor* cursor_during = nullptr;
  Qt::CursorShape shape_during = Qt::ArrowCursor;
  recorder.during = [&] {
    status_during = form->StatusLine->currentMessage();
    cursor_during = QApplication::overrideCursor();
    if (cursor_during) shape_during = cursor_during->shape();
  };
  form->ExecuteSort();
  EXPECT_EQ(status_during, Utf8("ソート実行中！"));
  ASSERT_NE(cursor_during, nullptr);
  EXPECT_EQ(shape_during, Qt::WaitCursor);
  EXPECT_EQ(form->StatusLine->currentMessage(), QString("before"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ExecuteSortTest, RunButtonSetsTheWindowWaitCursorAroundTheRun) {
  Qt::CursorShape window_shape = Qt::ArrowCursor;
  recorder.during = [&] { window_shape = form->cursor().shape(); };
  form->OKButtonClick();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(window_shape, Qt::WaitCursor);
  EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ExecuteSortTest, SecondRunIsRefusedWhileOneIsInProgress) {
  bool nested_answer = true;
  recorder.during = [&] {
    EXPECT_TRUE(form->Running());
    form->OKButtonClick();
    form->OKButton->click();
    nested_answer = form->ExecuteSort();
  };
  form->OKButtonClick();
  EXPECT_EQ(recorder.calls.size(), 1u);
  EXPECT_FALSE(nested_answer);
  EXPECT_FALSE(form->Running());

  // Once the run is over, the next one goes ahead.
  recorder.during = nullptr;
  form->OKButtonClick();
  EXPECT_EQ(recorder.calls.size(), 2u);
}

TEST_F(ExecuteSortTest, RefusedRequestLeavesTheRunsWaitCursor) {
  Qt::CursorShape shape_after_refusal = Qt::ArrowCursor;
  recorder.during = [&] {
    form->OKButtonClick();
    shape_after_refusal = form->cursor().shape();
  };
  form->OKButtonClick();
  EXPECT_EQ(shape_after_refusal, Qt::WaitCursor);
}

TEST_F(ExecuteSortTest, CloseRequestIsRefusedDuringARun) {
  ASSERT_TRUE(ShowAndActivate(*form));
  bool closed_during = true;
  recorder.during = [&] { closed_during = form->close(); };
  form->OKButtonClick();
  EXPECT_FALSE(closed_during);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->close());
}

// A close asked for during a run, by the title bar or by 閉じる, is put off
// and carried out once the run and its boxes are over.
TEST_F(ExecuteSortTest, CloseRequestedDuringARunHappensAfterIt) {
  struct Request {
    const char* name;
    std::function<void(TTarnelMainForm&)> close;
  };
  const Request requests[] = {
      {"title bar", [](TTarnelMainForm& f) { f.close(); }},
      {"閉じる", [](TTarnelMainForm& f) { f.CancelButton->click(); }},
  };
  for (const Request& request : requests) {
    SCOPED_TRACE(request.name);
    ASSERT_TRUE(ShowAndActivate(*form));
    bool visible_after_request = false;
    recorder.during = [&] {
      request.close(*form);
      visible_after_request = form->isVisible();
    };
    form->OKButtonClick();
    EXPECT_TRUE(visible_after_request);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 2000));
  }
  // Only a request made during the run is remembered.
  recorder.during = nullptr;
  ASSERT_TRUE(ShowAndActivate(*form));
  form->OKButtonClick();
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->isVisible());
  form->hide();
}

TEST_F(ExecuteSortTest, PathsAreCopiedBeforeTheRunStarts) {
  UseFiles(*form, "in.txt", "out.txt");
  std::string input_seen_after_change;
  std::string output_seen_after_change;
  TTarnelMainForm watched(App(), {},
                          [&](const SortRequest& request) -> std::int32_t {
                            // The user edits the paths while the run waits in a
                            // box.
                            watched.FileOpenEdit->setText("other.txt");
                            watched.FileSaveEdit->setText("else.txt");
                            input_seen_after_change = request.input_name;
                            output_seen_after_change = request.output_name;
                            return 0;
                          });
  UseFiles(watched, "in.txt", "out.txt");
  watched.ExecuteSort();
  EXPECT_EQ(input_seen_after_change, "in.txt");
  EXPECT_EQ(output_seen_after_change, "out.txt");
}

TEST_F(ExecuteSortTest, DefaultRunFunctionAnswersTheEnginesResult) {
  TempDir dir;
  dir.Write("in.txt", "b\na\n");
  const std::string in = dir / "in.txt";
  const std::string out = dir / "out.txt";
  const std::string missing = dir / "missing.txt";
  EXPECT_EQ(RunSortOffThread({nullptr, 0, in.c_str(), out.c_str(), 0, 1, 1}),
            0);
  EXPECT_EQ(dir.Read("out.txt"), "a\r\nb\r\n");
  EXPECT_EQ(
      RunSortOffThread({nullptr, 0, missing.c_str(), out.c_str(), 0, 1, 1}),
      -1);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"File Open Error![" +
                                                    dir / "missing.txt" + "]"});
}

}  // namespace
}  // namespace tarnel
