// Other processes in a test: programs run to their end with their output
// collected, programs left running while the test goes on, and test code
// run in a forked child so that what it changes stays there. Every wait is
// bounded; a child that overstays is killed.
#ifndef TARNEL_TESTS_SUPPORT_PROCESS_H_
#define TARNEL_TESTS_SUPPORT_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/wait.h"

namespace tarnel {
namespace testing_support {

/// Environment changes for a child: a value sets the variable, none removes
/// it. The rest of the test's own environment is passed on.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

struct ChildSetup {
  /// Standard input through a pipe; the null device when none.
  std::optional<std::string> input;
  EnvChanges env;
  /// Where the child starts; the test's own current folder when empty.
  std::string directory;
};

struct ChildResult {
  bool finished = false;  ///< false when it had to be killed or never ran
  /// The exit status, or 128 + the signal that ended it; -1 unless finished.
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs |argv| (the program is looked up in PATH) and collects its output;
/// kills it if it is still running after |timeout|. The run is over when
/// the child exits, even if something it started in the background still
/// holds its output open (xclip serving the clipboard).
ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildSetup& setup,
                     std::chrono::milliseconds timeout);

/// A child that keeps running while the test goes on, its output discarded.
/// Destroying it ends it: SIGTERM, and SIGKILL if that is not enough.
class BackgroundChild {
 public:
  /// Starts |argv| and writes all of |setup.input| to it before returning.
  BackgroundChild(const std::vector<std::string>& argv,
                  const ChildSetup& setup = {});
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;
  ~BackgroundChild();

  bool Started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  /// True until the child has ended (it is reaped then).
  bool Running();
  /// Waits up to |timeout| for the child to end on its own and reaps it.
  /// Returns its wait status, or none while it is still running.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  /// For WaitUntil: turns readable once the child has ended.
  WakeUp Ended() const { return {pidfd_, nullptr}; }

 private:
  pid_t pid_ = -1;
  int pidfd_ = -1;
  std::optional<int> status_;
};

/// Waits up to |timeout| for the child |pid| to end and reaps it. Returns
/// its wait status, -1 when it is not this process's child, or none while
/// it is still running.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout);

/// The state letter of process |pid| from /proc ('R', 'S', 'Z', ...); none
/// when there is no such process.
std::optional<char> ProcessState(pid_t pid);

/// Children of this process that have exited but were not reaped.
std::vector<pid_t> ZombieChildren();

/// Runs |body| in a forked child and returns the text it produced, failing
/// the current test unless the child ended normally. Limits set in the
/// child (setrlimit, signal dispositions) stay there.
std::string RunInChild(const std::function<std::string()>& body);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_PROCESS_H_
