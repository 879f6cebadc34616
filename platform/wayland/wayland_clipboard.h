// The Wayland clipboard without a window toolkit, for a batch run: the
// selection's text is read directly from the compositor, and a result is
// handed to the background holder (clipboard_holder_launcher.h), which sets
// it as one new selection and serves it once the program has exited.
//
// Emptying is no step of its own: on Wayland the new selection replaces the
// old one whole, as EmptyClipboard and SetClipboardData between one Open
// and Close do on Windows. A write that fails leaves the old contents.
//
// Bytes reach the run as Qt's clipboard would give them, as on X11
// (x11_clipboard.h).
#ifndef TARNEL_PLATFORM_WAYLAND_WAYLAND_CLIPBOARD_H_
#define TARNEL_PLATFORM_WAYLAND_WAYLAND_CLIPBOARD_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/utf8_round_trip.h"

namespace tarnel {

class WaylandSession;

class WaylandClipboard : public Clipboard {
 public:
  /// Text as a trip through UTF-16 leaves it.
  using TextConversion = Utf16Trip;

  /// |holder_path| is the holder to start for a result; |through_utf16|
  /// converts text that the trip would change.
  WaylandClipboard(std::string holder_path, TextConversion through_utf16);
  ~WaylandClipboard() override;
  WaylandClipboard(const WaylandClipboard&) = delete;
  WaylandClipboard& operator=(const WaylandClipboard&) = delete;

  /// False when the compositor cannot be reached, offers no way to its
  /// selection, or while already open.
  bool Open(WindowHandle owner) override;
  /// True when the selection offers text. Only while open.
  bool IsTextAvailable() override;
  /// The text, NUL-terminated, kept until Close; null when there is none.
  GlobalBlock* GetText() override;
  /// Nothing to do until SetText, which replaces everything. Only while
  /// open.
  bool Empty() override;
  /// Hands the text in |block| to a new holder; true once the compositor
  /// has confirmed the new selection, and |block| is freed then.
  bool SetText(GlobalBlock& block) override;
  /// Ends the session and drops the text GetText returned.
  void Close() override;

  /// Process id of the holder the last successful SetText started; 0 when
  /// there is none.
  long holder_pid() const { return holder_pid_; }

 private:
  enum class Reading { kNotYet, kText, kNone };

  std::string holder_path_;
  TextConversion through_utf16_;
  std::unique_ptr<WaylandSession> session_;
  bool open_ = false;
  Reading reading_ = Reading::kNotYet;
  std::string incoming_;
  GlobalBlock text_;
  long holder_pid_ = 0;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WAYLAND_WAYLAND_CLIPBOARD_H_
