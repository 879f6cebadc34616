// The help file format: topics, keywords and blocks, and the line that
// says why a file is not a help file.
#include "platform/help_file.h"

#include <gtest/gtest.h>

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

// A file whose CR LF line ends were converted to CR LF once more.
TEST(HelpFileTest, EveryCarriageReturnBeforeALineFeedIsIgnored) {
  const HelpDocument document = Parse(
      "TARNEL-HELP 1\r\r\nTitle: Help\r\r\n== T\r\r\nKeywords: a; b\r\r\n"
      "\r\r\n  example\r\r\n");
  EXPECT_EQ(document.title, "Help");
  ASSERT_EQ(document.topics.size(), 1u);
  EXPECT_EQ(document.topics[0].title, "T");
  EXPECT_EQ(document.topics[0].keywords, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(document.topics[0].blocks,
            (std::vector<HelpBlock>{{Kind::kExample, "example"}}));
}

// Found by fuzzing: a title kept the carriage return before its trailing
// blanks, and lost it when the document was written out and read again.
TEST(HelpFileTest, CarriageReturnsAroundTitlesAndKeywordsAreTrimmed) {
  const HelpDocument document =
      Parse("TARNEL-HELP 1\n== E*\r   \nKeywords: \rone\r ;two\r\n");
  ASSERT_EQ(document.topics.size(), 1u);
  EXPECT_EQ(document.topics[0].title, "E*");
  EXPECT_EQ(document.topics[0].keywords,
            (std::vector<std::string>{"one", "two"}));
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

}  // namespace
}  // namespace tarnel
