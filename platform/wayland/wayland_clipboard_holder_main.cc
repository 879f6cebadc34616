// tarnel-wayland-clipboard-holder: keeps a result on the Wayland clipboard
// after the program that produced it has exited, the way wl-copy does. It
// reads one message (clipboard_holder_protocol.h) on standard input, makes
// the text the seat's selection, reports on standard output once the
// compositor has confirmed it, and serves the text until another client
// takes the selection over; then it exits. A message it refuses ends it with
// status 1 and a line on standard error, before it needs the compositor.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "platform/clipboard_holder_launcher.h"
#include "platform/clipboard_holder_protocol.h"
#include "platform/wayland/wayland_selection.h"

namespace {

// Longest wait for the compositor to confirm the selection; the launcher
// waits a little longer for our report.
constexpr std::chrono::seconds kConfirmTimeout{4};

}  // namespace

int main(int, char** argv) {
  // A reader that leaves before it has the whole text must not end us.
  ::signal(SIGPIPE, SIG_IGN);
  const std::optional<std::string> held = tarnel::ReadHolderText(argv[0]);
  if (!held) return 1;
  const std::string& text = *held;

  const auto session = tarnel::WaylandSession::Connect();
  if (!session) {
    std::fprintf(stderr, "%s: cannot reach the compositor\n", argv[0]);
    return 1;
  }
  if (!session->TakeSelection(text, kConfirmTimeout) ||
      !tarnel::ReportHolderOwnership()) {
    return 1;
  }
  session->ServeUntilReplaced();
  return 0;
}
