// The Windows clipboard itself, for the program built without Qt's
// clipboard. Text goes in and out as CF_TEXT: bytes in the ANSI code page,
// as a run holds them, so nothing is converted here; the system offers the
// same text to others as Unicode.
#ifndef TARNEL_PLATFORM_WIN32_WIN32_CLIPBOARD_H_
#define TARNEL_PLATFORM_WIN32_WIN32_CLIPBOARD_H_

#include "platform/clipboard.h"
#include "platform/memory.h"

namespace tarnel {

class Win32Clipboard : public Clipboard {
 public:
  Win32Clipboard() = default;
  Win32Clipboard(const Win32Clipboard&) = delete;
  Win32Clipboard& operator=(const Win32Clipboard&) = delete;

  /// Opens the clipboard for |owner|, waiting a moment for another
  /// program that holds it open. False when it stays held.
  bool Open(WindowHandle owner) override;
  /// True when the clipboard offers CF_TEXT (also made by the system from
  /// Unicode text). Only while open.
  bool IsTextAvailable() override;
  /// The clipboard's own CF_TEXT block, borrowed until Close; null when
  /// there is no text. Only while open.
  GlobalBlock* GetText() override;
  /// Empties the clipboard and makes the owner given to Open its owner.
  bool Empty() override;
  /// Hands |block| to the clipboard as CF_TEXT; on success the system owns
  /// it and |block| is left empty.
  bool SetText(GlobalBlock& block) override;
  void Close() override;

 private:
  bool open_ = false;
  GlobalBlock text_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_WIN32_WIN32_CLIPBOARD_H_
