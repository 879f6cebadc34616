#include "ui/win32/application_win32.h"

#include "platform/message_boxes.h"
#include "platform/service.h"
#include "platform/win32/dialog_keys.h"
#include "ui/logic/exception_text.h"
#include "ui/logic/window_texts.h"
#include "ui/win32/controls_win32.h"

namespace tarnel {

namespace {

constexpr char kClassName[] = "TApplication";

Win32Application* current_application = nullptr;
bool wait_cursor_shown = false;

}  // namespace

Win32Application::Win32Application() {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = ::DefWindowProcA;
  window_class.hInstance = instance;
  window_class.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  window_class.lpszClassName = kClassName;
  ::RegisterClassA(&window_class);  // fails harmlessly the second time
  // No size, in the middle of the screen: the boxes it owns open there.
  window_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP,
                              ::GetSystemMetrics(SM_CXSCREEN) / 2,
                              ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                              nullptr, nullptr, instance, nullptr);
  current_application = this;
}

Win32Application::~Win32Application() {
  // A quit asked for by a batch run that never reached the loop must not
  // end the next loop of this thread.
  if (terminated_ && !ran_) {
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  if (wait_cursor_shown) SetWaitCursor(false);
  if (window_) ::DestroyWindow(window_);
  if (current_application == this) current_application = nullptr;
}

void Win32Application::SetTitle(std::string title) {
  title_ = std::move(title);
  ::SetWindowTextA(window_, title_.c_str());
}

void Win32Application::SetWaitCursor(bool wait) {
  wait_cursor_shown = wait;
  RefreshCursor();
}

void Win32Application::Terminate() {
  // Like Windows' own quit: a loop that has not started yet ends at once.
  terminated_ = true;
  ::PostQuitMessage(0);
}

void Win32Application::Run() {
  ran_ = true;
  if (terminated_) {
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return;
  }
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchWithDialogKeys(message);
  }
}

void Win32Application::ShowException(const std::exception& error) {
  Current<MessageBoxes>().Show(window_, ExceptionBoxText(error.what()), title_,
                               kBoxIconError | kBoxTaskModal);
}

Win32Application* Win32Application::Instance() { return current_application; }

bool Win32Application::WaitCursorShown() { return wait_cursor_shown; }

void Guarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& error) {
    if (Win32Application* application = Win32Application::Instance()) {
      application->ShowException(error);
    } else {
      Current<MessageBoxes>().Show(nullptr, ExceptionBoxText(error.what()),
                                   kApplicationTitle,
                                   kBoxIconError | kBoxTaskModal);
    }
  }
}

}  // namespace tarnel
