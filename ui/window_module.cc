#include "ui/window_module.h"

// The module's one entry, looked up by name: unmangled and visible.
extern "C" __attribute__((visibility("default"))) int TarnelRunWithDisplay(
    int argc, char** argv) {
  return tarnel::RunWithDisplay(argc, argv);
}
