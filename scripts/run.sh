#!/usr/bin/env bash
# Builds Orvalis and starts it on the shipped sample terrain.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

orvalis_install_packages
orvalis_build release
bin="$ORVALIS_ROOT/build/release/bin"
cd "$bin"

if [ -x "$bin/orvalis" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found. Run the window under a virtual display:" >&2
    echo "  xvfb-run -a $bin/orvalis" >&2
    echo "or generate without a window:" >&2
    echo "  (cd $bin && ./orvalis-cli generate)" >&2
    exit 1
  fi
  exec "$bin/orvalis" "$@"
fi
exec "$bin/orvalis-cli" generate "$@"
