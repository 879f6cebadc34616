// The temporary folder and whole-file access on POSIX.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "tests/support/temp_dir.h"

namespace tarnel {
namespace testing_support {

TempDir::TempDir() {
  std::string pattern = "/tmp/tarnel-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error(std::string("mkdtemp failed: ") +
                             std::strerror(errno));
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::set<std::string> TempDir::Names() const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

bool TempDir::MakeFolder(std::string_view name) const {
  return ::mkdir((*this / name).c_str(), 0755) == 0;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  // In large chunks: some suites read back files of a hundred megabytes.
  std::string bytes;
  std::string chunk(std::size_t{1} << 20, '\0');
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
         in.gcount() > 0) {
    bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
  }
  return bytes;
}

ScopedCurrentFolder::ScopedCurrentFolder(const std::string& path) {
  std::error_code error;
  previous_ = std::filesystem::current_path(error).string();
  if (error) return;
  ok_ = ::chdir(path.c_str()) == 0;
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
  if (ok_ && ::chdir(previous_.c_str()) != 0) {
    ADD_FAILURE() << "cannot go back to " << previous_;
  }
}

const char* NullDevice() { return "/dev/null"; }

}  // namespace testing_support
}  // namespace tarnel
