// The boxes on the screen: captions, texts, icons, and which windows they
// block. The engine's boxes leave the main window usable, so the run
// handler itself must refuse a second run while one of them is open.
#include "platform/qt/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "platform/qt/tarnel_font.h"
#include "platform/service.h"
#include "program_runner.h"
#include "ui/main_form.h"
#include "ui_test_support.h"

namespace tarnel {
namespace {

// What a box showed while it was open.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  Qt::TextFormat format = Qt::AutoText;
  Qt::WindowModality modality = Qt::NonModal;
  QWidget* parent = nullptr;
  QFont font;
};

SeenBox Inspect(QWidget* widget) {
  SeenBox seen;
  auto* box = qobject_cast<QMessageBox*>(widget);
  if (!box) {
    ADD_FAILURE() << "the modal widget is not a message box";
    return seen;
  }
  seen.title = box->windowTitle();
  seen.text = box->text();
  seen.icon = box->icon();
  seen.buttons = box->standardButtons();
  seen.format = box->textFormat();
  seen.modality = box->windowModality();
  seen.parent = box->parentWidget();
  seen.font = box->font();
  return seen;
}

void PressOk(QWidget* widget) {
  if (auto* box = qobject_cast<QMessageBox*>(widget)) {
    box->button(QMessageBox::Ok)->click();
  }
}

class QtMessageBoxesTest : public testing::Test {
 protected:
  void SetUp() override { ResetApplicationState(); }

  // Shows a box and returns what it showed; OK closes it.
  SeenBox ShowAndClose(WindowHandle owner, const std::string& text,
                       const std::string& caption, unsigned flags) {
    SeenBox seen;
    WhenModalBoxOpens([&](QWidget* box) {
      seen = Inspect(box);
      PressOk(box);
    });
    EXPECT_EQ(screen_boxes_.Show(owner, text, caption, flags), kBoxOk);
    return seen;
  }

  // Whether a click reaches |box_to_click| while a box with |flags| and
  // |owner| is open.
  bool ClickGoesThroughWhileBoxIsOpen(WindowHandle owner, unsigned flags) {
    TTarnelMainForm form(App(), {}, [](auto...) { return 0; });
    EXPECT_TRUE(ShowAndActivate(form));
    bool toggled = false;
    WhenModalBoxOpens([&](QWidget* box) {
      UserClick(form.UniqCheckBox);
      toggled = form.UniqCheckBox->isChecked();
      PressOk(box);
    });
    screen_boxes_.Show(owner, "text", "caption", flags);
    form.hide();
    return toggled;
  }

  QtMessageBoxes screen_boxes_;
  Installed<MessageBoxes> installed_{&screen_boxes_};
};

TEST_F(QtMessageBoxesTest, ErrorBoxShowsCaptionTextErrorIconAndOneOkButton) {
  const SeenBox seen =
      ShowAndClose(App().Handle(), "No Line!", "TARNEL-ERROR", kBoxIconError);
  EXPECT_EQ(seen.title, QString("TARNEL-ERROR"));
  EXPECT_EQ(seen.text, QString("No Line!"));
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(QtMessageBoxesTest, PlainBoxHasNoIcon) {
  const SeenBox seen =
      ShowAndClose(App().Handle(), "Finish!", "TARNEL", kBoxPlain);
  EXPECT_EQ(seen.title, QString("TARNEL"));
  EXPECT_EQ(seen.text, QString("Finish!"));
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(QtMessageBoxesTest, TextIsShownAsPlainTextWithItsLineBreaks) {
  const SeenBox seen =
      ShowAndClose(App().Handle(), "File Open Error!\n[<b>a&b</b>]",
                   "TARNEL-ERROR", kBoxIconError);
  EXPECT_EQ(seen.format, Qt::PlainText);
  EXPECT_EQ(seen.text, QString("File Open Error!\n[<b>a&b</b>]"));
}

TEST_F(QtMessageBoxesTest, JapaneseTextsAreDecodedFromTheLocalEncoding) {
  const SeenBox seen =
      ShowAndClose(App().Handle(), "読み込み元ファイルが未指定です",
                   "TARNEL-ERROR", kBoxPlain | kBoxTaskModal);
  EXPECT_EQ(seen.text, Utf8("読み込み元ファイルが未指定です"));
}

TEST_F(QtMessageBoxesTest, BoxesUseTheProgramFont) {
  const SeenBox seen = ShowAndClose(App().Handle(), "x", "y", kBoxPlain);
  EXPECT_EQ(
      seen.font.families(),
      (QStringList{Utf8("ＭＳ Ｐゴシック"), "IPAPGothic", "Noto Sans CJK JP"}));
  EXPECT_EQ(seen.font.pixelSize(), 12);
}

TEST_F(QtMessageBoxesTest, EngineBoxIsOwnedByTheApplicationWindowOnly) {
  const SeenBox seen =
      ShowAndClose(App().Handle(), "No Line!", "TARNEL-ERROR", kBoxIconError);
  EXPECT_EQ(seen.parent, App().ApplicationWindow());
  EXPECT_EQ(seen.modality, Qt::WindowModal);
}

TEST_F(QtMessageBoxesTest, EngineBoxLeavesTheMainWindowUsable) {
  EXPECT_TRUE(ClickGoesThroughWhileBoxIsOpen(App().Handle(), kBoxIconError));
}

TEST_F(QtMessageBoxesTest, TaskModalBoxBlocksEveryWindow) {
  const SeenBox seen = ShowAndClose(App().Handle(), "x", "TARNEL-ERROR",
                                    kBoxPlain | kBoxTaskModal);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_FALSE(ClickGoesThroughWhileBoxIsOpen(App().Handle(),
                                              kBoxPlain | kBoxTaskModal));
}

TEST_F(QtMessageBoxesTest, BoxWithoutOwnerBlocksNoOtherWindow) {
  EXPECT_TRUE(ClickGoesThroughWhileBoxIsOpen(nullptr, kBoxPlain));
}

TEST_F(QtMessageBoxesTest, FontFallsBackToTheJapaneseFontsInOrder) {
  const QFont font = TarnelFont();
  EXPECT_EQ(font.families(), (QStringList{Utf8("ＭＳ Ｐゴシック"), "IPAPGothic",
                                          "Noto Sans CJK JP"}));
  EXPECT_EQ(font.pixelSize(), 12);
}

// A whole run with the real engine and the real boxes.
class RunWithScreenBoxesTest : public QtMessageBoxesTest {};

TEST_F(RunWithScreenBoxesTest, SecondRunIsRefusedWhileTheFinishBoxIsOpen) {
  Folder dir;
  dir.Write("in.txt", "b\na\n");
  int runs = 0;
  TTarnelMainForm form(
      App(), {},
      [&](const SortRequest& request) {
        ++runs;
        return RunSortOffThread(request);
      });
  form.FileOpenCheckBox->setChecked(true);
  form.FileOpenEdit->setText(QString::fromStdString(dir.Path("in.txt")));
  form.FileSaveCheckBox->setChecked(true);
  form.FileSaveEdit->setText(QString::fromStdString(dir.Path("out.txt")));
  ASSERT_TRUE(ShowAndActivate(form));

  SeenBox finish_box;
  bool unique_toggled = false;
  WhenModalBoxOpens([&](QWidget* box) {
    finish_box = Inspect(box);
    // The window is usable: a setting changes, the Run button is pressed.
    UserClick(form.UniqCheckBox);
    unique_toggled = form.UniqCheckBox->isChecked();
    UserClick(form.OKButton);
    PressOk(box);
  });
  QTest::mouseClick(form.OKButton, Qt::LeftButton);

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
  form.FileOpenCheckBox->setChecked(true);
  ASSERT_TRUE(ShowAndActivate(form));
  SeenBox seen;
  bool unique_toggled = true;
  WhenModalBoxOpens([&](QWidget* box) {
    seen = Inspect(box);
    UserClick(form.UniqCheckBox);
    unique_toggled = form.UniqCheckBox->isChecked();
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
