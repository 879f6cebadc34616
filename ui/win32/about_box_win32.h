// TAboutBox on Windows: names the program, its version and its purpose.
// Created hidden at start-up and kept for the program's life; shown
// without being modal, hidden again by its OK button. Win32 view only.
#ifndef TARNEL_UI_WIN32_ABOUT_BOX_WIN32_H_
#define TARNEL_UI_WIN32_ABOUT_BOX_WIN32_H_

#include <windows.h>

#include <string>

#include "ui/logic/controls.h"

namespace tarnel {

class Win32AboutBox : public AboutBoxControl {
 public:
  /// Builds the box, hidden, owned by |owner| (the application window).
  explicit Win32AboutBox(HWND owner = nullptr);
  ~Win32AboutBox() override;
  Win32AboutBox(const Win32AboutBox&) = delete;
  Win32AboutBox& operator=(const Win32AboutBox&) = delete;

  /// Sets the Version label's text; the label widens to fit it.
  void SetVersionText(const std::string& text) override;
  bool IsVisible() const override;
  /// Shows the box centred on the screen, OK focused.
  void Show() override;
  /// The OK button: hides the box.
  void OKButtonClick();

  HWND Window = nullptr;
  HWND Panel1 = nullptr;
  HWND ProgramIcon = nullptr;
  HWND ProductName = nullptr;
  HWND Version = nullptr;
  HWND Copyright = nullptr;
  HWND Comments = nullptr;
  HWND OKButton = nullptr;

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  bool placed_ = false;
};

}  // namespace tarnel

#endif  // TARNEL_UI_WIN32_ABOUT_BOX_WIN32_H_
