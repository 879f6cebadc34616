// Off Windows the program is split in two: a small executable that needs no
// window toolkit, and a module with the Qt front end that it loads only when
// a display is there to show something on. A run without a display then
// never pays for loading the toolkit's libraries, which costs many times
// the work of a small sort.
#ifndef TARNEL_UI_WINDOW_MODULE_H_
#define TARNEL_UI_WINDOW_MODULE_H_

namespace tarnel {

/// The module's file name, beside the program in a build folder.
inline constexpr char kWindowModuleName[] = "tarnel-window.so";

/// The module's entry's name, as the program looks it up.
inline constexpr char kWindowModuleEntry[] = "TarnelRunWithDisplay";

/// The entry's type: RunWithDisplay.
using WindowModuleEntry = int (*)(int argc, char** argv);

/// The program with a display: the Qt front end for the process's
/// arguments, the locale already set. Returns the exit status.
int RunWithDisplay(int argc, char** argv);

}  // namespace tarnel

#endif  // TARNEL_UI_WINDOW_MODULE_H_
