// The application object: title and help file, the hidden window that owns
// the boxes, and the exception box for errors escaping event handlers.
#include "ui/qt/tarnel_application.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QMenuBar>
#include <QObject>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;
using testing_support::Utf8;

struct TextCase {
  std::string message;
  std::string shown;
};

class ExceptionBoxTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(ExceptionBoxTextTest, AppendsAFullStopAfterCharactersSortingAfterIt) {
  EXPECT_EQ(ExceptionBoxText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExceptionBoxTextTest,
    testing::Values(TextCase{"", ""}, TextCase{"Bad value", "Bad value."},
                    TextCase{"Done.", "Done."}, TextCase{"Why?", "Why?."},
                    // '!' and ',' sort before '.', '/' and '0' after it.
                    TextCase{"Stop!", "Stop!"}, TextCase{"a,", "a,"},
                    TextCase{"a-", "a-"}, TextCase{"a/", "a/."},
                    TextCase{"Error 42", "Error 42."},
                    // Bytes of 128 and above sort after the full stop.
                    TextCase{"失敗", "失敗."}));

class ThrowingObject : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("Boom");
    if (event->type() == QEvent::User + 1) ++quiet_events;
    return QObject::event(event);
  }
  int quiet_events = 0;
};

class TarnelApplicationTest : public testing::Test {
 protected:
  void SetUp() override { ResetApplicationState(); }
  RecordingMessageBoxes boxes;
};

TEST_F(TarnelApplicationTest, HasTheProgramsTitleAndHelpFile) {
  EXPECT_EQ(App().Title(), "TARNEL");
  EXPECT_EQ(App().HelpFile(), "Tarnel.hlp");
}

TEST_F(TarnelApplicationTest, ApplicationWindowIsHiddenAndIsTheHandle) {
  ASSERT_NE(App().ApplicationWindow(), nullptr);
  EXPECT_FALSE(App().ApplicationWindow()->isVisible());
  EXPECT_EQ(App().Handle(), App().ApplicationWindow());
}

TEST_F(TarnelApplicationTest, ExceptionFromAnEventHandlerIsShownAndLifeGoesOn) {
  ThrowingObject target;
  QEvent boom(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&target, &boom));
  const RecordedBox expected{App().Handle(), "Boom.", "TARNEL",
                             kBoxIconError | kBoxTaskModal};
  EXPECT_EQ(boxes.boxes, std::vector<RecordedBox>{expected});

  QEvent next(static_cast<QEvent::Type>(QEvent::User + 1));
  QCoreApplication::sendEvent(&target, &next);
  EXPECT_EQ(target.quiet_events, 1);
}

TEST_F(TarnelApplicationTest, ExceptionDuringAClickedRunLeavesTheWindowReady) {
  int runs = 0;
  TTarnelMainForm form(App(), {}, [&](auto...) -> std::int32_t {
    if (++runs == 1) throw std::runtime_error("disk on fire");
    return 0;
  });
  ASSERT_TRUE(ShowAndActivate(form));
  QTest::mouseClick(Child<QPushButton>(form, "OKButton"), Qt::LeftButton);
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"disk on fire."});
  EXPECT_FALSE(form.Running());
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Child<QStatusBar>(form, "StatusLine")->currentMessage(),
            Utf8("テキストソートユーティリティ"));
  // The window goes on: the next press runs again.
  QTest::mouseClick(Child<QPushButton>(form, "OKButton"), Qt::LeftButton);
  EXPECT_EQ(runs, 2);
  form.hide();
}

TEST_F(TarnelApplicationTest, TerminateEndsALoopThatStartsLater) {
  App().Terminate();
  EXPECT_EQ(ExecWithDeadline(), 0);
}

TEST_F(TarnelApplicationTest, CenterOnScreenCentresAWindowNotYetShown) {
  TTarnelMainForm form(App(), {}, [](auto...) { return 0; });
  CenterOnScreen(form);
  const QRect screen = form.screen()->geometry();
  EXPECT_EQ(form.size(), QSize(426, 314 + form.menuBar()->height()));
  EXPECT_LE(std::abs(form.geometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(form.geometry().center().y() - screen.center().y()), 1);
}

TEST_F(TarnelApplicationTest, ProgramIconHasEverySizeFromSixteenTo256) {
  const QIcon icon = TarnelIcon();
  const QList<QSize> sizes = icon.availableSizes();
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // A file that is there, of the size it is named for.
    EXPECT_EQ(icon.pixmap(QSize(size, size)).size(), QSize(size, size)) << size;
  }
}

}  // namespace
}  // namespace tarnel
