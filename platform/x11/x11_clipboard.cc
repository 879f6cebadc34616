#include "platform/x11/x11_clipboard.h"

#include <chrono>
#include <cstring>
#include <utility>

#include "platform/clipboard_holder_launcher.h"
#include "platform/utf8_round_trip.h"
#include "platform/x11/x11_selection.h"

namespace tarnel {

namespace {

// Longest wait for the owner's next answer.
constexpr std::chrono::seconds kOwnerTimeout{5};

}  // namespace

X11Clipboard::X11Clipboard(std::string holder_path,
                           TextConversion through_utf16)
    : holder_path_(std::move(holder_path)),
      through_utf16_(std::move(through_utf16)) {}

X11Clipboard::~X11Clipboard() = default;

bool X11Clipboard::Open(WindowHandle) {
  if (open_) return false;
  if (!session_) session_ = X11Session::Connect();
  if (!session_) return false;
  open_ = true;
  reading_ = Reading::kNotYet;
  return true;
}

bool X11Clipboard::IsTextAvailable() {
  if (!open_) return false;
  if (reading_ == Reading::kNotYet) {
    const SelectionText got =
        ReadSelectionText(*session_, kOwnerTimeout, &incoming_);
    reading_ = got == SelectionText::kText ? Reading::kText : Reading::kNone;
  }
  return reading_ == Reading::kText;
}

GlobalBlock* X11Clipboard::GetText() {
  if (!IsTextAvailable()) return nullptr;
  if (!text_.valid()) {
    std::string converted;
    const std::string_view text =
        AfterUtf16Trip(incoming_, through_utf16_, converted);
    text_ = GlobalBlock::Holding(text, AllocationSite::kClipboardData);
    if (!text_.valid()) return nullptr;
    std::string().swap(incoming_);
  }
  return &text_;
}

bool X11Clipboard::Empty() {
  if (!open_) return false;
  // Owning the clipboard with nothing to give empties it for everyone, as
  // emptying does on Windows.
  emptied_at_ = session_->ServerTime();
  return TakeSelection(*session_, *emptied_at_);
}

bool X11Clipboard::SetText(GlobalBlock& block) {
  if (!open_) return false;
  const char* bytes = block.Lock();
  if (!bytes) return false;
  std::string converted;
  const std::string_view text =
      AfterUtf16Trip(std::string_view(bytes, strnlen(bytes, block.Size())),
                     through_utf16_, converted);
  const long pid = StartClipboardHolder(holder_path_, text);
  block.Unlock();
  if (pid == 0) return false;
  holder_pid_ = pid;
  emptied_at_.reset();  // the holder owns the clipboard now
  block.Free();
  return true;
}

void X11Clipboard::Close() {
  if (open_) {
    RefuseWaitingRequests(*session_);
    // Emptied and nothing put on it: no one is to wait on us for nothing
    // until this process ends.
    if (emptied_at_) ReleaseSelection(*session_, *emptied_at_);
  }
  emptied_at_.reset();
  open_ = false;
  reading_ = Reading::kNotYet;
  std::string().swap(incoming_);
  text_.Free();
}

}  // namespace tarnel
