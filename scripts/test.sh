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
orvalis_build "$ORVALIS_ROOT/build/release" -DCMAKE_BUILD_TYPE=Release
ctest --test-dir "$ORVALIS_ROOT/build/release" --output-on-failure --timeout 600 -j "$(nproc)"

echo "== Sanitized build (ASan + UBSan)"
orvalis_build "$ORVALIS_ROOT/build/asan" -DCMAKE_BUILD_TYPE=Debug -DORVALIS_SANITIZE=ON \
  -DORVALIS_WITH_GUI=OFF -DORVALIS_WITH_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$ORVALIS_ROOT/build/asan" --output-on-failure --timeout 1200 -j "$(nproc)"
