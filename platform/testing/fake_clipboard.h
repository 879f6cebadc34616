// An in-memory clipboard for tests. It holds text, a picture or nothing; it
// can be told to refuse opening, emptying or taking text, which a real
// clipboard will not do on demand; and it records how it was used, so a test
// can check that every open is closed and nothing is touched while closed.
#ifndef TARNEL_PLATFORM_TESTING_FAKE_CLIPBOARD_H_
#define TARNEL_PLATFORM_TESTING_FAKE_CLIPBOARD_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/service.h"

namespace tarnel {

class FakeClipboard : public Clipboard {
 public:
  /// Installs itself for its lifetime and restores the previous clipboard
  /// after.
  FakeClipboard();
  ~FakeClipboard() override;
  FakeClipboard(const FakeClipboard&) = delete;
  FakeClipboard& operator=(const FakeClipboard&) = delete;

  /// False when fail_open is set; otherwise opens and counts.
  bool Open(WindowHandle owner) override;
  /// True while open and holding text.
  bool IsTextAvailable() override;
  /// The held text block; null when closed or holding no text.
  GlobalBlock* GetText() override;
  /// False when fail_empty is set or closed; otherwise drops the contents.
  bool Empty() override;
  /// False when fail_set_text is set or closed (|block| untouched);
  /// otherwise takes |block| as the clipboard's text.
  bool SetText(GlobalBlock& block) override;
  /// Closes; a close without an open counts as misuse.
  void Close() override;

  /// Makes |text| the clipboard's only contents.
  void HoldText(std::string_view text);
  /// Leaves a picture and no text on the clipboard.
  void HoldPicture();
  /// Leaves nothing at all on the clipboard.
  void HoldNothing();

  /// The held text up to its first NUL; none when no text is held.
  std::optional<std::string> text();

  bool is_open() const { return open_; }

  bool fail_open = false;
  bool fail_empty = false;
  bool fail_set_text = false;

  /// Called with each block handed to SetText, before it is accepted or
  /// refused.
  std::function<void(GlobalBlock&)> on_set_text;

  int open_count = 0;    ///< successful opens
  int close_count = 0;   ///< closes of an open clipboard
  int misuse_count = 0;  ///< calls made while closed, and nested opens
  WindowHandle last_owner = nullptr;

 private:
  enum class Contents { kNothing, kText, kPicture };

  /// Counts a call made while closed; true when the clipboard is open.
  bool CheckOpen();

  bool open_ = false;
  Contents contents_ = Contents::kNothing;
  GlobalBlock text_;
  Installed<Clipboard> installed_{this};
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_TESTING_FAKE_CLIPBOARD_H_
