#include "tests/support/temp_dir.h"

namespace tarnel {
namespace testing_support {

std::string TempDir::operator/(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

std::string TempDir::Write(std::string_view name,
                           std::string_view bytes) const {
  const std::string path = *this / name;
  WriteBytes(path, bytes);
  return path;
}

std::string TempDir::Read(std::string_view name) const {
  return ReadBytes(*this / name);
}

}  // namespace testing_support
}  // namespace tarnel
