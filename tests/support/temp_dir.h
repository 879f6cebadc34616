// A private temporary folder for one test, and whole-file reads and writes.
#ifndef TARNEL_TESTS_SUPPORT_TEMP_DIR_H_
#define TARNEL_TESTS_SUPPORT_TEMP_DIR_H_

#include <set>
#include <string>
#include <string_view>

namespace tarnel {
namespace testing_support {

/// A fresh folder under /tmp, removed with everything in it on destruction.
/// Throws when no folder can be made, which fails the test that wanted it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  /// The path of |name| inside the folder; |name| may hold slashes.
  std::string operator/(std::string_view name) const;
  /// Names of the entries in the folder (dot files included).
  std::set<std::string> Names() const;
  /// Creates or replaces |name| with exactly |bytes|; returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const;
  /// The bytes of |name|, as ReadBytes gives them.
  std::string Read(std::string_view name) const;

 private:
  std::string path_;
};

/// Creates or replaces |path| with exactly |bytes|; fails the current test
/// when that cannot be done.
void WriteBytes(const std::string& path, std::string_view bytes);

/// The whole contents of |path|; "<missing>" when it cannot be opened, which
/// no expected text in these suites is.
std::string ReadBytes(const std::string& path);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_TEMP_DIR_H_
