// The help engine with real help files: the two commands the program sends,
// the window they show, and the engine's own box for a file it cannot use.
#include "platform/qt/qt_help_engine.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <string>

#include "platform/qt/help_window.h"
#include "platform/testing/recording_message_boxes.h"
#include "tests/support/qt/qt_widgets.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::ShowAndActivate;
using testing_support::TempDir;

constexpr char kHelp[] =
    "TARNEL-HELP 1\n"
    "Title: Test help\n"
    "== Start\n"
    "Keywords: window; start\n"
    "Where it starts.\n"
    "== Keys\n"
    "Keywords: key; Window\n"
    "- column\n"
    "- field\n";

class QtHelpEngineTest : public testing::Test {
 protected:
  void SetUp() override {
    // What an earlier test left queued is delivered before this one starts.
    QCoreApplication::processEvents();
    folder.Write("Test.hlp", kHelp);
  }

  HelpWindow& Window() { return *engine.Window(); }

  QStringList IndexTexts() {
    QStringList texts;
    for (int row = 0; row < Window().IndexList->count(); ++row) {
      texts.push_back(Window().IndexList->item(row)->text());
    }
    return texts;
  }

  TempDir folder;
  RecordingMessageBoxes boxes;
  QtHelpEngine engine{folder.path()};
  QWidget owner;
};

TEST_F(QtHelpEngineTest, ContentsShowTheTopicsWithTheFirstOpen) {
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  ASSERT_NE(engine.Window(), nullptr);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Window().windowTitle(), QString("Test help"));
  EXPECT_EQ(Window().Pages->currentWidget(), Window().ContentsList);
  ASSERT_EQ(Window().ContentsList->count(), 2);
  EXPECT_EQ(Window().ContentsList->item(0)->text(), QString("Start"));
  EXPECT_EQ(Window().ContentsList->item(1)->text(), QString("Keys"));
  EXPECT_EQ(Window().CurrentTopic(), 0);
  EXPECT_TRUE(Window().TopicView->toPlainText().contains("Where it starts."));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(QtHelpEngineTest, ChoosingATopicInTheContentsShowsIt) {
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  Window().ContentsList->setCurrentRow(1);
  EXPECT_EQ(Window().CurrentTopic(), 1);
  const QString shown = Window().TopicView->toPlainText();
  EXPECT_TRUE(shown.contains("column"));
  EXPECT_TRUE(shown.contains("field"));
}

TEST_F(QtHelpEngineTest, PartialKeyWithoutKeywordOpensTheWholeIndex) {
  engine.Command(&owner, "Test.hlp", kHelpPartialKey, "");
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Window().Pages->currentIndex(), 1);
  EXPECT_EQ(Window().SearchEdit->text(), QString());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  EXPECT_EQ(QApplication::focusWidget(), Window().SearchEdit);
  // Sorted regardless of case; a keyword of two topics names each.
  EXPECT_EQ(IndexTexts(),
            (QStringList{"key", "start", "window (Start)", "Window (Keys)"}));
  EXPECT_EQ(Window().IndexList->currentRow(), 0);
}

TEST_F(QtHelpEngineTest, PartialKeyWithAKeywordSelectsItsFirstMatch) {
  engine.Command(&owner, "Test.hlp", kHelpPartialKey, "st");
  EXPECT_EQ(Window().SearchEdit->text(), QString("st"));
  EXPECT_EQ(Window().IndexList->currentItem()->text(), QString("start"));
}

TEST_F(QtHelpEngineTest, TypingInTheSearchFieldMovesToTheKeyword) {
  engine.Command(&owner, "Test.hlp", kHelpPartialKey, "");
  QTest::keyClicks(Window().SearchEdit, "WI");
  EXPECT_EQ(Window().IndexList->currentRow(), 2);
  QTest::keyClick(Window().SearchEdit, Qt::Key_Return);
  EXPECT_EQ(Window().CurrentTopic(), 0);
  Window().IndexList->setCurrentRow(3);
  Window().DisplayButton->click();
  EXPECT_EQ(Window().CurrentTopic(), 1);
}

// The help opens over the window that asked for it, not in a corner of the
// screen where it would hide that window's menu bar.
TEST_F(QtHelpEngineTest, HelpOpensCentredOnTheWindowThatAskedForIt) {
  owner.setGeometry(30, 40, 426, 330);
  ASSERT_TRUE(ShowAndActivate(owner));
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  EXPECT_NEAR(Window().frameGeometry().center().x(),
              owner.frameGeometry().center().x(), 1);
  EXPECT_NEAR(Window().frameGeometry().center().y(),
              owner.frameGeometry().center().y(), 1);
  owner.hide();
}

TEST_F(QtHelpEngineTest, HelpForAWindowNotOnTheScreenOpensCentredOnIt) {
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  const QPoint middle =
      QApplication::primaryScreen()->availableGeometry().center();
  EXPECT_NEAR(Window().frameGeometry().center().x(), middle.x(), 1);
  EXPECT_NEAR(Window().frameGeometry().center().y(), middle.y(), 1);
}

// Wherever the focus is in the help window, Escape closes it.
TEST_F(QtHelpEngineTest, EscapeClosesTheHelpWindow) {
  for (unsigned command : {kHelpPartialKey, kHelpContents}) {
    SCOPED_TRACE(command);
    engine.Command(&owner, "Test.hlp", command, "");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, Qt::Key_Escape);
    EXPECT_FALSE(Window().isVisible());
  }
}

TEST_F(QtHelpEngineTest, OneWindowServesEveryCommand) {
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  HelpWindow* first = engine.Window();
  engine.Command(&owner, "Test.hlp", kHelpPartialKey, "");
  EXPECT_EQ(engine.Window(), first);
  EXPECT_EQ(Window().Pages->currentIndex(), 1);
}

TEST_F(QtHelpEngineTest, HelpWindowDoesNotKeepTheProgramRunning) {
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  EXPECT_FALSE(Window().testAttribute(Qt::WA_QuitOnClose));
}

TEST_F(QtHelpEngineTest, MissingFileIsToldInTheEnginesBox) {
  engine.Command(&owner, "Tarnel.hlp", kHelpContents, "");
  EXPECT_EQ(engine.Window(), nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  const RecordedBox& box = boxes.boxes[0];
  EXPECT_EQ(box.owner, &owner);
  EXPECT_EQ(box.caption, "Help");
  EXPECT_EQ(box.flags, kBoxIconError);
  EXPECT_EQ(box.text, "Cannot open the help file Tarnel.hlp.\n(" +
                          (folder / "Tarnel.hlp") + ")");
}

// An installed program keeps its help in the data folder, not beside it:
// the folders are tried in order, and the first one's path is what a box
// names when none has the file.
TEST_F(QtHelpEngineTest, LaterFoldersServeWhenTheFirstHasNoFile) {
  TempDir beside_program;
  QtHelpEngine two_folders({beside_program.path(), folder.path()});
  two_folders.Command(&owner, "Test.hlp", kHelpContents, "");
  ASSERT_NE(two_folders.Window(), nullptr);
  EXPECT_EQ(two_folders.Window()->windowTitle(), QString("Test help"));
  EXPECT_TRUE(boxes.boxes.empty());

  two_folders.Command(&owner, "Missing.hlp", kHelpContents, "");
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Cannot open the help file Missing.hlp.\n(" +
                                     (beside_program / "Missing.hlp") + ")");
}

TEST_F(QtHelpEngineTest, FileInAnotherFormatIsToldWithItsLine) {
  folder.Write("Other.hlp", "?_\x03\x00 binary");
  engine.Command(&owner, "Other.hlp", kHelpPartialKey, "");
  EXPECT_EQ(engine.Window(), nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("line 1: not a help file"),
            std::string::npos)
      << boxes.boxes[0].text;
}

TEST_F(QtHelpEngineTest, OtherCommandsAreIgnored) {
  engine.Command(&owner, "Missing.hlp", 2, "");
  engine.Command(&owner, "Test.hlp", 1, "");
  EXPECT_EQ(engine.Window(), nullptr);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(QtHelpEngineTest, FileIsReadAgainForEveryCommand) {
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  folder.Write("Test.hlp", "TARNEL-HELP 1\n== Changed\nNew text.\n");
  engine.Command(&owner, "Test.hlp", kHelpContents, "");
  ASSERT_EQ(Window().ContentsList->count(), 1);
  EXPECT_EQ(Window().ContentsList->item(0)->text(), QString("Changed"));
}

TEST(QtHelpEngineDefaultTest, LooksBesideTheProgramForTheShippedFile) {
  RecordingMessageBoxes boxes;
  QtHelpEngine engine;
  engine.Command(nullptr, "Tarnel.hlp", kHelpContents, "");
  ASSERT_NE(engine.Window(), nullptr)
      << (boxes.boxes.empty() ? std::string() : boxes.boxes[0].text);
  EXPECT_EQ(engine.Window()->windowTitle(), QString("TARNEL Help"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(TopicHtmlTest, EscapesTextAndGroupsItems) {
  HelpTopic topic{"A < B", {}, {}};
  topic.blocks = {{HelpBlock::Kind::kParagraph, "x & y"},
                  {HelpBlock::Kind::kItem, "one"},
                  {HelpBlock::Kind::kItem, "two"},
                  {HelpBlock::Kind::kExample, "a\n  b"}};
  EXPECT_EQ(TopicHtml(topic).toStdString(),
            "<h3>A &lt; B</h3><p>x &amp; y</p><ul><li>one</li><li>two</li>"
            "</ul><pre>a\n  b</pre>");
}

}  // namespace
}  // namespace tarnel
