// Starting the background holder that keeps a clipboard result alive after
// the program that wrote it has exited: on X11 (tarnel-clipboard-holder) and
// on Wayland (tarnel-wayland-clipboard-holder).
//
// The holder reads one message of UTF-8 text
// (clipboard_holder_protocol.h) on its standard input, makes the text the
// contents of the clipboard (the CLIPBOARD selection, the seat's selection),
// writes kHolderOwnedReport on its
// standard output once it owns the selection, and exits as soon as another
// program takes the selection over. It runs in a session of its own and is
// nobody's child but init's.
#ifndef TARNEL_PLATFORM_CLIPBOARD_HOLDER_LAUNCHER_H_
#define TARNEL_PLATFORM_CLIPBOARD_HOLDER_LAUNCHER_H_

#include <optional>
#include <string>
#include <string_view>

namespace tarnel {

/// File names of the holder executables, which sit beside the program.
inline constexpr char kHolderExecutableName[] = "tarnel-clipboard-holder";
inline constexpr char kWaylandHolderExecutableName[] =
    "tarnel-wayland-clipboard-holder";

/// What the holder writes once the clipboard is its own.
inline constexpr char kHolderOwnedReport[] = "owned\n";

/// Starts the holder at |holder_path| with |utf8_text| and waits a few
/// seconds at most for its report. Returns the holder's process id once it
/// owns the clipboard; 0 when it could not be started or did not report in
/// time (a holder that is late is killed), or when the text is beyond
/// kHolderTextLimit.
long StartClipboardHolder(const std::string& holder_path,
                          std::string_view utf8_text);

/// The holder's side: the text it was started with, read from standard
/// input; none once it has told standard error, as |program|, why the
/// message was refused.
std::optional<std::string> ReadHolderText(const char* program);

/// The holder's side: writes kHolderOwnedReport on standard output, then
/// lets go of standard input and output, so that nothing of the launcher
/// stays attached to it. False when the report could not be written.
bool ReportHolderOwnership();

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_CLIPBOARD_HOLDER_LAUNCHER_H_
