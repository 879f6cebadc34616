// Waiting in a Qt test for a condition that only a signal can make true:
// the event loop runs until the signal comes, and the condition is looked
// at again only then, instead of every few milliseconds.
#ifndef TARNEL_TESTS_SUPPORT_QT_QT_WAIT_H_
#define TARNEL_TESTS_SUPPORT_QT_QT_WAIT_H_

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <chrono>

namespace tarnel {
namespace testing_support {

/// Checks |done| at once and again after each |signal| of |sender|, running
/// the event loop in between; gives up after |timeout|. Returns whether
/// |done| held.
template <typename Sender, typename Signal, typename Condition>
bool WaitUntilSignalled(const Sender* sender, Signal signal, Condition done,
                        std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    // Rounded up, so that the loop never ends just short of the deadline.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        deadline.remainingTimeAsDuration());
    QTimer::singleShot(static_cast<int>(left.count()), &loop,
                       &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_QT_QT_WAIT_H_
