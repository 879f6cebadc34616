#include "platform/win32/window_thread.h"

#include <windows.h>

#include <exception>

namespace tarnel {

namespace {

constexpr char kClassName[] = "TarnelWindowThread";
constexpr UINT kRunMessage = WM_APP + 1;

struct Call {
  const std::function<void()>* work;
  std::exception_ptr error;
};

LRESULT CALLBACK CallProc(HWND window, UINT message, WPARAM wparam,
                          LPARAM lparam) {
  if (message != kRunMessage) {
    return ::DefWindowProcA(window, message, wparam, lparam);
  }
  auto* call = reinterpret_cast<Call*>(lparam);
  try {
    (*call->work)();
  } catch (...) {
    // Never through the system's frames: the caller rethrows it.
    call->error = std::current_exception();
  }
  return 0;
}

}  // namespace

WindowThread::WindowThread() : thread_id_(::GetCurrentThreadId()) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &CallProc;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = kClassName;
  ::RegisterClassA(&window_class);  // fails harmlessly the second time
  // A message-only window: never shown, never enumerated.
  window_ = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                              nullptr, window_class.hInstance, nullptr);
}

WindowThread::~WindowThread() {
  if (window_) ::DestroyWindow(static_cast<HWND>(window_));
}

bool WindowThread::IsCurrent() const {
  return ::GetCurrentThreadId() == thread_id_;
}

void WindowThread::Run(const std::function<void()>& work) const {
  if (IsCurrent() || !window_) {
    work();
    return;
  }
  Call call{&work, nullptr};
  ::SendMessageA(static_cast<HWND>(window_), kRunMessage, 0,
                 reinterpret_cast<LPARAM>(&call));
  if (call.error) std::rethrow_exception(call.error);
}

int WindowThreadMessageBoxes::Show(WindowHandle owner, const std::string& text,
                                   const std::string& caption, unsigned flags) {
  int result = 0;
  thread_.Run([&] { result = inner_.Show(owner, text, caption, flags); });
  return result;
}

bool WindowThreadClipboard::Open(WindowHandle owner) {
  bool result = false;
  thread_.Run([&] { result = inner_.Open(owner); });
  return result;
}

bool WindowThreadClipboard::IsTextAvailable() {
  bool result = false;
  thread_.Run([&] { result = inner_.IsTextAvailable(); });
  return result;
}

GlobalBlock* WindowThreadClipboard::GetText() {
  GlobalBlock* result = nullptr;
  thread_.Run([&] { result = inner_.GetText(); });
  return result;
}

bool WindowThreadClipboard::Empty() {
  bool result = false;
  thread_.Run([&] { result = inner_.Empty(); });
  return result;
}

bool WindowThreadClipboard::SetText(GlobalBlock& block) {
  bool result = false;
  thread_.Run([&] { result = inner_.SetText(block); });
  return result;
}

void WindowThreadClipboard::Close() {
  thread_.Run([&] { inner_.Close(); });
}

}  // namespace tarnel
