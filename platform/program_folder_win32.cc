#include <windows.h>

#include <string>

#include "platform/program_folder.h"

namespace tarnel {

std::string ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(),
                                              static_cast<DWORD>(path.size()));
    if (length == 0) return ".";
    // A name cut short to the buffer fills it whole: try a longer one.
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace tarnel
