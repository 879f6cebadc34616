#!/usr/bin/env bash
# Photographs TARNEL.EXE's main window under Wine, as on Japanese Windows
# (code page 932, a private X server without a window manager, so Wine
# draws the frame), into docs/main-window-windows.png or OUT.png.
#
#   scripts/screenshot-windows.sh [OUT.png]
#
# Needs a built TARNEL.EXE (scripts/build-windows.sh) and ImageMagick's
# import (package imagemagick).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build=${TARNEL_WINDOWS_BUILD:-$top/build/windows}
out=$(readlink -f "${1:-$top/docs/main-window-windows.png}")
command -v import >/dev/null || { echo "import not found (package imagemagick)" >&2; exit 1; }

if [[ -z ${TARNEL_WINE_SESSION:-} ]]; then
  exec "$top/tests/support/run_under_wine.sh" \
    --keeper "$build/bin/tarnel_wine_keeper.exe" "$0" "$out"
fi
"$WINE" "$build/bin/TARNEL.EXE" >/dev/null 2>&1 &
program=$!
trap 'kill $program 2>/dev/null' EXIT
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^TARNEL$' 2>/dev/null | head -n1) || true
  [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || { echo "screenshot-windows: no window appeared" >&2; exit 1; }
sleep 1  # painted
import -window "$window" "$out"
echo "$out"
