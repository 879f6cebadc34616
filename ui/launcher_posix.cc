// The program's entry off Windows. Without a display it runs on its own;
// with one it loads the Qt front end from its module (window_module.h),
// beside the executable in a build folder, in the library folder once
// installed.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/display.h"
#include "ui/headless_run.h"
#include "ui/program_arguments.h"
#include "ui/window_module.h"

namespace tarnel {
namespace {

const char* Getenv(const char* name) { return std::getenv(name); }

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : exe.substr(0, slash);
}

int RunWindowModule(int argc, char** argv) {
  const std::string folder = ProgramFolder();
  const std::string places[] = {
      folder + "/" + kWindowModuleName,
      folder + "/" + TARNEL_MODULE_FROM_PROGRAM + "/" + kWindowModuleName};
  std::string failure;
  for (const std::string& place : places) {
    if (void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      const auto entry = reinterpret_cast<WindowModuleEntry>(
          ::dlsym(module, kWindowModuleEntry));
      if (entry) return entry(argc, argv);
    }
    if (failure.empty()) {
      const char* reason = ::dlerror();
      failure = reason ? reason : place;
    }
  }
  std::fprintf(stderr, "tarnel: cannot load the window front end: %s\n",
               failure.c_str());
  return 1;
}

}  // namespace
}  // namespace tarnel

int main(int argc, char** argv) {
  // The repeat filter compares lines under the user's locale.
  std::setlocale(LC_ALL, "");
  if (!tarnel::HasDisplay(&tarnel::Getenv)) {
    return tarnel::RunWithoutDisplay(tarnel::ProgramArguments(argc, argv));
  }
  return tarnel::RunWindowModule(argc, argv);
}
