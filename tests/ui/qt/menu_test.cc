// The menu bar: its menus and entries, the keys that open them, and what
// each entry does.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/recording_help_engine.h"
#include "platform/testing/recording_message_boxes.h"
#include "platform/testing/scripted_file_dialogs.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/ui/qt/ui_test_support.h"
#include "ui/logic/main_form_layout.h"
#include "ui/qt/about_box.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

using testing_support::Child;
using testing_support::ShowAndActivate;

class MenuTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationState();
    form = std::make_unique<TTarnelMainForm>(App(), std::vector<std::string>{},
                                             recorder.Function());
  }

  WindowHandle FormHandle() { return static_cast<QWidget*>(form.get()); }

  RecordingMessageBoxes boxes;
  ScriptedFileDialogs dialogs;
  RecordingHelpEngine help;
  RunRecorder recorder;
  std::unique_ptr<TTarnelMainForm> form;
};

// The menu bar and each menu hold the layout's entries in its order, with
// their captions; no entry has a hint of its own.
TEST_F(MenuTest, MenuBarHoldsTheMenusAndEntriesOfTheMenuTable) {
  std::vector<std::string> bar;
  for (QAction* action : Child<QMenuBar>(*form, "MainMenu")->actions()) {
    bar.push_back(action->menu()->objectName().toStdString());
  }
  std::vector<std::string> expected_bar;
  for (const MenuDef& entry : MainMenuTable()) {
    SCOPED_TRACE(entry.name);
    if (!entry.parent) {
      expected_bar.push_back(entry.name);
      EXPECT_EQ(Child<QMenu>(*form, entry.name)->title(),
                QString::fromUtf8(entry.caption));
      continue;
    }
    auto* item = Child<QAction>(*form, entry.name);
    const QList<QAction*> siblings =
        Child<QMenu>(*form, entry.parent)->actions();
    // In its menu, after the entries of the table before it.
    qsizetype before = 0;
    for (const MenuDef& other : MainMenuTable()) {
      if (&other == &entry) break;
      if (other.parent && std::string(other.parent) == entry.parent) ++before;
    }
    ASSERT_GT(siblings.size(), before);
    EXPECT_EQ(siblings[before], item);
    EXPECT_EQ(item->isSeparator(), entry.caption == nullptr);
    if (entry.caption) {
      EXPECT_EQ(item->text(), QString::fromUtf8(entry.caption));
    }
    EXPECT_TRUE(item->statusTip().isEmpty());
  }
  EXPECT_EQ(bar, expected_bar);
}

TEST_F(MenuTest, MenuBarIsInTheWindowAboveTheClientArea) {
  EXPECT_FALSE(Child<QMenuBar>(*form, "MainMenu")->isNativeMenuBar());
  ASSERT_TRUE(ShowAndActivate(*form));
  EXPECT_EQ(Child<QMenuBar>(*form, "MainMenu")->geometry().bottom() + 1,
            Child<QWidget>(*form, "ClientArea")->geometry().top());
  form->hide();
}

struct MenuKey {
  Qt::Key letter;
  const char* menu;
};

TEST_F(MenuTest, AltAndTheUnderlinedLetterOpenTheMenus) {
  ASSERT_TRUE(ShowAndActivate(*form));
  const MenuKey keys[] = {{Qt::Key_F, "FileMenu"}, {Qt::Key_H, "HelpMenu"}};
  for (const MenuKey& key : keys) {
    SCOPED_TRACE(key.letter);
    QMenu* menu = Child<QMenu>(*form, key.menu);
    QTest::keyClick(Child<QRadioButton>(*form, "Sort_F_RadioButton"),
                    key.letter, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    menu->hide();
  }
  form->hide();
}

TEST_F(MenuTest, LetterInAnOpenMenuChoosesTheEntry) {
  ASSERT_TRUE(ShowAndActivate(*form));
  QTest::keyClick(Child<QRadioButton>(*form, "Sort_F_RadioButton"), Qt::Key_H,
                  Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return Child<QMenu>(*form, "HelpMenu")->isVisible(); }, 2000));
  QTest::keyClick(Child<QMenu>(*form, "HelpMenu"), Qt::Key_S);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !help.commands.empty(); }, 2000));
  ASSERT_EQ(help.commands.size(), 1u);
  EXPECT_EQ(help.commands[0].command, 261u);
  form->hide();
}

TEST_F(MenuTest, HelpContentsAsksForTheContentsOfTheHelpFile) {
  Child<QAction>(*form, "HelpContentsItem")->trigger();
  ASSERT_EQ(help.commands.size(), 1u);
  EXPECT_EQ(help.commands[0],
            (RecordedHelpCommand{FormHandle(), "Tarnel.hlp", 3, ""}));
}

TEST_F(MenuTest, HelpSearchAsksForTheIndexWithoutAKeyword) {
  Child<QAction>(*form, "HelpSearchItem")->trigger();
  ASSERT_EQ(help.commands.size(), 1u);
  EXPECT_EQ(help.commands[0],
            (RecordedHelpCommand{FormHandle(), "Tarnel.hlp", 261, ""}));
}

TEST_F(MenuTest, HelpAboutShowsTheAboutBox) {
  TAboutBox about_box;
  form->SetAboutBox(&about_box);
  Child<QAction>(*form, "HelpAboutItem")->trigger();
  EXPECT_TRUE(about_box.isVisible());
  EXPECT_EQ(about_box.Version->text(), QString("Version1.34"));
  about_box.hide();
}

TEST_F(MenuTest, ExitClosesTheWindow) {
  ASSERT_TRUE(ShowAndActivate(*form));
  Child<QAction>(*form, "FileExitItem")->trigger();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MenuTest, OpenWithAChoiceSwitchesTheInputToTheFileAndFocusesIt) {
  ASSERT_TRUE(ShowAndActivate(*form));
  dialogs.answers.push_back("/data/chosen.csv");
  Child<QAction>(*form, "FileOpenItem")->trigger();
  EXPECT_FALSE(Child<QCheckBox>(*form, "ClipBoardCheckBox1")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(*form, "FileOpenCheckBox")->isChecked());
  EXPECT_TRUE(Child<BrowsePanel>(*form, "FileOpenPanel")->isVisible());
  EXPECT_TRUE(Child<QLineEdit>(*form, "FileOpenEdit")->isVisible());
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(),
            QString("/data/chosen.csv"));
  EXPECT_EQ(QApplication::focusWidget(),
            Child<QLineEdit>(*form, "FileOpenEdit"));
  // The output side is not touched.
  EXPECT_TRUE(Child<QCheckBox>(*form, "ClipBoardCheckBox2")->isChecked());
  form->hide();
}

TEST_F(MenuTest, OpenCancelledChangesNothing) {
  ASSERT_TRUE(ShowAndActivate(*form));
  Child<QRadioButton>(*form, "Sort_F_RadioButton")->setFocus();
  dialogs.answers.push_back(std::nullopt);
  Child<QAction>(*form, "FileOpenItem")->trigger();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_TRUE(Child<QCheckBox>(*form, "ClipBoardCheckBox1")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(*form, "FileOpenCheckBox")->isChecked());
  EXPECT_FALSE(Child<QLineEdit>(*form, "FileOpenEdit")->isVisible());
  EXPECT_EQ(Child<QLineEdit>(*form, "FileOpenEdit")->text(), QString());
  EXPECT_EQ(QApplication::focusWidget(),
            Child<QRadioButton>(*form, "Sort_F_RadioButton"));
  form->hide();
}

TEST_F(MenuTest, OpenOnAFileInputOnlyReplacesThePath) {
  TTarnelMainForm with_file(App(), {"old.txt"}, recorder.Function());
  dialogs.answers.push_back("/data/new.txt");
  Child<QAction>(with_file, "FileOpenItem")->trigger();
  EXPECT_TRUE(Child<QCheckBox>(with_file, "FileOpenCheckBox")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(with_file, "ClipBoardCheckBox1")->isChecked());
  EXPECT_EQ(Child<QLineEdit>(with_file, "FileOpenEdit")->text(),
            QString("/data/new.txt"));
}

}  // namespace
}  // namespace tarnel
