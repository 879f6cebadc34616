#!/usr/bin/env bash
# Installs what building, running and testing TARNEL needs on Debian 12.
# Installs only what is missing, so a prepared machine is left alone.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config      # the toolchain
  clang libclang-rt-14-dev              # the fuzz targets: libFuzzer and sanitizers
  qt6-base-dev                          # Qt 6 Widgets, with the offscreen platform
  fonts-ipafont-gothic                  # the Japanese labels
  libgtest-dev                          # the test suites
  xvfb xauth xclip xdotool              # the real clipboard and real windows in tests
  coreutils                             # GNU sort, the reference in tests and benchmarks
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
