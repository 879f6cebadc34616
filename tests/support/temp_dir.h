// A private temporary folder for one test, and whole-file reads and writes.
#ifndef TARNEL_TESTS_SUPPORT_TEMP_DIR_H_
#define TARNEL_TESTS_SUPPORT_TEMP_DIR_H_

#include <set>
#include <string>
#include <string_view>

namespace tarnel {
namespace testing_support {

/// A fresh folder in the system's temporary folder (/tmp; on Windows the
/// user's), removed with everything in it on destruction. Throws when no
/// folder can be made, which fails the test that wanted it. Paths are byte
/// strings as the code under test takes them: in the ANSI code page on
/// Windows, with "/" between the folder and the names inside.
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
  /// Creates the folder |name| inside. False when it cannot be made.
  bool MakeFolder(std::string_view name) const;

 private:
  std::string path_;
};

/// Creates or replaces |path| with exactly |bytes|; fails the current test
/// when that cannot be done.
void WriteBytes(const std::string& path, std::string_view bytes);

/// The whole contents of |path|; "<missing>" when it cannot be opened, which
/// no expected text in these suites is.
std::string ReadBytes(const std::string& path);

/// Makes |path| the process's current folder for the scope, and the one
/// before it again after.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& path);
  ~ScopedCurrentFolder();
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

  /// False when |path| could not be made current.
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

/// The system's null device ("/dev/null", "NUL" on Windows): reads as
/// empty, takes every byte.
const char* NullDevice();

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_TEMP_DIR_H_
