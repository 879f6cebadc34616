#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "ui/quiet_stderr.h"

namespace tarnel {

QuietStandardError::QuietStandardError() {
  std::fflush(stderr);
  const int null_device = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null_device < 0) return;
  saved_ = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  if (saved_ >= 0) ::dup2(null_device, STDERR_FILENO);
  ::close(null_device);
}

QuietStandardError::~QuietStandardError() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  ::dup2(saved_, STDERR_FILENO);
  ::close(saved_);
}

}  // namespace tarnel
