// The "参照" browse panels and the two common dialogs behind them: what each
// dialog is asked for, what a choice changes, and when the input panel
// opens its dialog on its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
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

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;
using testing_support::UserClick;

constexpr char kOpenFilter[] =
    "テキストファイル(*.TXT,*.CSV)|*.TXT;*.CSV|すべてのファイル(*.*)|*.*";
constexpr char kSaveFilter[] =
    "テキストファイル(*.TXT, *.CSV)|*.TXT;*.CSV|すべてのファイル(*.*)|*.*";
// OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST
constexpr unsigned kOpenOptions = 0x800 | 0x1000;
// OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
// OFN_NOREADONLYRETURN
constexpr unsigned kSaveOptions = 0x2 | 0x4 | 0x800 | 0x8000;

class BrowseTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationState();
    // Both sides on files, so both panels are there to use.
    form = std::make_unique<TTarnelMainForm>(
        App(), std::vector<std::string>{"-f", "in.txt", "-o", "out.txt"},
        recorder.Function());
    ASSERT_TRUE(ShowAndActivate(*form));
  }

  // Lets a queued dialog run.
  void Settle() { QCoreApplication::processEvents(); }

  RecordingMessageBoxes boxes;
  ScriptedFileDialogs dialogs;
  RunRecorder recorder;
  std::unique_ptr<TTarnelMainForm> form;
};

TEST_F(BrowseTest, InputPanelClickAsksTheOpenDialogAndTakesTheChoice) {
  dialogs.answers.push_back("/data/chosen.txt");
  UserClick(Child<BrowsePanel>(*form, "FileOpenPanel"));
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0],
            (FileDialogRequest{FileDialogKind::kOpen, kOpenOptions, kOpenFilter,
                               ""}));
  EXPECT_EQ(dialogs.owners[0], static_cast<QWidget*>(form.get()));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(),
            QString("/data/chosen.txt"));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileSaveEdit")->text(),
            QString("out.txt"));
}

TEST_F(BrowseTest, OutputPanelClickAsksTheSaveDialogAndTakesTheChoice) {
  dialogs.answers.push_back("/data/result.csv");
  UserClick(Child<BrowsePanel>(*form, "FileSavePanel"));
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(dialogs.requests[0],
            (FileDialogRequest{FileDialogKind::kSave, kSaveOptions, kSaveFilter,
                               ""}));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileSaveEdit")->text(),
            QString("/data/result.csv"));
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(), QString("in.txt"));
}

TEST_F(BrowseTest, ChoiceChangesOnlyThePathText) {
  Child<QCheckBox>(*form, "UniqCheckBox")->setFocus();
  dialogs.answers.push_back("/data/a.txt");
  UserClick(Child<BrowsePanel>(*form, "FileOpenPanel"));
  EXPECT_TRUE(Child<QCheckBox>(*form, "FileOpenCheckBox")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(*form, "ClipBoardCheckBox1")->isChecked());
  EXPECT_EQ(QApplication::focusWidget(),
            Child<QCheckBox>(*form, "UniqCheckBox"));
}

TEST_F(BrowseTest, CancelledDialogChangesNothing) {
  dialogs.answers.push_back(std::nullopt);
  UserClick(Child<BrowsePanel>(*form, "FileSavePanel"));
  EXPECT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(Child<QLineEdit>(*form, "FileSaveEdit")->text(),
            QString("out.txt"));
}

TEST_F(BrowseTest, EachDialogStartsFromTheNameLastChosenInIt) {
  dialogs.answers = {"/data/one.txt", std::nullopt, "/data/two.txt"};
  UserClick(Child<BrowsePanel>(*form, "FileOpenPanel"));
  UserClick(Child<BrowsePanel>(
      *form, "FileOpenPanel"));  // cancelled: keeps what it had
  UserClick(Child<BrowsePanel>(*form, "FileOpenPanel"));
  UserClick(Child<BrowsePanel>(*form, "FileSavePanel"));
  ASSERT_EQ(dialogs.requests.size(), 4u);
  EXPECT_EQ(dialogs.requests[0].file_name, "");
  EXPECT_EQ(dialogs.requests[1].file_name, "/data/one.txt");
  EXPECT_EQ(dialogs.requests[2].file_name, "/data/one.txt");
  // The save dialog has its own memory, and the path edits are not asked.
  EXPECT_EQ(dialogs.requests[3].file_name, "");
  EXPECT_EQ(form->Logic().SaveDialog.file_name, "");
  EXPECT_EQ(form->Logic().OpenDialog.file_name, "/data/two.txt");
}

TEST_F(BrowseTest, MenuOpenAndTheInputPanelShareTheOpenDialog) {
  dialogs.answers = {"/data/from-menu.txt"};
  form->FileOpen2();
  UserClick(Child<BrowsePanel>(*form, "FileOpenPanel"));
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[1].file_name, "/data/from-menu.txt");
  EXPECT_EQ(dialogs.requests[1].kind, FileDialogKind::kOpen);
}

TEST_F(BrowseTest, OptionsAreSetAfreshForEveryUse) {
  form->Logic().OpenDialog.options = 0xFFFF;
  form->Logic().SaveDialog.options = 0;
  UserClick(Child<BrowsePanel>(*form, "FileOpenPanel"));
  UserClick(Child<BrowsePanel>(*form, "FileSavePanel"));
  ASSERT_EQ(dialogs.requests.size(), 2u);
  EXPECT_EQ(dialogs.requests[0].options, kOpenOptions);
  EXPECT_EQ(dialogs.requests[1].options, kSaveOptions);
}

TEST_F(BrowseTest, TabOntoTheInputPanelOpensItsDialogOnce) {
  dialogs.answers.push_back("/data/tabbed.txt");
  Child<QCheckBox>(*form, "FileOpenCheckBox")->setFocus();
  QTest::keyClick(Child<QCheckBox>(*form, "FileOpenCheckBox"), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(),
            Child<BrowsePanel>(*form, "FileOpenPanel"));
  Settle();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(),
            QString("/data/tabbed.txt"));
  Settle();
  EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(BrowseTest, BacktabOntoTheInputPanelOpensItsDialog) {
  Child<QLineEdit>(*form, "FileOpenEdit")->setFocus();
  QTest::keyClick(Child<QLineEdit>(*form, "FileOpenEdit"), Qt::Key_Backtab,
                  Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(),
            Child<BrowsePanel>(*form, "FileOpenPanel"));
  Settle();
  EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(BrowseTest, FocusComingBackToTheInputPanelOpensNothing) {
  Child<QCheckBox>(*form, "FileOpenCheckBox")->setFocus();
  QTest::keyClick(Child<QCheckBox>(*form, "FileOpenCheckBox"), Qt::Key_Tab);
  Settle();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  // Another window comes and goes, as the dialog does.
  QWidget other;
  ASSERT_TRUE(ShowAndActivate(other));
  other.hide();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  EXPECT_EQ(QApplication::focusWidget(),
            Child<BrowsePanel>(*form, "FileOpenPanel"));
  Settle();
  EXPECT_EQ(dialogs.requests.size(), 1u);
}

TEST_F(BrowseTest, TabOntoTheOutputPanelOpensNothing) {
  Child<QCheckBox>(*form, "FileSaveCheckBox")->setFocus();
  QTest::keyClick(Child<QCheckBox>(*form, "FileSaveCheckBox"), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(),
            Child<BrowsePanel>(*form, "FileSavePanel"));
  Settle();
  EXPECT_TRUE(dialogs.requests.empty());
}

TEST_F(BrowseTest, ClickOnAPanelLeavesTheFocusWhereItWas) {
  Child<QCheckBox>(*form, "UniqCheckBox")->setFocus();
  UserClick(Child<BrowsePanel>(*form, "FileSavePanel"));
  EXPECT_EQ(QApplication::focusWidget(),
            Child<QCheckBox>(*form, "UniqCheckBox"));
}

}  // namespace
}  // namespace tarnel
