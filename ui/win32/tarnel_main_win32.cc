#include <windows.h>

#include <cstdlib>

#include "ui/logic/startup.h"

// A program of the GUI subsystem: no console opens when it is started.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return tarnel::RunTarnel(__argc, __argv);
}
