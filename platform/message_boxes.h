// Message boxes: the one way any part of TARNEL talks to the user about an
// outcome. The engine and the transfer code only ever see this interface; the
// program installs a real implementation at start-up (a Qt one with a display,
// the console one without), and tests install a recording fake.
#ifndef TARNEL_PLATFORM_MESSAGE_BOXES_H_
#define TARNEL_PLATFORM_MESSAGE_BOXES_H_

#include <string>

namespace tarnel {

/// Opaque handle of the window that owns a box (and opens the clipboard).
/// Null means "no particular owner".
using WindowHandle = void*;

/// Box flags, with the values the Win32 message box uses.
inline constexpr unsigned kBoxPlain = 0;            ///< one OK button, no icon
inline constexpr unsigned kBoxIconError = 0x10;     ///< with an error icon
inline constexpr unsigned kBoxIconQuestion = 0x20;  ///< a question mark
inline constexpr unsigned kBoxIconWarning = 0x30;   ///< a warning sign
inline constexpr unsigned kBoxIconInformation = 0x40;  ///< an information sign
/// The bits of the flags that choose the icon.
inline constexpr unsigned kBoxIconMask = 0xF0;
/// Added to the others: every window of the application is disabled while
/// the box is open (otherwise only the owner is).
inline constexpr unsigned kBoxTaskModal = 0x2000;

/// Value returned when the OK button closed a box.
inline constexpr int kBoxOk = 1;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  /// Shows a box with |text| under |caption| and returns once it is closed.
  virtual int Show(WindowHandle owner, const std::string& text,
                   const std::string& caption, unsigned flags) = 0;

  /// The boxes in use until others are installed: the console.
  static MessageBoxes& Fallback();
};

/// For machines without a display: writes "CAPTION: TEXT" and a line break
/// to standard error and returns at once. Line breaks inside the text are
/// written as they are.
class ConsoleMessageBoxes : public MessageBoxes {
 public:
  int Show(WindowHandle owner, const std::string& text,
           const std::string& caption, unsigned flags) override;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_MESSAGE_BOXES_H_
