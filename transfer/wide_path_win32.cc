#include <windows.h>

#include <string>
#include <string_view>

#include "platform/wide_text_win32.h"
#include "transfer/wide_path.h"

namespace tarnel {

namespace {

// The shortest path some call refuses: a folder's name must leave room for
// an 8.3 file name within MAX_PATH.
constexpr std::size_t kLongPath = MAX_PATH - 12;

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::wstring WidePath(const char* path) {
  if (*path == '\0') return {};
  // The conversion the -A functions make: unmapped bytes become the
  // default character rather than an error.
  const std::wstring wide = WideFrom(path, CP_ACP);
  if (wide.empty()) return {};
  return WidePath(wide);
}

std::wstring WidePath(std::wstring_view path) {
  if (path.empty()) return {};
  if (StartsWith(path, L"\\\\?\\")) return std::wstring(path);
  const std::wstring given(path);
  const DWORD needed = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD length =
      ::GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  full.resize(length);
  if (StartsWith(full, L"\\\\.\\") || full.size() < kLongPath) return full;
  // The "\\?\" form is taken as it stands: it must be absolute, with
  // backslashes only, which GetFullPathNameW has seen to.
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace tarnel
