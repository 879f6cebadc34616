#!/bin/sh
# How the batch run grows with the input: sorts generated CSVs of 0.5 M, 2 M,
# 8 M and 32 M lines on the whole line, file to file, with the built program,
# and prints the wall time, the peak memory and time / (n log2 n). With
# --huge it also sorts a generated input of 4 GiB and checks the order.
#
#   bench/scale.sh [--huge]
#
# BUILD_DIR names a Release build folder with bin/tarnel and
# bin/tarnel_gen_csv (default: build-bench beside bench/).
set -eu

huge=${1:-}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-"$root/build-bench"}
# Peak memory and wall time come from GNU time, not the shell's keyword.
. "$here/bench_tools.sh"
require_tool /usr/bin/time time
if [ ! -x "$build/bin/tarnel" ] || [ ! -x "$build/bin/tarnel_gen_csv" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTARNEL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target tarnel tarnel_gen_csv >/dev/null
fi

data=$(mktemp -d "${TMPDIR:-/tmp}/tarnel-scale-XXXXXX")
trap 'rm -rf "$data"' EXIT INT TERM

# A batch run without a display; its boxes go to standard error.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -f "%e %M" \
    "$build/bin/tarnel" -a+ -f "$1" -o "$2" 2>"$data/time"
  tail -n 1 "$data/time"
}

printf '%10s %10s %9s %11s %12s\n' lines MB seconds "peak MB" "ns/(n log n)"
for lines in 500000 2000000 8000000 32000000; do
  "$build/bin/tarnel_gen_csv" "$data/in.csv" "$lines" >/dev/null
  bytes=$(stat -c %s "$data/in.csv")
  set -- $(run "$data/in.csv" "$data/out.csv")
  awk -v n="$lines" -v b="$bytes" -v s="$1" -v k="$2" 'BEGIN {
    printf "%10d %10.1f %9.2f %11.1f %12.2f\n", n, b / 1e6, s, k / 1024,
           s * 1e9 / (n * log(n) / log(2)) }'
done

if [ "$huge" = "--huge" ]; then
  # 4 GiB of the same kind of lines, about 105 million of them.
  lines=105000000
  "$build/bin/tarnel_gen_csv" "$data/in.csv" "$lines" >/dev/null
  bytes=$(stat -c %s "$data/in.csv")
  set -- $(run "$data/in.csv" "$data/out.csv")
  printf '4 GiB input: %d lines, %.2f GiB, %.1f s, peak %.2f GiB\n' \
    "$lines" "$(echo "$bytes / 1073741824" | bc -l)" "$1" \
    "$(echo "$2 / 1048576" | bc -l)"
  rm -f "$data/in.csv.sorted"
  if tr -d '\r' <"$data/out.csv" | LC_ALL=C sort -c; then
    out_lines=$(wc -l <"$data/out.csv")
    echo "order checked: $out_lines lines, ascending byte order"
  else
    echo "ORDER WRONG"
    exit 1
  fi
fi
