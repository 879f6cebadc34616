// Shared by the window suites: the one application object, set back to its
// start state for each test, and the sort runs a main window starts,
// recorded (tests/ui/cases/run_call.h). Acting on the windows is
// tests/support/qt/qt_widgets.h.
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
#include "tests/ui/cases/run_call.h"
#include "ui/qt/main_form.h"
#include "ui/qt/tarnel_application.h"

namespace tarnel {

/// The application object that the test program's main created.
TarnelApplication& App();

/// Sets the application back to its start state between tests.
void ResetApplicationState();

/// Runs the application's event loop and returns its exit code; a loop that
/// no one ends gives up after five seconds with 99.
int ExecWithDeadline();

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_QT_UI_TEST_SUPPORT_H_
