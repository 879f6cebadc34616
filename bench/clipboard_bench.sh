#!/bin/sh
# Times a whole-line sort from the clipboard to the clipboard, with another
# program putting the text on the clipboard before each run and reading the
# result back after it: on a private X server with xclip, then on a private
# headless sway with wl-copy / wl-paste (started through
# tests/support/run_under_wayland.sh, as an ordinary user when run as
# root). Prints the median wall time and the largest peak memory of the
# program (the holder process that keeps the result pastable afterwards is
# not counted).
#
#   bench/clipboard_bench.sh PROGRAM [MB] [REPEAT] [BASELINE_PROGRAM]
#
# Needs Xvfb, xclip and GNU time; sway and wl-clipboard for the Wayland
# row. The text is the first MB megabytes (default 20) of the generated CSV,
# cut at a line end.
set -eu

on=x11
if [ "${1:-}" = --on-wayland ]; then
  on=wayland
  shift
fi
program=$1
megabytes=${2:-20}
repeat=${3:-5}
baseline=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
gen=$(dirname "$program")/tarnel_gen_csv

# GNU time measures the runs: without it there is nothing to report.
. "$here/bench_tools.sh"
require_tool /usr/bin/time time
tools="Xvfb xclip"
[ "$on" = wayland ] && tools="wl-copy wl-paste"
for tool in $tools; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "clipboard row on $on skipped: $tool is missing"
    exit 0
  fi
done

data=$(mktemp -d "${TMPDIR:-/tmp}/tarnel-clip-XXXXXX")
if [ "$on" = x11 ]; then
  display=:$((90 + $$ % 400))
  Xvfb "$display" -screen 0 640x480x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  server=$!
  cleanup() {
    # The holder serves the last result until another program takes over.
    DISPLAY=$display xclip -selection clipboard -i </dev/null 2>/dev/null || true
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    rm -rf "$data"
  }
  trap cleanup EXIT INT TERM
  export DISPLAY="$display"
  unset WAYLAND_DISPLAY
  tries=0
  until xclip -selection clipboard -o >/dev/null 2>&1 ||
    echo probe | xclip -selection clipboard -i 2>/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -lt 50 ] || { echo "Xvfb did not start"; exit 1; }
    sleep 0.1
  done
else
  # The compositor, and the holder with it, ends with run_under_wayland.sh.
  trap 'rm -rf "$data"' EXIT INT TERM
  unset DISPLAY
fi

# The text onto the clipboard, and the clipboard's text out, by the other
# program. wl-copy's foreground part ends before the compositor has its
# text: it is there once the types list its STRING, which our holder does
# not offer.
put_text() {
  if [ "$on" = x11 ]; then
    xclip -selection clipboard -i <"$1"
  else
    wl-copy <"$1"
    tries=0
    until wl-paste --list-types 2>/dev/null | grep -qx STRING; do
      tries=$((tries + 1))
      [ "$tries" -lt 500 ] || { echo "wl-copy did not serve"; exit 1; }
      sleep 0.01
    done
  fi
}
get_text() {
  if [ "$on" = x11 ]; then
    xclip -selection clipboard -o
  else
    wl-paste --no-newline
  fi
}

"$gen" "$data/all.csv" $((megabytes * 30000)) >/dev/null
head -c $((megabytes * 1000000)) "$data/all.csv" | sed '$d' >"$data/in.txt"
bytes=$(stat -c %s "$data/in.txt")
LC_ALL=C sort "$data/in.txt" | sed 's/$/\r/' >"$data/expected"

median() {
  tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END {
    print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One run: the text onto the clipboard, the sort, the result read back.
# Prints "seconds peak_kB check"; the check is FAILED when the program did
# not exit with 0 (time then puts a line of its own before the figures).
one_run() {
  put_text "$data/in.txt"
  status=0
  LC_ALL=C.UTF-8 /usr/bin/time -f "%e %M" -o "$data/time" "$1" -a+ \
    2>"$data/stderr" || status=$?
  get_text >"$data/out" 2>/dev/null || true
  if [ "$status" -ne 0 ]; then
    check=FAILED
  elif cmp -s "$data/out" "$data/expected"; then
    check=same
  else
    check=DIFFERS
  fi
  echo "$(tail -n 1 "$data/time") $check"
}

times_a=
peak_a=0
check_a=same
times_b=
peak_b=0
check_b=same
r=0
while [ "$r" -lt "$repeat" ]; do
  set -- $(one_run "$program")
  times_a="$times_a $1"
  [ "$2" -gt "$peak_a" ] && peak_a=$2
  [ "$3" = same ] || check_a=$3
  if [ -n "$baseline" ]; then
    set -- $(one_run "$baseline")
    times_b="$times_b $1"
    [ "$2" -gt "$peak_b" ] && peak_b=$2
    [ "$3" = same ] || check_b=$3
  fi
  r=$((r + 1))
done
if [ "$on" = x11 ]; then
  printf '%-20s %-8s %9s %9s %10s %9s  %s\n' workload ours "ours s" "text MB" \
    "ours peak" "x text" check
fi
print_row() {
  awk -v w="clipboard-$on" -v who="$1" -v s="$2" -v k="$3" -v b="$bytes" \
    -v c="$4" 'BEGIN { printf "%-20s %-8s %9.3f %9.1f %8.1fMB %9.2f  %s\n",
      w, who, s, b / 1e6, k * 1024 / 1e6, k * 1024 / b, c }'
}
print_row program "$(echo "$times_a" | median)" "$peak_a" "$check_a"
if [ -n "$baseline" ]; then
  print_row before "$(echo "$times_b" | median)" "$peak_b" "$check_b"
fi
if [ "$on" = x11 ]; then
  root=$(dirname "$here")
  if command -v sway >/dev/null 2>&1; then
    # Everything the ordinary user needs must be readable by it.
    sh "$root/tests/support/run_under_wayland.sh" sway sh "$here/clipboard_bench.sh" \
      --on-wayland "$program" "$megabytes" "$repeat" ${baseline:+"$baseline"} ||
      echo "clipboard row on wayland failed"
  else
    echo "clipboard row on wayland skipped: sway is missing"
  fi
fi
