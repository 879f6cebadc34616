#include <windows.h>

#include "tests/platform/win32/test_window.h"

namespace tarnel {

namespace {
constexpr char kClassName[] = "TarnelTestWindow";
}  // namespace

TestWindow::TestWindow(bool shown) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = ::DefWindowProcA;
  window_class.hInstance = ::GetModuleHandleA(nullptr);
  window_class.lpszClassName = kClassName;
  ::RegisterClassA(&window_class);  // fails harmlessly the second time
  const HWND window = ::CreateWindowExA(
      0, kClassName, "TARNEL test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
      nullptr, nullptr, window_class.hInstance, nullptr);
  if (window && shown) ::ShowWindow(window, SW_SHOW);
  handle_ = window;
}

TestWindow::~TestWindow() {
  if (handle_) ::DestroyWindow(static_cast<HWND>(handle_));
}

}  // namespace tarnel
