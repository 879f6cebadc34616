#include <windows.h>

#include <string>

#include "platform/local_text.h"

namespace tarnel {

std::string LocalText(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  const int length = static_cast<int>(utf8.size());
  const int wide_length =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (wide_length <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(),
                        wide_length);
  const int local_length = ::WideCharToMultiByte(
      CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (local_length <= 0) return std::string();
  std::string local(static_cast<std::size_t>(local_length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, local.data(),
                        local_length, nullptr, nullptr);
  return local;
}

}  // namespace tarnel
