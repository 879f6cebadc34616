// How the window behaves as a whole: where the focus starts and how Tab
// moves it, which keys close the window, and the status line's hints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "platform/testing/scripted_file_dialogs.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/main_form.h"
#include "ui/qt/up_down.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;
using testing_support::Utf8;

using Arguments = std::vector<std::string>;

class WindowBehaviourTest : public testing::Test {
 protected:
  void SetUp() override { ResetApplicationState(); }

  std::unique_ptr<TTarnelMainForm> Open(const Arguments& arguments = {}) {
    auto form = std::make_unique<TTarnelMainForm>(App(), arguments,
                                                  recorder.Function());
    EXPECT_TRUE(ShowAndActivate(*form));
    return form;
  }

  // The control that has the focus, by name; the page control's tabs count
  // as the page control.
  static std::string FocusName(TTarnelMainForm& form) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return "(none)";
    if (qobject_cast<QTabBar*>(focus) &&
        focus->parentWidget() == Child<QTabWidget>(form, "PageControl1")) {
      return "PageControl1";
    }
    return focus->objectName().toStdString();
  }

  // The controls that Tab visits from the one with the focus, until the
  // focus comes back to it.
  static std::vector<std::string> TabCycle(TTarnelMainForm& form) {
    const std::string start = FocusName(form);
    std::vector<std::string> visited{start};
    for (int i = 0; i < 40; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCoreApplication::processEvents();
      const std::string name = FocusName(form);
      if (name == start) break;
      visited.push_back(name);
    }
    return visited;
  }

  RecordingMessageBoxes boxes;
  ScriptedFileDialogs dialogs;
  RunRecorder recorder;
};

TEST_F(WindowBehaviourTest, CheckedRadioButtonGetsTheFocusAtFirst) {
  auto form = Open();
  EXPECT_EQ(FocusName(*form), "Sort_F_RadioButton");
}

TEST_F(WindowBehaviourTest, DescendingOptionPutsTheFirstFocusOnItsButton) {
  auto form = Open({"-r"});
  EXPECT_EQ(FocusName(*form), "Sort_R_RadioButton");
}

TEST_F(WindowBehaviourTest, TabVisitsTheControlsInTheirOrder) {
  auto form = Open();
  EXPECT_EQ(TabCycle(*form),
            (std::vector<std::string>{
                "Sort_F_RadioButton", "PageControl1",
                "NotCaseSensitiveCheckBox", "UniqCheckBox",
                "ClipBoardCheckBox1", "FileOpenCheckBox", "ClipBoardCheckBox2",
                "FileSaveCheckBox", "OKButton", "CancelButton"}));
}

TEST_F(WindowBehaviourTest, TabOnTheKeyPageVisitsItsControls) {
  auto form = Open({"-r"});
  Child<QTabWidget>(*form, "PageControl1")
      ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
  EXPECT_EQ(
      TabCycle(*form),
      (std::vector<std::string>{
          "Sort_R_RadioButton", "PageControl1", "SortPosEdit", "ColumCheckBox",
          "FieldCheckBox", "StringCompCheckBox", "NumCompCheckBox",
          "ClipBoardCheckBox1", "FileOpenCheckBox", "ClipBoardCheckBox2",
          "FileSaveCheckBox", "OKButton", "CancelButton"}));
}

TEST_F(WindowBehaviourTest, ArrowKeysMoveBetweenTheOrderButtons) {
  auto form = Open();
  QTest::keyClick(Child<QRadioButton>(*form, "Sort_F_RadioButton"),
                  Qt::Key_Down);
  EXPECT_EQ(FocusName(*form), "Sort_R_RadioButton");
  EXPECT_TRUE(Child<QRadioButton>(*form, "Sort_R_RadioButton")->isChecked());
  // The checked button is now the tab stop.
  Child<QPushButton>(*form, "CancelButton")->setFocus();
  QTest::keyClick(Child<QPushButton>(*form, "CancelButton"), Qt::Key_Tab);
  EXPECT_EQ(FocusName(*form), "Sort_R_RadioButton");
  QTest::keyClick(Child<QRadioButton>(*form, "Sort_R_RadioButton"), Qt::Key_Up);
  EXPECT_TRUE(Child<QRadioButton>(*form, "Sort_F_RadioButton")->isChecked());
}

TEST_F(WindowBehaviourTest, VisibleBrowsePanelsAreTabStops) {
  auto form = Open({"-f", "in.txt", "-o", "out.txt"});
  const std::vector<std::string> cycle = TabCycle(*form);
  const std::vector<std::string> sides(cycle.begin() + 4, cycle.begin() + 12);
  EXPECT_EQ(sides, (std::vector<std::string>{
                       "ClipBoardCheckBox1", "FileOpenCheckBox",
                       "FileOpenPanel", "FileOpenEdit", "ClipBoardCheckBox2",
                       "FileSaveCheckBox", "FileSavePanel", "FileSaveEdit"}));
}

TEST_F(WindowBehaviourTest, FramesPagesStatusLineAndSpinsNeverTakeTheFocus) {
  auto form = Open();
  const std::vector<QWidget*> never = {
      Child<QGroupBox>(*form, "SortMenu"),
      Child<QGroupBox>(*form, "InputGroupBox"),
      Child<QGroupBox>(*form, "OutputGroupBox"),
      Child<QWidget>(*form, "TabSheet1"),
      Child<QWidget>(*form, "TabSheet2"),
      Child<QStatusBar>(*form, "StatusLine"),
      Child<QWidget>(*form, "ClientArea"),
      Child<UpDown>(*form, "UpDown1"),
      Child<UpDown>(*form, "UpDown2")};
  for (QWidget* widget : never) {
    SCOPED_TRACE(widget->objectName().toStdString());
    EXPECT_EQ(widget->focusPolicy() & Qt::TabFocus, 0);
  }
}

TEST_F(WindowBehaviourTest, EscapeOnAControlDoesNothing) {
  auto form = Open();
  for (QWidget* control :
       {static_cast<QWidget*>(Child<QCheckBox>(*form, "UniqCheckBox")),
        static_cast<QWidget*>(Child<QRadioButton>(*form, "Sort_F_RadioButton")),
        static_cast<QWidget*>(Child<QPushButton>(*form, "OKButton"))}) {
    SCOPED_TRACE(control->objectName().toStdString());
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
  }
}

TEST_F(WindowBehaviourTest, EscapeInTheKeyPositionDoesNothing) {
  auto form = Open();
  Child<QTabWidget>(*form, "PageControl1")
      ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
  Child<QLineEdit>(*form, "SortPosEdit")->setFocus();
  QTest::keyClick(Child<QLineEdit>(*form, "SortPosEdit"), Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());
}

TEST_F(WindowBehaviourTest, EscapeWhileTheWindowItselfHasTheFocusClosesIt) {
  auto form = Open();
  form->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), form.get());
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowBehaviourTest, OtherKeysOfTheWindowItselfDoNothing) {
  auto form = Open();
  form->setFocus();
  QTest::keyClick(form.get(), Qt::Key_Q);
  QTest::keyClick(form.get(), Qt::Key_Space);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(WindowBehaviourTest, EnterInAnEditRunsTheSort) {
  auto form = Open({"-f", "in.txt"});
  Child<QLineEdit>(*form, "FileOpenEdit")->setFocus();
  QTest::keyClick(Child<QLineEdit>(*form, "FileOpenEdit"), Qt::Key_Return);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].input_name, "in.txt");
}

TEST_F(WindowBehaviourTest, StatusTipBecomesTheStatusLineText) {
  auto form = Open();
  QStatusTipEvent tip(QStringLiteral("a hint"));
  QCoreApplication::sendEvent(Child<QCheckBox>(*form, "UniqCheckBox"), &tip);
  EXPECT_EQ(App().Hint(), QString("a hint"));
  EXPECT_EQ(Child<QStatusBar>(*form, "StatusLine")->currentMessage(),
            QString("a hint"));
}

TEST_F(WindowBehaviourTest, MenuEntriesWithoutHintsKeepTheStartText) {
  auto form = Open();
  Child<QMenu>(*form, "FileMenu")->popup(form->mapToGlobal(QPoint(0, 0)));
  Child<QAction>(*form, "FileOpenItem")->hover();
  Child<QAction>(*form, "FileExitItem")->hover();
  Child<QMenu>(*form, "FileMenu")->hide();
  EXPECT_EQ(Child<QStatusBar>(*form, "StatusLine")->currentMessage(),
            Utf8("テキストソートユーティリティ"));
}

TEST_F(WindowBehaviourTest, HintHandlerEndsWithTheWindow) {
  { auto form = Open(); }
  App().SetHint(QStringLiteral("after the window"));
  EXPECT_EQ(App().Hint(), QString("after the window"));
}

TEST_F(WindowBehaviourTest, HintHandlerIsInstalledByFormCreateEvenInBatch) {
  TTarnelMainForm batch(App(), {"-a"}, recorder.Function());
  App().SetHint(QStringLiteral("batch hint"));
  EXPECT_EQ(Child<QStatusBar>(batch, "StatusLine")->currentMessage(),
            QString("batch hint"));
}

}  // namespace
}  // namespace tarnel
