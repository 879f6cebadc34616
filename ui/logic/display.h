// Whether the program has a screen to show windows on. Decided once, before
// the windowing system starts: without one, a batch run still works (on Qt's
// offscreen platform, with boxes on standard error) and an interactive start
// is refused.
#ifndef TARNEL_UI_LOGIC_DISPLAY_H_
#define TARNEL_UI_LOGIC_DISPLAY_H_

#include <cstdlib>

namespace tarnel {

/// Reads an environment variable; null when it is not set.
using EnvironmentLookup = const char* (*)(const char* name);

/// False when Qt is told to use its offscreen or minimal platform, or, off
/// Windows, when neither DISPLAY nor WAYLAND_DISPLAY names a display.
bool HasDisplay(EnvironmentLookup lookup);

/// Off Windows, true when Qt would speak X11 to the display that DISPLAY
/// names: QT_QPA_PLATFORM asks for xcb, or asks for nothing outside a
/// Wayland session. A batch run then uses the clipboard without Qt.
bool UsesX11Directly(EnvironmentLookup lookup);

/// Off Windows, true when Qt would speak Wayland to the compositor that
/// WAYLAND_DISPLAY names: QT_QPA_PLATFORM asks for wayland, or asks for
/// nothing. A batch run then uses the clipboard without Qt, whether or not
/// DISPLAY names an Xwayland as well.
bool UsesWaylandDirectly(EnvironmentLookup lookup);

/// The Qt platform for a run without a display: the one already asked for
/// when it is offscreen or minimal, else offscreen.
const char* HeadlessPlatform(EnvironmentLookup lookup);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_DISPLAY_H_
