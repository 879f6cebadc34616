// tarnel-clipboard-holder: keeps a result on the X11 clipboard after the
// program that produced it has exited, the way xclip does. It reads one
// message (clipboard_holder_protocol.h) on standard input, takes the
// CLIPBOARD selection, reports on standard output, and serves the text until
// another program takes the selection over; then it exits. A message it
// refuses ends it with status 1 and a line on standard error, before it
// needs a display.
//
// It speaks to the X server directly: it starts in a few milliseconds, and
// the program waits for its report.
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "platform/clipboard_holder_launcher.h"
#include "platform/clipboard_holder_protocol.h"
#include "platform/x11/x11_selection.h"

int main(int, char** argv) {
  const std::optional<std::string> held = tarnel::ReadHolderText(argv[0]);
  if (!held) return 1;
  const std::string& text = *held;

  const auto session = tarnel::X11Session::Connect();
  if (!session) {
    std::fprintf(stderr, "%s: cannot reach the X display\n", argv[0]);
    return 1;
  }
  const xcb_timestamp_t acquired = session->ServerTime();
  if (!tarnel::TakeSelection(*session, acquired) ||
      !tarnel::ReportHolderOwnership()) {
    return 1;
  }
  tarnel::ServeSelection(*session, text, acquired);
  return 0;
}
