// For suites that start clipboard holders: the suite's process is made a
// child subreaper, so that the holders become its children once their
// launcher lets go of them; it can then see them end, reap them, and end
// any left over when the suite is done.
#ifndef TARNEL_TESTS_SUPPORT_HOLDER_REAPER_H_
#define TARNEL_TESTS_SUPPORT_HOLDER_REAPER_H_

#include <gtest/gtest.h>
#include <sys/types.h>

#include <set>

namespace tarnel {
namespace testing_support {

/// Every holder the suite has seen.
std::set<pid_t>& KnownHolders();

/// Makes this process a child subreaper and registers the environment that
/// ends the known holders and reaps every child at the end of the suite.
/// Call before RUN_ALL_TESTS.
void ReapHoldersAtTheEnd();

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_HOLDER_REAPER_H_
