#!/usr/bin/env bash
# win32_clipboard_xclip_test.sh CLIPBOARD_PROBE.exe
#
# The Windows clipboard against an independent peer: Wine bridges it to the
# X server's CLIPBOARD selection, converting between UTF-8 and code page
# 932, and xclip (a plain X program) plays the other application. Runs in a
# session of run_under_wine.sh with its keeper, which keeps Wine's desktop
# (and with it what is on the clipboard) up between Windows programs, as
# Windows does. Every wait is a poll with a deadline.
set -uo pipefail
probe=${1:?usage: $0 CLIPBOARD_PROBE.exe}
: "${WINE:?run me through run_under_wine.sh}" "${DISPLAY:?no X display}"
command -v xclip >/dev/null || { echo "xclip not found (package xclip)" >&2; exit 1; }

# shellcheck source=../../support/checks.sh
source "$(dirname "$0")/../../support/checks.sh"
# What a Windows program sees, "82 a2 ..." (msvcrt ends lines with CR LF).
probe_read() { "$WINE" "$probe" read 2>"$work/read.err" | tr -d '\r'; }
probe_reads() { [[ $(probe_read) == "$1" ]]; }
probe_reads_no_text() {
  ! probe_read >/dev/null &&
    [[ $(tr -d '\r' <"$work/read.err") == "TARNEL-ERROR: No Text in ClipBoard!" ]]
}
# The copy of itself that xclip leaves serving the selection must hold no
# output of ours open (CTest would wait for it), nor talk when the X server
# goes at the end.
xclip_put() { timeout 5 xclip -selection clipboard -i "$@" >/dev/null 2>&1; }
xclip_hex() {
  timeout 5 xclip -o -selection clipboard 2>/dev/null | od -An -tx1 -v |
    tr -s ' \n' ' ' | sed 's/^ //;s/ $//'
}
xclip_shows() { [[ $(xclip_hex) == "$1" ]]; }
is() { [[ $1 == "$2" ]] || { echo "  got '$1', want '$2'"; return 1; }; }

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

# 1. Text another program put there in UTF-8 arrives as Shift-JIS, its LF
#    as CR LF.
printf 'いろは\n' | xclip_put
check "xclip's いろは reads as its Shift-JIS bytes" \
  within 5000 probe_reads "82 a2 82 eb 82 cd 0d 0a"

# 2. A sorted result stays readable by others after the Windows program
#    has ended. Ａ (82 60) sorts before あ (82 A0) in Shift-JIS but after it
#    in UTF-8: the order shows which bytes were sorted.
printf 'あ\nＡ\nz\n' | xclip_put
check "the unsorted lines have arrived" \
  within 5000 probe_reads "82 a0 0d 0a 82 60 0d 0a 7a 0d 0a"
sort_err=$("$WINE" "$probe" sort 0 2>&1 >/dev/null | tr -d '\r')
sort_status=$?
check "the clipboard sort finished" is "$sort_status:$sort_err" "0:TARNEL: Finish!"
check "xclip reads the sorted lines in UTF-8 after the program ended" \
  within 5000 xclip_shows "$(printf 'z\nＡ\nあ\n' | od -An -tx1 -v | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')"

# 3. A picture and no text: the run says so and leaves the picture.
# A 4x4 red PNG.
printf '%b' \
  '\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00' \
  '\x00\x04\x00\x00\x00\x04\x08\x02\x00\x00\x00\x26\x93\x09\x29\x00\x00\x00' \
  '\x10\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf\xc0\x00\x47\x0c\xc4\x71\x00\xae' \
  '\x93\x0f\xf1\xd0\x5f\x23\x9e\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60' \
  '\x82' >"$work/red.png"
xclip_put -t image/png "$work/red.png"
check "a picture-only clipboard has no text" within 5000 probe_reads_no_text
sort_err=$("$WINE" "$probe" sort 0 2>&1 >/dev/null | tr -d '\r')
sort_status=$?
check "a sort of it ends with that box alone" \
  is "$sort_status:$sort_err" "1:TARNEL-ERROR: No Text in ClipBoard!"
check "the picture is still there" \
  bash -c 'timeout 5 xclip -o -selection clipboard -t TARGETS | grep -qx image/png'

echo "$passed passed, $failed failed"
((failed == 0))
