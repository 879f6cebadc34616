#include "ui/qt/window_module.h"

// The module's entries, looked up by name: unmangled and visible.
extern "C" __attribute__((visibility("default"))) int TarnelRunWithDisplay(
    int argc, char** argv) {
  return tarnel::RunWithDisplay(argc, argv);
}

extern "C" __attribute__((visibility("default"))) int TarnelShowBox(
    const char* text, const char* caption, unsigned flags) {
  return tarnel::ShowBoxOnScreen(text, caption, flags);
}

extern "C" __attribute__((visibility("default"))) void TarnelEndScreen() {
  tarnel::EndScreen();
}

extern "C" __attribute__((visibility("default"))) void TarnelThroughUtf16(
    const char* bytes, std::size_t size, tarnel::TextSink sink, void* context) {
  tarnel::ThroughUtf16(bytes, size, sink, context);
}
