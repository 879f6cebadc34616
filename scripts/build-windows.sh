#!/usr/bin/env bash
# Installs what is missing and builds TARNEL.EXE, the Windows program, with
# MinGW-w64: a GUI-subsystem program, linked statically, that needs only
# Windows' own DLLs. Tarnel.hlp is put beside it, where Help looks first.
#
#   scripts/build-windows.sh
#
# TARNEL_WINDOWS_BUILD names the build folder (default build/windows, the
# one scripts/test-windows.sh tests). Prints the program's path at the end.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build=${TARNEL_WINDOWS_BUILD:-$top/build/windows}

bash "$top/scripts/install-deps.sh" windows

# The same configuration as scripts/test-windows.sh, so the two share the
# folder; the Qt window is the Linux one.
cmake -S "$top" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTARNEL_UI=win32 -DTARNEL_BUILD_BENCH=OFF \
  -DTARNEL_WERROR=ON >/dev/null
cmake --build "$build" --target tarnel_exe -j"$(nproc)"
echo "$build/bin/TARNEL.EXE"
