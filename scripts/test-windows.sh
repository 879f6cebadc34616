#!/usr/bin/env bash
# Installs what is missing, builds TARNEL for 64-bit Windows with
# MinGW-w64 (TARNEL.EXE on the system's own controls, and everything below
# it that needs no Qt), and runs every suite of it under Wine as on
# Japanese Windows: code page 932, in one Wine session on a private X
# server (tests/support/run_under_wine.sh).
#
#   scripts/test-windows.sh [CTEST ARGUMENTS...]
#
# TARNEL_WINDOWS_BUILD names the build folder (default build/windows).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build=${TARNEL_WINDOWS_BUILD:-$top/build/windows}
jobs=$(nproc)

bash "$top/scripts/install-deps.sh" windows

started=$(date +%s)
cmake -S "$top" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTARNEL_UI=win32 -DTARNEL_BUILD_BENCH=OFF \
  -DTARNEL_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"
built=$(date +%s)

# One session for the whole run: a session costs a second or two to set
# up, a program in it a fraction of that. The keeper stands in for the
# desktop that Windows keeps up between programs.
"$top/tests/support/run_under_wine.sh" \
  --keeper "$build/bin/tarnel_wine_keeper.exe" \
  ctest --test-dir "$build" -j"$jobs" --output-on-failure "$@"
echo "test-windows: built in $((built - started)) s, tested in $(($(date +%s) - built)) s"
