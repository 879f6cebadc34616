#!/bin/sh
# Builds the benchmark in Release, generates its input into a temporary
# folder and races our file-to-file sort, as RunSort alone and as the whole
# program in batch mode, against GNU sort.
#
#   bench/run_bench.sh [LINES] [REPEAT]
#
# BUILD_DIR overrides the build folder (default: build-bench beside bench/).
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
"$build/bin/tarnel_bench_sort" "$data/input.csv" --repeat "$repeat" \
  --workdir "$data" --program "$build/bin/tarnel"
