// The X11 clipboard without a window toolkit, for a batch run: the text of
// the CLIPBOARD selection's owner is read directly from the X server, and a
// result is handed to the background holder (clipboard_holder_launcher.h),
// which serves it once the program has exited.
//
// Bytes reach the run as Qt's clipboard would give them (off Windows Qt
// takes the locale's text to be UTF-8): well-formed UTF-8 as it is, anything
// else through the conversion the caller supplies, which is Qt's own.
#ifndef TARNEL_PLATFORM_X11_X11_CLIPBOARD_H_
#define TARNEL_PLATFORM_X11_X11_CLIPBOARD_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/memory.h"
#include "platform/utf8_round_trip.h"

namespace tarnel {

class X11Session;

class X11Clipboard : public Clipboard {
 public:
  /// Text as a trip through UTF-16 leaves it.
  using TextConversion = Utf16Trip;

  /// |holder_path| is the holder to start for a result; |through_utf16|
  /// converts text that the trip would change.
  X11Clipboard(std::string holder_path, TextConversion through_utf16);
  ~X11Clipboard() override;
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  /// False when the display cannot be reached, or while already open.
  bool Open(WindowHandle owner) override;
  /// True when the owner gave text. Only while open.
  bool IsTextAvailable() override;
  /// The text, NUL-terminated, kept until Close; null when there is none.
  GlobalBlock* GetText() override;
  /// Takes the clipboard with nothing on it. False when it cannot be taken.
  bool Empty() override;
  /// Hands the text in |block| to a new holder; on success |block| is freed.
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
  std::unique_ptr<X11Session> session_;
  bool open_ = false;
  Reading reading_ = Reading::kNotYet;
  std::string incoming_;
  GlobalBlock text_;
  long holder_pid_ = 0;
  /// When Empty took the clipboard, while it is ours with nothing on it.
  std::optional<std::uint32_t> emptied_at_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_X11_X11_CLIPBOARD_H_
