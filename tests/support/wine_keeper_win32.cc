// Keeps a Wine session's desktop up for as long as the session lasts.
//
// On Windows the desktop outlives every program, and with it whatever a
// program left on the clipboard. Wine's desktop process instead closes soon
// after the last Windows program has ended, and the clipboard's contents
// go with it. run_under_wine.sh starts this program first and ends it last,
// so that the suites meet the clipboard as Windows keeps it.
#include <windows.h>

#include <cstdio>

int main() {
  // Attaching to the desktop is what holds it open.
  ::GetDesktopWindow();
  std::puts("on the desktop");  // run_under_wine.sh waits for a line
  std::fflush(stdout);
  ::Sleep(INFINITE);
  return 0;
}
