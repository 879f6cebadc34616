// Test helper: one quiet batch run that sorts a file onto the clipboard and
// exits, as the program does for "-a+ -f FILE". Prints "holder PID" (0 when
// no holder was started) and exits with 0 when the result was delivered.
// Boxes go to standard error as console lines.
#include <QGuiApplication>
#include <cstdio>

#include "engine/run_sort.h"
#include "platform/clipboard.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/service.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s INPUT-FILE\n", argv[0]);
    return 2;
  }
  // Without a display the program runs on the offscreen platform.
  if (qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication app(argc, argv);
  tarnel::QtClipboard clipboard;
  {
    tarnel::Installed<tarnel::Clipboard> installed(&clipboard);
    tarnel::RunSort(nullptr, 0, argv[1], nullptr, 0, tarnel::kKeyColumn, 1);
  }
  std::printf("holder %ld\n", clipboard.holder_pid());
  return tarnel::LastResult == 0 ? 0 : 1;
}
