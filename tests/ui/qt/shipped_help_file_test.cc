// The help file that ships with the program: its topics, the options it
// explains, and its copy beside the programs, where the help engine looks.
#include <gtest/gtest.h>

#include <QFile>
#include <set>
#include <string>

#include "platform/help_file.h"
#include "platform/program_folder.h"
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

// Escape ends TARNEL only while no control has the focus, which is rare:
// wherever the help speaks of Escape ending the program, it says so.
TEST(ShippedHelpFileTest, EscapeIsNeverSaidToEndTheProgramUnqualified) {
  HelpDocument document;
  ASSERT_EQ(ParseHelpFile(ReadBytes(TARNEL_HELP_SOURCE), &document), "");
  int sentences = 0;
  for (const HelpTopic& topic : document.topics) {
    for (const HelpBlock& block : topic.blocks) {
      std::size_t start = 0;
      while (start < block.text.size()) {
        std::size_t end = block.text.find(". ", start);
        if (end == std::string::npos) end = block.text.size();
        const std::string sentence = block.text.substr(start, end - start);
        start = end + 1;
        if (sentence.find("Escape") == std::string::npos) continue;
        if (sentence.find("ends TARNEL") == std::string::npos &&
            sentence.find("closes the window") == std::string::npos) {
          continue;
        }
        ++sentences;
        SCOPED_TRACE(topic.title + ": " + sentence);
        EXPECT_NE(sentence.find("no control has the focus"), std::string::npos);
      }
    }
  }
  EXPECT_GE(sentences, 2);
}

TEST(ShippedHelpFileTest, BuildPutsACopyBesideThePrograms) {
  const std::string beside = ProgramFolder() + "/Tarnel.hlp";
  ASSERT_TRUE(QFile::exists(QFile::decodeName(beside.c_str())));
  EXPECT_EQ(ReadBytes(beside), ReadBytes(TARNEL_HELP_SOURCE));
}

}  // namespace
}  // namespace tarnel
