#!/usr/bin/env bash
# Installs what is missing, builds TARNEL twice (a release build and one under
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test in each,
# then builds TARNEL.EXE and everything below it for Windows and runs their
# tests under Wine,
# and last builds the fuzz targets, replays their corpora and fuzzes each a
# while.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh linux windows fuzz

jobs=$(nproc)

# Every GoogleTest case reports into a folder per build, so that the end of
# the run can say which cases were skipped and why: CTest counts a suite
# whose cases skipped as passed.
reports=$(mktemp -d "${TMPDIR:-/tmp}/tarnel-test-reports-XXXXXX")
mkdir -p "$reports/release" "$reports/sanitize" "$reports/windows"
summary() {
  python3 tests/support/skipped_cases.py \
    "$reports/release" "$reports/sanitize" "$reports/windows"
  rm -rf "$reports"
}
trap summary EXIT

# The same configuration as scripts/run.sh, which builds a part of this one.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEL_WERROR=ON
cmake --build build/release -j"$jobs"
GTEST_OUTPUT="xml:$reports/release/" \
  ctest --test-dir build/release -j"$jobs" --output-on-failure

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTARNEL_SANITIZE=ON -DTARNEL_BUILD_BENCH=OFF -DTARNEL_WERROR=ON
cmake --build build/sanitize -j"$jobs"
GTEST_OUTPUT="xml:$reports/sanitize/" \
  ctest --test-dir build/sanitize -j"$jobs" --output-on-failure

# Wine hands the variable on; Windows reads the folder as Z:\...
GTEST_OUTPUT="xml:Z:${reports//\//\\}\\windows\\" bash scripts/test-windows.sh

bash scripts/fuzz.sh
