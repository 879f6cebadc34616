// A plain top-level window of the test's thread, as the program's window
// would be: the owner of boxes and of the clipboard.
#ifndef TARNEL_TESTS_PLATFORM_WIN32_TEST_WINDOW_H_
#define TARNEL_TESTS_PLATFORM_WIN32_TEST_WINDOW_H_

namespace tarnel {

class TestWindow {
 public:
  /// Creates the window, shown when |shown|.
  explicit TestWindow(bool shown = false);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  /// The window's HWND; null when it could not be made.
  void* handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
};

}  // namespace tarnel

#endif  // TARNEL_TESTS_PLATFORM_WIN32_TEST_WINDOW_H_
