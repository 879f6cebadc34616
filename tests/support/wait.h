// Waiting for a condition without polling on a clock: the wait sleeps on
// descriptors that turn readable when something happened that may have
// made the condition true, and looks again only then.
#ifndef TARNEL_TESTS_SUPPORT_WAIT_H_
#define TARNEL_TESTS_SUPPORT_WAIT_H_

#include <chrono>
#include <functional>
#include <vector>

namespace tarnel {
namespace testing_support {

/// Something a wait can sleep on. |fd| turns readable when there may be
/// news; |drain| takes the news off it without blocking and says whether
/// there was any. Without |drain|, |fd| is one that stays readable once it
/// turns so (a process's pidfd): the wait stops watching it after that.
struct WakeUp {
  int fd = -1;
  std::function<bool()> drain;
};

/// Checks |done| at once and again whenever one of |wake_ups| has news,
/// until it holds or |timeout| has passed. Returns whether it held.
bool WaitUntil(const std::function<bool()>& done, std::vector<WakeUp> wake_ups,
               std::chrono::milliseconds timeout);

/// A pidfd for |pid|, which must be this process's unreaped child or a
/// process it may signal; -1 when there is no such process.
int OpenPidfd(int pid);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_WAIT_H_
