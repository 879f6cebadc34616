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
#include "ui/qt/browse_panel.h"
#include "ui/qt/up_down.h"

namespace tarnel {
namespace {

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

struct ButtonState {
  const char* name;
  const char* caption;
  bool checked;
};

TEST_F(MainFormTest, CheckBoxesAndRadioButtonsStartWithTheirCaptionsAndStates) {
  const ButtonState table[] = {
      {"Sort_F_RadioButton", "昇順ソート", true},
      {"Sort_R_RadioButton", "降順ソート", false},
      {"NotCaseSensitiveCheckBox", "英大文字小文字同一視", false},
      {"UniqCheckBox", "重複行削除", false},
      {"ClipBoardCheckBox1", "クリップボード", true},
      {"FileOpenCheckBox", "ファイル", false},
      {"ClipBoardCheckBox2", "クリップボード", true},
      {"FileSaveCheckBox", "ファイル", false},
      {"ColumCheckBox", "バイト（桁）", true},
      {"FieldCheckBox", "フィールド", false},
      {"StringCompCheckBox", "文字列", true},
      {"NumCompCheckBox", "数値", false},
  };
  for (const ButtonState& row : table) {
    SCOPED_TRACE(row.name);
    auto* button = Find<QAbstractButton>(row.name);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isCheckable());
    EXPECT_EQ(button->text(), Utf8(row.caption));
    EXPECT_EQ(button->isChecked(), row.checked);
  }
  EXPECT_NE(Find<QRadioButton>("Sort_F_RadioButton"), nullptr);
  EXPECT_NE(Find<QCheckBox>("NumCompCheckBox"), nullptr);
}

TEST_F(MainFormTest, PathEditsAndBrowsePanelsStartHidden) {
  EXPECT_TRUE(Find("FileOpenEdit")->isHidden());
  EXPECT_TRUE(Find("FileSaveEdit")->isHidden());
  EXPECT_TRUE(Find("FileOpenPanel")->isHidden());
  EXPECT_TRUE(Find("FileSavePanel")->isHidden());
  EXPECT_EQ(Find<QLineEdit>("FileOpenEdit")->text(), QString());
  EXPECT_EQ(Find<QLineEdit>("FileSaveEdit")->text(), QString());
  EXPECT_EQ(Find<BrowsePanel>("FileOpenPanel")->text(), Utf8("参照"));
  EXPECT_EQ(Find<BrowsePanel>("FileSavePanel")->text(), Utf8("参照"));
}

TEST_F(MainFormTest, OtherControlsStartWithTheirTexts) {
  EXPECT_EQ(Find<QLineEdit>("SortPosEdit")->text(), QString("1"));
  EXPECT_FALSE(Find("SortPosEdit")->isHidden());
  EXPECT_EQ(Find<QStatusBar>("StatusLine")->currentMessage(),
            Utf8("テキストソートユーティリティ"));
  EXPECT_EQ(Find<QPushButton>("OKButton")->text(), Utf8("実行"));
  EXPECT_TRUE(Find<QPushButton>("OKButton")->isDefault());
  EXPECT_EQ(Find<QPushButton>("CancelButton")->text(), Utf8("閉じる"));
  EXPECT_EQ(Find<QGroupBox>("SortMenu")->title(), Utf8("ソート順指定"));
  EXPECT_EQ(Find<QGroupBox>("InputGroupBox")->title(), Utf8("ソート対象"));
  EXPECT_EQ(Find<QGroupBox>("OutputGroupBox")->title(),
            Utf8("ソート結果の保存先"));
  auto* pages = Find<QTabWidget>("PageControl1");
  ASSERT_EQ(pages->count(), 2);
  EXPECT_EQ(pages->widget(0), Find("TabSheet1"));
  EXPECT_EQ(pages->widget(1), Find("TabSheet2"));
  EXPECT_EQ(pages->tabText(0), Utf8("ソートオプション"));
  EXPECT_EQ(pages->tabText(1), Utf8("ソートキー"));
  EXPECT_EQ(pages->currentWidget(), Find("TabSheet1"));
}

struct Placement {
  const char* name;
  const char* parent;
  QRect geometry;
};

TEST_F(MainFormTest, ControlsSitAtTheirPlacesInTheirParents) {
  const Placement table[] = {
      {"StatusLine", "ClientArea", {0, 291, 426, 23}},
      {"SortMenu", "ClientArea", {16, 8, 169, 89}},
      {"Sort_F_RadioButton", "ClientArea", {32, 32, 113, 17}},
      {"Sort_R_RadioButton", "ClientArea", {32, 64, 121, 17}},
      {"InputGroupBox", "ClientArea", {16, 104, 393, 73}},
      {"ClipBoardCheckBox1", "InputGroupBox", {16, 16, 97, 17}},
      {"FileOpenCheckBox", "InputGroupBox", {128, 16, 57, 17}},
      {"FileOpenPanel", "InputGroupBox", {344, 40, 41, 17}},
      {"FileOpenEdit", "InputGroupBox", {16, 40, 321, 20}},
      {"OutputGroupBox", "ClientArea", {16, 184, 393, 73}},
      {"ClipBoardCheckBox2", "OutputGroupBox", {16, 16, 97, 17}},
      {"FileSaveCheckBox", "OutputGroupBox", {128, 16, 57, 17}},
      {"FileSavePanel", "OutputGroupBox", {344, 40, 41, 17}},
      {"FileSaveEdit", "OutputGroupBox", {16, 40, 321, 20}},
      {"OKButton", "ClientArea", {112, 264, 75, 25}},
      {"CancelButton", "ClientArea", {232, 264, 75, 25}},
      {"PageControl1", "ClientArea", {208, 8, 201, 89}},
      {"NotCaseSensitiveCheckBox", "TabSheet1", {8, 8, 145, 17}},
      {"UniqCheckBox", "TabSheet1", {8, 32, 97, 17}},
      {"SortPosEdit", "TabSheet2", {16, 8, 41, 20}},
      {"UpDown1", "TabSheet2", {57, 8, 15, 20}},
      {"UpDown2", "TabSheet2", {72, 8, 16, 20}},
      {"ColumCheckBox", "TabSheet2", {16, 40, 81, 17}},
      {"FieldCheckBox", "TabSheet2", {104, 40, 73, 17}},
      {"StringCompCheckBox", "TabSheet2", {96, 0, 97, 17}},
      {"NumCompCheckBox", "TabSheet2", {96, 16, 97, 17}},
  };
  for (const Placement& row : table) {
    SCOPED_TRACE(row.name);
    QWidget* widget = Find(row.name);
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), row.parent);
    EXPECT_EQ(widget->geometry(), row.geometry);
  }
}

TEST_F(MainFormTest, SpinControlsStartWithTheirRangesPositionsAndSteps) {
  EXPECT_EQ(form->UpDown1->Minimum(), 1);
  EXPECT_EQ(form->UpDown1->Maximum(), 1024);
  EXPECT_EQ(form->UpDown1->Position(), 1);
  EXPECT_EQ(form->UpDown1->Increment(), 10);
  EXPECT_EQ(form->UpDown1->Associate(), form->SortPosEdit);
  EXPECT_EQ(form->UpDown2->Minimum(), 1);
  EXPECT_EQ(form->UpDown2->Maximum(), 1024);
  EXPECT_EQ(form->UpDown2->Position(), 1);
  EXPECT_EQ(form->UpDown2->Increment(), 1);
  EXPECT_EQ(form->UpDown2->Associate(), nullptr);
}

TEST_F(MainFormTest, LaterControlsLieAboveEarlierOnes) {
  // Siblings are stacked in creation order.
  const QObjectList& children = form->ClientArea->children();
  const auto index = [&](QObject* child) { return children.indexOf(child); };
  EXPECT_LT(index(form->SortMenu), index(form->Sort_F_RadioButton));
  EXPECT_LT(index(form->StatusLine), index(form->SortMenu));
  EXPECT_LT(index(form->CancelButton), index(form->PageControl1));
}

TEST_F(MainFormTest, WindowHasFixedClientAreaBelowAMenuBarAndNoMaximise) {
  EXPECT_EQ(form->objectName(), QString("TarnelMainForm"));
  EXPECT_EQ(form->windowTitle(), QString("TARNEL"));
  EXPECT_EQ(form->centralWidget(), form->ClientArea);
  EXPECT_EQ(form->ClientArea->size(), QSize(426, 314));
  EXPECT_EQ(form->menuBar(), Find<QMenuBar>("MainMenu"));
  form->layout()->activate();
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->minimumSize().width(), 426);
  // Below the menu bar, the client area and nothing else.
  EXPECT_EQ(form->ClientArea->geometry().top(),
            form->menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(form->minimumSize().height(),
            form->ClientArea->geometry().top() + 314);
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
  for (QWidget* control : {static_cast<QWidget*>(form->SortPosEdit),
                           static_cast<QWidget*>(form->UniqCheckBox),
                           static_cast<QWidget*>(form->StatusLine)}) {
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
  QCheckBox* TTarnelMainForm::*clipboard;
  QCheckBox* TTarnelMainForm::*file;
  BrowsePanel* TTarnelMainForm::*panel;
  QLineEdit* TTarnelMainForm::*edit;
};

const Side kSides[] = {
    {"Input", &TTarnelMainForm::ClipBoardCheckBox1,
     &TTarnelMainForm::FileOpenCheckBox, &TTarnelMainForm::FileOpenPanel,
     &TTarnelMainForm::FileOpenEdit},
    {"Output", &TTarnelMainForm::ClipBoardCheckBox2,
     &TTarnelMainForm::FileSaveCheckBox, &TTarnelMainForm::FileSavePanel,
     &TTarnelMainForm::FileSaveEdit},
};

TEST_F(MainFormTest, CheckingFileBoxUnchecksClipboardAndShowsPathAndPanel) {
  for (const Side& side : kSides) {
    SCOPED_TRACE(side.name);
    TTarnelMainForm& f = *form;
    (f.*side.file)->setChecked(true);
    EXPECT_FALSE((f.*side.clipboard)->isChecked());
    EXPECT_FALSE((f.*side.edit)->isHidden());
    EXPECT_FALSE((f.*side.panel)->isHidden());
  }
}

TEST_F(MainFormTest, UncheckingFileBoxHidesPathAndPanelAndChecksClipboard) {
  for (const Side& side : kSides) {
    SCOPED_TRACE(side.name);
    TTarnelMainForm& f = *form;
    (f.*side.file)->setChecked(true);
    (f.*side.file)->setChecked(false);
    EXPECT_TRUE((f.*side.clipboard)->isChecked());
    EXPECT_TRUE((f.*side.edit)->isHidden());
    EXPECT_TRUE((f.*side.panel)->isHidden());
  }
}

TEST_F(MainFormTest, UncheckingClipboardChecksFileBoxAndShowsPath) {
  for (const Side& side : kSides) {
    SCOPED_TRACE(side.name);
    TTarnelMainForm& f = *form;
    (f.*side.clipboard)->setChecked(false);
    EXPECT_TRUE((f.*side.file)->isChecked());
    EXPECT_FALSE((f.*side.edit)->isHidden());
    EXPECT_FALSE((f.*side.panel)->isHidden());
    (f.*side.clipboard)->setChecked(true);
    EXPECT_FALSE((f.*side.file)->isChecked());
    EXPECT_TRUE((f.*side.edit)->isHidden());
  }
}

TEST_F(MainFormTest, ReactionChainStopsAfterOnePassBackAndForth) {
  QSignalSpy clipboard_changes(form->ClipBoardCheckBox1, &QCheckBox::toggled);
  QSignalSpy file_changes(form->FileOpenCheckBox, &QCheckBox::toggled);
  form->FileOpenCheckBox->setChecked(true);
  EXPECT_EQ(file_changes.count(), 1);
  EXPECT_EQ(clipboard_changes.count(), 1);
}

TEST_F(MainFormTest, SettingABoxToItsCurrentStateRunsNoReaction) {
  QSignalSpy clipboard_changes(form->ClipBoardCheckBox1, &QCheckBox::toggled);
  QSignalSpy file_changes(form->FileOpenCheckBox, &QCheckBox::toggled);
  form->ClipBoardCheckBox1->setChecked(true);
  form->FileOpenCheckBox->setChecked(false);
  EXPECT_EQ(clipboard_changes.count(), 0);
  EXPECT_EQ(file_changes.count(), 0);
  EXPECT_TRUE(form->FileOpenEdit->isHidden());
}

struct Pair {
  const char* name;
  QCheckBox* TTarnelMainForm::*first;
  QCheckBox* TTarnelMainForm::*second;
};

TEST_F(MainFormTest, PairedBoxesAlwaysHoldOppositeStates) {
  const Pair pairs[] = {
      {"ColumField", &TTarnelMainForm::ColumCheckBox,
       &TTarnelMainForm::FieldCheckBox},
      {"FieldColum", &TTarnelMainForm::FieldCheckBox,
       &TTarnelMainForm::ColumCheckBox},
      {"StringNumber", &TTarnelMainForm::StringCompCheckBox,
       &TTarnelMainForm::NumCompCheckBox},
      {"NumberString", &TTarnelMainForm::NumCompCheckBox,
       &TTarnelMainForm::StringCompCheckBox},
  };
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(pair.name);
    TTarnelMainForm& f = *form;
    for (const bool state : {true, false, true, false}) {
      (f.*pair.first)->setChecked(state);
      EXPECT_EQ((f.*pair.second)->isChecked(), !state);
    }
  }
}

TEST_F(MainFormTest, RadioButtonsAreExclusive) {
  form->Sort_R_RadioButton->setChecked(true);
  EXPECT_FALSE(form->Sort_F_RadioButton->isChecked());
  form->Sort_F_RadioButton->setChecked(true);
  EXPECT_FALSE(form->Sort_R_RadioButton->isChecked());
}

TEST_F(MainFormTest, ProgramChangeDoesNotMoveTheFocusOfAnInactiveWindow) {
  form->FileOpenCheckBox->setChecked(true);
  EXPECT_NE(form->focusWidget(), form->FileOpenEdit);
}

TEST_F(MainFormTest, UserClickOnFileBoxReactsAndFocusesThePath) {
  ASSERT_TRUE(ShowAndActivate(*form));
  QTest::mouseClick(form->FileOpenCheckBox, Qt::LeftButton);
  EXPECT_TRUE(form->FileOpenCheckBox->isChecked());
  EXPECT_FALSE(form->ClipBoardCheckBox1->isChecked());
  EXPECT_TRUE(form->FileOpenEdit->isVisible());
  EXPECT_TRUE(form->FileOpenPanel->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), form->FileOpenEdit);

  QTest::mouseClick(form->ClipBoardCheckBox1, Qt::LeftButton);
  EXPECT_FALSE(form->FileOpenCheckBox->isChecked());
  EXPECT_FALSE(form->FileOpenEdit->isVisible());
  form->hide();
}

TEST_F(MainFormTest, UserTypesAtMostFiveCharactersIntoKeyPosition) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  form->SortPosEdit->setFocus();
  form->SortPosEdit->selectAll();
  QTest::keyClicks(form->SortPosEdit, "1234567");
  EXPECT_EQ(form->SortPosEdit->text(), QString("12345"));
  form->hide();
}

TEST_F(MainFormTest, UserCanShortenButNotLengthenALongerProgramText) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  form->SortPosEdit->setText("12345678");
  EXPECT_EQ(form->SortPosEdit->text(), QString("12345678"));
  form->SortPosEdit->setFocus();
  form->SortPosEdit->end(false);
  QTest::keyClick(form->SortPosEdit, Qt::Key_9);
  EXPECT_EQ(form->SortPosEdit->text(), QString("12345678"));
  QTest::keyClick(form->SortPosEdit, Qt::Key_Backspace);
  EXPECT_EQ(form->SortPosEdit->text(), QString("1234567"));
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
    form->PageControl1->setCurrentWidget(box->parentWidget());
    const bool before = box->isChecked();
    // Two pixels inside the right edge: past the end of every label.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier,
                      QPoint(box->width() - 2, box->height() / 2));
    EXPECT_NE(box->isChecked(), before);
  }
  // 降順ソート's blank part at client (135, 73), as a user would hit it.
  QWidget* target = form->ClientArea->childAt(135, 73);
  EXPECT_EQ(target, form->Sort_R_RadioButton);
  QTest::mouseClick(
      form->Sort_R_RadioButton, Qt::LeftButton, Qt::NoModifier,
      form->Sort_R_RadioButton->mapFrom(form->ClientArea, QPoint(135, 73)));
  EXPECT_TRUE(form->Sort_R_RadioButton->isChecked());
  EXPECT_FALSE(form->Sort_F_RadioButton->isChecked());
  QTest::mouseClick(form->Sort_F_RadioButton, Qt::LeftButton, Qt::NoModifier,
                    QPoint(form->Sort_F_RadioButton->width() - 2, 8));
  EXPECT_TRUE(form->Sort_F_RadioButton->isChecked());
  form->hide();
}

// The edit at its layout width shows all five digits the user may type:
// with the caret at the end, no digit has scrolled out at the left.
TEST_F(MainFormTest, KeyPositionShowsAllFiveDigits) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->PageControl1->setCurrentWidget(form->TabSheet2);
  QLineEdit* edit = form->SortPosEdit;
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
  form->UniqCheckBox->setFocus();
  EXPECT_TRUE(form->OKButton->isDefault());
  EXPECT_TRUE(framed(form->OKButton));
  EXPECT_FALSE(framed(form->CancelButton));

  form->CancelButton->setFocus();
  EXPECT_FALSE(form->OKButton->isDefault());
  EXPECT_TRUE(form->CancelButton->isDefault());
  EXPECT_FALSE(framed(form->OKButton));
  EXPECT_TRUE(framed(form->CancelButton));

  form->PageControl1->setFocus();
  EXPECT_TRUE(framed(form->OKButton));
  EXPECT_FALSE(framed(form->CancelButton));
  form->hide();
}

TEST_F(MainFormTest, CloseButtonClosesTheWindow) {
  ASSERT_TRUE(ShowAndActivate(*form));
  QTest::mouseClick(form->CancelButton, Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainFormTest, EnterPressesTheRunButtonUnlessAnotherButtonHasFocus) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->UniqCheckBox->setFocus();
  QTest::keyClick(form->UniqCheckBox, Qt::Key_Return);
  EXPECT_EQ(recorder.calls.size(), 1u);
  form->CancelButton->setFocus();
  QTest::keyClick(form->CancelButton, Qt::Key_Return);
  EXPECT_EQ(recorder.calls.size(), 1u);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace tarnel
