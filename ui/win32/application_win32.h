// The Windows program's application object: its title and help file, the
// hidden application window centred on the screen that owns every box,
// whether the main window is shown, the message loop and its end, the
// application-wide hourglass and the exception box. Win32 view only.
#ifndef TARNEL_UI_WIN32_APPLICATION_WIN32_H_
#define TARNEL_UI_WIN32_APPLICATION_WIN32_H_

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "ui/logic/controls.h"

namespace tarnel {

class Win32Application : public ApplicationControl {
 public:
  /// Creates the hidden application window. One at a time.
  Win32Application();
  ~Win32Application() override;
  Win32Application(const Win32Application&) = delete;
  Win32Application& operator=(const Win32Application&) = delete;

  void SetTitle(std::string title);
  const std::string& Title() const { return title_; }
  void SetHelpFile(std::string help_file) { help_file_ = std::move(help_file); }

  WindowHandle Handle() const override { return window_; }
  const std::string& HelpFile() const override { return help_file_; }
  void SetWaitCursor(bool wait) override;
  /// No control of the Windows program has a hint: the text stays empty.
  std::string Hint() const override { return std::string(); }
  void OnHint(std::function<void()> handler) override {
    on_hint_ = std::move(handler);
  }
  void SetShowMainForm(bool show) override { show_main_form_ = show; }
  bool ShowMainForm() const { return show_main_form_; }
  void Terminate() override;
  bool Terminated() const { return terminated_; }

  /// Runs the message loop until Terminate; at once returns after one
  /// before it.
  void Run();

  /// The exception box: |error|'s message under the title, error icon,
  /// every window disabled while it is open.
  void ShowException(const std::exception& error);

  /// The application alive, if any.
  static Win32Application* Instance();
  /// Whether the application-wide hourglass is up.
  static bool WaitCursorShown();

 private:
  HWND window_ = nullptr;
  std::string title_;
  std::string help_file_;
  bool show_main_form_ = true;
  bool terminated_ = false;
  bool ran_ = false;
  std::function<void()> on_hint_;
};

/// Runs |work|; an exception derived from std::exception that escapes it is
/// shown in the application's exception box and the program goes on, as
/// none may cross the system's frames of a window procedure.
void Guarded(const std::function<void()>& work);

}  // namespace tarnel

#endif  // TARNEL_UI_WIN32_APPLICATION_WIN32_H_
