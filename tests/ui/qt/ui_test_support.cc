#include "tests/ui/qt/ui_test_support.h"

#include <QApplication>
#include <QTimer>

namespace tarnel {

TarnelApplication& App() {
  return *static_cast<TarnelApplication*>(QCoreApplication::instance());
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
