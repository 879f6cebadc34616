// The Wayland clipboard (the seat's selection) spoken directly with the
// compositor through libwayland-client, without a window toolkit, for a
// batch run and for the holder that keeps a result after the program ends.
//
// Two routes, chosen by what the compositor offers:
// - data-control (zwlr_data_control_manager_v1: wlroots compositors, KWin)
//   reads and sets the selection without a surface or focus;
// - elsewhere (Mutter, Weston) only a client with keyboard focus is sent the
//   selection or may set it, so a tiny window of ours is shown for as long
//   as it takes to get the focus.
// A selection we set counts as taken only once the compositor has sent it
// back to us as the current selection; one that the compositor dropped or
// cancelled is a failed write.
//
// Text travels as UTF-8.
#ifndef TARNEL_PLATFORM_WAYLAND_WAYLAND_SELECTION_H_
#define TARNEL_PLATFORM_WAYLAND_WAYLAND_SELECTION_H_

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace tarnel {

enum class WaylandRoute {
  kDataControl,     ///< the compositor offers data-control
  kFocusedSurface,  ///< a seat with a keyboard, and windows to focus
  kNone,            ///< no seat, or nothing to reach its selection with
};

/// How a reading of the selection's text ended.
enum class WaylandReading {
  kText,    ///< text arrived
  kNoText,  ///< no selection, or one without text
  kFailed,  ///< no focus, no answer in time, or the transfer broke
};

/// One connection to the compositor that WAYLAND_DISPLAY names, with the
/// globals the selection needs.
class WaylandSession {
 public:
  /// Null when the compositor cannot be reached.
  static std::unique_ptr<WaylandSession> Connect();
  ~WaylandSession();
  WaylandSession(const WaylandSession&) = delete;
  WaylandSession& operator=(const WaylandSession&) = delete;

  WaylandRoute route() const;

  /// Reads the selection's text into |*text|. No wait lasts longer than
  /// |timeout|.
  WaylandReading ReadText(std::chrono::milliseconds timeout, std::string* text);

  /// Makes |utf8| the selection, in one step. True once the compositor has
  /// confirmed it; then ServeUntilReplaced must follow. The text must stay
  /// alive until then.
  bool TakeSelection(std::string_view utf8, std::chrono::milliseconds timeout);

  /// Serves the selection TakeSelection set until another client replaces
  /// it or the connection breaks.
  void ServeUntilReplaced();

  struct State;

 private:
  explicit WaylandSession(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WAYLAND_WAYLAND_SELECTION_H_
