// The sort runs a window under test starts, recorded instead of made: the
// same for the window logic, the Qt window and the Windows window.
#ifndef TARNEL_TESTS_UI_CASES_RUN_CALL_H_
#define TARNEL_TESTS_UI_CASES_RUN_CALL_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/sort_parameters.h"
#include "ui/logic/main_form_logic.h"

namespace tarnel {

/// One call of the run function, as the run handler made it, with copies of
/// its paths: the handler's own copies end with the call.
struct RunCall {
  RunCall() = default;
  explicit RunCall(const SortRequest& request);

  /// The request's values; its paths are always null here.
  SortRequest request{};
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

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_CASES_RUN_CALL_H_
