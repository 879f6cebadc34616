// The boxes on the screen: captions, texts, icons, fonts, and which windows
// they block. The engine's boxes are owned by a hidden application window,
// so the program's other windows stay usable while one is open.
#include "platform/qt/qt_message_boxes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <string>

#include "platform/message_boxes.h"
#include "platform/qt/tarnel_font.h"
#include "platform/service.h"
#include "tests/support/qt/qt_widgets.h"

namespace tarnel {
namespace {

using testing_support::Inspect;
using testing_support::PressOk;
using testing_support::SeenBox;
using testing_support::ShowAndActivate;
using testing_support::UserClick;
using testing_support::Utf8;
using testing_support::WhenModalBoxOpens;

class QtMessageBoxesTest : public testing::Test {
 protected:
  // What an earlier test left queued is delivered before this one starts.
  void SetUp() override { QCoreApplication::processEvents(); }

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

  // Whether a click reaches a check box in a main window of its own while a
  // box with |flags| and |owner| is open.
  bool ClickGoesThroughWhileBoxIsOpen(WindowHandle owner, unsigned flags) {
    QWidget main_window;
    auto* check_box =
        new QCheckBox(QStringLiteral("Unique lines"), &main_window);
    check_box->adjustSize();
    EXPECT_TRUE(ShowAndActivate(main_window));
    bool toggled = false;
    WhenModalBoxOpens([&](QWidget* box) {
      UserClick(check_box);
      toggled = check_box->isChecked();
      PressOk(box);
    });
    screen_boxes_.Show(owner, "text", "caption", flags);
    main_window.hide();
    return toggled;
  }

  // The hidden top-level window that owns the engine's boxes, as the
  // program's application window does; never shown.
  QWidget application_window_;
  WindowHandle const application_ = &application_window_;
  QtMessageBoxes screen_boxes_;
  Installed<MessageBoxes> installed_{&screen_boxes_};
};

TEST_F(QtMessageBoxesTest, ErrorBoxShowsCaptionTextErrorIconAndOneOkButton) {
  const SeenBox seen =
      ShowAndClose(application_, "No Line!", "TARNEL-ERROR", kBoxIconError);
  EXPECT_EQ(seen.title, QString("TARNEL-ERROR"));
  EXPECT_EQ(seen.text, QString("No Line!"));
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(QtMessageBoxesTest, PlainBoxHasNoIcon) {
  const SeenBox seen =
      ShowAndClose(application_, "Finish!", "TARNEL", kBoxPlain);
  EXPECT_EQ(seen.title, QString("TARNEL"));
  EXPECT_EQ(seen.text, QString("Finish!"));
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(QtMessageBoxesTest, TextIsShownAsPlainTextWithItsLineBreaks) {
  const SeenBox seen =
      ShowAndClose(application_, "File Open Error!\n[<b>a&b</b>]",
                   "TARNEL-ERROR", kBoxIconError);
  EXPECT_EQ(seen.format, Qt::PlainText);
  EXPECT_EQ(seen.text, QString("File Open Error!\n[<b>a&b</b>]"));
}

TEST_F(QtMessageBoxesTest, JapaneseTextsAreDecodedFromTheLocalEncoding) {
  const SeenBox seen =
      ShowAndClose(application_, "読み込み元ファイルが未指定です",
                   "TARNEL-ERROR", kBoxPlain | kBoxTaskModal);
  EXPECT_EQ(seen.text, Utf8("読み込み元ファイルが未指定です"));
}

TEST_F(QtMessageBoxesTest, BoxesUseTheProgramFont) {
  const SeenBox seen = ShowAndClose(application_, "x", "y", kBoxPlain);
  EXPECT_EQ(
      seen.font.families(),
      (QStringList{Utf8("ＭＳ Ｐゴシック"), "IPAPGothic", "Noto Sans CJK JP"}));
  EXPECT_EQ(seen.font.pixelSize(), 12);
}

// The application window that owns every box is never shown: its boxes
// open in the middle of the screen, not in its corner.
TEST_F(QtMessageBoxesTest, BoxOfTheHiddenApplicationWindowIsCentredOnScreen) {
  const QPoint middle =
      QApplication::primaryScreen()->availableGeometry().center();
  struct Case {
    const char* text;
    const char* caption;
    unsigned flags;
  };
  for (const Case& c :
       {Case{"Finish!", "TARNEL", kBoxPlain},
        Case{"No Line!", "TARNEL-ERROR", kBoxIconError},
        Case{"1a", "SortPosEdit->Text", kBoxPlain | kBoxTaskModal}}) {
    SCOPED_TRACE(c.caption);
    const SeenBox seen = ShowAndClose(application_, c.text, c.caption, c.flags);
    EXPECT_NEAR(seen.geometry.center().x(), middle.x(), 1);
    EXPECT_NEAR(seen.geometry.center().y(), middle.y(), 1);
  }
}

TEST_F(QtMessageBoxesTest, BoxOfAWindowOnTheScreenIsCentredOnIt) {
  QWidget owner;
  owner.setGeometry(40, 50, 500, 400);
  ASSERT_TRUE(ShowAndActivate(owner));
  const SeenBox seen = ShowAndClose(&owner, "text", "caption", kBoxPlain);
  const QPoint owner_middle = owner.frameGeometry().center();
  EXPECT_NEAR(seen.geometry.center().x(), owner_middle.x(), 1);
  EXPECT_NEAR(seen.geometry.center().y(), owner_middle.y(), 1);
  owner.hide();
}

// A window manager's title bar holds the caption beside an icon and a few
// buttons; a box sized only to its short text would cut the caption off.
TEST_F(QtMessageBoxesTest, BoxIsWideEnoughForItsWholeCaption) {
  for (const char* caption : {"SortPosEdit->Text", "TARNEL", "ERROR"}) {
    SCOPED_TRACE(caption);
    const SeenBox seen = ShowAndClose(application_, "1", caption, kBoxPlain);
    const int caption_width =
        QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
            .horizontalAdvance(QString::fromLatin1(caption));
    EXPECT_GE(seen.geometry.width(), caption_width + 100);
  }
}

TEST_F(QtMessageBoxesTest, EngineBoxBlocksNothingWithoutAWindowOnTheScreen) {
  const SeenBox seen =
      ShowAndClose(application_, "No Line!", "TARNEL-ERROR", kBoxIconError);
  EXPECT_EQ(seen.parent, &application_window_);
  EXPECT_EQ(seen.modality, Qt::NonModal);
}

// A window manager stacks a box above the window it is transient for: every
// box is, for the window the user works in, whoever owns it, and leaves it
// usable unless it is task-modal.
TEST_F(QtMessageBoxesTest, BoxIsKeptAboveTheWindowOnTheScreen) {
  QWidget main_window;
  ASSERT_TRUE(ShowAndActivate(main_window));
  for (const unsigned flags : {kBoxIconError, kBoxPlain | kBoxTaskModal}) {
    SCOPED_TRACE(flags);
    QWindow* transient_parent = nullptr;
    WhenModalBoxOpens([&](QWidget* box) {
      transient_parent = box->windowHandle()->transientParent();
      PressOk(box);
    });
    screen_boxes_.Show(application_, "text", "caption", flags);
    EXPECT_EQ(transient_parent, main_window.windowHandle());
  }
  main_window.hide();
}

TEST_F(QtMessageBoxesTest, EngineBoxLeavesTheMainWindowUsable) {
  EXPECT_TRUE(ClickGoesThroughWhileBoxIsOpen(application_, kBoxIconError));
}

TEST_F(QtMessageBoxesTest, TaskModalBoxBlocksEveryWindow) {
  const SeenBox seen = ShowAndClose(application_, "x", "TARNEL-ERROR",
                                    kBoxPlain | kBoxTaskModal);
  EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  EXPECT_FALSE(
      ClickGoesThroughWhileBoxIsOpen(application_, kBoxPlain | kBoxTaskModal));
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

}  // namespace
}  // namespace tarnel
