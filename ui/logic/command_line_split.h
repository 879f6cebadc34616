// Splitting a whole command line into arguments, the way Windows hands a
// program its command line: one byte string, the program's own name first.
#ifndef TARNEL_UI_LOGIC_COMMAND_LINE_SPLIT_H_
#define TARNEL_UI_LOGIC_COMMAND_LINE_SPLIT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

/// An argument holds at most this many bytes.
inline constexpr std::size_t kArgumentBufferSize = 4096;

/// The arguments after the program's own, up to the first empty one.
/// Bytes 1 to 32 separate arguments; a double quote starts a run that is
/// copied blanks included up to the next double quote (quotes dropped, and
/// a run may start mid-argument); a pair of adjacent quotes between
/// arguments is skipped. An unquoted argument that reaches
/// kArgumentBufferSize bytes ends there and the rest begins the next one.
/// Bytes of a quoted run beyond kArgumentBufferSize are dropped up to its
/// closing quote, after which the argument ends the same way. A NUL byte
/// ends the command line.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_COMMAND_LINE_SPLIT_H_
