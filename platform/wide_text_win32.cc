#include "platform/wide_text_win32.h"

#include <windows.h>

#include <climits>
#include <string>
#include <string_view>

namespace tarnel {

std::wstring WideFrom(std::string_view bytes, unsigned code_page) {
  // The calls count in int.
  if (bytes.empty() || bytes.size() > INT_MAX) return std::wstring();
  const int length = static_cast<int>(bytes.size());
  const int wide_length =
      ::MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (wide_length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), length, wide.data(),
                        wide_length);
  return wide;
}

std::string BytesFrom(std::wstring_view wide, unsigned code_page) {
  if (wide.empty() || wide.size() > INT_MAX) return std::string();
  const int length = static_cast<int>(wide.size());
  const int byte_length = ::WideCharToMultiByte(
      code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (byte_length <= 0) return std::string();
  std::string bytes(static_cast<std::size_t>(byte_length), '\0');
  ::WideCharToMultiByte(code_page, 0, wide.data(), length, bytes.data(),
                        byte_length, nullptr, nullptr);
  return bytes;
}

}  // namespace tarnel
