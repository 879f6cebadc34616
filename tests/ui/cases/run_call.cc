#include "tests/ui/cases/run_call.h"

namespace tarnel {

RunCall::RunCall(const SortRequest& sort_request) : request(sort_request) {
  if (request.input_name) input_name = request.input_name;
  if (request.output_name) output_name = request.output_name;
  request.input_name = request.output_name = nullptr;
}

bool RunCall::operator==(const RunCall& other) const {
  const SortRequest& a = request;
  const SortRequest& b = other.request;
  return a.owner_window == b.owner_window && a.sort_mode == b.sort_mode &&
         a.key_pos == b.key_pos && a.key_kind == b.key_kind &&
         a.quiet == b.quiet && input_name == other.input_name &&
         output_name == other.output_name;
}

std::ostream& operator<<(std::ostream& out, const RunCall& call) {
  const SortRequest& r = call.request;
  return out << "{owner " << r.owner_window << ", mode " << r.sort_mode
             << ", in " << call.input_name.value_or("(clipboard)") << ", out "
             << call.output_name.value_or("(clipboard)") << ", pos "
             << r.key_pos << ", kind " << r.key_kind << ", quiet "
             << static_cast<int>(r.quiet) << "}";
}

RunSortFunction RunRecorder::Function() {
  return [this](const SortRequest& request) {
    calls.emplace_back(request);
    if (during) during();
    return result;
  };
}

}  // namespace tarnel
