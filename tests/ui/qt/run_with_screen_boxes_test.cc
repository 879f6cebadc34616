// A whole run with the real engine and the real boxes: the engine's boxes
// leave the main window usable, so the run handler itself must refuse a
// second run while one of them is open; the window's own boxes block it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <string>

#include "platform/message_boxes.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/service.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/logic/off_thread_run.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::Inspect;
using testing_support::PressOk;
using testing_support::SeenBox;
using testing_support::ShowAndActivate;
using testing_support::TempDir;
using testing_support::UserClick;
using testing_support::Utf8;
using testing_support::WhenModalBoxOpens;

class RunWithScreenBoxesTest : public testing::Test {
 protected:
  void SetUp() override { ResetApplicationState(); }

  QtMessageBoxes screen_boxes_;
  Installed<MessageBoxes> installed_{&screen_boxes_};
};

TEST_F(RunWithScreenBoxesTest, SecondRunIsRefusedWhileTheFinishBoxIsOpen) {
  TempDir dir;
  dir.Write("in.txt", "b\na\n");
  int runs = 0;
  TTarnelMainForm form(App(), {}, [&](const SortRequest& request) {
    ++runs;
    return RunSortOffThread(request);
  });
  Child<QCheckBox>(form, "FileOpenCheckBox")->setChecked(true);
  Child<QLineEdit>(form, "FileOpenEdit")
      ->setText(QString::fromStdString(dir / "in.txt"));
  Child<QCheckBox>(form, "FileSaveCheckBox")->setChecked(true);
  Child<QLineEdit>(form, "FileSaveEdit")
      ->setText(QString::fromStdString(dir / "out.txt"));
  ASSERT_TRUE(ShowAndActivate(form));

  SeenBox finish_box;
  bool unique_toggled = false;
  WhenModalBoxOpens([&](QWidget* box) {
    finish_box = Inspect(box);
    // The window is usable: a setting changes, the Run button is pressed.
    UserClick(Child<QCheckBox>(form, "UniqCheckBox"));
    unique_toggled = Child<QCheckBox>(form, "UniqCheckBox")->isChecked();
    UserClick(Child<QPushButton>(form, "OKButton"));
    PressOk(box);
  });
  QTest::mouseClick(Child<QPushButton>(form, "OKButton"), Qt::LeftButton);

  EXPECT_EQ(runs, 1);
  EXPECT_EQ(finish_box.title, QString("TARNEL"));
  EXPECT_EQ(finish_box.text, QString("Finish!"));
  EXPECT_EQ(finish_box.icon, QMessageBox::NoIcon);
  EXPECT_TRUE(unique_toggled);
  EXPECT_EQ(dir.Read("out.txt"), "a\r\nb\r\n");
  form.hide();
}

TEST_F(RunWithScreenBoxesTest, MissingPathBoxBlocksTheWindow) {
  TTarnelMainForm form(App(), {}, [](auto...) { return 0; });
  Child<QCheckBox>(form, "FileOpenCheckBox")->setChecked(true);
  ASSERT_TRUE(ShowAndActivate(form));
  SeenBox seen;
  bool unique_toggled = true;
  WhenModalBoxOpens([&](QWidget* box) {
    seen = Inspect(box);
    UserClick(Child<QCheckBox>(form, "UniqCheckBox"));
    unique_toggled = Child<QCheckBox>(form, "UniqCheckBox")->isChecked();
    PressOk(box);
  });
  EXPECT_FALSE(form.ExecuteSort());
  EXPECT_EQ(seen.title, QString("TARNEL-ERROR"));
  EXPECT_EQ(seen.text, Utf8("読み込み元ファイルが未指定です"));
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_FALSE(unique_toggled);
  form.hide();
}

}  // namespace
}  // namespace tarnel
