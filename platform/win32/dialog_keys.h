// The keyboard of the program's top-level windows as a dialog's: Tab moves
// the focus, Enter presses the default button, Escape sends IDCANCEL, the
// arrow keys move within a group. Every message loop of the window thread
// passes its messages through here (the main loop, a run's loop).
#ifndef TARNEL_PLATFORM_WIN32_DIALOG_KEYS_H_
#define TARNEL_PLATFORM_WIN32_DIALOG_KEYS_H_

#include "platform/message_boxes.h"

struct tagMSG;

namespace tarnel {

/// Keys sent to |window| itself (no control of it has the focus) reach its
/// window procedure as they are instead of the dialog keyboard.
inline constexpr unsigned kOwnKeysToWindow = 1;
/// Tab and Shift+Tab become WM_NEXTDLGCTL for |window| to answer, as a
/// dialog's do: a window that is no dialog otherwise gets the z-order's
/// tab order, which cannot reach into a tab control's pages.
inline constexpr unsigned kOwnTabOrder = 2;

/// Gives |window| a dialog's keyboard until RemoveDialogWindow.
void AddDialogWindow(WindowHandle window, unsigned options = 0);
void RemoveDialogWindow(WindowHandle window);

/// Handles |message| as a dialog key of a registered window, else
/// translates and dispatches it.
void DispatchWithDialogKeys(tagMSG& message);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_DIALOG_KEYS_H_
