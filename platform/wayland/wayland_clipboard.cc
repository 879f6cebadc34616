#include "platform/wayland/wayland_clipboard.h"

#include <chrono>
#include <cstring>
#include <utility>

#include "platform/clipboard_holder_launcher.h"
#include "platform/utf8_round_trip.h"
#include "platform/wayland/wayland_selection.h"

namespace tarnel {

namespace {

// Longest wait for the compositor, or for the selection's owner, to go on.
constexpr std::chrono::seconds kOwnerTimeout{5};

}  // namespace

WaylandClipboard::WaylandClipboard(std::string holder_path,
                                   TextConversion through_utf16)
    : holder_path_(std::move(holder_path)),
      through_utf16_(std::move(through_utf16)) {}

WaylandClipboard::~WaylandClipboard() = default;

bool WaylandClipboard::Open(WindowHandle) {
  if (open_) return false;
  if (!session_) session_ = WaylandSession::Connect();
  if (!session_ || session_->route() == WaylandRoute::kNone) return false;
  open_ = true;
  reading_ = Reading::kNotYet;
  return true;
}

bool WaylandClipboard::IsTextAvailable() {
  if (!open_) return false;
  if (reading_ == Reading::kNotYet) {
    const WaylandReading got = session_->ReadText(kOwnerTimeout, &incoming_);
    reading_ = got == WaylandReading::kText ? Reading::kText : Reading::kNone;
  }
  return reading_ == Reading::kText;
}

GlobalBlock* WaylandClipboard::GetText() {
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

bool WaylandClipboard::Empty() { return open_; }

bool WaylandClipboard::SetText(GlobalBlock& block) {
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
  block.Free();
  return true;
}

void WaylandClipboard::Close() {
  open_ = false;
  reading_ = Reading::kNotYet;
  std::string().swap(incoming_);
  text_.Free();
}

}  // namespace tarnel
