#include "platform/help_file.h"

namespace tarnel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kTitlePrefix = "Title:";
constexpr std::string_view kTopicPrefix = "==";
constexpr std::string_view kKeywordsPrefix = "Keywords:";
constexpr std::string_view kItemPrefix = "- ";
constexpr std::string_view kExampleIndent = "  ";

// Carriage returns count as blanks: one kept at the end of a title or a
// keyword would not show, and would not survive the file being written out
// again.
std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string LineError(int line, std::string_view what) {
  return "line " + std::to_string(line) + ": " + std::string(what);
}

// Splits "a; b;; c" into its non-empty, trimmed words.
void AddKeywords(std::string_view list, std::vector<std::string>& keywords) {
  while (!list.empty()) {
    const std::size_t end = list.find(';');
    const std::string_view word = Trim(list.substr(0, end));
    if (!word.empty()) keywords.emplace_back(word);
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
}

class Reader {
 public:
  explicit Reader(HelpDocument& document) : document_(document) {}

  // One line after the first; an error text, or empty.
  std::string Line(int number, std::string_view line) {
    if (line.starts_with('#')) return {};
    if (line.starts_with(kTopicPrefix)) {
      const std::string_view title = Trim(line.substr(kTopicPrefix.size()));
      if (title.empty()) return LineError(number, "a topic needs a title");
      document_.topics.push_back(HelpTopic{std::string(title), {}, {}});
      in_keywords_ = true;
      open_ = nullptr;
      return {};
    }
    if (document_.topics.empty()) return Header(number, line);
    HelpTopic& topic = document_.topics.back();
    if (in_keywords_ && line.starts_with(kKeywordsPrefix)) {
      AddKeywords(line.substr(kKeywordsPrefix.size()), topic.keywords);
      return {};
    }
    in_keywords_ = false;
    Body(topic, line);
    return {};
  }

 private:
  std::string Header(int number, std::string_view line) {
    if (Trim(line).empty()) return {};
    if (line.starts_with(kTitlePrefix)) {
      document_.title = std::string(Trim(line.substr(kTitlePrefix.size())));
      return {};
    }
    return LineError(number, "text before the first topic (\"== Title\")");
  }

  void Body(HelpTopic& topic, std::string_view line) {
    if (Trim(line).empty()) {
      open_ = nullptr;
      return;
    }
    if (line.starts_with(kItemPrefix)) {
      Open(topic, HelpBlock::Kind::kItem,
           Trim(line.substr(kItemPrefix.size())));
      return;
    }
    const bool indented = line.starts_with(kExampleIndent);
    if (IsOpen(HelpBlock::Kind::kItem) ||
        (IsOpen(HelpBlock::Kind::kParagraph) && !indented)) {
      open_->text.append(" ").append(Trim(line));
      return;
    }
    if (!indented) {
      Open(topic, HelpBlock::Kind::kParagraph, Trim(line));
      return;
    }
    const std::string_view text = line.substr(kExampleIndent.size());
    if (IsOpen(HelpBlock::Kind::kExample)) {
      open_->text.append("\n").append(text);
    } else {
      Open(topic, HelpBlock::Kind::kExample, text);
    }
  }

  bool IsOpen(HelpBlock::Kind kind) const {
    return open_ && open_->kind == kind;
  }

  void Open(HelpTopic& topic, HelpBlock::Kind kind, std::string_view text) {
    topic.blocks.push_back(HelpBlock{kind, std::string(text)});
    open_ = &topic.blocks.back();
  }

  HelpDocument& document_;
  bool in_keywords_ = false;
  // The block that the next plain line continues; null after a blank line.
  HelpBlock* open_ = nullptr;
};

}  // namespace

std::string ParseHelpFile(std::string_view text, HelpDocument* document) {
  HelpDocument result;
  if (text.starts_with(kByteOrderMark))
    text.remove_prefix(kByteOrderMark.size());
  Reader reader(result);
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    // Every carriage return before the line feed: a file converted to
    // CR LF twice ends its lines in CR CR LF.
    while (line.ends_with('\r')) line.remove_suffix(1);
    ++number;
    if (number == 1) {
      if (line != kHelpFileMagic) {
        return LineError(1, "not a help file (it must start with \"" +
                                std::string(kHelpFileMagic) + "\")");
      }
      continue;
    }
    std::string error = reader.Line(number, line);
    if (!error.empty()) return error;
  }
  if (number == 0) return LineError(1, "the file is empty");
  if (result.topics.empty()) return LineError(number, "the file has no topic");
  *document = std::move(result);
  return {};
}

}  // namespace tarnel
