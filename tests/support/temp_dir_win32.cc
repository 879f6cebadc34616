// The temporary folder and whole-file access on Windows, through the wide
// functions and "\\?\" paths, so that the suites can set up and look at
// paths of any length and any characters of the code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/wide_text_win32.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wide_path.h"

namespace tarnel {
namespace testing_support {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) ::CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Removes |path| and everything below it; read-only entries too.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring inner = path + L"\\" + name;
      ::SetFileAttributesW(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(inner);
      } else {
        ::DeleteFileW(inner.c_str());
      }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace

std::wstring ExtendedPathOf(const std::string& path) {
  const std::wstring wide = WideFrom(path, CP_ACP);
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  full.resize(::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr));
  // Devices and UNC paths are left alone: the suites make no long ones.
  if (full.rfind(L"\\\\", 0) == 0) return full;
  return L"\\\\?\\" + full;
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
  if (length == 0 || length > MAX_PATH) {
    throw std::runtime_error("GetTempPathW failed");
  }
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring folder = std::wstring(base, length) + L"tarnel-test-" +
                                std::to_wstring(::GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++counter);
    if (::CreateDirectoryW(folder.c_str(), nullptr)) {
      path_ = BytesFrom(folder, CP_ACP);
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("CreateDirectoryW failed: " +
                           std::to_string(::GetLastError()));
}

TempDir::~TempDir() { RemoveTree(ExtendedPathOf(path_)); }

std::set<std::string> TempDir::Names() const {
  std::set<std::string> names;
  WIN32_FIND_DATAW entry;
  const HANDLE find =
      ::FindFirstFileW((ExtendedPathOf(path_) + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L"..") names.insert(BytesFrom(name, CP_ACP));
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return names;
}

bool TempDir::MakeFolder(std::string_view name) const {
  return ::CreateDirectoryW(ExtendedPathOf(*this / name).c_str(), nullptr) != 0;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  Handle file(::CreateFileW(ExtendedPathOf(path).c_str(), GENERIC_WRITE, 0,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
  DWORD written = 0;
  if (!file.valid() ||
      !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                   &written, nullptr) ||
      written != bytes.size()) {
    ADD_FAILURE() << "cannot write " << path << ": " << ::GetLastError();
  }
}

std::string ReadBytes(const std::string& path) {
  Handle file(::CreateFileW(ExtendedPathOf(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return "<missing>";
  std::string bytes;
  std::string chunk(std::size_t{1} << 20, '\0');
  DWORD got = 0;
  while (::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()),
                    &got, nullptr) &&
         got > 0) {
    bytes.append(chunk.data(), got);
  }
  return bytes;
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& path) {
  wchar_t previous[MAX_PATH + 1];
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH + 1, previous);
  if (length == 0 || length > MAX_PATH) return;
  previous_ = BytesFrom(std::wstring_view(previous, length), CP_ACP);
  ok_ = ::SetCurrentDirectoryW(WideFrom(path, CP_ACP).c_str()) != 0;
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
  if (ok_ && !::SetCurrentDirectoryW(WideFrom(previous_, CP_ACP).c_str())) {
    ADD_FAILURE() << "cannot go back to " << previous_;
  }
}

const char* NullDevice() { return "NUL"; }

}  // namespace testing_support
}  // namespace tarnel
