#!/usr/bin/env bash
# Builds everything and runs every test: a release build with the window and
# the preview, then the core and the command line under AddressSanitizer and
# UndefinedBehaviorSanitizer, with a short fuzz of extreme real-scale values
# through the sanitized command line, then (where clang is present) the core
# built with clang, and the fuzz harnesses for a short while.
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

echo "== Extreme real-scale values under the sanitizers (${ORVALIS_FUZZ_SECONDS:-25} s)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$ORVALIS_ROOT/tests/cli/fuzz/extreme_values.sh" "$ORVALIS_ROOT/build/asan/bin/orvalis-cli" "${ORVALIS_FUZZ_SECONDS:-25}"

if command -v clang++ >/dev/null; then
  echo "== Core built with clang"
  orvalis_build clang-core
  (cd "$ORVALIS_ROOT" && ctest --preset clang-core -j "$(nproc)")

  echo "== Fuzz smoke run (libFuzzer, ${ORVALIS_FUZZ_SECONDS:-25} s a harness)"
  fuzz=$ORVALIS_ROOT/build/fuzz
  cmake -S "$ORVALIS_ROOT/tests/raster/fuzz" -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$fuzz" --parallel "$(nproc)"
  # A crash, a hang of 10 s or 512 MB of memory fails the run; libFuzzer
  # leaves the input as $fuzz/crash-*, timeout-* or oom-*.
  orvalis_fuzz() {
    local harness=$1; shift
    local seeds=()
    for dir in "$@"; do [ -d "$dir" ] && seeds+=("$dir"); done
    mkdir -p "$fuzz/corpus-$harness"
    "$fuzz/$harness" -max_total_time="${ORVALIS_FUZZ_SECONDS:-25}" -timeout=10 -rss_limit_mb=512 \
      -artifact_prefix="$fuzz/" "$fuzz/corpus-$harness" "${seeds[@]}" >"$fuzz/$harness.log" 2>&1 ||
      { tail -n 40 "$fuzz/$harness.log"; return 1; }
  }
  suite=$ORVALIS_ROOT/../shared/testdata/bmpsuite
  orvalis_fuzz bmp_read_fuzz "$suite/g" "$suite/q" "$suite/b" "$ORVALIS_ROOT/tests/raster/regressions"
  orvalis_fuzz texture_info_fuzz "$ORVALIS_ROOT/tests/raster/fuzz/seeds"
  orvalis_fuzz layers_file_fuzz "$ORVALIS_ROOT/sample"
  orvalis_fuzz gdal_read_fuzz "$ORVALIS_ROOT/tests/raster/fuzz/gdal-seeds"
fi
