#include "tests/support/wait.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tarnel {
namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

// What poll() takes: whole milliseconds, rounded up so that a wait never
// ends just short of its deadline and spins.
int PollTimeout(Clock::duration left) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::clamp<decltype(ms)>(ms, 0, 60'000));
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::vector<WakeUp> wake_ups,
               std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    // News that came in while |done| was looking: look again first.
    bool news = false;
    for (WakeUp& wake_up : wake_ups) {
      if (wake_up.drain && wake_up.drain()) news = true;
    }
    if (news) continue;

    std::vector<pollfd> fds;
    for (const WakeUp& wake_up : wake_ups) {
      if (wake_up.fd >= 0) fds.push_back({wake_up.fd, POLLIN, 0});
    }
    const int ready =
        ::poll(fds.data(), fds.size(), PollTimeout(deadline - now));
    if (ready < 0 && errno != EINTR) return done();
    for (std::size_t i = 0, j = 0; i < wake_ups.size(); ++i) {
      if (wake_ups[i].fd < 0) continue;
      const bool readable = fds[j++].revents != 0;
      // A one-time event stays readable: watching it again would spin.
      if (readable && !wake_ups[i].drain) wake_ups[i].fd = -1;
    }
  }
}

int OpenPidfd(int pid) {
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace testing_support
}  // namespace tarnel
