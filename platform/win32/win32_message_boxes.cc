#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
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

// The width the box's caption asks for: the frame, the caption's icon and
// close button, and the text in the system's caption font.
int CaptionWidth(HWND box) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics,
                               &metrics, 0)) {
    return 0;
  }
  std::wstring caption(
      static_cast<std::size_t>(::GetWindowTextLengthW(box)) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(
      ::GetWindowTextW(box, caption.data(), static_cast<int>(caption.size()))));
  const HFONT font = ::CreateFontIndirectW(&metrics.lfCaptionFont);
  const HDC dc = ::GetDC(box);
  const HGDIOBJ previous = ::SelectObject(dc, font);
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()),
                          &extent);
  ::SelectObject(dc, previous);
  ::ReleaseDC(box, dc);
  ::DeleteObject(font);
  RECT frame{};
  RECT client{};
  ::GetWindowRect(box, &frame);
  ::GetClientRect(box, &client);
  const int borders = (frame.right - frame.left) - client.right;
  const int buttons = ::GetSystemMetrics(SM_CXSIZE) +
                      ::GetSystemMetrics(SM_CXSMICON) +
                      4 * ::GetSystemMetrics(SM_CXEDGE);
  return borders + buttons + extent.cx;
}

BOOL CALLBACK MoveChild(HWND child, LPARAM shift) {
  RECT place{};
  ::GetWindowRect(child, &place);
  ::MapWindowPoints(nullptr, ::GetParent(child),
                    reinterpret_cast<POINT*>(&place), 2);
  ::SetWindowPos(child, nullptr, place.left + static_cast<int>(shift),
                 place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

// A box is as wide as its text and buttons ask; a short text (Finish!)
// under a longer caption (TARNEL-ERROR) leaves the caption cut short.
// Such a box is widened about its centre, its contents with it.
void FitCaption(HWND box) {
  RECT frame{};
  ::GetWindowRect(box, &frame);
  const int width = frame.right - frame.left;
  const int wanted = CaptionWidth(box);
  if (wanted <= width) return;
  const int grow = wanted - width;
  ::EnumChildWindows(box, &MoveChild, grow / 2);
  ::SetWindowPos(box, nullptr, frame.left - grow / 2, frame.top, wanted,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

thread_local HHOOK caption_hook = nullptr;

// After the box has laid itself out, before it is shown.
LRESULT CALLBACK FitCaptionHook(int code, WPARAM wparam, LPARAM lparam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
  if (code == HC_ACTION && call->message == WM_INITDIALOG) {
    wchar_t name[16] = {};
    ::GetClassNameW(call->hwnd, name, 16);
    if (std::wstring_view(name) == L"#32770") FitCaption(call->hwnd);
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

// Watches this thread's boxes for as long as it lives (a box within a box
// is watched by the outer one's hook).
class CaptionsFitted {
 public:
  CaptionsFitted() {
    if (!caption_hook) {
      caption_hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &FitCaptionHook,
                                         nullptr, ::GetCurrentThreadId());
      owns_ = caption_hook != nullptr;
    }
  }
  CaptionsFitted(const CaptionsFitted&) = delete;
  CaptionsFitted& operator=(const CaptionsFitted&) = delete;
  ~CaptionsFitted() {
    if (owns_) {
      ::UnhookWindowsHookEx(caption_hook);
      caption_hook = nullptr;
    }
  }

 private:
  bool owns_ = false;
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
    const CaptionsFitted fitted;
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
