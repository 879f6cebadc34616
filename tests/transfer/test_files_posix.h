// What a file looks like where files have permission bits and symbolic
// links, and the umask for a scope.
#ifndef TARNEL_TESTS_TRANSFER_TEST_FILES_POSIX_H_
#define TARNEL_TESTS_TRANSFER_TEST_FILES_POSIX_H_

#include <sys/types.h>

#include <string>

namespace tarnel {

/// The permission bits of |path| (links followed), or -1 when missing.
int ModeOf(const std::string& path);
/// True when |path| itself is a symbolic link.
bool IsSymlink(const std::string& path);

/// Sets the process umask for the scope and restores it after.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask);
  ~ScopedUmask();
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t previous_;
};

}  // namespace tarnel

#endif  // TARNEL_TESTS_TRANSFER_TEST_FILES_POSIX_H_
