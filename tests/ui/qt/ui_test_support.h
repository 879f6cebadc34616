// Shared by the window suites: the one application object, set back to its
// start state for each test, and the sort runs a main window starts,
// recorded. Acting on the windows is tests/support/qt_widgets.h.
#ifndef TARNEL_TESTS_UI_QT_UI_TEST_SUPPORT_H_
#define TARNEL_TESTS_UI_QT_UI_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "ui/qt/main_form.h"
#include "ui/qt/tarnel_application.h"

namespace tarnel {

/// The application object that the test program's main created.
TarnelApplication& App();

/// One call of the run function, as the run handler made it, with copies of
/// its paths: the handler's own copies end with the call.
struct RunCall {
  RunCall() = default;
  explicit RunCall(const SortRequest& request);

  /// The request's values; its paths are always null here.
  SortRequest request;
  std::optional<std::string> input_name;
  std::optional<std::string> output_name;

  bool operator==(const RunCall& other) const;
};

std::ostream& operator<<(std::ostream& out, const RunCall& call);

/// A stand-in for RunSort that records its calls and answers |result|.
/// |during| runs inside each call, as if the run were in progress.
struct RunRecorder {
  std::vector<RunCall> calls;
  std::int32_t result = 0;
  std::function<void()> during;

  RunSortFunction Function();
};

/// Sets the application back to its start state between tests.
void ResetApplicationState();

/// Runs the application's event loop and returns its exit code; a loop that
/// no one ends gives up after five seconds with 99.
int ExecWithDeadline();

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_QT_UI_TEST_SUPPORT_H_
