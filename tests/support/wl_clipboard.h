// wl-copy and wl-paste as the other clients on the Wayland clipboard, for
// the suites that run on a compositor (run_under_wayland.sh starts one), and
// xclip on that compositor's Xwayland. POSIX only.
#ifndef TARNEL_TESTS_SUPPORT_WL_CLIPBOARD_H_
#define TARNEL_TESTS_SUPPORT_WL_CLIPBOARD_H_

#include <string>

namespace tarnel {
namespace testing_support {

/// What a text is offered as, unless a test names another type.
inline constexpr char kUtf8Type[] = "text/plain;charset=utf-8";

/// Makes |bytes| the selection as |type|, served by wl-copy from the
/// background until another client takes the selection over. Returns once
/// wl-paste reads |bytes| as |type|; fails the current test when it does
/// not in time.
void WlCopy(const std::string& bytes, const char* type = kUtf8Type);

/// The selection's text as wl-paste reads it; "<none>" when it has none.
std::string WlPaste();

/// The clipboard's text as xclip reads it on the X display |display| (with
/// the authority file |authority|, when not empty); "<none>" when it has
/// none.
std::string XclipOn(const std::string& display, const std::string& authority);

}  // namespace testing_support
}  // namespace tarnel

#endif  // TARNEL_TESTS_SUPPORT_WL_CLIPBOARD_H_
