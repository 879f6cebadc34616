// Starting the background holder that keeps an X11 clipboard result alive
// after the program that wrote it has exited.
//
// The holder (tarnel-clipboard-holder) reads one message of UTF-8 text
// (clipboard_holder_protocol.h) on its standard input, makes the text the
// contents of the CLIPBOARD selection, writes kHolderOwnedReport on its
// standard output once it owns the selection, and exits as soon as another
// program takes the selection over. It runs in a session of its own and is
// nobody's child but init's.
#ifndef TARNEL_PLATFORM_CLIPBOARD_HOLDER_LAUNCHER_H_
#define TARNEL_PLATFORM_CLIPBOARD_HOLDER_LAUNCHER_H_

#include <string>
#include <string_view>

namespace tarnel {

/// File name of the holder executable, which sits beside the program.
inline constexpr char kHolderExecutableName[] = "tarnel-clipboard-holder";

/// What the holder writes once the clipboard is its own.
inline constexpr char kHolderOwnedReport[] = "owned\n";

/// Starts the holder at |holder_path| with |utf8_text| and waits a few
/// seconds at most for its report. Returns the holder's process id once it
/// owns the clipboard; 0 when it could not be started or did not report in
/// time (a holder that is late is killed), or when the text is beyond
/// kHolderTextLimit.
long StartClipboardHolder(const std::string& holder_path,
                          std::string_view utf8_text);

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_CLIPBOARD_HOLDER_LAUNCHER_H_
