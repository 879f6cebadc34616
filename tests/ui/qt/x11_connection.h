// A test's own connection to the X server that the program under test
// shows its window on: finds top-level windows by title, reads what the
// program told the window manager, gives a window the focus, types keys
// into it, takes pictures of the screen, and hears of windows coming.
#ifndef TARNEL_TESTS_UI_QT_X11_CONNECTION_H_
#define TARNEL_TESTS_UI_QT_X11_CONNECTION_H_

#include <xcb/xcb.h>

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/wait.h"

namespace tarnel {

class X11Connection {
 public:
  /// Connects to the display that DISPLAY names; see Connected().
  X11Connection();
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  bool Connected() const { return screen_ != nullptr; }
  QSize ScreenSize() const;

  /// The mapped top-level windows whose title is |title|.
  std::vector<xcb_window_t> MappedWindowsTitled(const std::string& title);
  /// Where |window| is on the screen, without any frame.
  QRect Geometry(xcb_window_t window);

  struct SizeLimits {
    QSize minimum;  ///< empty when the program set none
    QSize maximum;
  };
  /// The smallest and largest size the program allows the window manager.
  SizeLimits Limits(xcb_window_t window);
  /// Whether the program lets the window manager offer to maximise it.
  bool MaximizeAllowed(xcb_window_t window);

  /// Gives |window| the keyboard focus, as a window manager would.
  void Focus(xcb_window_t window);
  /// Presses and releases the key that types |keysym| into |window|, with
  /// the modifier keys in |modifiers| (X's mask: 4 is Control) held down.
  /// False when the keyboard has no such key.
  bool TypeKey(xcb_window_t window, std::uint32_t keysym,
               std::uint16_t modifiers = 0);

  /// The screen's contents inside |area|; a null image on failure.
  QImage Grab(const QRect& area);

  // With a window manager:
  /// Asks the window manager to make |window| the active window, and
  /// waits a few seconds at most until it is.
  void Activate(xcb_window_t window);
  /// The managed windows from the bottom of the stack to its top.
  std::vector<xcb_window_t> Stacking();
  /// The window manager's frame around |window|, on the screen.
  QRect FrameGeometry(xcb_window_t window);
  /// How wide the title bar above |window| draws its caption, in pixels;
  /// 0 without one. Needs the test theme of run_under_xvfb.sh.
  int CaptionWidth(xcb_window_t window);
  /// A plain window of this connection titled |title|, |size| large,
  /// mapped; destroy it with DestroyWindow.
  xcb_window_t MakeWindow(const std::string& title, const QSize& size);
  void DestroyWindow(xcb_window_t window);
  /// Makes |window| going off the screen news for Events(): a managed
  /// window is unmapped inside its frame, where the root hears nothing.
  void Watch(xcb_window_t window);

  /// For WaitUntil: news when a top-level window is created, mapped or
  /// changes a property (its title), the events a window showing up makes.
  testing_support::WakeUp Events();

 private:
  xcb_atom_t Atom(const char* name);
  std::vector<std::uint32_t> Words(xcb_window_t window, const char* property);
  std::string Text(xcb_window_t window, const char* property);
  std::optional<std::uint8_t> KeyCode(std::uint32_t keysym);

  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
};

}  // namespace tarnel

#endif  // TARNEL_TESTS_UI_QT_X11_CONNECTION_H_
