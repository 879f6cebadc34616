#!/usr/bin/env bash
# Installs what building, running and testing TARNEL needs on Debian 12.
# Installs only what is missing, so a prepared machine is left alone.
#
#   install-deps.sh [--list] [linux] [windows] [fuzz] [bench]
#
# linux (the default): the Linux build and its tests. windows: the cross
# build for Windows and its tests under Wine (scripts/test-windows.sh).
# fuzz: clang with libFuzzer, for the fuzz targets (scripts/fuzz.sh).
# bench: the peers and the meters of the benchmarks in bench/.
set -euo pipefail

linux_packages=(
  g++ cmake ninja-build pkg-config      # the toolchain
  qt6-base-dev                          # Qt 6 Widgets, with the offscreen platform
  libxcb1-dev                           # the X11 clipboard of a batch run, without Qt
  libwayland-dev libwayland-bin         # the Wayland clipboard of a batch run: libwayland-client, wayland-scanner
  wayland-protocols                     # xdg-shell, for the focused window where there is no data-control
  qt6-wayland                           # Qt's Wayland platform, for the window and boxes in a Wayland session
  fonts-ipafont-gothic                  # the Japanese labels
  libgtest-dev                          # the test suites
  xvfb xauth xclip xdotool              # the real clipboard and real windows in tests
  openbox                               # a window manager over those windows
  sway weston mutter xwayland           # real compositors in tests (run_under_wayland.sh), with their Xwayland
  dbus-daemon procps                    # mutter's session bus (dbus-run-session); ps, to find mutter's Xwayland
  libgl1-mesa-dri                       # the software OpenGL mutter draws with
  wl-clipboard                          # wl-copy / wl-paste, the other clients on the Wayland clipboard
  coreutils                             # GNU sort, the reference in tests and benchmarks
  clang-format                          # the check that the code keeps its format
  python3                               # the check that includes point down the layers
)
windows_packages=(
  g++-mingw-w64-x86-64-posix            # the cross compiler, with std::thread
  cmake ninja-build
  libgtest-dev                          # GoogleTest's sources, built for Windows
  wine64                                # runs the suites
  xvfb xclip xdotool                    # Wine's desktop and clipboard, a peer on it, keys
  fonts-ipafont-gothic                  # IPAPGothic, which Wine takes for ＭＳ Ｐゴシック
  locales                               # localedef, for the ja_JP.UTF-8 that gives code page 932
  coreutils
)

fuzz_packages=(
  clang libclang-rt-14-dev              # libFuzzer and the sanitizers
  cmake ninja-build
)

bench_packages=(
  g++ cmake ninja-build qt6-base-dev    # the Release build of the program
  coreutils                             # GNU sort, the first peer, and dd, the copy floor
  rust-coreutils                        # the Rust coreutils' sort, the second peer
  time                                  # /usr/bin/time, the clipboard row's and the killer's meter
  linux-perf                            # perf record / perf stat, to profile a workload
)

# --list: print the sets' packages, one a line, and install nothing.
list=false
if [ "${1:-}" = --list ]; then
  list=true
  shift
fi

packages=()
for set in "${@:-linux}"; do
  case $set in
    linux) packages+=("${linux_packages[@]}") ;;
    windows) packages+=("${windows_packages[@]}") ;;
    fuzz) packages+=("${fuzz_packages[@]}") ;;
    bench) packages+=("${bench_packages[@]}") ;;
    *) echo "install-deps: unknown set '$set' (linux, windows, fuzz, bench)" >&2; exit 2 ;;
  esac
done

if $list; then
  printf '%s\n' "${packages[@]}" | sort -u
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
# Each package once, though two sets name it.
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
