#!/usr/bin/env bash
# Builds everything and runs every test: a release build with the window and
# the preview, then the core and the command line under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

orvalis_install_packages
orvalis_ensure_display
trap '[ -n "${ORVALIS_XVFB_PID:-}" ] && kill "$ORVALIS_XVFB_PID" 2>/dev/null || true' EXIT
export LIBGL_ALWAYS_SOFTWARE=1

echo "== Release build"
orvalis_build release
(cd "$ORVALIS_ROOT" && ctest --preset release -j "$(nproc)")

echo "== Installed tree"
"$ORVALIS_ROOT/scripts/check-install.sh" "$ORVALIS_ROOT/build/release"

echo "== Sanitized build (ASan + UBSan)"
orvalis_build asan
(cd "$ORVALIS_ROOT" && ctest --preset asan -j "$(nproc)")
