// The help file format, and the help file that ships with the program.
#include "platform/help_file.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tarnel {
namespace {

using Kind = HelpBlock::Kind;

HelpDocument Parse(const std::string& text) {
  HelpDocument document;
  const std::string error = ParseHelpFile(text, &document);
  EXPECT_EQ(error, "");
  return document;
}

TEST(HelpFileTest, TopicsWithTitlesKeywordsAndBlocks) {
  const HelpDocument document = Parse(
      "TARNEL-HELP 1\n"
      "Title: The help\n"
      "\n"
      "== First topic\n"
      "Keywords: one; two ;; three\n"
      "Keywords: four\n"
      "A paragraph\n"
      "on two lines.\n"
      "\n"
      "Second paragraph.\n"
      "- an item\n"
      "  continued\n"
      "- another item\n"
      "which goes on\n"
      "\n"
      "  example one\n"
      "    indented more\n"
      "== Second topic\n"
      "Only text.\n");
  EXPECT_EQ(document.title, "The help");
  ASSERT_EQ(document.topics.size(), 2u);
  const HelpTopic& first = document.topics[0];
  EXPECT_EQ(first.title, "First topic");
  EXPECT_EQ(first.keywords,
            (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_EQ(first.blocks, (std::vector<HelpBlock>{
                              {Kind::kParagraph, "A paragraph on two lines."},
                              {Kind::kParagraph, "Second paragraph."},
                              {Kind::kItem, "an item continued"},
                              {Kind::kItem, "another item which goes on"},
                              {Kind::kExample, "example one\n  indented more"},
                          }));
  EXPECT_EQ(document.topics[1].title, "Second topic");
  EXPECT_TRUE(document.topics[1].keywords.empty());
  EXPECT_EQ(document.topics[1].blocks,
            (std::vector<HelpBlock>{{Kind::kParagraph, "Only text."}}));
}

TEST(HelpFileTest, KeywordsLineAfterTheTextIsText) {
  const HelpDocument document =
      Parse("TARNEL-HELP 1\n== T\nFirst.\nKeywords: not one\n");
  ASSERT_EQ(document.topics.size(), 1u);
  EXPECT_TRUE(document.topics[0].keywords.empty());
  EXPECT_EQ(
      document.topics[0].blocks,
      (std::vector<HelpBlock>{{Kind::kParagraph, "First. Keywords: not one"}}));
}

TEST(HelpFileTest, ByteOrderMarkCarriageReturnsAndCommentsAreIgnored) {
  const HelpDocument document = Parse(
      "\xEF\xBB\xBFTARNEL-HELP 1\r\n# a comment\r\n== T\r\n# another\r\n"
      "Text\r\n");
  ASSERT_EQ(document.topics.size(), 1u);
  EXPECT_EQ(document.topics[0].title, "T");
  EXPECT_EQ(document.topics[0].blocks,
            (std::vector<HelpBlock>{{Kind::kParagraph, "Text"}}));
}

TEST(HelpFileTest, LastLineNeedsNoLineFeed) {
  const HelpDocument document = Parse("TARNEL-HELP 1\n== T\nend");
  ASSERT_EQ(document.topics.size(), 1u);
  EXPECT_EQ(document.topics[0].blocks.at(0).text, "end");
}

struct BadFile {
  const char* name;
  const char* text;
  const char* error;
};

TEST(HelpFileTest, FilesThatAreNotHelpFilesSayWhyAndWhere) {
  const BadFile cases[] = {
      {"Empty", "", "line 1: the file is empty"},
      {"WrongFirstLine", "Hello\n== T\n",
       "line 1: not a help file (it must start with \"TARNEL-HELP 1\")"},
      {"OtherVersion", "TARNEL-HELP 2\n== T\n",
       "line 1: not a help file (it must start with \"TARNEL-HELP 1\")"},
      {"TextBeforeAnyTopic", "TARNEL-HELP 1\n\nStray text\n== T\n",
       "line 3: text before the first topic (\"== Title\")"},
      {"TopicWithoutTitle", "TARNEL-HELP 1\n== T\ntext\n==  \n",
       "line 4: a topic needs a title"},
      {"NoTopic", "TARNEL-HELP 1\nTitle: x\n", "line 2: the file has no topic"},
  };
  for (const BadFile& row : cases) {
    SCOPED_TRACE(row.name);
    HelpDocument document;
    document.title = "untouched";
    EXPECT_EQ(ParseHelpFile(row.text, &document), row.error);
    EXPECT_EQ(document.title, "untouched");
  }
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(ShippedHelpFileTest, ExplainsSourcesKeysOptionsAndTheCommandLine) {
  const std::string text = ReadWhole(TARNEL_HELP_SOURCE);
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
  ASSERT_EQ(ParseHelpFile(ReadWhole(TARNEL_HELP_SOURCE), &document), "");
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
  EXPECT_EQ(ReadWhole(beside.toStdString()), ReadWhole(TARNEL_HELP_SOURCE));
}

}  // namespace
}  // namespace tarnel
