#include "platform/win32/win32_clipboard.h"

#include <windows.h>

#include <chrono>
#include <thread>

namespace tarnel {

namespace {

// Clipboard viewers, and under Wine the bridge to the X clipboard, hold the
// clipboard open for moments of their own.
constexpr auto kOpenPatience = std::chrono::milliseconds(500);
constexpr auto kOpenRetry = std::chrono::milliseconds(20);

}  // namespace

bool Win32Clipboard::Open(WindowHandle owner) {
  if (open_) return false;
  const auto deadline = std::chrono::steady_clock::now() + kOpenPatience;
  while (!::OpenClipboard(static_cast<HWND>(owner))) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kOpenRetry);
  }
  open_ = true;
  return true;
}

bool Win32Clipboard::IsTextAvailable() {
  return open_ && ::IsClipboardFormatAvailable(CF_TEXT);
}

GlobalBlock* Win32Clipboard::GetText() {
  if (!open_) return nullptr;
  text_ = GlobalBlock::Borrow(::GetClipboardData(CF_TEXT));
  return text_.valid() ? &text_ : nullptr;
}

bool Win32Clipboard::Empty() { return open_ && ::EmptyClipboard(); }

bool Win32Clipboard::SetText(GlobalBlock& block) {
  if (!open_ || !block.valid() ||
      !::SetClipboardData(CF_TEXT, block.handle())) {
    return false;
  }
  block.Release();
  return true;
}

void Win32Clipboard::Close() {
  if (!open_) return;
  text_.Free();  // borrowed: only let go of
  ::CloseClipboard();
  open_ = false;
}

}  // namespace tarnel
