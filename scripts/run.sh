#!/usr/bin/env bash
# Installs what is missing, builds TARNEL and starts it with the arguments given.
# Builds only the program and what it loads or starts; the configuration is
# scripts/test.sh's, so the two share build/release without rebuilding it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

bash "$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTARNEL_WERROR=ON >/dev/null
cmake --build "$top/build/release" -j"$(nproc)" \
  --target tarnel tarnel_window tarnel-clipboard-holder tarnel_help
exec "$top/build/release/bin/tarnel" "$@"
