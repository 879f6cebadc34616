#include "platform/testing/fake_clipboard.h"

#include <cstring>
#include <utility>

namespace tarnel {

FakeClipboard::FakeClipboard() = default;

FakeClipboard::~FakeClipboard() = default;

bool FakeClipboard::Open(WindowHandle owner) {
  if (open_) {
    // Only one session at a time, as with the system clipboard.
    ++misuse_count;
    return false;
  }
  if (fail_open) return false;
  open_ = true;
  ++open_count;
  last_owner = owner;
  return true;
}

bool FakeClipboard::IsTextAvailable() {
  return CheckOpen() && contents_ == Contents::kText;
}

GlobalBlock* FakeClipboard::GetText() {
  if (!CheckOpen() || contents_ != Contents::kText) return nullptr;
  return &text_;
}

bool FakeClipboard::Empty() {
  if (!CheckOpen() || fail_empty) return false;
  HoldNothing();
  return true;
}

bool FakeClipboard::SetText(GlobalBlock& block) {
  if (!CheckOpen()) return false;
  if (on_set_text) on_set_text(block);
  if (fail_set_text) return false;
  text_ = std::move(block);
  contents_ = Contents::kText;
  return true;
}

void FakeClipboard::Close() {
  if (!open_) {
    ++misuse_count;
    return;
  }
  open_ = false;
  ++close_count;
}

void FakeClipboard::HoldText(std::string_view text) {
  text_ = GlobalBlock::Holding(text, AllocationSite::kClipboardData);
  contents_ = Contents::kText;
}

void FakeClipboard::HoldPicture() {
  text_.Free();
  contents_ = Contents::kPicture;
}

void FakeClipboard::HoldNothing() {
  text_.Free();
  contents_ = Contents::kNothing;
}

std::optional<std::string> FakeClipboard::text() {
  if (contents_ != Contents::kText) return std::nullopt;
  std::string bytes;
  if (const char* data = text_.Lock()) {
    bytes.assign(data, strnlen(data, text_.Size()));
    text_.Unlock();
  }
  return bytes;
}

bool FakeClipboard::CheckOpen() {
  if (!open_) ++misuse_count;
  return open_;
}

}  // namespace tarnel
