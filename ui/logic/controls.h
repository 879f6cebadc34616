// The controls of a window as the window logic sees them: small interfaces
// that each toolkit implements (Qt widgets on Linux, Win32 controls on
// Windows), and a fake implements for tests of the logic. Texts are bytes
// in the locale's encoding, as the engine's are; file names keep their
// exact bytes.
//
// A control that has a state reports each real change of it, whether the
// user or the program made it, through the callback the logic installs; the
// callback runs before the change that caused it returns, and setting a
// state the control already has reports nothing.
#ifndef TARNEL_UI_LOGIC_CONTROLS_H_
#define TARNEL_UI_LOGIC_CONTROLS_H_

#include <cstddef>
#include <functional>
#include <string>

#include "platform/message_boxes.h"

namespace tarnel {

/// Something the logic shows or hides.
class VisibleControl {
 public:
  virtual ~VisibleControl() = default;
  virtual bool IsVisible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

/// A check box or a radio button.
class CheckControl {
 public:
  virtual ~CheckControl() = default;
  virtual bool IsChecked() const = 0;
  /// Reports the change through the callback when the state changes.
  virtual void SetChecked(bool checked) = 0;
  /// Installs what runs after every real change of the state.
  virtual void OnChange(std::function<void()> handler) = 0;
  /// Whether Tab stops at the control; a click reaches it either way.
  virtual void SetTabStop(bool tab_stop) = 0;
};

/// A single-line edit.
class EditControl : public VisibleControl {
 public:
  virtual std::string Text() const = 0;
  /// A change by the program: clears the modified flag, then reports the
  /// change through the callback.
  virtual void SetText(const std::string& text) = 0;
  /// Set by the user's typing or pasting; cleared by every change the
  /// program makes.
  virtual bool IsModified() const = 0;
  /// Puts the caret in front of byte |position| of the text.
  virtual void SetCaret(std::size_t position) = 0;
  virtual void SetFocus() = 0;
  /// Installs what runs after every change of the text.
  virtual void OnChange(std::function<void()> handler) = 0;
};

/// A status bar with one text.
class StatusControl {
 public:
  virtual ~StatusControl() = default;
  virtual std::string Text() const = 0;
  /// Shows |text| at once, even before a long step that follows.
  virtual void SetText(const std::string& text) = 0;
};

/// A spin (up-down) control that steps a position within its range.
class SpinControl {
 public:
  virtual ~SpinControl() = default;
  virtual int Position() const = 0;
  /// Brought into the range; reports nothing.
  virtual void SetPosition(int position) = 0;
  /// Installs what runs after every step that moved the position.
  virtual void OnStep(std::function<void()> handler) = 0;
};

/// The main window itself.
class FormControl {
 public:
  virtual ~FormControl() = default;
  /// The window's handle: the owner of its file dialogs and its help.
  virtual WindowHandle Handle() const = 0;
  virtual bool IsActive() const = 0;
  /// Makes the window the active one.
  virtual void Activate() = 0;
  /// The toolkit's ordinary close request, as the title bar's button makes.
  virtual void Close() = 0;
  /// The same request, made once the events already waiting are handled:
  /// for a close put off until a run was over, whose caller is still on
  /// the way out.
  virtual void CloseLater() = 0;
  /// Runs |work| once the events already waiting are handled: for work
  /// that must not run inside the event that asks for it.
  virtual void RunLater(std::function<void()> work) = 0;
  /// The hourglass over the window's own surface, or the default pointer.
  virtual void SetWaitCursor(bool wait) = 0;
};

/// How the focus reached a control.
enum class FocusCause {
  kTab,    ///< Tab or Shift+Tab moved it there
  kOther,  ///< a click, the program, or a window that closed and gave it back
};

/// A key as the window sees it; only Escape means anything to it.
enum class FormKey { kEscape, kOther };

/// The application object: the hidden window that owns every box, the
/// application-wide cursor, the hint text, and the end of the program.
class ApplicationControl {
 public:
  virtual ~ApplicationControl() = default;
  virtual WindowHandle Handle() const = 0;
  virtual const std::string& HelpFile() const = 0;
  /// The hourglass over every window of the application, or the default.
  virtual void SetWaitCursor(bool wait) = 0;
  /// The hint text, and what runs whenever it changes.
  virtual std::string Hint() const = 0;
  virtual void OnHint(std::function<void()> handler) = 0;
  /// Whether the main window is shown once it is created.
  virtual void SetShowMainForm(bool show) = 0;
  /// Ends the message loop: at once when it runs, else as soon as it starts.
  virtual void Terminate() = 0;
};

/// The About box.
class AboutBoxControl {
 public:
  virtual ~AboutBoxControl() = default;
  virtual void SetVersionText(const std::string& text) = 0;
  virtual bool IsVisible() const = 0;
  /// Shows the box without making it modal.
  virtual void Show() = 0;
};

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_CONTROLS_H_
