// Running the built program, or a program it works with (xclip, fc-list),
// as a child process from a test: in a folder of the test's, with the
// test's environment less any display unless the test asks for one.
#ifndef TARNEL_TESTS_UI_LAUNCHER_PROGRAM_RUNNER_H_
#define TARNEL_TESTS_UI_LAUNCHER_PROGRAM_RUNNER_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace tarnel {

struct ProgramSetup {
  /// Standard input through a pipe; the null device when none.
  std::optional<std::string> input;
  /// Variables set on top of the test's own environment.
  std::map<std::string, std::string> set;
  /// Keep DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM from the test's
  /// environment; by default they are removed.
  bool keep_display = false;
};

/// Runs |program| with |arguments| in |folder| and waits for it, a minute
/// at most (then it is killed and the test fails).
testing_support::ChildResult RunIn(const testing_support::TempDir& folder,
                                   const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const ProgramSetup& setup = {});

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_LAUNCHER_PROGRAM_RUNNER_H_
