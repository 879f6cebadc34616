#!/usr/bin/env bash
# Builds the fuzz targets in fuzz/ with clang under libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, replays every committed corpus file as a
# CTest test, then runs each target for a bounded time from its corpus.
#
#   scripts/fuzz.sh                  all targets, FUZZ_SECONDS (60) each
#   FUZZ_SECONDS=0 scripts/fuzz.sh   build and replay only
#   scripts/fuzz.sh run_sort ...     only the targets named
#
# What a run finds new is kept in build/fuzz/work/<target>/ and never
# written into fuzz/corpus/; an input that breaks a check or a sanitizer is
# saved in build/fuzz/findings/<target>/ and makes the script fail. Copy it
# into fuzz/corpus/<target>/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh fuzz

seconds=${FUZZ_SECONDS:-60}
jobs=$(nproc)
build=build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(keyed_sort run_sort command_line parse_int help_file holder_protocol)
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNEL_FUZZ=ON -DTARNEL_UI=none \
  -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=OFF -DTARNEL_WERROR=ON
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" -j"$jobs" -L fuzz --output-on-failure

[ "$seconds" -gt 0 ] || exit 0

# Long lines and fields need more than libFuzzer's default of 4096 bytes.
max_len() {
  case "$1" in
    run_sort | keyed_sort | help_file) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

failed=()
summary=()
for target in "${targets[@]}"; do
  work="$build/work/$target"
  findings="$build/findings/$target"
  mkdir -p "$work" "$findings"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
           -max_len="$(max_len "$target")" -print_final_stats=1
           -artifact_prefix="$findings/")
  if [ -f "fuzz/$target.dict" ]; then options+=(-dict="fuzz/$target.dict"); fi
  log="$build/fuzz-$target.log"
  echo "== fuzzing $target for ${seconds}s"
  if ! "$build/bin/fuzz_$target" "${options[@]}" "$work" "fuzz/corpus/$target" \
      >"$log" 2>&1; then
    failed+=("$target")
    tail -n 40 "$log"
  fi
  done_line=$(grep -a 'DONE' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$done_line")
  ft=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$done_line")
  corp=$(sed -n 's/.*corp: \([0-9]*\/[0-9]*[a-zA-Z]*\).*/\1/p' <<<"$done_line")
  runs=$(sed -n 's/^stat::number_of_executed_units: //p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: //p' "$log" | tail -n 1)
  summary+=("$(printf '%-16s %10s runs %8s exec/s  cov %5s  ft %6s  corpus %s' \
    "$target" "${runs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}")")
done

echo "== fuzzing summary (${seconds}s per target)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
