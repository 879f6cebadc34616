#include <unistd.h>

#include <climits>
#include <string>

#include "platform/program_folder.h"

namespace tarnel {

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

}  // namespace tarnel
