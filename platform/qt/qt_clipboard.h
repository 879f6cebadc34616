// The system clipboard through Qt: the CLIPBOARD selection on X11, the
// Wayland clipboard, the Windows clipboard. Other programs see Unicode text;
// the run sees bytes in the locale's code page.
//
// On X11 and Wayland the clipboard's contents live in the program that owns
// them, and a batch run ends right after its last box. So SetText there
// hands the text to a background holder (tarnel-clipboard-holder or
// tarnel-wayland-clipboard-holder, found beside the running executable) and
// returns once the holder owns the clipboard; the holder serves the text
// until another program takes the clipboard over. On Wayland, Empty leaves
// the clipboard alone: the holder's selection replaces it whole.
//
// Needs a QGuiApplication. Where there is no display, and so no clipboard
// shared with other programs (no DISPLAY and no WAYLAND_DISPLAY, or the
// offscreen or minimal platform), Open fails without touching Qt's clipboard.
#ifndef TARNEL_PLATFORM_QT_QT_CLIPBOARD_H_
#define TARNEL_PLATFORM_QT_QT_CLIPBOARD_H_

#include "platform/clipboard.h"
#include "platform/memory.h"

namespace tarnel {

class QtClipboard : public Clipboard {
 public:
  QtClipboard() = default;
  QtClipboard(const QtClipboard&) = delete;
  QtClipboard& operator=(const QtClipboard&) = delete;

  /// False without a shared clipboard or while already open.
  bool Open(WindowHandle owner) override;
  /// True when the clipboard offers plain text. Only while open.
  bool IsTextAvailable() override;
  /// The text in the locale's code page, NUL-terminated, kept until Close;
  /// null when there is no text. Only while open.
  GlobalBlock* GetText() override;
  /// Takes the clipboard with nothing on it. False when it cannot be taken.
  bool Empty() override;
  /// Puts the text in |block| on the clipboard; on success |block| is freed.
  bool SetText(GlobalBlock& block) override;
  /// Ends the session and drops the text GetText returned.
  void Close() override;

  /// Process id of the holder the last successful X11 or Wayland SetText
  /// started; 0 when there is none.
  long holder_pid() const { return holder_pid_; }

 private:
  bool open_ = false;
  GlobalBlock text_;
  long holder_pid_ = 0;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_QT_QT_CLIPBOARD_H_
