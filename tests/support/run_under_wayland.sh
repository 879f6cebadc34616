#!/bin/sh
# Runs a test program on a private Wayland compositor, so that it meets a
# real seat's selection, with wl-copy / wl-paste as other clients and xclip
# on the compositor's Xwayland.
#
#   run_under_wayland.sh sway|weston|weston-seatless|mutter PROGRAM [ARGS...]
#
# sway runs on its headless backend. weston and mutter give a seat with a
# keyboard only on a window system, so they run nested on a private Xvfb;
# weston-seatless is weston's headless backend, which has no seat at all.
# Compositors refuse to run as root: started as root (as CI is), this runs
# the compositor and the test as the unprivileged user tarnel-wl, made if
# missing. Each run has a runtime folder of its own (mode 0700). Fails
# (never skips) when a tool is missing.
#
# The test learns of the compositor from TARNEL_TEST_COMPOSITOR, and of its
# Xwayland from TARNEL_TEST_XWAYLAND_DISPLAY and TARNEL_TEST_XAUTHORITY.
set -u
if [ $# -lt 2 ]; then
  echo "usage: run_under_wayland.sh sway|weston|weston-seatless|mutter PROGRAM [ARGS...]" >&2
  exit 2
fi
compositor=$1
shift
case $compositor in
  sway) tools="sway Xwayland" ;;
  weston | weston-seatless) tools="weston Xwayland Xvfb" ;;
  mutter) tools="mutter dbus-run-session Xwayland Xvfb" ;;
  *) echo "run_under_wayland: unknown compositor '$compositor'" >&2; exit 2 ;;
esac
for tool in $tools wl-copy wl-paste xclip setpriv setsid timeout; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "run_under_wayland: '$tool' not found (install packages sway weston" \
      "mutter dbus-daemon xwayland xvfb wl-clipboard xclip util-linux)" >&2
    exit 1
  fi
done

user=tarnel-wl
as_user=""
if [ "$(id -u)" -eq 0 ]; then
  if ! id "$user" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null ||
      id "$user" >/dev/null 2>&1 || { echo "run_under_wayland: cannot make user $user" >&2; exit 1; }
  fi
  as_user="setpriv --reuid=$user --regid=$user --init-groups --"
fi

workdir=$(mktemp -d /tmp/tarnel-wayland-XXXXXX) || exit 1
chmod 755 "$workdir"
runtime=$workdir/runtime
mkdir -m 700 "$runtime" "$workdir/home" || exit 1
[ -n "$as_user" ] && chown "$user" "$runtime" "$workdir/home"
pgroups=""
cleanup() {
  for group in $pgroups; do kill -TERM "-$group" 2>/dev/null; done
  sleep 0.2
  for group in $pgroups; do kill -KILL "-$group" 2>/dev/null; done
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A process of the run in a process group of its own, so that it goes with
# everything it started.
start() {
  setsid "$@" &
  pgroups="$pgroups $!"
}

# The variables the compositor and the test see.
base_env="env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin HOME=$workdir/home
  XDG_RUNTIME_DIR=$runtime LANG=C.UTF-8 LC_ALL=C.UTF-8"

nested_display=""
if [ "$compositor" = weston ] || [ "$compositor" = mutter ]; then
  mkfifo "$workdir/displayfd" || exit 1
  # Opening the pipe waits for its reader: in the background, then.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$workdir/displayfd" 2>"$workdir/xvfb.log" &
  pgroups="$pgroups $!"
  nested_display=$(timeout 10 head -n 1 "$workdir/displayfd")
  if [ -z "$nested_display" ]; then
    echo "run_under_wayland: Xvfb did not start" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
  fi
fi

socket=wayland-tarnel
log=$workdir/compositor.log
compositor_group=""
start_compositor() {
  case $compositor in
    sway)
      # Xwayland tells its display through a command sway runs.
      printf 'exec sh -c %s\n' "'echo \"\$DISPLAY\" > $runtime/xdisplay'" \
        >"$workdir/sway.conf"
      chmod 644 "$workdir/sway.conf"
      start $as_user $base_env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman WAYLAND_DISPLAY= sway -c "$workdir/sway.conf" \
        >"$log" 2>&1
      ;;
    weston | weston-seatless)
      backend=x11-backend.so
      [ "$compositor" = weston-seatless ] && backend=headless-backend.so
      start $as_user $base_env DISPLAY=":$nested_display" weston \
        --backend=$backend --use-pixman --socket=$socket --xwayland --idle-time=0 \
        >"$log" 2>&1
      ;;
    mutter)
      start $as_user $base_env DISPLAY=":$nested_display" dbus-run-session -- \
        mutter --nested --wayland --wayland-display=$socket >"$log" 2>&1
      ;;
  esac
  compositor_group=${pgroups##* }
}

# Waits for the compositor's socket and its Xwayland's display; false when
# they do not come within ten seconds.
wait_for_compositor() {
  xdisplay=""
  xauthority=""
  tries=0
  while :; do
    wayland=""
    for name in "$runtime"/wayland-*; do
      case $name in *.lock) continue ;; esac
      [ -S "$name" ] && wayland=$(basename "$name")
    done
    case $compositor in
      sway) [ -s "$runtime/xdisplay" ] && xdisplay=$(cat "$runtime/xdisplay") ;;
      weston*) xdisplay=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log") ;;
      mutter)
        xauthority=$(ls "$runtime"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
        # Its Xwayland is the one whose authority lies in our runtime folder.
        xdisplay=$(ps -eo args= | grep -F -- "-auth $runtime/" |
          sed -n 's/^[^ ]*Xwayland \(:[0-9]*\) .*/\1/p' | head -n 1)
        ;;
    esac
    [ -n "$wayland" ] && [ -n "$xdisplay" ] && return 0
    tries=$((tries + 1))
    [ $tries -gt 100 ] && return 1
    sleep 0.1
  done
}

# An Xwayland may lose the race for a display number to an X server that
# starts at the same moment, and its compositor then goes on without one:
# such a start is tried again.
attempt=1
while :; do
  start_compositor
  wait_for_compositor && break
  if [ $attempt -ge 3 ]; then
    echo "run_under_wayland: $compositor did not start (socket '$wayland', Xwayland '$xdisplay')" >&2
    cat "$log" >&2
    exit 1
  fi
  kill -KILL "-$compositor_group" 2>/dev/null
  sleep 0.2
  rm -rf "$runtime"/wayland-* "$runtime"/xdisplay
  attempt=$((attempt + 1))
done

# The test runs as the compositor's user. A build inside a folder that user
# may not pass through (root's home) is opened to it for passing only; a
# test program it still cannot run runs as root, on the same compositor.
test_user=$as_user
case $1 in
  */*)
    if [ -n "$as_user" ] && ! $as_user test -x "$1"; then
      folder=$(cd "$(dirname "$1")" && pwd)
      while [ "$folder" != / ]; do
        [ -x "$folder" ] && ! $as_user test -x "$folder" && chmod o+x "$folder"
        folder=$(dirname "$folder")
      done
      if ! $as_user test -x "$1"; then
        echo "run_under_wayland: $user cannot run $1: the test runs as root" >&2
        test_user=""
      fi
    fi
    ;;
esac
$test_user $base_env WAYLAND_DISPLAY="$wayland" XDG_SESSION_TYPE=wayland \
  TARNEL_TEST_COMPOSITOR="$compositor" TARNEL_TEST_XWAYLAND_DISPLAY="$xdisplay" \
  TARNEL_TEST_XAUTHORITY="$xauthority" ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} \
  ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} "$@"
exit $?
