// The help engine's file format, read into topics. A help file is UTF-8
// text, line by line:
//
//   TARNEL-HELP 1             the first line, exactly: format and version
//   Title: TARNEL Help        optional, before the first topic: window title
//   # ...                     a comment, anywhere
//   == Sources                starts a topic with its title; the first
//                             topic is the one the contents open with
//   Keywords: a; b; c         right after a topic's title, any number of
//                             such lines: the topic's index keywords
//   text                      joined with the next lines into a paragraph;
//                             a blank line ends a paragraph
//   - text                    a list item; the lines that follow continue
//                             it, indented or not, up to a blank line
//     text                    two leading blanks, anywhere else: kept as
//                             it is, line by line (examples)
//
// Carriage returns before line feeds are ignored.
#ifndef TARNEL_PLATFORM_HELP_FILE_H_
#define TARNEL_PLATFORM_HELP_FILE_H_

#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

struct HelpBlock {
  enum class Kind { kParagraph, kItem, kExample };
  Kind kind;
  std::string text;  ///< an example keeps its line breaks, without the indent

  bool operator==(const HelpBlock&) const = default;
};

struct HelpTopic {
  std::string title;
  std::vector<std::string> keywords;
  std::vector<HelpBlock> blocks;
};

struct HelpDocument {
  std::string title;
  std::vector<HelpTopic> topics;
};

/// The first line every help file starts with.
inline constexpr std::string_view kHelpFileMagic = "TARNEL-HELP 1";

/// Reads |text| as a help file into |document|. Returns an empty string on
/// success, else what is wrong, with its line number ("line 3: ...").
std::string ParseHelpFile(std::string_view text, HelpDocument* document);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_HELP_FILE_H_
