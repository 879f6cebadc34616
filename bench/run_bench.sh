#!/bin/sh
# Builds the benchmark in Release, generates its inputs into a temporary
# folder and races our file-to-file sort, as RunSort alone and as the whole
# program in batch mode, against GNU sort: the five workloads on the CSV,
# then the whole-line sort into /dev/null, of 8 M lines of 10 digits and of
# a two-line file, and last the clipboard to the clipboard on a private X
# server (when Xvfb and xclip are there).
#
#   bench/run_bench.sh [LINES] [REPEAT]
#
# BUILD_DIR overrides the build folder (default: build-bench beside bench/).
# BASELINE names the tarnel program of an older build, timed in the same
# rounds as "before".
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-"$root/build-bench"}
lines=${1:-2000000}
repeat=${2:-5}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarnel_gen_csv tarnel_bench_sort tarnel

data=$(mktemp -d /tmp/tarnel-bench-XXXXXX)
trap 'rm -rf "$data"' EXIT INT TERM
"$build/bin/tarnel_gen_csv" "$data/input.csv" "$lines"
"$build/bin/tarnel_gen_csv" "$data/digits.txt" $((lines * 4)) --digits
"$build/bin/tarnel_bench_sort" "$data/input.csv" --repeat "$repeat" \
  --workdir "$data" --program "$build/bin/tarnel" --short "$data/digits.txt" \
  ${BASELINE:+--baseline "$BASELINE"}
rm -f "$data/input.csv" "$data/digits.txt"
sh "$here/clipboard_bench.sh" "$build/bin/tarnel" 20 "$repeat" ${BASELINE:+"$BASELINE"}
