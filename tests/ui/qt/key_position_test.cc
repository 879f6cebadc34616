// Editing the key position: the input filter on SortPosEdit with its boxes,
// and the two spin controls that step the number.
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

using testing_support::ShowAndActivate;
using testing_support::Utf8;

constexpr char kTextCaption[] = "SortPosEdit->Text";
constexpr char kErrorCaption[] = "ERROR";
constexpr char kErrorText[] = "数値を入力してください";

// What a box of the filter shows: its caption and text.
struct Box {
  std::string caption;
  std::string text;

  bool operator==(const Box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
  return out << box.caption << ": [" << box.text << "]";
}

Box TextBox(const std::string& text) { return {kTextCaption, text}; }
Box ErrorBox() { return {kErrorCaption, kErrorText}; }

class KeyPositionTest : public testing::Test {
 public:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             recorder.Function());
    ASSERT_TRUE(ShowAndActivate(*form));
    form->PageControl1->setCurrentWidget(form->TabSheet2);
    edit()->setFocus();
  }

  QLineEdit* edit() { return form->SortPosEdit; }

  std::vector<Box> Boxes() const {
    std::vector<Box> shown;
    for (const RecordedBox& box : boxes.boxes) {
      shown.push_back({box.caption, box.text});
    }
    return shown;
  }

  void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(edit(), Qt::Key_V, Qt::ControlModifier);
  }

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

// The user's change, from the start text "1" with UpDown2 at 7.
struct UserChange {
  const char* name;
  std::function<void(KeyPositionTest&)> change;
  std::vector<Box> boxes;
  QString text;
  int caret;
  int updown2;
};

void PrintTo(const UserChange& change, std::ostream* out) {
  *out << change.name;
}

class UserChangeTest : public KeyPositionTest,
                       public testing::WithParamInterface<UserChange> {};

TEST_P(UserChangeTest, ShowsTheTextRemovesNonDigitsAndMovesUpDown2) {
  form->UpDown2->SetPosition(7);
  GetParam().change(*this);
  EXPECT_EQ(Boxes(), GetParam().boxes);
  EXPECT_EQ(edit()->text(), GetParam().text);
  EXPECT_EQ(edit()->cursorPosition(), GetParam().caret);
  EXPECT_EQ(form->UpDown2->Position(), GetParam().updown2);
}

void TypeAtEnd(KeyPositionTest& test, const QString& text) {
  test.form->SortPosEdit->end(false);
  QTest::keyClicks(test.form->SortPosEdit, text);
}

INSTANTIATE_TEST_SUITE_P(
    SortPosEditChange, UserChangeTest,
    testing::Values(
        UserChange{"LetterTypedAfterTheDigit",
                   [](KeyPositionTest& test) { TypeAtEnd(test, "a"); },
                   {TextBox("1a"), ErrorBox()},
                   "1",
                   1,
                   1},
        UserChange{"DigitTypedAfterTheDigit",
                   [](KeyPositionTest& test) { TypeAtEnd(test, "2"); },
                   {TextBox("12")},
                   "12",
                   2,
                   12},
        UserChange{"MixedTextPastedOverEverything",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     test.Paste("1x2y");
                   },
                   {TextBox("1x2y"), ErrorBox(), ErrorBox()},
                   "12",
                   1,
                   12},
        UserChange{"LettersPastedInFront",
                   [](KeyPositionTest& test) {
                     test.edit()->home(false);
                     test.Paste("ab");
                   },
                   {TextBox("ab1"), ErrorBox(), ErrorBox()},
                   "1",
                   0,
                   1},
        UserChange{"EverythingDeleted",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     QTest::keyClick(test.edit(), Qt::Key_Delete);
                   },
                   {TextBox("")},
                   "1",
                   1,
                   7},
        UserChange{"ReplacedByALoneZero",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     QTest::keyClicks(test.edit(), "0");
                   },
                   {TextBox("0")},
                   "1",
                   1,
                   7},
        UserChange{"DoubleZeroPasted",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     test.Paste("00");
                   },
                   // 0 is below the range: UpDown2 stops at 1.
                   {TextBox("00")},
                   "00",
                   2,
                   1},
        // A paste longer than the five characters the user may type is cut
        // to what fits, as in a Windows edit, and then filtered as usual.
        UserChange{"SixDigitsPastedOverEverything",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     test.Paste("123456");
                   },
                   {TextBox("12345")},
                   "12345",
                   5,
                   1024},
        UserChange{"LongPasteAtTheEndKeepsWhatFits",
                   [](KeyPositionTest& test) {
                     test.edit()->end(false);
                     test.Paste("23456789");
                   },
                   {TextBox("12345")},
                   "12345",
                   5,
                   1024},
        UserChange{"LongPasteInTheMiddleKeepsTheTextAfterIt",
                   [](KeyPositionTest& test) {
                     test.edit()->setText("19");
                     test.edit()->setCursorPosition(1);
                     test.Paste("2345678");
                   },
                   {TextBox("12349")},
                   "12349",
                   4,
                   1024},
        UserChange{"PasteIntoAFullEditChangesNothing",
                   [](KeyPositionTest& test) {
                     test.edit()->setText("12345");
                     test.edit()->end(false);
                     test.Paste("6");
                   },
                   {},
                   "12345",
                   5,
                   7},
        UserChange{"LongPasteWithLettersIsCutThenFiltered",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     test.Paste("1x2y3z");
                   },
                   {TextBox("1x2y3"), ErrorBox(), ErrorBox()},
                   "123",
                   1,
                   123},
        UserChange{"NothingButLettersPasted",
                   [](KeyPositionTest& test) {
                     test.edit()->selectAll();
                     test.Paste("xy");
                   },
                   // Emptied by the filter itself: stays empty.
                   {TextBox("xy"), ErrorBox(), ErrorBox()},
                   "",
                   0,
                   1},
        UserChange{"FullWidthDigitTyped",
                   [](KeyPositionTest& test) {
                     // Typed through the input method, as Japanese is.
                     test.edit()->end(false);
                     QInputMethodEvent typed;
                     typed.setCommitString(Utf8("１"));
                     QCoreApplication::sendEvent(test.edit(), &typed);
                   },
                   // Three bytes in UTF-8, none of them a digit.
                   {TextBox("1１"), ErrorBox(), ErrorBox(), ErrorBox()},
                   "1",
                   1,
                   1}),
    [](const testing::TestParamInfo<UserChange>& case_info) {
      return std::string(case_info.param.name);
    });

TEST_F(KeyPositionTest, FilterBoxesArePlainApplicationModalAndOwnedByApp) {
  TypeAtEnd(*this, "a");
  ASSERT_EQ(boxes.boxes.size(), 2u);
  for (const RecordedBox& box : boxes.boxes) {
    EXPECT_EQ(box.owner, App().Handle());
    EXPECT_EQ(box.flags, kBoxPlain | kBoxTaskModal);
  }
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
  EXPECT_EQ(Boxes(), (std::vector<Box>{TextBox("12"), TextBox("1")}));
}

TEST_F(KeyPositionTest, CommandLineTextLongerThanFiveIsKeptAndNotFiltered) {
  TTarnelMainForm with_key(App(), {"-1234567"}, recorder.Function());
  EXPECT_EQ(with_key.SortPosEdit->text(), QString("1234567"));
  EXPECT_TRUE(boxes.boxes.empty());
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
  form->UpDown2->SetPosition(spin.start_text.toInt());
  Press(spin.updown1 ? form->UpDown1 : form->UpDown2, spin.button,
        spin.presses);
  EXPECT_EQ(edit()->text(), spin.text);
  EXPECT_EQ(form->UpDown2->Position(), spin.updown2);
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
  Press(form->UpDown1, kUp);
  EXPECT_EQ(edit()->text(), QString("55"));
  EXPECT_EQ(form->UpDown2->Position(), 55);
}

TEST_F(KeyPositionTest, UpDown1StartsFromItsPositionWhenTheEditIsEmpty) {
  Press(form->UpDown1, kUp, 2);  // 21, and UpDown1 remembers it
  edit()->setText(QString());
  Press(form->UpDown1, kUp);
  EXPECT_EQ(edit()->text(), QString("31"));
}

TEST_F(KeyPositionTest, UpAndDownKeysInTheEditStepUpDown1) {
  QTest::keyClick(edit(), Qt::Key_Up);
  QTest::keyClick(edit(), Qt::Key_Up);
  EXPECT_EQ(edit()->text(), QString("21"));
  EXPECT_EQ(form->UpDown2->Position(), 21);
  QTest::keyClick(edit(), Qt::Key_Down);
  EXPECT_EQ(edit()->text(), QString("11"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KeyPositionTest, RunAfterUpDown1PassedThousandUsesTheShownNumber) {
  edit()->setText("991");
  Press(form->UpDown1, kUp);
  form->ExecuteSort();
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].request.key_pos, 1000);
}

TEST_F(KeyPositionTest, SpinControlsNeverTakeTheFocus) {
  Press(form->UpDown1, kUp);
  Press(form->UpDown2, kUp);
  EXPECT_EQ(QApplication::focusWidget(), edit());
  EXPECT_EQ(form->UpDown1->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(form->UpDown2->focusPolicy(), Qt::NoFocus);
}

struct KeyOptionCase {
  const char* argument;
  QString text;
  int updown1;
};

TEST_F(KeyPositionTest, KeyOptionSetsUpDown1ButLeavesTheDigitsAndUpDown2) {
  const KeyOptionCase cases[] = {
      {"-50", "50", 50},
      {"-2000", "2000", 1024},
      {"-12abc", "12", 12},
  };
  for (const KeyOptionCase& row : cases) {
    SCOPED_TRACE(row.argument);
    TTarnelMainForm with_key(App(), {row.argument}, recorder.Function());
    EXPECT_EQ(with_key.SortPosEdit->text(), row.text);
    EXPECT_EQ(with_key.UpDown1->Position(), row.updown1);
    EXPECT_EQ(with_key.UpDown2->Position(), 1);
  }
}

}  // namespace
}  // namespace tarnel
