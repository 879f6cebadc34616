// Child processes for the X11 clipboard tests: xclip as an independent
// clipboard client, and test helpers that write and exit. Every wait is
// bounded; a child that overstays is killed.
#ifndef TARNEL_TESTS_PLATFORM_CHILD_PROCESS_H_
#define TARNEL_TESTS_PLATFORM_CHILD_PROCESS_H_

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

/// Environment changes for a child: a value sets the variable, none removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

struct ChildResult {
  bool finished = false;  ///< false when it had to be killed or never ran
  int exit_code = -1;     ///< -1 unless it exited normally
  std::string out;
  std::string err;
};

/// Runs |argv| with |input| on its standard input and collects its output;
/// kills it if it is still running after |timeout|.
ChildResult RunChild(const std::vector<std::string>& argv,
                     std::string_view input, std::chrono::milliseconds timeout,
                     const EnvChanges& env = {});

/// A child that keeps running while the test goes on (xclip serving the
/// clipboard); killed and reaped when destroyed.
class BackgroundChild {
 public:
  /// Starts |argv| with |input| on its standard input, output discarded.
  BackgroundChild(const std::vector<std::string>& argv, std::string_view input);
  BackgroundChild(const BackgroundChild&) = delete;
  BackgroundChild& operator=(const BackgroundChild&) = delete;
  ~BackgroundChild();

  pid_t pid() const { return pid_; }
  /// Waits up to |timeout| for the child to end on its own and reaps it.
  /// Returns its wait status, or none while it is still running.
  std::optional<int> Wait(std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
};

/// Waits up to |timeout| for the child |pid| to end and reaps it. Returns its
/// wait status, or none while it is still running.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout);

/// The state letter of process |pid| from /proc ('R', 'S', 'Z', ...); none
/// when there is no such process.
std::optional<char> ProcessState(pid_t pid);

/// Children of this process that have exited but were not reaped.
std::vector<pid_t> ZombieChildren();

}  // namespace tarnel

#endif  // TARNEL_TESTS_PLATFORM_CHILD_PROCESS_H_
