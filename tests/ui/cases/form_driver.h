// A main window under test, whichever toolkit shows it: made for a command
// line, its controls read and driven by their names in the layout. The
// window logic on controls in memory, the Qt window and the Windows window
// each have one, so that the case tables of form_cases.cc run on all three.
// Texts are bytes in the locale's encoding, as the controls give them.
#ifndef TARNEL_TESTS_UI_CASES_FORM_DRIVER_H_
#define TARNEL_TESTS_UI_CASES_FORM_DRIVER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_boxes.h"
#include "tests/ui/cases/run_call.h"
#include "ui/logic/main_form_logic.h"

namespace tarnel {

/// The user selects |length| bytes of an edit's text from byte |start| and
/// replaces them: by typing |text| a character at a time, or by pasting it
/// at once.
struct UserEdit {
  std::size_t start = 0;
  std::size_t length = 0;
  std::string text;
  bool pasted = false;
};

class FormDriver {
 public:
  virtual ~FormDriver() = default;

  /// Makes the window for |arguments| (those after the program's name);
  /// its runs go to |runs|.
  virtual void Start(std::vector<std::string> arguments) = 0;
  virtual MainFormLogic& Logic() = 0;
  /// The application window, which owns the window's boxes and runs.
  virtual WindowHandle Owner() = 0;

  virtual bool Checked(std::string_view name) = 0;
  /// The control's own visibility, whether or not the window is shown.
  virtual bool Shown(std::string_view name) = 0;
  virtual std::string Text(std::string_view name) = 0;
  /// Where an edit's caret is, in bytes from the start of its text.
  virtual std::size_t Caret(std::string_view name) = 0;
  virtual int Position(std::string_view name) = 0;

  /// The user's click on a check box or a radio button.
  virtual void Click(std::string_view name) = 0;
  /// The program's change of an edit's text.
  virtual void SetText(std::string_view name, const std::string& text) = 0;
  /// The program's change of a spin control's position.
  virtual void SetPosition(std::string_view name, int position) = 0;
  /// The user's change of an edit's text.
  virtual void Edit(std::string_view name, const UserEdit& edit) = 0;

  RunRecorder runs;
};

/// The driver of the program the case tables are linked into.
std::unique_ptr<FormDriver> MakeFormDriver();

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_CASES_FORM_DRIVER_H_
