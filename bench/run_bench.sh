#!/bin/sh
# Builds the benchmark in Release, generates its inputs into a temporary
# folder and races our file-to-file sort, as RunSort alone and as the whole
# program in batch mode, against GNU sort and the Rust coreutils' sort: the
# five workloads on each shape of CSV, the whole-line rounds with a copy of
# the input flushed to disk (dd) as the floor, then the whole-line sort into
# /dev/null, of 8 M lines of 10 digits and of a two-line file, and last the
# clipboard to the clipboard on a private X server (when Xvfb and xclip are
# there).
#
#   bench/run_bench.sh [LINES] [REPEAT]
#
# BUILD_DIR overrides the build folder (default: build-bench beside bench/).
# BASELINE names the tarnel program of an older build, timed in the same
# rounds as "before". SHAPES picks the CSV shapes, of "csv" (the mixed
# fields) and "prefixed" (long shared prefixes and case twins); both by
# default.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-"$root/build-bench"}
lines=${1:-2000000}
repeat=${2:-5}
shapes=${SHAPES:-csv prefixed}
peer=/usr/lib/cargo/bin/coreutils/sort

. "$here/bench_tools.sh"
require_tool sort coreutils
require_tool dd coreutils
require_tool "$peer" rust-coreutils
require_tool /usr/bin/time time
if [ -n "${BASELINE:-}" ] && [ ! -x "$BASELINE" ]; then
  echo "run_bench: BASELINE $BASELINE is not a program" >&2
  exit 2
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tarnel_gen_csv tarnel_bench_sort tarnel

data=$(mktemp -d /tmp/tarnel-bench-XXXXXX)
trap 'rm -rf "$data"' EXIT INT TERM
"$build/bin/tarnel_gen_csv" "$data/digits.txt" $((lines * 4)) --digits
short="--short $data/digits.txt"
for shape in $shapes; do
  case $shape in
    csv) option= ;;
    prefixed) option=--prefixed ;;
    *) echo "run_bench: unknown shape '$shape' (csv, prefixed)" >&2; exit 2 ;;
  esac
  echo "== shape: $shape"
  "$build/bin/tarnel_gen_csv" "$data/input.csv" "$lines" $option
  # The rows that do not depend on the shape run with the first one only.
  # shellcheck disable=SC2086
  "$build/bin/tarnel_bench_sort" "$data/input.csv" --repeat "$repeat" \
    --workdir "$data" --program "$build/bin/tarnel" --peer "$peer" $short \
    ${BASELINE:+--baseline "$BASELINE"}
  short=
  rm -f "$data/input.csv"
done
rm -f "$data/digits.txt"
sh "$here/clipboard_bench.sh" "$build/bin/tarnel" 20 "$repeat" ${BASELINE:+"$BASELINE"}
