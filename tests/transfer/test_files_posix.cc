#include "tests/transfer/test_files_posix.h"

#include <sys/stat.h>

namespace tarnel {

int ModeOf(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

bool IsSymlink(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

ScopedUmask::ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
ScopedUmask::~ScopedUmask() { ::umask(previous_); }

}  // namespace tarnel
