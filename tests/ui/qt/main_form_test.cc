// The main window as built: names, captions, initial states, places, and
// the reactions that keep paired check boxes consistent.
#include "ui/qt/main_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/logic/main_form_layout.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/up_down.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;
using testing_support::Utf8;

class MainFormTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             recorder.Function());
  }

  template <class Widget = QWidget>
  Widget* Find(const char* name) {
    return form->findChild<Widget*>(QString::fromLatin1(name));
  }

  RecordingMessageBoxes boxes;
  RunRecorder recorder;
  std::unique_ptr<TTarnelMainForm> form;
};

// Each control of the layout table, as the Qt window built it: its kind,
// its parent, its place, its caption and its initial state.
TEST_F(MainFormTest, EveryControlStandsAsTheLayoutTableGivesIt) {
  auto* pages = Find<QTabWidget>("PageControl1");
  int page_count = 0;
  for (const ControlDef& def : MainFormControlTable()) {
    SCOPED_TRACE(def.name);
    QWidget* widget = Find(def.name);
    ASSERT_NE(widget, nullptr);
    const QString text = Utf8(def.text ? def.text : "");
    if (def.kind == ControlKind::kTabSheet) {
      // A page sits in its page control, in the table's order.
      EXPECT_EQ(pages->widget(page_count), widget);
      EXPECT_EQ(pages->tabText(page_count), text);
      EXPECT_EQ(pages->currentWidget() == widget, def.shown);
      ++page_count;
      continue;
    }
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName().toStdString(),
              def.parent ? def.parent : "ClientArea");
    EXPECT_EQ(widget->geometry(),
              QRect(def.rect.x, def.rect.y, def.rect.width, def.rect.height));
    EXPECT_EQ(widget->isHidden(), !def.shown);
    switch (def.kind) {
      case ControlKind::kRadioButton:
        EXPECT_NE(qobject_cast<QRadioButton*>(widget), nullptr);
        [[fallthrough]];
      case ControlKind::kCheckBox: {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isCheckable());
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->isChecked(), def.checked);
        break;
      }
      case ControlKind::kGroupBox:
        EXPECT_EQ(Find<QGroupBox>(def.name)->title(), text);
        break;
      case ControlKind::kEdit:
      case ControlKind::kPathEdit:
        EXPECT_EQ(Find<QLineEdit>(def.name)->text(), text);
        break;
      case ControlKind::kStatusBar:
        EXPECT_EQ(Find<QStatusBar>(def.name)->currentMessage(), text);
        break;
      case ControlKind::kBrowsePanel:
        EXPECT_EQ(Find<BrowsePanel>(def.name)->text(), text);
        break;
      case ControlKind::kPushButton:
        EXPECT_EQ(Find<QPushButton>(def.name)->text(), text);
        EXPECT_EQ(Find<QPushButton>(def.name)->isDefault(), def.default_button);
        break;
      case ControlKind::kUpDown:
        EXPECT_NE(Find<UpDown>(def.name), nullptr);
        break;
      case ControlKind::kPageControl:
        EXPECT_EQ(widget, pages);
        break;
      case ControlKind::kTabSheet:
        break;
    }
  }
  EXPECT_EQ(pages->count(), page_count);
}

TEST_F(MainFormTest, SpinControlsStartWithTheirRangesPositionsAndSteps) {
  EXPECT_EQ(Child<UpDown>(*form, "UpDown1")->Minimum(), 1);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown1")->Maximum(), 1024);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown1")->Position(), 1);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown1")->Increment(), 10);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown1")->Associate(),
            Child<QLineEdit>(*form, "SortPosEdit"));
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Minimum(), 1);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Maximum(), 1024);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Position(), 1);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Increment(), 1);
  EXPECT_EQ(Child<UpDown>(*form, "UpDown2")->Associate(), nullptr);
}

TEST_F(MainFormTest, LaterControlsLieAboveEarlierOnes) {
  // Siblings are stacked in the table's order, so the radio buttons lie
  // over their frame.
  const QObjectList& children = Child<QWidget>(*form, "ClientArea")->children();
  int previous = -1;
  for (const ControlDef& def : MainFormControlTable()) {
    if (def.parent) continue;
    SCOPED_TRACE(def.name);
    const int index = static_cast<int>(children.indexOf(Find(def.name)));
    EXPECT_GT(index, previous);
    previous = index;
  }
}

TEST_F(MainFormTest, WindowHasFixedClientAreaBelowAMenuBarAndNoMaximise) {
  EXPECT_EQ(form->objectName(), QString("TarnelMainForm"));
  EXPECT_EQ(form->windowTitle(), QString("TARNEL"));
  EXPECT_EQ(form->centralWidget(), Child<QWidget>(*form, "ClientArea"));
  EXPECT_EQ(Child<QWidget>(*form, "ClientArea")->size(), QSize(426, 314));
  EXPECT_EQ(form->menuBar(), Find<QMenuBar>("MainMenu"));
  form->layout()->activate();
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->minimumSize().width(), 426);
  // Below the menu bar, the client area and nothing else.
  EXPECT_EQ(Child<QWidget>(*form, "ClientArea")->geometry().top(),
            form->menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(form->minimumSize().height(),
            Child<QWidget>(*form, "ClientArea")->geometry().top() + 314);
  const Qt::WindowFlags flags = form->windowFlags();
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
}

TEST_F(MainFormTest, EveryControlUsesTheWindowFont) {
  const QStringList families{Utf8("ＭＳ Ｐゴシック"), "IPAPGothic",
                             "Noto Sans CJK JP"};
  EXPECT_EQ(form->font().families(), families);
  EXPECT_EQ(form->font().pixelSize(), 12);
  for (QWidget* control :
       {static_cast<QWidget*>(Child<QLineEdit>(*form, "SortPosEdit")),
        static_cast<QWidget*>(Child<QCheckBox>(*form, "UniqCheckBox")),
        static_cast<QWidget*>(Child<QStatusBar>(*form, "StatusLine"))}) {
    EXPECT_EQ(control->font().families(), families);
    EXPECT_EQ(control->font().pixelSize(), 12);
  }
}

TEST_F(MainFormTest, JapaneseFallbackFontStandsInForTheMissingFirstOne) {
  ASSERT_TRUE(QFontDatabase::hasFamily("IPAPGothic"))
      << "needs the IPA P Gothic font (package fonts-ipafont-gothic)";
  if (QFontDatabase::hasFamily(Utf8("ＭＳ Ｐゴシック"))) {
    EXPECT_EQ(QFontInfo(form->font()).family(), Utf8("ＭＳ Ｐゴシック"));
  } else {
    EXPECT_EQ(QFontInfo(form->font()).family(), QString("IPAPGothic"));
  }
}

// The two sides of source and destination: clipboard box, file box, browse
// panel and path edit.
struct Side {
  const char* name;
  const char* clipboard;
  const char* file;
  const char* panel;
  const char* edit;
};

const Side kSides[] = {
    {"Input", "ClipBoardCheckBox1", "FileOpenCheckBox", "FileOpenPanel",
     "FileOpenEdit"},
    {"Output", "ClipBoardCheckBox2", "FileSaveCheckBox", "FileSavePanel",
     "FileSaveEdit"},
};

TEST_F(MainFormTest, CheckingFileBoxUnchecksClipboardAndShowsPathAndPanel) {
  for (const Side& side : kSides) {
    SCOPED_TRACE(side.name);
    Find<QCheckBox>(side.file)->setChecked(true);
    EXPECT_FALSE(Find<QCheckBox>(side.clipboard)->isChecked());
    EXPECT_FALSE(Find<QLineEdit>(side.edit)->isHidden());
    EXPECT_FALSE(Find<BrowsePanel>(side.panel)->isHidden());
  }
}

TEST_F(MainFormTest, UncheckingFileBoxHidesPathAndPanelAndChecksClipboard) {
  for (const Side& side : kSides) {
    SCOPED_TRACE(side.name);
    Find<QCheckBox>(side.file)->setChecked(true);
    Find<QCheckBox>(side.file)->setChecked(false);
    EXPECT_TRUE(Find<QCheckBox>(side.clipboard)->isChecked());
    EXPECT_TRUE(Find<QLineEdit>(side.edit)->isHidden());
    EXPECT_TRUE(Find<BrowsePanel>(side.panel)->isHidden());
  }
}

TEST_F(MainFormTest, UncheckingClipboardChecksFileBoxAndShowsPath) {
  for (const Side& side : kSides) {
    SCOPED_TRACE(side.name);
    Find<QCheckBox>(side.clipboard)->setChecked(false);
    EXPECT_TRUE(Find<QCheckBox>(side.file)->isChecked());
    EXPECT_FALSE(Find<QLineEdit>(side.edit)->isHidden());
    EXPECT_FALSE(Find<BrowsePanel>(side.panel)->isHidden());
    Find<QCheckBox>(side.clipboard)->setChecked(true);
    EXPECT_FALSE(Find<QCheckBox>(side.file)->isChecked());
    EXPECT_TRUE(Find<QLineEdit>(side.edit)->isHidden());
  }
}

TEST_F(MainFormTest, ReactionChainStopsAfterOnePassBackAndForth) {
  QSignalSpy clipboard_changes(Child<QCheckBox>(*form, "ClipBoardCheckBox1"),
                               &QCheckBox::toggled);
  QSignalSpy file_changes(Child<QCheckBox>(*form, "FileOpenCheckBox"),
                          &QCheckBox::toggled);
  Child<QCheckBox>(*form, "FileOpenCheckBox")->setChecked(true);
  EXPECT_EQ(file_changes.count(), 1);
  EXPECT_EQ(clipboard_changes.count(), 1);
}

TEST_F(MainFormTest, SettingABoxToItsCurrentStateRunsNoReaction) {
  QSignalSpy clipboard_changes(Child<QCheckBox>(*form, "ClipBoardCheckBox1"),
                               &QCheckBox::toggled);
  QSignalSpy file_changes(Child<QCheckBox>(*form, "FileOpenCheckBox"),
                          &QCheckBox::toggled);
  Child<QCheckBox>(*form, "ClipBoardCheckBox1")->setChecked(true);
  Child<QCheckBox>(*form, "FileOpenCheckBox")->setChecked(false);
  EXPECT_EQ(clipboard_changes.count(), 0);
  EXPECT_EQ(file_changes.count(), 0);
  EXPECT_TRUE(Child<QLineEdit>(*form, "FileOpenEdit")->isHidden());
}

struct Pair {
  const char* first;
  const char* second;
};

TEST_F(MainFormTest, PairedBoxesAlwaysHoldOppositeStates) {
  const Pair pairs[] = {
      {"ColumCheckBox", "FieldCheckBox"},
      {"FieldCheckBox", "ColumCheckBox"},
      {"StringCompCheckBox", "NumCompCheckBox"},
      {"NumCompCheckBox", "StringCompCheckBox"},
  };
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(pair.first);
    for (const bool state : {true, false, true, false}) {
      Find<QCheckBox>(pair.first)->setChecked(state);
      EXPECT_EQ(Find<QCheckBox>(pair.second)->isChecked(), !state);
    }
  }
}

TEST_F(MainFormTest, RadioButtonsAreExclusive) {
  Child<QRadioButton>(*form, "Sort_R_RadioButton")->setChecked(true);
  EXPECT_FALSE(Child<QRadioButton>(*form, "Sort_F_RadioButton")->isChecked());
  Child<QRadioButton>(*form, "Sort_F_RadioButton")->setChecked(true);
  EXPECT_FALSE(Child<QRadioButton>(*form, "Sort_R_RadioButton")->isChecked());
}

TEST_F(MainFormTest, ProgramChangeDoesNotMoveTheFocusOfAnInactiveWindow) {
  Child<QCheckBox>(*form, "FileOpenCheckBox")->setChecked(true);
  EXPECT_NE(form->focusWidget(), Child<QLineEdit>(*form, "FileOpenEdit"));
}

TEST_F(MainFormTest, UserClickOnFileBoxReactsAndFocusesThePath) {
  ASSERT_TRUE(ShowAndActivate(*form));
  QTest::mouseClick(Child<QCheckBox>(*form, "FileOpenCheckBox"),
                    Qt::LeftButton);
  EXPECT_TRUE(Child<QCheckBox>(*form, "FileOpenCheckBox")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(*form, "ClipBoardCheckBox1")->isChecked());
  EXPECT_TRUE(Child<QLineEdit>(*form, "FileOpenEdit")->isVisible());
  EXPECT_TRUE(Child<BrowsePanel>(*form, "FileOpenPanel")->isVisible());
  EXPECT_EQ(QApplication::focusWidget(),
            Child<QLineEdit>(*form, "FileOpenEdit"));

  QTest::mouseClick(Child<QCheckBox>(*form, "ClipBoardCheckBox1"),
                    Qt::LeftButton);
  EXPECT_FALSE(Child<QCheckBox>(*form, "FileOpenCheckBox")->isChecked());
  EXPECT_FALSE(Child<QLineEdit>(*form, "FileOpenEdit")->isVisible());
  form->hide();
}

TEST_F(MainFormTest, UserTypesAtMostFiveCharactersIntoKeyPosition) {
  ASSERT_TRUE(ShowAndActivate(*form));
  Child<QTabWidget>(*form, "PageControl1")
      ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
  Child<QLineEdit>(*form, "SortPosEdit")->setFocus();
  Child<QLineEdit>(*form, "SortPosEdit")->selectAll();
  QTest::keyClicks(Child<QLineEdit>(*form, "SortPosEdit"), "1234567");
  EXPECT_EQ(Child<QLineEdit>(*form, "SortPosEdit")->text(), QString("12345"));
  form->hide();
}

TEST_F(MainFormTest, UserCanShortenButNotLengthenALongerProgramText) {
  ASSERT_TRUE(ShowAndActivate(*form));
  Child<QTabWidget>(*form, "PageControl1")
      ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
  Child<QLineEdit>(*form, "SortPosEdit")->setText("12345678");
  EXPECT_EQ(Child<QLineEdit>(*form, "SortPosEdit")->text(),
            QString("12345678"));
  Child<QLineEdit>(*form, "SortPosEdit")->setFocus();
  Child<QLineEdit>(*form, "SortPosEdit")->end(false);
  QTest::keyClick(Child<QLineEdit>(*form, "SortPosEdit"), Qt::Key_9);
  EXPECT_EQ(Child<QLineEdit>(*form, "SortPosEdit")->text(),
            QString("12345678"));
  QTest::keyClick(Child<QLineEdit>(*form, "SortPosEdit"), Qt::Key_Backspace);
  EXPECT_EQ(Child<QLineEdit>(*form, "SortPosEdit")->text(), QString("1234567"));
  form->hide();
}

// A Windows button takes a click anywhere in its rectangle, the blank part
// to the right of its label included.
TEST_F(MainFormTest, ClickOnTheBlankPartOfAButtonTogglesIt) {
  ASSERT_TRUE(ShowAndActivate(*form));
  const char* const kCheckBoxes[] = {"ClipBoardCheckBox1",
                                     "FileOpenCheckBox",
                                     "ClipBoardCheckBox2",
                                     "FileSaveCheckBox",
                                     "NotCaseSensitiveCheckBox",
                                     "UniqCheckBox",
                                     "ColumCheckBox",
                                     "FieldCheckBox",
                                     "StringCompCheckBox",
                                     "NumCompCheckBox"};
  for (const char* name : kCheckBoxes) {
    SCOPED_TRACE(name);
    auto* box = Find<QCheckBox>(name);
    ASSERT_NE(box, nullptr);
    Child<QTabWidget>(*form, "PageControl1")
        ->setCurrentWidget(box->parentWidget());
    const bool before = box->isChecked();
    // Two pixels inside the right edge: past the end of every label.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier,
                      QPoint(box->width() - 2, box->height() / 2));
    EXPECT_NE(box->isChecked(), before);
  }
  // 降順ソート's blank part at client (135, 73), as a user would hit it.
  QWidget* target = Child<QWidget>(*form, "ClientArea")->childAt(135, 73);
  EXPECT_EQ(target, Child<QRadioButton>(*form, "Sort_R_RadioButton"));
  QTest::mouseClick(
      Child<QRadioButton>(*form, "Sort_R_RadioButton"), Qt::LeftButton,
      Qt::NoModifier,
      Child<QRadioButton>(*form, "Sort_R_RadioButton")
          ->mapFrom(Child<QWidget>(*form, "ClientArea"), QPoint(135, 73)));
  EXPECT_TRUE(Child<QRadioButton>(*form, "Sort_R_RadioButton")->isChecked());
  EXPECT_FALSE(Child<QRadioButton>(*form, "Sort_F_RadioButton")->isChecked());
  QTest::mouseClick(
      Child<QRadioButton>(*form, "Sort_F_RadioButton"), Qt::LeftButton,
      Qt::NoModifier,
      QPoint(Child<QRadioButton>(*form, "Sort_F_RadioButton")->width() - 2, 8));
  EXPECT_TRUE(Child<QRadioButton>(*form, "Sort_F_RadioButton")->isChecked());
  form->hide();
}

// The edit at its layout width shows all five digits the user may type:
// with the caret at the end, no digit has scrolled out at the left.
TEST_F(MainFormTest, KeyPositionShowsAllFiveDigits) {
  ASSERT_TRUE(ShowAndActivate(*form));
  Child<QTabWidget>(*form, "PageControl1")
      ->setCurrentWidget(Child<QWidget>(*form, "TabSheet2"));
  QLineEdit* edit = Child<QLineEdit>(*form, "SortPosEdit");
  ASSERT_EQ(edit->width(), 41);
  for (const char* digits : {"12345", "88888", "00000"}) {
    SCOPED_TRACE(digits);
    edit->setText(QString::fromLatin1(digits));
    const auto caret_x = [edit](int position) {
      edit->setCursorPosition(position);
      edit->grab();  // lays the text out as a paint would
      return edit->inputMethodQuery(Qt::ImCursorRectangle)
          .toRect()
          .center()
          .x();
    };
    const int home = caret_x(0);
    const int end = caret_x(5);
    EXPECT_EQ(end - home, QFontMetrics(edit->font())
                              .horizontalAdvance(QString::fromLatin1(digits)));
    EXPECT_GE(home, 0);
    EXPECT_LT(end, edit->width());
  }
  form->hide();
}

// 実行 wears the default button's frame while a control other than a push
// button has the focus; a focused push button takes the frame meanwhile.
TEST_F(MainFormTest, RunButtonIsDrawnAsTheDefaultUnlessAButtonHasTheFocus) {
  ASSERT_TRUE(ShowAndActivate(*form));
  const auto framed = [](QPushButton* button) {
    // The default frame is the outermost ring, in the shadow colour.
    const QImage picture = button->grab().toImage();
    return picture.pixel(button->width() / 2, 0) ==
           button->palette().color(QPalette::Shadow).rgb();
  };
  Child<QCheckBox>(*form, "UniqCheckBox")->setFocus();
  EXPECT_TRUE(Child<QPushButton>(*form, "OKButton")->isDefault());
  EXPECT_TRUE(framed(Child<QPushButton>(*form, "OKButton")));
  EXPECT_FALSE(framed(Child<QPushButton>(*form, "CancelButton")));

  Child<QPushButton>(*form, "CancelButton")->setFocus();
  EXPECT_FALSE(Child<QPushButton>(*form, "OKButton")->isDefault());
  EXPECT_TRUE(Child<QPushButton>(*form, "CancelButton")->isDefault());
  EXPECT_FALSE(framed(Child<QPushButton>(*form, "OKButton")));
  EXPECT_TRUE(framed(Child<QPushButton>(*form, "CancelButton")));

  Child<QTabWidget>(*form, "PageControl1")->setFocus();
  EXPECT_TRUE(framed(Child<QPushButton>(*form, "OKButton")));
  EXPECT_FALSE(framed(Child<QPushButton>(*form, "CancelButton")));
  form->hide();
}

TEST_F(MainFormTest, CloseButtonClosesTheWindow) {
  ASSERT_TRUE(ShowAndActivate(*form));
  QTest::mouseClick(Child<QPushButton>(*form, "CancelButton"), Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormTest, EnterPressesTheRunButtonUnlessAnotherButtonHasFocus) {
  ASSERT_TRUE(ShowAndActivate(*form));
  Child<QCheckBox>(*form, "UniqCheckBox")->setFocus();
  QTest::keyClick(Child<QCheckBox>(*form, "UniqCheckBox"), Qt::Key_Return);
  EXPECT_EQ(recorder.calls.size(), 1u);
  Child<QPushButton>(*form, "CancelButton")->setFocus();
  QTest::keyClick(Child<QPushButton>(*form, "CancelButton"), Qt::Key_Return);
  EXPECT_EQ(recorder.calls.size(), 1u);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace tarnel
