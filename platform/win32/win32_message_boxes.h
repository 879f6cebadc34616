// The system's own message boxes (MessageBoxA), for the program built
// without Qt's. Texts and captions are bytes in the ANSI code page, as
// everywhere in a run.
#ifndef TARNEL_PLATFORM_WIN32_WIN32_MESSAGE_BOXES_H_
#define TARNEL_PLATFORM_WIN32_WIN32_MESSAGE_BOXES_H_

#include <string>

#include "platform/message_boxes.h"

namespace tarnel {

class Win32MessageBoxes : public MessageBoxes {
 public:
  /// Shows the box, owned by |owner| (a window, or none), and returns once
  /// it is closed: kBoxOk for its OK button. With kBoxTaskModal every
  /// top-level window of the program is disabled while the box is open,
  /// whether it has an owner or not. The window that was active before is
  /// active again after.
  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;
};

/// The MessageBoxA style for |flags|: the icon, and MB_TASKMODAL for
/// kBoxTaskModal (which Windows heeds only for a box without an owner: an
/// owned box disables its owner alone); other bits are dropped.
unsigned Win32BoxStyle(unsigned flags);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_WIN32_MESSAGE_BOXES_H_
