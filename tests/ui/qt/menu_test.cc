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
#include "ui/qt/about_box.h"
#include "ui/qt/browse_panel.h"
#include "ui/qt/main_form.h"

namespace tarnel {
namespace {

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

// One entry of a menu: its object name and caption, or a separator.
struct Entry {
  const char* name;
  const char* caption;  // null for a separator
};

void ExpectEntries(QMenu* menu, const std::vector<Entry>& entries) {
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(entries[i].name);
    QAction* action = actions[static_cast<qsizetype>(i)];
    EXPECT_EQ(action->objectName().toStdString(), entries[i].name);
    EXPECT_EQ(action->isSeparator(), entries[i].caption == nullptr);
    if (entries[i].caption) {
      EXPECT_EQ(action->text().toStdString(), entries[i].caption);
    }
    // No entry has a hint of its own.
    EXPECT_TRUE(action->statusTip().isEmpty());
  }
}

TEST_F(MenuTest, MenuBarHoldsFileAndHelpWithTheirEntries) {
  const QList<QAction*> menus = form->MainMenu->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->menu(), form->FileMenu);
  EXPECT_EQ(menus[1]->menu(), form->HelpMenu);
  EXPECT_EQ(form->FileMenu->title(), QString("&File"));
  EXPECT_EQ(form->HelpMenu->title(), QString("&Help"));
  EXPECT_EQ(form->FileMenu->objectName(), QString("FileMenu"));
  EXPECT_EQ(form->HelpMenu->objectName(), QString("HelpMenu"));
  ExpectEntries(
      form->FileMenu,
      {{"FileOpenItem", "&Open"}, {"N1", nullptr}, {"FileExitItem", "e&Xit"}});
  ExpectEntries(form->HelpMenu, {{"HelpContentsItem", "&Contents"},
                                 {"HelpSearchItem", "&Search"},
                                 {"N3", nullptr},
                                 {"HelpAboutItem", "&About"}});
}

TEST_F(MenuTest, MenuBarIsInTheWindowAboveTheClientArea) {
  EXPECT_FALSE(form->MainMenu->isNativeMenuBar());
  ASSERT_TRUE(ShowAndActivate(*form));
  EXPECT_EQ(form->MainMenu->geometry().bottom() + 1,
            form->ClientArea->geometry().top());
  form->hide();
}

struct MenuKey {
  Qt::Key letter;
  QMenu* TTarnelMainForm::*menu;
};

TEST_F(MenuTest, AltAndTheUnderlinedLetterOpenTheMenus) {
  ASSERT_TRUE(ShowAndActivate(*form));
  const MenuKey keys[] = {{Qt::Key_F, &TTarnelMainForm::FileMenu},
                          {Qt::Key_H, &TTarnelMainForm::HelpMenu}};
  for (const MenuKey& key : keys) {
    SCOPED_TRACE(key.letter);
    QMenu* menu = (*form).*key.menu;
    QTest::keyClick(form->Sort_F_RadioButton, key.letter, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    menu->hide();
  }
  form->hide();
}

TEST_F(MenuTest, LetterInAnOpenMenuChoosesTheEntry) {
  ASSERT_TRUE(ShowAndActivate(*form));
  QTest::keyClick(form->Sort_F_RadioButton, Qt::Key_H, Qt::AltModifier);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return form->HelpMenu->isVisible(); }, 2000));
  QTest::keyClick(form->HelpMenu, Qt::Key_S);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !help.commands.empty(); }, 2000));
  ASSERT_EQ(help.commands.size(), 1u);
  EXPECT_EQ(help.commands[0].command, 261u);
  form->hide();
}

TEST_F(MenuTest, HelpContentsAsksForTheContentsOfTheHelpFile) {
  form->HelpContentsItem->trigger();
  ASSERT_EQ(help.commands.size(), 1u);
  EXPECT_EQ(help.commands[0],
            (RecordedHelpCommand{FormHandle(), "Tarnel.hlp", 3, ""}));
}

TEST_F(MenuTest, HelpSearchAsksForTheIndexWithoutAKeyword) {
  form->HelpSearchItem->trigger();
  ASSERT_EQ(help.commands.size(), 1u);
  EXPECT_EQ(help.commands[0],
            (RecordedHelpCommand{FormHandle(), "Tarnel.hlp", 261, ""}));
}

TEST_F(MenuTest, HelpAboutShowsTheAboutBox) {
  TAboutBox about_box;
  form->SetAboutBox(&about_box);
  form->HelpAboutItem->trigger();
  EXPECT_TRUE(about_box.isVisible());
  EXPECT_EQ(about_box.Version->text(), QString("Version1.34"));
  about_box.hide();
}

TEST_F(MenuTest, ExitClosesTheWindow) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->FileExitItem->trigger();
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MenuTest, OpenWithAChoiceSwitchesTheInputToTheFileAndFocusesIt) {
  ASSERT_TRUE(ShowAndActivate(*form));
  dialogs.answers.push_back("/data/chosen.csv");
  form->FileOpenItem->trigger();
  EXPECT_FALSE(form->ClipBoardCheckBox1->isChecked());
  EXPECT_TRUE(form->FileOpenCheckBox->isChecked());
  EXPECT_TRUE(form->FileOpenPanel->isVisible());
  EXPECT_TRUE(form->FileOpenEdit->isVisible());
  EXPECT_EQ(form->FileOpenEdit->text(), QString("/data/chosen.csv"));
  EXPECT_EQ(QApplication::focusWidget(), form->FileOpenEdit);
  // The output side is not touched.
  EXPECT_TRUE(form->ClipBoardCheckBox2->isChecked());
  form->hide();
}

TEST_F(MenuTest, OpenCancelledChangesNothing) {
  ASSERT_TRUE(ShowAndActivate(*form));
  form->Sort_F_RadioButton->setFocus();
  dialogs.answers.push_back(std::nullopt);
  form->FileOpenItem->trigger();
  ASSERT_EQ(dialogs.requests.size(), 1u);
  EXPECT_TRUE(form->ClipBoardCheckBox1->isChecked());
  EXPECT_FALSE(form->FileOpenCheckBox->isChecked());
  EXPECT_FALSE(form->FileOpenEdit->isVisible());
  EXPECT_EQ(form->FileOpenEdit->text(), QString());
  EXPECT_EQ(QApplication::focusWidget(), form->Sort_F_RadioButton);
  form->hide();
}

TEST_F(MenuTest, OpenOnAFileInputOnlyReplacesThePath) {
  TTarnelMainForm with_file(App(), {"old.txt"}, recorder.Function());
  dialogs.answers.push_back("/data/new.txt");
  with_file.FileOpenItem->trigger();
  EXPECT_TRUE(with_file.FileOpenCheckBox->isChecked());
  EXPECT_FALSE(with_file.ClipBoardCheckBox1->isChecked());
  EXPECT_EQ(with_file.FileOpenEdit->text(), QString("/data/new.txt"));
}

}  // namespace
}  // namespace tarnel
