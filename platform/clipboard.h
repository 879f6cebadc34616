// The system clipboard as a run uses it: open it for a window, look for
// text, take the text, or empty it and hand it new text, then close it.
// Text is always bytes in the locale's code page (what Windows calls
// CF_TEXT); an implementation converts to and from whatever the system
// stores.
#ifndef TARNEL_PLATFORM_CLIPBOARD_H_
#define TARNEL_PLATFORM_CLIPBOARD_H_

#include "platform/memory.h"
#include "platform/message_boxes.h"

namespace tarnel {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  /// Opens the clipboard for |owner|. False when it cannot be opened.
  virtual bool Open(WindowHandle owner) = 0;
  /// True when the clipboard holds text. Only while open.
  virtual bool IsTextAvailable() = 0;
  /// The clipboard's text as a NUL-terminated block that the clipboard keeps
  /// owning (valid until Close); null when there is none. Only while open.
  virtual GlobalBlock* GetText() = 0;
  /// Removes everything from the clipboard. False on failure. Only while open.
  virtual bool Empty() = 0;
  /// Hands |block| (NUL-terminated text) to the clipboard. On success the
  /// clipboard owns it and |block| is left empty; on failure the caller
  /// keeps it. Only while open.
  virtual bool SetText(GlobalBlock& block) = 0;
  /// Closes the clipboard that Open opened.
  virtual void Close() = 0;

  /// The clipboard in use until another is installed: a NoClipboard.
  static Clipboard& Fallback();
};

/// A clipboard that cannot be opened: the stand-in where there is no
/// display and so no clipboard service.
class NoClipboard : public Clipboard {
 public:
  bool Open(WindowHandle) override { return false; }
  bool IsTextAvailable() override { return false; }
  GlobalBlock* GetText() override { return nullptr; }
  bool Empty() override { return false; }
  bool SetText(GlobalBlock&) override { return false; }
  void Close() override {}
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_CLIPBOARD_H_
