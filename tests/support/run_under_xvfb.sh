#!/bin/sh
# Runs a test program on a private X server, so that it meets a real
# clipboard and xclip as another client; with --window-manager, under
# openbox. Fails (never skips) when the X
# server or xclip is missing: packages xvfb and xclip.
#
# Xvfb picks a free display itself (-displayfd), so suites started in
# parallel never race for a display number. It must not reset when its last
# client leaves (-noreset): a suite connects and disconnects over and over,
# and a connection that comes during a reset is dropped.
set -u
# --window-manager: openbox manages the windows, as on a desktop.
window_manager=
if [ "${1:-}" = --window-manager ]; then
  window_manager=openbox
  shift
fi
for tool in Xvfb xclip timeout $window_manager; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run_under_xvfb: '$tool' not found (install packages xvfb xclip coreutils openbox)" >&2
    exit 1
  fi
done

workdir=$(mktemp -d /tmp/tarnel-xvfb-XXXXXX) || exit 1
mkfifo "$workdir/display" || exit 1
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset \
  3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
wm_pid=
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
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

if [ -n "$window_manager" ]; then
  # openbox's own settings, with a flat theme of its own: title bars black,
  # their buttons red and captions pure green, so that a test finds a
  # caption's pixels in a title bar by their colour alone. The layout and
  # the justification stay as openbox draws them by default.
  theme="$workdir/themes/tarnel-test/openbox-3"
  mkdir -p "$theme" || exit 1
  cat >"$theme/themerc" <<'THEME'
*.bg: flat solid
*.bg.color: #000000
*.border.color: #000000
*.image.color: #ff0000
*.text.color: #00ff00
window.label.text.justify: center
THEME
  # Title bars in an 11-point bold font, as larger desktop themes draw them.
  sed -e 's|<name>Clearlooks</name>|<name>tarnel-test</name>|' \
    -e '/<font place="\(Active\|Inactive\)Window">/,/<\/font>/ s|<size>[0-9]*</size>|<size>11</size>|' \
    /etc/xdg/openbox/rc.xml >"$workdir/rc.xml" || exit 1
  # openbox runs its start-up command once it manages the screen.
  mkfifo "$workdir/managed" || exit 1
  DISPLAY=":$display" XDG_DATA_HOME="$workdir" openbox --sm-disable \
    --config-file "$workdir/rc.xml" \
    --startup "sh -c 'echo up >$workdir/managed'" \
    >"$workdir/wm.log" 2>&1 &
  wm_pid=$!
  if [ -z "$(timeout 10 head -n 1 "$workdir/managed")" ]; then
    echo "run_under_xvfb: $window_manager did not start" >&2
    cat "$workdir/wm.log" >&2
    exit 1
  fi
fi

# The program must take the X11 clipboard even inside a Wayland session.
env -u WAYLAND_DISPLAY -u XAUTHORITY DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@"
exit $?
