#include "tests/support/holder_reaper.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <chrono>

#include "tests/support/process.h"

namespace tarnel {
namespace testing_support {

namespace {

class HolderReaper : public ::testing::Environment {
 public:
  void TearDown() override {
    for (pid_t pid : KnownHolders()) {
      if (!WaitForExit(pid, std::chrono::milliseconds(0))) {
        ::kill(pid, SIGTERM);
        WaitForExit(pid, std::chrono::seconds(5));
      }
    }
    // Whatever else was handed to us as an orphan.
    while (::waitpid(-1, nullptr, WNOHANG) > 0) {
    }
  }
};

}  // namespace

std::set<pid_t>& KnownHolders() {
  static std::set<pid_t> holders;
  return holders;
}

void ReapHoldersAtTheEnd() {
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  ::testing::AddGlobalTestEnvironment(new HolderReaper);
}

}  // namespace testing_support
}  // namespace tarnel
