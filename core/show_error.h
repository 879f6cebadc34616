// The engine's error box and the window that owns a run's boxes.
#ifndef TARNEL_CORE_SHOW_ERROR_H_
#define TARNEL_CORE_SHOW_ERROR_H_

#include <string>

#include "platform/message_boxes.h"

namespace tarnel {

inline constexpr char kErrorCaption[] = "TARNEL-ERROR";

/// Owner of every box a run shows, and the window that opens the clipboard.
/// Set by each run; it outlives the run.
extern WindowHandle OwnerWindow;

/// The engine's error box: caption "TARNEL-ERROR", error icon, owned by
/// OwnerWindow. Returns once the box is closed.
void ShowError(const std::string& text);

}  // namespace tarnel

#endif  // TARNEL_CORE_SHOW_ERROR_H_
