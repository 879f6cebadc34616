# Sourced by the benchmark scripts: require_tool PROGRAM PACKAGE ends the
# script with a message naming the Debian package when PROGRAM is missing,
# as a benchmark without one of its peers measures nothing worth reading.
# scripts/install-deps.sh bench installs them all.
require_tool() {
  if ! command -v "$1" >/dev/null 2>&1; then
    echo "$(basename "$0"): $1 is missing: install the package $2" \
      "(scripts/install-deps.sh bench)" >&2
    exit 2
  fi
}
