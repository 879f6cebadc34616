// Box texts that carry a path or a count, formatted the way Windows'
// wsprintfA formats them into a 256-byte buffer.
#ifndef TARNEL_CORE_BOX_TEXT_H_
#define TARNEL_CORE_BOX_TEXT_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tarnel {

/// "%s" takes a text, "%u" an unsigned number (printed in full, not cut to
/// 32 bits); anything else is copied. The result is cut to 255 bytes.
using FormatArg = std::variant<std::string_view, std::uint64_t>;
std::string FormatBoxText(std::string_view pattern,
                          std::initializer_list<FormatArg> args);

}  // namespace tarnel

#endif  // TARNEL_CORE_BOX_TEXT_H_
