#include "tests/support/wl_clipboard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/process.h"

namespace tarnel {
namespace testing_support {

namespace {

constexpr std::chrono::seconds kPeerTimeout{10};

}  // namespace

void WlCopy(const std::string& bytes, const char* type) {
  ChildSetup setup;
  setup.input = bytes;
  const ChildResult copy =
      RunChild({"wl-copy", "--type", type}, setup, kPeerTimeout);
  ASSERT_EQ(copy.status, 0) << copy.err;
  // wl-copy's foreground part may end before the compositor has the new
  // selection: ask until it serves the bytes.
  const auto deadline = std::chrono::steady_clock::now() + kPeerTimeout;
  for (;;) {
    const ChildResult paste = RunChild(
        {"wl-paste", "--no-newline", "--type", type}, {}, kPeerTimeout);
    if (paste.status == 0 && paste.out == bytes) return;
    ASSERT_LT(std::chrono::steady_clock::now(), deadline)
        << "wl-copy never served " << type;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string WlPaste() {
  const ChildResult paste =
      RunChild({"wl-paste", "--no-newline"}, {}, kPeerTimeout);
  return paste.status == 0 ? paste.out : "<none>";
}

std::string XclipOn(const std::string& display, const std::string& authority) {
  ChildSetup setup;
  setup.env["DISPLAY"] = display;
  if (!authority.empty()) setup.env["XAUTHORITY"] = authority;
  const ChildResult paste =
      RunChild({"xclip", "-selection", "clipboard", "-o", "-t", "UTF8_STRING"},
               setup, kPeerTimeout);
  return paste.status == 0 ? paste.out : "<none>";
}

}  // namespace testing_support
}  // namespace tarnel
