#include "core/box_text.h"

namespace tarnel {

std::string FormatBoxText(std::string_view pattern,
                          std::initializer_list<FormatArg> args) {
  constexpr std::size_t kBoxTextLimit = 255;
  std::string text;
  const FormatArg* next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() &&
        (pattern[i + 1] == 's' || pattern[i + 1] == 'u') &&
        next != args.end()) {
      if (const auto* s = std::get_if<std::string_view>(next)) {
        text.append(*s);
      } else {
        text.append(std::to_string(std::get<std::uint64_t>(*next)));
      }
      ++next;
      ++i;
    } else {
      text.push_back(c);
    }
  }
  if (text.size() > kBoxTextLimit) text.resize(kBoxTextLimit);
  return text;
}

}  // namespace tarnel
