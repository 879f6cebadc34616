// A start without a display, which can show no window, no box on screen and
// has no clipboard. It needs no window toolkit at all: the window's logic
// runs over controls held in memory, its boxes go to standard error, and a
// batch run sorts on the calling thread. Starting no toolkit is what makes
// a small batch run quick.
#ifndef TARNEL_UI_HEADLESS_HEADLESS_RUN_H_
#define TARNEL_UI_HEADLESS_HEADLESS_RUN_H_

#include <optional>
#include <string>
#include <vector>

namespace tarnel {

/// The line that refuses an interactive start without a display.
inline constexpr char kNoDisplayText[] =
    "tarnel: no display to show the window on (neither DISPLAY nor "
    "WAYLAND_DISPLAY is set); a batch run (-a or -a+) needs none\n";

/// A batch run ("-a", "-a+") for |arguments| (those after the program's
/// name) over the window's controls kept in memory, with the services
/// installed: 0 when the result was delivered, 1 otherwise. Nothing when
/// the arguments ask for no batch run; then nothing was done or shown.
/// The locale must be set already.
std::optional<int> RunBatch(std::vector<std::string> arguments);

/// What the Qt program does without a display, for |arguments| (those
/// after the program's name): a batch run ("-a", "-a+") sorts and returns 0
/// when the result was delivered, 1 otherwise; any other start is refused
/// with a line on standard error and 1. The locale must be set already.
int RunWithoutDisplay(std::vector<std::string> arguments);

}  // namespace tarnel

#endif  // TARNEL_UI_HEADLESS_HEADLESS_RUN_H_
