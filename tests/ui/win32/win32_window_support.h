// What the suites of the real Windows window share: the window thread's
// message pump, keys sent through the dialog keyboard as the program's loop
// sends them, clicks, and a hook that reads and closes the system's boxes.
#ifndef TARNEL_TESTS_UI_WIN32_WIN32_WINDOW_SUPPORT_H_
#define TARNEL_TESTS_UI_WIN32_WIN32_WINDOW_SUPPORT_H_

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tarnel {

/// Handles every message waiting for this thread.
void Pump();
/// A key pressed and released where the focus is, through the loop's path.
void PressKey(WPARAM key);
/// The left button pressed and released at |x|, |y| of |window|'s client.
void ClickAt(HWND window, int x, int y);
/// |window|'s place in the client area of |parent|.
RECT PlaceIn(HWND window, HWND parent);
/// The system's boxes of this thread as they open: read, then closed with
/// OK.
struct SeenBox {
  std::string caption;
  std::string text;
  HWND owner = nullptr;
  std::vector<bool> enabled;  ///< the watched windows' states meanwhile
};
class BoxCloser {
 public:
  explicit BoxCloser(std::vector<HWND> watched = {});
  ~BoxCloser();
  BoxCloser(const BoxCloser&) = delete;
  BoxCloser& operator=(const BoxCloser&) = delete;
  const std::vector<SeenBox>& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam);
  void Close(HWND box);
  HHOOK hook_ = nullptr;
  std::vector<HWND> watched_;
  std::vector<SeenBox> seen_;
};

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_WIN32_WIN32_WINDOW_SUPPORT_H_
