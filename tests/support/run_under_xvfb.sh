#!/bin/sh
# Runs a test program on a private X server, so that it meets a real
# clipboard and xclip as another client. Fails (never skips) when the X
# server or xclip is missing: packages xvfb and xclip.
#
# Xvfb picks a free display itself (-displayfd), so suites started in
# parallel never race for a display number. It must not reset when its last
# client leaves (-noreset): a suite connects and disconnects over and over,
# and a connection that comes during a reset is dropped.
set -u
for tool in Xvfb xclip timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run_under_xvfb: '$tool' not found (install packages xvfb xclip coreutils)" >&2
    exit 1
  fi
done

workdir=$(mktemp -d /tmp/tarnel-xvfb-XXXXXX) || exit 1
mkfifo "$workdir/display" || exit 1
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset \
  3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
cleanup() {
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Xvfb writes its display number once it accepts connections. Reading the
# pipe waits for exactly that; it ends early if Xvfb exits without writing,
# and gives up after ten seconds if Xvfb hangs.
display=$(timeout 10 head -n 1 "$workdir/display")
if [ -z "$display" ]; then
  echo "run_under_xvfb: Xvfb did not start" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi

# The program must take the X11 clipboard even inside a Wayland session.
env -u WAYLAND_DISPLAY -u XAUTHORITY DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@"
exit $?
