#!/bin/sh
# Times the whole program, file to file in batch mode, on inputs built
# against its line sort (McIlroy's adversary, bench/gen_killer.cc) beside the
# same lines shuffled, and prints the medians and killer / shuffled. Two
# workloads: distinct keys sorted on the whole line, and pairs of equal keys
# whose lines differ sorted on field 1 as a number (-1nf). Runs of the two
# orders alternate so that a drift of the machine's speed hits both alike.
#
#   bench/killer_bench.sh [LINES] [REPEAT]
#
# LINES defaults to 1,000,000, REPEAT to 5. BUILD_DIR overrides the build
# folder (default: build-bench beside bench/).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-"$root/build-bench"}
lines=${1:-1000000}
repeat=${2:-5}

# Peak memory and wall time come from GNU time, not the shell's keyword.
. "$here/bench_tools.sh"
require_tool /usr/bin/time time

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarnel_gen_killer tarnel >/dev/null

data=$(mktemp -d "${TMPDIR:-/tmp}/tarnel-killer-XXXXXX")
trap 'rm -rf "$data"' EXIT INT TERM

# Wall seconds of one batch run without a display.
run() {
  input=$1
  output=$2
  shift 2
  env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -f "%e" \
    "$build/bin/tarnel" -a+ -f "$input" -o "$output" "$@" 2>"$data/time"
  tail -n 1 "$data/time"
}

median() {
  tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END {
    print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-28s %9s %11s %11s %8s  %s\n' workload lines "killer s" \
  "shuffled s" ratio check
for workload in distinct pairs; do
  if [ "$workload" = distinct ]; then
    name="distinct keys, whole line"
    set --
  else
    name="pairs of keys, -1nf"
    set -- -1nf
  fi
  "$build/bin/tarnel_gen_killer" "$workload" "$lines" "$data/killer.txt" \
    "$data/shuffled.txt" >"$data/generated"
  killer_times=
  shuffled_times=
  r=0
  while [ "$r" -lt "$repeat" ]; do
    killer_times="$killer_times $(run "$data/killer.txt" "$data/killer.out" "$@")"
    shuffled_times="$shuffled_times $(run "$data/shuffled.txt" "$data/shuffled.out" "$@")"
    r=$((r + 1))
  done
  # Distinct keys leave one order; equal pairs may come out either way round.
  if [ "$workload" = distinct ]; then
    cmp -s "$data/killer.out" "$data/shuffled.out" && check="same bytes" ||
      check="OUTPUTS DIFFER"
  else
    [ "$(wc -l <"$data/killer.out")" = "$(wc -l <"$data/shuffled.out")" ] &&
      check="same line count" || check="LINE COUNTS DIFFER"
  fi
  killer=$(echo "$killer_times" | median)
  shuffled=$(echo "$shuffled_times" | median)
  awk -v name="$name" -v n="$lines" -v k="$killer" -v s="$shuffled" \
    -v check="$check" 'BEGIN {
      printf "%-28s %9d %11.2f %11.2f %8.2f  %s\n", name, n, k, s,
             (s > 0 ? k / s : 0), check }'
done
