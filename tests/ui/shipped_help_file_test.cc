// The help file that ships with the program: its topics, the options it
// explains, and its copy beside the programs, where the help engine looks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <set>
#include <string>

#include "platform/help_file.h"
#include "tests/support/temp_dir.h"

namespace tarnel {
namespace {

using testing_support::ReadBytes;

TEST(ShippedHelpFileTest, ExplainsSourcesKeysOptionsAndTheCommandLine) {
  const std::string text = ReadBytes(TARNEL_HELP_SOURCE);
  ASSERT_FALSE(text.empty());
  HelpDocument document;
  ASSERT_EQ(ParseHelpFile(text, &document), "");
  std::set<std::string> titles;
  for (const HelpTopic& topic : document.topics) {
    SCOPED_TRACE(topic.title);
    titles.insert(topic.title);
    EXPECT_FALSE(topic.keywords.empty());
    EXPECT_GE(topic.blocks.size(), 2u);
  }
  for (const char* needed :
       {"Using TARNEL", "Sources and destinations", "Order and options",
        "Sort keys", "Keyboard", "Command line"}) {
    EXPECT_EQ(titles.count(needed), 1u) << needed;
  }
  EXPECT_EQ(document.topics.front().title, "Using TARNEL");
}

TEST(ShippedHelpFileTest, CommandLineTopicNamesEveryOption) {
  HelpDocument document;
  ASSERT_EQ(ParseHelpFile(ReadBytes(TARNEL_HELP_SOURCE), &document), "");
  std::string command_line;
  for (const HelpTopic& topic : document.topics) {
    if (topic.title != "Command line") continue;
    for (const HelpBlock& block : topic.blocks)
      command_line += block.text + "\n";
  }
  for (const char* option :
       {"-a ", "-a+", "-r ", "-i ", "-u ", "-f FILE", "-o FILE", "-3nf"}) {
    EXPECT_NE(command_line.find(option), std::string::npos) << option;
  }
}

TEST(ShippedHelpFileTest, BuildPutsACopyBesideThePrograms) {
  const QString beside =
      QDir(QCoreApplication::applicationDirPath()).filePath("Tarnel.hlp");
  ASSERT_TRUE(QFile::exists(beside));
  EXPECT_EQ(ReadBytes(beside.toStdString()), ReadBytes(TARNEL_HELP_SOURCE));
}

}  // namespace
}  // namespace tarnel
