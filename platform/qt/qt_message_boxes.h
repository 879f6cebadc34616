// Message boxes on the screen, drawn by Qt. The owner handed to Show is the
// QWidget the box opens over: the engine passes the hidden application
// window, so its boxes open in the middle of the screen and leave the main
// window usable; the front end adds kBoxTaskModal to block every window.
// Either way a box is transient for the window the user works in, so that
// the window manager keeps it above that window.
#ifndef TARNEL_PLATFORM_QT_QT_MESSAGE_BOXES_H_
#define TARNEL_PLATFORM_QT_QT_MESSAGE_BOXES_H_

#include "platform/message_boxes.h"

namespace tarnel {

class QtMessageBoxes : public MessageBoxes {
 public:
  /// Shows a box with one OK button and the icon that |flags| names (none,
  /// or error for kBoxIconError) and returns kBoxOk once it is closed. |owner|
  /// is a QWidget* or null; |text| and |caption| are in the local 8-bit
  /// encoding and shown as plain text.
  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_QT_MESSAGE_BOXES_H_
