#include "tests/ui/qt/ui_test_support.h"

#include <QApplication>
#include <QTimer>
#include <ostream>

namespace tarnel {

TarnelApplication& App() {
  return *static_cast<TarnelApplication*>(QCoreApplication::instance());
}

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

void ResetApplicationState() {
  App().SetShowMainForm(true);
  App().SetOnHint(nullptr, {});
  App().SetHint(QString());
  // Deliver what a previous test left queued, such as a terminate request.
  QCoreApplication::processEvents();
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

int ExecWithDeadline() {
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout,
                   [] { QCoreApplication::exit(99); });
  guard.start(5000);
  return QCoreApplication::exec();
}

}  // namespace tarnel
