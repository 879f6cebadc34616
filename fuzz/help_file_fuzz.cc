// The help-file reader on arbitrary bytes. A file it refuses must name a
// line the file has (an empty file counts as one empty line, as an editor
// shows it) and leave the document alone. A file it accepts must hold what
// the format promises, and written out again in the format it must read
// back to the same title, topics and keywords.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/help_file.h"

namespace tarnel {
namespace {

// Lines as the reader numbers them: a line feed ends one, and so does the
// end of the file after at least one byte.
std::size_t LineCount(std::string_view text) {
  std::size_t lines = 0;
  for (const char c : text) lines += c == '\n';
  if (!text.empty() && text.back() != '\n') ++lines;
  return lines;
}

// The line number of "line N: ...", or 0.
std::size_t ErrorLine(const std::string& error) {
  if (!error.starts_with("line ")) return 0;
  std::size_t i = 5;
  std::size_t number = 0;
  while (i < error.size() && error[i] >= '0' && error[i] <= '9' && i < 25) {
    number = number * 10 + static_cast<std::size_t>(error[i] - '0');
    ++i;
  }
  if (i == 5 || error.compare(i, 2, ": ") != 0) return 0;
  return number;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsTrimmed(std::string_view text) {
  return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

// The document in the format, each block after a blank line. A paragraph
// goes out behind one blank, so that no paragraph reads back as a
// comment, an item, a topic or keywords.
std::string Written(const HelpDocument& document) {
  std::string text = std::string(kHelpFileMagic) + "\n";
  if (!document.title.empty()) text += "Title: " + document.title + "\n";
  for (const HelpTopic& topic : document.topics) {
    text += "== " + topic.title + "\n";
    if (!topic.keywords.empty()) {
      text += "Keywords: ";
      for (std::size_t i = 0; i < topic.keywords.size(); ++i) {
        text += (i ? "; " : "") + topic.keywords[i];
      }
      text += "\n";
    }
    for (const HelpBlock& block : topic.blocks) {
      text += "\n";
      switch (block.kind) {
        case HelpBlock::Kind::kParagraph:
          text += " " + block.text + "\n";
          break;
        case HelpBlock::Kind::kItem:
          text += "- " + block.text + "\n";
          break;
        case HelpBlock::Kind::kExample: {
          std::string_view lines = block.text;
          for (;;) {
            const std::size_t end = lines.find('\n');
            text += "  " + std::string(lines.substr(0, end)) + "\n";
            if (end == std::string_view::npos) break;
            lines.remove_prefix(end + 1);
          }
          break;
        }
      }
    }
  }
  return text;
}

std::string Describe(const HelpDocument& document) {
  std::string text = "title [" + document.title + "]";
  for (const HelpTopic& topic : document.topics) {
    text += "\n== [" + topic.title + "]";
    for (const std::string& keyword : topic.keywords) {
      text += " {" + keyword + "}";
    }
  }
  return text;
}

}  // namespace
}  // namespace tarnel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tarnel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  HelpDocument document;
  document.title = "untouched";
  const std::string error = ParseHelpFile(text, &document);
  if (!error.empty()) {
    const std::size_t line = ErrorLine(error);
    const std::size_t lines = std::max<std::size_t>(LineCount(text), 1);
    FUZZ_CHECK(
        line >= 1 && line <= lines,
        "[" + error + "] for a file of " + std::to_string(lines) + " lines");
    FUZZ_CHECK(document.title == "untouched" && document.topics.empty(),
               "a refused file changed the document");
    return 0;
  }

  FUZZ_CHECK(!document.topics.empty(), "accepted without a topic");
  FUZZ_CHECK(IsTrimmed(document.title), "title [" + document.title + "]");
  for (const HelpTopic& topic : document.topics) {
    FUZZ_CHECK(!topic.title.empty() && IsTrimmed(topic.title) &&
                   topic.title.find('\n') == std::string::npos,
               "topic title [" + topic.title + "]");
    for (const std::string& keyword : topic.keywords) {
      FUZZ_CHECK(!keyword.empty() && IsTrimmed(keyword) &&
                     keyword.find(';') == std::string::npos &&
                     keyword.find('\n') == std::string::npos,
                 "keyword [" + keyword + "]");
    }
  }

  const std::string again = Written(document);
  HelpDocument reread;
  const std::string reread_error = ParseHelpFile(again, &reread);
  FUZZ_CHECK(reread_error.empty(), reread_error + " in\n" + again);
  FUZZ_CHECK(reread.title == document.title,
             Describe(document) + "\nread back as\n" + Describe(reread));
  FUZZ_CHECK(reread.topics.size() == document.topics.size(),
             Describe(document) + "\nread back as\n" + Describe(reread));
  for (std::size_t i = 0; i < document.topics.size(); ++i) {
    FUZZ_CHECK(reread.topics[i].title == document.topics[i].title &&
                   reread.topics[i].keywords == document.topics[i].keywords,
               Describe(document) + "\nread back as\n" + Describe(reread));
  }
  return 0;
}
