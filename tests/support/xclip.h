// xclip as the other program on the X clipboard, for the suites that run
// on an X server (run_under_xvfb.sh gives them a private one): it puts text
// on the clipboard as a user's editor would, and reads back what is there.
// POSIX only.
#ifndef TARNEL_TESTS_SUPPORT_XCLIP_H_
#define TARNEL_TESTS_SUPPORT_XCLIP_H_

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace tarnel {
namespace testing_support {

/// What a text is offered as, unless a test names another target.
inline constexpr char kUtf8Target[] = "UTF8_STRING";

/// How long one xclip run, and a wait for xclip to serve, may take.
inline constexpr std::chrono::milliseconds kXclipTimeout =
    std::chrono::seconds(10);

/// Runs xclip on the clipboard selection with |arguments|, |input| on its
/// standard input, and waits for it (kXclipTimeout at most).
ChildResult Xclip(const std::vector<std::string>& arguments,
                  std::optional<std::string> input = std::nullopt);

/// The clipboard's contents as |target|, as xclip reads them; empty when
/// there are none.
std::string XclipOut(const char* target = kUtf8Target);

/// Makes |bytes| the clipboard's contents as |target|, served by xclip from
/// the background until another program takes the clipboard. xclip's
/// foreground part may end before its background part has taken the
/// clipboard: this returns once it serves |bytes|, and fails the current
/// test when it does not within kXclipTimeout.
void PutOnClipboard(const std::string& bytes, const char* target = kUtf8Target);

/// xclip holding |bytes| on the clipboard as |target| as a child of the
/// test, which can then see it end once another program takes the
/// clipboard. Destroying it ends it.
class XclipOwner {
 public:
  explicit XclipOwner(const std::string& bytes,
                      const char* target = kUtf8Target);

  /// Waits up to |timeout| for xclip to end; its wait status, or none
  /// while it still holds the clipboard.
  std::optional<int> Wait(std::chrono::milliseconds timeout) {
    return child_.Wait(timeout);
  }

 private:
  BackgroundChild child_;
};

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_XCLIP_H_
