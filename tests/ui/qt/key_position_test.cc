// The key position on the Qt window: the two spin controls that step the
// number, and what the filter makes of undo and the program's changes. The
// filter's table is tests/ui/cases.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/qt/main_form.h"
#include "ui/qt/up_down.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;
using testing_support::Utf8;

class KeyPositionTest : public testing::Test {
 public:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             recorder.Function());
    ASSERT_TRUE(ShowAndActivate(*form));
    Child<QTabWidget>(*form, "PageControl1")
        ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
    edit()->setFocus();
  }

  QLineEdit* edit() { return Child<QLineEdit>(*form, "SortPosEdit"); }

  void Press(UpDown* spin, UpDown::Button button, int times = 1) {
    const QPoint point = button == UpDown::Button::kUp
                             ? QPoint(spin->width() / 2, 2)
                             : QPoint(spin->width() / 2, spin->height() - 3);
    for (int i = 0; i < times; ++i) {
      QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, point);
    }
  }

  RecordingMessageBoxes boxes;
  RunRecorder recorder;
  std::unique_ptr<TTarnelMainForm> form;
};

void TypeAtEnd(KeyPositionTest& test, const QString& text) {
  test.edit()->end(false);
  QTest::keyClicks(test.edit(), text);
}

TEST_F(KeyPositionTest, ProgramChangesShowNoBoxAndAreNotFiltered) {
  edit()->setText("abc");
  EXPECT_EQ(edit()->text(), QString("abc"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KeyPositionTest, UndoingBackToTheProgramTextIsStillTheUsersChange) {
  TypeAtEnd(*this, "2");
  QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(edit()->text(), QString("1"));
  EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"12", "1"}));
  for (const RecordedBox& box : boxes.boxes) {
    EXPECT_EQ(box.caption, "SortPosEdit->Text");
  }
}

// A spin control pressed some times, from a start text in the edit.
struct SpinCase {
  const char* name;
  bool updown1;
  UpDown::Button button;
  int presses;
  QString start_text;
  QString text;
  int updown2;
};

void PrintTo(const SpinCase& spin, std::ostream* out) { *out << spin.name; }

class SpinTest : public KeyPositionTest,
                 public testing::WithParamInterface<SpinCase> {};

TEST_P(SpinTest, StepsTheNumberInTheEditWithinOneTo1024) {
  const SpinCase& spin = GetParam();
  edit()->setText(spin.start_text);
  Child<UpDown>(*form, "UpDown2")->SetPosition(spin.start_text.toInt());
  Press(spin.updown1 ? Child<UpDown>(*form, "UpDown1")
                     : Child<UpDown>(*form, "UpDown2"),
        spin.button, spin.presses);
  EXPECT_EQ(edit()->text(), spin.text);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Position(), spin.updown2);
  // Text written by a spin control is the program's: no filter boxes.
  EXPECT_TRUE(boxes.boxes.empty());
}

constexpr auto kUp = UpDown::Button::kUp;
constexpr auto kDown = UpDown::Button::kDown;

INSTANTIATE_TEST_SUITE_P(
    UpDowns, SpinTest,
    testing::Values(
        SpinCase{"UpDown2UpFromOne", false, kUp, 1, "1", "2", 2},
        SpinCase{"UpDown2DownStopsAtOne", false, kDown, 3, "2", "1", 1},
        SpinCase{"UpDown2AtTheTopDoesNothing", false, kUp, 2, "1024", "1024",
                 1024},
        SpinCase{"UpDown1UpFromOneByTens", true, kUp, 3, "1", "31", 31},
        SpinCase{"UpDown1WritesPlainDecimalFrom1000On", true, kUp, 2, "991",
                 "1011", 1011},
        SpinCase{"UpDown1StopsAt1024", true, kUp, 3, "1004", "1024", 1024},
        SpinCase{"UpDown1DownStopsAtOne", true, kDown, 2, "5", "1", 1},
        SpinCase{"UpDown1StartsFromANumberAboveTheRangeAtItsEnd", true, kDown,
                 1, "2000", "1014", 1014}),
    [](const testing::TestParamInfo<SpinCase>& case_info) {
      return std::string(case_info.param.name);
    });

TEST_F(KeyPositionTest, UpDown1StartsFromTheNumberTheUserTyped) {
  edit()->selectAll();
  QTest::keyClicks(edit(), "45");
  boxes.boxes.clear();
  Press(Child<UpDown>(*form, "UpDown1"), kUp);
  EXPECT_EQ(edit()->text(), QString("55"));
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Position(), 55);
}

TEST_F(KeyPositionTest, UpDown1StartsFromItsPositionWhenTheEditIsEmpty) {
  Press(Child<UpDown>(*form, "UpDown1"), kUp,
        2);  // 21, and UpDown1 remembers it
  edit()->setText(QString());
  Press(Child<UpDown>(*form, "UpDown1"), kUp);
  EXPECT_EQ(edit()->text(), QString("31"));
}

TEST_F(KeyPositionTest, UpAndDownKeysInTheEditStepUpDown1) {
  QTest::keyClick(edit(), Qt::Key_Up);
  QTest::keyClick(edit(), Qt::Key_Up);
  EXPECT_EQ(edit()->text(), QString("21"));
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Position(), 21);
  QTest::keyClick(edit(), Qt::Key_Down);
  EXPECT_EQ(edit()->text(), QString("11"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KeyPositionTest, RunAfterUpDown1PassedThousandUsesTheShownNumber) {
  edit()->setText("991");
  Press(Child<UpDown>(*form, "UpDown1"), kUp);
  form->ExecuteSort();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].request.key_pos, 1000);
}

TEST_F(KeyPositionTest, SpinControlsNeverTakeTheFocus) {
  Press(Child<UpDown>(*form, "UpDown1"), kUp);
  Press(Child<UpDown>(*form, "UpDown2"), kUp);
  EXPECT_EQ(QApplication::focusWidget(), edit());
  EXPECT_EQ(Child<UpDown>(*form, "UpDown1")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->focusPolicy(), Qt::NoFocus);
}

}  // namespace
}  // namespace tarnel
