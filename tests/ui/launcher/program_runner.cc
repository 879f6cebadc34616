#include "tests/ui/launcher/program_runner.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tarnel {

testing_support::ChildResult RunIn(const testing_support::TempDir& folder,
                                   const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const ProgramSetup& setup) {
  testing_support::ChildSetup child;
  child.input = setup.input;
  child.directory = folder.path();
  if (!setup.keep_display) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      child.env[name] = std::nullopt;
    }
  }
  for (const auto& [name, value] : setup.set) child.env[name] = value;
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  testing_support::ChildResult result =
      testing_support::RunChild(argv, child, std::chrono::minutes(1));
  if (!result.finished) ADD_FAILURE() << program << " did not end";
  return result;
}

}  // namespace tarnel
