// The run handler on the Qt window: what it shows during a run, and the
// refusal of a second run while one is in progress. The parameters and the
// path checks are the execute-sort table of tests/ui/cases.
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

using testing_support::Child;
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

void UseFiles(TTarnelMainForm& f, const char* input, const char* output) {
  Child<QCheckBox>(f, "FileOpenCheckBox")->setChecked(true);
  Child<QLineEdit>(f, "FileOpenEdit")->setText(input);
  Child<QCheckBox>(f, "FileSaveCheckBox")->setChecked(true);
  Child<QLineEdit>(f, "FileSaveEdit")->setText(output);
}

TEST_F(ExecuteSortTest, AnswersWhetherTheRunDeliveredItsResult) {
  EXPECT_TRUE(form->ExecuteSort());
  recorder.result = -1;
  EXPECT_FALSE(form->ExecuteSort());
}

TEST_F(ExecuteSortTest, ShowsRunMessageAndWaitCursorDuringTheRunOnly) {
  Child<QStatusBar>(*form, "StatusLine")->showMessage("before");
  QString status_during;
  const QCursor* cursor_during = nullptr;
  Qt::CursorShape shape_during = Qt::ArrowCursor;
  recorder.during = [&] {
    status_during = Child<QStatusBar>(*form, "StatusLine")->currentMessage();
    cursor_during = QApplication::overrideCursor();
    if (cursor_during) shape_during = cursor_during->shape();
  };
  form->ExecuteSort();
  EXPECT_EQ(status_during, Utf8("ソート実行中！"));
  ASSERT_NE(cursor_during, nullptr);
  EXPECT_EQ(shape_during, Qt::WaitCursor);
  EXPECT_EQ(Child<QStatusBar>(*form, "StatusLine")->currentMessage(),
            QString("before"));
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
    Child<QPushButton>(*form, "OKButton")->click();
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
      {"閉じる",
       [](TTarnelMainForm& f) {
         Child<QPushButton>(f, "CancelButton")->click();
       }},
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
  TTarnelMainForm watched(
      App(), {}, [&](const SortRequest& request) -> std::int32_t {
        // The user edits the paths while the run waits in a
        // box.
        Child<QLineEdit>(watched, "FileOpenEdit")->setText("other.txt");
        Child<QLineEdit>(watched, "FileSaveEdit")->setText("else.txt");
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
