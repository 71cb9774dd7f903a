#!/usr/bin/env bash
# Builds the window, the command line and the sample terrain, and starts the
# window on it. Without a display it says what to do before building anything.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set). Run the window under a" >&2
  echo "virtual display:" >&2
  echo "  xvfb-run -a $0" >&2
  echo "or build and use the command line without a window:" >&2
  echo "  cmake --preset release && cmake --build --preset release --target orvalis-cli sample_terrain" >&2
  echo "  (cd $ORVALIS_ROOT/build/release/bin && ./orvalis-cli generate)" >&2
  exit 1
fi

orvalis_install_packages
orvalis_build release orvalis orvalis-cli sample_terrain
bin="$ORVALIS_ROOT/build/release/bin"
cd "$bin"
exec "$bin/orvalis" "$@"
