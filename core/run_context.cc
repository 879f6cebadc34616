#include "core/run_context.h"

#include <cstring>

namespace tarnel {

WindowHandle OwnerWindow = nullptr;
GlobalBlock hMem;
char* lpMem = nullptr;

std::uint64_t ResultTextLength() {
  if (!lpMem) return 0;
  const void* end = std::memchr(lpMem, 0, hMem.Size());
  return end ? static_cast<std::uint64_t>(static_cast<const char*>(end) - lpMem)
             : hMem.Size();
}

void ShowError(const std::string& text) {
  CurrentMessageBoxes().Show(OwnerWindow, text, kErrorCaption, kBoxIconError);
}

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
