#!/usr/bin/env bash
# Installs what is missing, builds TARNEL and starts it with the arguments given.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

bash "$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build/release" -j"$(nproc)" >/dev/null
exec "$top/build/release/bin/tarnel" "$@"
