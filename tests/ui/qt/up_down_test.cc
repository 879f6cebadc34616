// The spin control on its own: range, position, step, no wrapping, the
// attached edit and its arrow keys, and the report of each step that moved.
#include "ui/qt/up_down.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"

namespace tarnel {
namespace {

using testing_support::ShowAndActivate;

using Button = UpDown::Button;

class UpDownTest : public testing::Test {
 protected:
  void SetUp() override {
    spin = new UpDown(&window);
    spin->setGeometry(50, 0, 16, 20);
    spin->SetRange(1, 100);
    spin->SetIncrement(10);
    spin->SetPosition(1);
    edit = new QLineEdit(&window);
    edit->setGeometry(0, 0, 50, 20);
  }

  QWidget window;
  UpDown* spin = nullptr;
  QLineEdit* edit = nullptr;
};

TEST_F(UpDownTest, PositionIsBroughtIntoTheRange) {
  spin->SetPosition(500);
  EXPECT_EQ(spin->Position(), 100);
  spin->SetPosition(-5);
  EXPECT_EQ(spin->Position(), 1);
  spin->SetPosition(42);
  spin->SetRange(1, 30);
  EXPECT_EQ(spin->Position(), 30);
}

struct StepCase {
  int start;
  Button button;
  int position;
  bool moved;
};

TEST_F(UpDownTest, StepsByTheIncrementAndStopsAtTheEndsWithoutWrapping) {
  const StepCase cases[] = {
      {1, Button::kUp, 11, true},     {91, Button::kUp, 100, true},
      {100, Button::kUp, 100, false}, {15, Button::kDown, 5, true},
      {5, Button::kDown, 1, true},    {1, Button::kDown, 1, false},
  };
  for (const StepCase& row : cases) {
    SCOPED_TRACE(row.start);
    spin->SetPosition(row.start);
    QSignalSpy clicks(spin, &UpDown::Clicked);
    EXPECT_EQ(spin->Step(row.button), row.moved);
    EXPECT_EQ(spin->Position(), row.position);
    ASSERT_EQ(clicks.count(), row.moved ? 1 : 0);
    if (row.moved) {
      EXPECT_EQ(clicks[0][0].value<Button>(), row.button);
    }
  }
}

TEST_F(UpDownTest, StandAloneStepTouchesNoEdit) {
  edit->setText("77");
  spin->Step(Button::kUp);
  EXPECT_EQ(edit->text(), QString("77"));
  EXPECT_EQ(spin->Position(), 11);
}

TEST_F(UpDownTest, AttachedStepStartsFromTheEditAndWritesItBack) {
  spin->SetAssociate(edit);
  edit->setText("40");
  EXPECT_TRUE(spin->Step(Button::kUp));
  EXPECT_EQ(edit->text(), QString("50"));
  EXPECT_EQ(spin->Position(), 50);
}

TEST_F(UpDownTest, EditWithoutANumberLeavesTheStartToThePosition) {
  spin->SetAssociate(edit);
  spin->SetPosition(20);
  for (const char* text : {"", "1,000", "$10", " 5", "-3"}) {
    SCOPED_TRACE(text);
    edit->setText(text);
    spin->SetPosition(20);
    spin->Step(Button::kUp);
    EXPECT_EQ(edit->text(), QString("30"));
  }
}

TEST_F(UpDownTest, NumberOutsideTheRangeStartsFromTheNearerEnd) {
  spin->SetAssociate(edit);
  edit->setText("99999999999999");
  EXPECT_TRUE(spin->Step(Button::kDown));
  EXPECT_EQ(edit->text(), QString("90"));
  edit->setText("0");
  EXPECT_TRUE(spin->Step(Button::kUp));
  EXPECT_EQ(edit->text(), QString("11"));
}

TEST_F(UpDownTest, StepThatCannotMoveLeavesTheEditAlone) {
  spin->SetAssociate(edit);
  edit->setText("0100");
  QSignalSpy clicks(spin, &UpDown::Clicked);
  EXPECT_FALSE(spin->Step(Button::kUp));
  EXPECT_EQ(edit->text(), QString("0100"));
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(UpDownTest, WritesWithoutThousandsSeparator) {
  spin->SetRange(1, 5000);
  spin->SetAssociate(edit);
  edit->setText("995");
  spin->Step(Button::kUp);
  EXPECT_EQ(edit->text(), QString("1005"));
}

TEST_F(UpDownTest, ArrowKeysInTheAttachedEditStepAndAreConsumed) {
  spin->SetAssociate(edit);
  ASSERT_TRUE(ShowAndActivate(window));
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), QString("11"));
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->text(), QString("1"));
  // With a modifier the key is the edit's own.
  QTest::keyClick(edit, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(edit->text(), QString("1"));
}

TEST_F(UpDownTest, DetachedEditKeepsItsKeys) {
  spin->SetAssociate(edit);
  spin->SetAssociate(nullptr);
  ASSERT_TRUE(ShowAndActivate(window));
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), QString());
  EXPECT_EQ(spin->Position(), 1);
}

TEST_F(UpDownTest, ClickOnTheUpperHalfStepsUpAndOnTheLowerHalfDown) {
  QSignalSpy clicks(spin, &UpDown::Clicked);
  QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
  EXPECT_EQ(spin->Position(), 11);
  QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 16));
  EXPECT_EQ(spin->Position(), 1);
  EXPECT_EQ(clicks.count(), 2);
}

// Notes the timer whose event is being delivered, so that a step can be
// traced to the timer that made it.
class TimerEventWatch : public QObject {
 public:
  TimerEventWatch() { QCoreApplication::instance()->installEventFilter(this); }
  ~TimerEventWatch() override {
    QCoreApplication::instance()->removeEventFilter(this);
  }

  QPointer<QTimer> current;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Timer)
      current = qobject_cast<QTimer*>(watched);
    return false;
  }
};

TEST_F(UpDownTest, HoldingAnArrowRepeatsTheStep) {
  TimerEventWatch timers;
  QPointer<QTimer> repeater;
  QObject::connect(spin, &UpDown::Clicked, spin,
                   [&] { repeater = timers.current; });
  QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
  EXPECT_EQ(spin->Position(), 11);
  // The first repeat comes after a pause, the next ones quicker.
  EXPECT_TRUE(QTest::qWaitFor([&] { return spin->Position() >= 31; }, 3000));
  ASSERT_NE(repeater, nullptr) << "the repeats came from no timer";
  QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, QPoint(8, 3));
  const int released_at = spin->Position();
  EXPECT_FALSE(repeater->isActive());

  // A timer started now with twice the repeat interval fires after the
  // next repeat would have: once it has, no step came meanwhile.
  QSignalSpy steps(spin, &UpDown::Clicked);
  QTimer later;
  later.setSingleShot(true);
  later.setTimerType(Qt::PreciseTimer);
  QSignalSpy later_fired(&later, &QTimer::timeout);
  later.start(2 * repeater->interval());
  EXPECT_TRUE(later_fired.wait(5000));
  EXPECT_EQ(steps.count(), 0);
  EXPECT_EQ(spin->Position(), released_at);
}

TEST_F(UpDownTest, DestroyedEditIsForgotten) {
  auto other = std::make_unique<QLineEdit>(&window);
  spin->SetAssociate(other.get());
  other.reset();
  EXPECT_EQ(spin->Associate(), nullptr);
  EXPECT_TRUE(spin->Step(Button::kUp));
}

}  // namespace
}  // namespace tarnel
