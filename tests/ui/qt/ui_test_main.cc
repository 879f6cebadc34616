// The window suites run on Qt's offscreen platform, inside one application
// object that lives for the whole test program.
#include <gtest/gtest.h>

#include <QByteArray>

#include "ui/logic/startup.h"
#include "ui/qt/tarnel_application.h"

// Under LeakSanitizer: an exception thrown out of a click handler unwinds
// through Qt's mouse handling, which has no cleanup for exceptions and so
// loses its copy of the mouse event. That is Qt's, not ours; matching it by
// its constructor needs whole stacks, which the fast unwinder does not get
// through Qt's frames.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:QSinglePointEvent::QSinglePointEvent\n";
}
extern "C" const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  testing::InitGoogleTest(&argc, argv);
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};
  tarnel::TarnelApplication application(qt_argc, qt_argv);
  tarnel::ConfigureApplication(application);
  return RUN_ALL_TESTS();
}
