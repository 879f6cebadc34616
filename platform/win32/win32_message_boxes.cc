#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

#include <optional>
#include <utility>
#include <vector>

namespace tarnel {

namespace {

struct ProcessWindows {
  DWORD process;
  HWND except;
  std::vector<HWND> enabled;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<ProcessWindows*>(data);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == found->process && window != found->except &&
      ::IsWindowEnabled(window)) {
    found->enabled.push_back(window);
  }
  return TRUE;
}

// Windows heeds MB_TASKMODAL only for a box without an owner, and then only
// on the box's own thread: the program's other top-level windows are
// disabled here for as long as the box is open. The owner is left to the
// box, which enables it again before it goes, so that it gets the
// activation back.
class TaskWindowsDisabled {
 public:
  explicit TaskWindowsDisabled(HWND owner) {
    ProcessWindows found{::GetCurrentProcessId(), owner, {}};
    ::EnumWindows(&CollectEnabled, reinterpret_cast<LPARAM>(&found));
    windows_ = std::move(found.enabled);
    for (const HWND window : windows_) ::EnableWindow(window, FALSE);
  }
  TaskWindowsDisabled(const TaskWindowsDisabled&) = delete;
  TaskWindowsDisabled& operator=(const TaskWindowsDisabled&) = delete;
  ~TaskWindowsDisabled() {
    for (const HWND window : windows_) {
      if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
  }

 private:
  std::vector<HWND> windows_;
};

}  // namespace

unsigned Win32BoxStyle(unsigned flags) {
  unsigned style = MB_OK;
  switch (flags & kBoxIconMask) {
    case kBoxIconError:
      style |= MB_ICONERROR;
      break;
    case kBoxIconQuestion:
      style |= MB_ICONQUESTION;
      break;
    case kBoxIconWarning:
      style |= MB_ICONWARNING;
      break;
    case kBoxIconInformation:
      style |= MB_ICONINFORMATION;
      break;
  }
  if (flags & kBoxTaskModal) style |= MB_TASKMODAL;
  return style;
}

int Win32MessageBoxes::Show(WindowHandle owner, const std::string& text,
                            const std::string& caption, unsigned flags) {
  const HWND owner_window = static_cast<HWND>(owner);
  // An owner that is hidden (the application window) cannot take the
  // activation back when the box goes: the window the user worked in does.
  const HWND active = ::GetActiveWindow();
  int pressed;
  {
    const bool stop_all = (flags & kBoxTaskModal) && owner_window;
    std::optional<TaskWindowsDisabled> disabled;
    if (stop_all) disabled.emplace(owner_window);
    pressed = ::MessageBoxA(owner_window, text.c_str(), caption.c_str(),
                            Win32BoxStyle(flags));
  }
  if (active && ::IsWindow(active) && ::IsWindowVisible(active) &&
      ::GetActiveWindow() != active) {
    ::SetActiveWindow(active);
  }
  return pressed == IDOK ? kBoxOk : pressed;
}

}  // namespace tarnel
