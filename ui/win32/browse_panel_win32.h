// The browse panels of the Windows window: a small raised panel with a
// centred caption that works as a button. It is a tab stop, but a click
// does not move the focus: only Tab does. It tells its parent of a click
// (BN_CLICKED) and of the focus arriving (BN_SETFOCUS) as a button does.
#ifndef TARNEL_UI_WIN32_BROWSE_PANEL_WIN32_H_
#define TARNEL_UI_WIN32_BROWSE_PANEL_WIN32_H_

#include <windows.h>

namespace tarnel {

/// The window class of the browse panels.
inline constexpr char kBrowsePanelClass[] = "TPanel";

/// Registers kBrowsePanelClass for |instance|; again is harmless.
void RegisterBrowsePanelClass(HINSTANCE instance);

}  // namespace tarnel

#endif  // TARNEL_UI_WIN32_BROWSE_PANEL_WIN32_H_
