// Sanitizer settings for the suites that run Qt on Wayland: Qt's Wayland
// platform leaves some of its protocol objects and its EGL's buffers to the
// end of the process. That is Qt's, not ours; matching it by Qt's frames
// takes whole stacks. Compiled into each such suite's own program.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WaylandClient.so\nleak:libEGL\n";
}
extern "C" const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}
