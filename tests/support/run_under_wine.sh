#!/usr/bin/env bash
# run_under_wine.sh [--keeper KEEPER.exe] [--private] PROGRAM [ARGS...]
#
# Runs PROGRAM in a private, throw-away Wine session, as the Japanese
# Windows TARNEL's users have: code page 932, a desktop and a clipboard.
#   * a private Xvfb on a free display (Xvfb -displayfd), DISPLAY set;
#   * a private WINEPREFIX, cloned with hard links from a template prefix
#     that is made once per Wine build and cached;
#   * LANG=ja_JP.UTF-8 and every LC_* unset, which makes Wine pick code
#     page 932. Wine silently falls back to 1252 when glibc lacks that
#     locale, so it is compiled into the cache when missing (package
#     locales), without touching the system's locales.
# PROGRAM ending in .exe runs through Wine; anything else runs as a host
# command in the same session (it finds WINE, WINESERVER, DISPLAY and
# WINEPREFIX exported): ctest, or a script that drives xclip and an .exe.
# Called from inside a session (as CTest's emulator under
# `run_under_wine.sh ctest ...`), it runs PROGRAM in that session, unless
# --private asks for a session of its own.
#
# --keeper KEEPER.exe: a Windows program kept running for the whole
# session. It must print a line once it is on the desktop, then wait.
# Wine's desktop (and with it the clipboard's bridge to X) then stays up as
# it does on Windows, instead of closing about a second after the last
# Windows process has ended and taking the clipboard's contents along.
#
# Exit status: PROGRAM's own, 124 on timeout, 125 when the session could
# not be set up, 139 when a Windows program crashed (Wine itself says 0).
# Every wait is bounded; the session is cleaned up on exit.
#
#   TARNEL_WINE_TIMEOUT  seconds PROGRAM may run (default 600)
#   TARNEL_WINE_CACHE    the cache (default ~/.cache/tarnel-wine)
#   TARNEL_WINE_VERBOSE=1  the time each step took, on standard error
set -uo pipefail

keeper=
private=0
while [[ ${1:-} == --* ]]; do
  case $1 in
    --keeper) keeper=${2:?--keeper needs a program}; shift ;;
    --private) private=1 ;;
    --) shift; break ;;
    *) echo "run_under_wine: unknown option $1" >&2; exit 125 ;;
  esac
  shift
done
if [[ $# -lt 1 ]]; then
  echo "usage: $0 [--keeper KEEPER.exe] [--private] PROGRAM [ARGS...]" >&2
  exit 125
fi

timeout_s=${TARNEL_WINE_TIMEOUT:-600}
cache=${TARNEL_WINE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnel-wine}
verbose=${TARNEL_WINE_VERBOSE:-0}
want_lang=ja_JP.UTF-8

WINE=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
WINESERVER=${WINESERVER:-$(dirname "$(readlink -f "$WINE")")/wineserver}
[[ -x $WINE ]] || { echo "run_under_wine: no Wine ($WINE): install wine64" >&2; exit 125; }
[[ -x $WINESERVER ]] || WINESERVER=$(command -v wineserver || true)
export WINE WINESERVER

# Wine ends a Windows program that crashed with status 0 once the debugger
# has printed its backtrace; the backtrace's first line tells the crash.
# Standard error goes through a file, not a pipe: Wine's server inherits
# it and would hold a pipe open long after the program.
crash_status=139
run() {  # PROGRAM [ARGS...], bounded; the .exe through Wine
  if [[ $1 == *.exe || $1 == *.EXE ]]; then
    local errors rc
    errors=$(mktemp "${TMPDIR:-/tmp}/run_under_wine.XXXXXX") || return 125
    timeout -k 5 "$timeout_s" "$WINE" "$@" 2>"$errors"
    rc=$?
    cat "$errors" >&2
    if [[ $rc == 0 ]] && grep -q '^wine: Unhandled' "$errors"; then
      echo "run_under_wine: $1 crashed" >&2
      rc=$crash_status
    fi
    rm -f "$errors"
    return "$rc"
  else
    timeout -k 5 "$timeout_s" "$@"
  fi
}

# Inside a session already: a new one would cost a second or two.
if [[ $private == 0 && -n ${TARNEL_WINE_SESSION:-} &&
      ${TARNEL_WINE_SESSION} == "${WINEPREFIX:-}" && -d ${WINEPREFIX:-/nonexistent} ]]; then
  run "$@"
  exit $?
fi

for tool in Xvfb timeout flock; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "run_under_wine: '$tool' not found (packages xvfb coreutils util-linux)" >&2; exit 125; }
done

t0=$(date +%s%N)
log() {
  [[ $verbose == 1 ]] &&
    printf 'run_under_wine: %6d ms  %s\n' $((($(date +%s%N) - t0) / 1000000)) "$*" >&2
  return 0
}
die() { echo "run_under_wine: $*" >&2; exit 125; }

# Polls CONDITION (shell code) every 50 ms until it holds or SECONDS pass.
wait_until() {
  local seconds=$1 cond=$2 deadline
  deadline=$(($(date +%s%N) + seconds * 1000000000))
  until eval "$cond"; do
    (($(date +%s%N) < deadline)) || return 1
    sleep 0.05
  done
}

mkdir -p "$cache" || die "cannot create $cache"
# Beside the template, so that the clone's hard links never cross file
# systems (a /tmp on tmpfs, say).
tmp=$(mktemp -d "$cache/session.XXXXXX") || die "mktemp failed"
xvfb_pid=
cleanup() {
  local rc=$?
  if [[ -d $tmp/prefix ]]; then
    WINEPREFIX=$tmp/prefix timeout 10 "$WINESERVER" -k 2>/dev/null
    WINEPREFIX=$tmp/prefix timeout 10 "$WINESERVER" -w 2>/dev/null
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null
    wait_until 5 '! kill -0 $xvfb_pid 2>/dev/null' || kill -9 "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$tmp"
  log "cleaned up"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- locale -------------------------------------------------------------------
unset LC_ALL LC_CTYPE LC_MESSAGES LC_COLLATE LC_NUMERIC LC_TIME LC_MONETARY \
  LC_PAPER LC_NAME LC_ADDRESS LC_TELEPHONE LC_MEASUREMENT LC_IDENTIFICATION \
  LANGUAGE
has_locale() { [[ $(LC_ALL=$1 locale charmap 2>/dev/null) == UTF-8 ]]; }
if ! has_locale "$want_lang"; then
  locdir=$cache/locale
  if ! LOCPATH=$locdir has_locale "$want_lang"; then
    [[ -r /usr/share/i18n/locales/${want_lang%%.*} ]] ||
      die "glibc has no $want_lang and cannot make one: install locales"
    mkdir -p "$locdir"
    # Suites started in parallel make it once.
    (flock -w 60 9 || exit 1
     LOCPATH=$locdir has_locale "$want_lang" ||
       localedef -i "${want_lang%%.*}" -c -f UTF-8 "$locdir/$want_lang"
    ) 9>"$cache/locale.lock" || die "localedef failed"
  fi
  export LOCPATH=$locdir
  log "using $want_lang from $locdir"
fi
export LANG=$want_lang

# --- a quiet Wine that never asks anything ------------------------------------
export WINEDEBUG=-all
# No Mono or Gecko installers, no menu entries in the host's $HOME.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# --- private X server ---------------------------------------------------------
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 \
  3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_until 10 '[[ -s $tmp/display ]] || ! kill -0 $xvfb_pid 2>/dev/null'
[[ -s $tmp/display ]] || { cat "$tmp/xvfb.log" >&2; die "Xvfb did not start"; }
export DISPLAY=:$(head -n1 "$tmp/display")
unset WAYLAND_DISPLAY XAUTHORITY
log "Xvfb on $DISPLAY"

# --- private prefix -----------------------------------------------------------
init_prefix() {  # DIR
  WINEPREFIX=$1 DISPLAY= timeout 180 "$WINE" wineboot -i >"$tmp/wineboot.log" 2>&1 ||
    { cat "$tmp/wineboot.log" >&2; return 1; }
  # ShowCrashDialog=0: a crash prints a backtrace and ends the program
  # instead of waiting on a dialog until the timeout.
  # Managed=N: without a window manager, Wine waits two seconds for one
  # each time it hides a managed window (every message box).
  # The font replacement: Wine has no "ＭＳ Ｐゴシック" and otherwise takes a
  # fixed-width font for it, too wide for the labels (クリップボード);
  # IPAPGothic is proportional, as the original is. The file is UTF-16, as
  # regedit writes it, for the name's sake.
  { printf '\xff\xfe'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
      '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"ＭＳ Ｐゴシック"="IPAPGothic"' '' | iconv -f UTF-8 -t UTF-16LE
  } >"$tmp/settings.reg"
  WINEPREFIX=$1 DISPLAY= timeout 60 "$WINE" reg import "Z:${tmp//\//\\}\\settings.reg" \
    >>"$tmp/wineboot.log" 2>&1 || { cat "$tmp/wineboot.log" >&2; return 1; }
  # The server writes the registry as it exits; a template must be whole.
  WINEPREFIX=$1 timeout 60 "$WINESERVER" -w
}
# A template belongs to one Wine build: an upgraded Wine never updates a
# tree that clones share through hard links.
key=$( { echo 2; "$WINE" --version; stat -c '%Y %s' /usr/share/wine/wine.inf 2>/dev/null; } |
       md5sum | cut -c1-12)
template=$cache/prefix-$key
(flock -w 300 9 || exit 1
 if [[ ! -f $template/.complete ]]; then
   for old in "$cache"/prefix-*; do [[ $old == "$template" ]] || rm -rf "$old"; done
   rm -rf "$template.new"
   init_prefix "$template.new" && touch "$template.new/.complete" &&
     mv "$template.new" "$template"
 fi) 9>"$cache/prefix.lock" || die "cannot make the template prefix"
log "template ready"
export WINEPREFIX=$tmp/prefix
# Hard links for the big tree Wine only reads, copies of what it rewrites.
(flock -s -w 60 9 || exit 1
 cp -al "$template" "$WINEPREFIX" &&
 for f in system.reg user.reg userdef.reg .update-timestamp; do
   cp --remove-destination "$template/$f" "$WINEPREFIX/$f" || exit 1
 done) 9>"$cache/prefix.lock" || die "cannot clone $template"
rm -f "$WINEPREFIX/.complete"
log "prefix cloned"

# --- the keeper -----------------------------------------------------------------
if [[ -n $keeper ]]; then
  "$WINE" "$keeper" </dev/null >"$tmp/keeper.log" 2>&1 &
  wait_until 30 '[[ -s $tmp/keeper.log ]]' ||
    { cat "$tmp/keeper.log" >&2; die "the keeper did not start"; }
  log "keeper running"
fi

# --- the program ----------------------------------------------------------------
export TARNEL_WINE_SESSION=$WINEPREFIX
run "$@"
rc=$?
log "program exited with $rc"
exit "$rc"
