#!/usr/bin/env bash
# Time and peak memory of orvalis-cli info, convert and generate on the
# hostile files kept in tests/raster/regressions (headers that claim far more
# pixels than the file holds). Each run is cut off after $ORVALIS_BENCH_LIMIT
# seconds (default 60). Usage: bench/hostile_files.sh [path/to/orvalis-cli]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${1:-$root/build/release/bin/orvalis-cli}
limit=${ORVALIS_BENCH_LIMIT:-60}
tile=$root/../shared/testdata/bmpsuite/g/rgb24.bmp
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs one command under /usr/bin/time; prints seconds, peak MB and the exit status.
measure() {
  local label=$1; shift
  local status=0
  /usr/bin/time -f '%e %M' -o "$scratch/time" timeout "$limit" "$@" >/dev/null 2>"$scratch/err" ||
    status=$?
  read -r seconds kilobytes < <(tail -n1 "$scratch/time") || true
  printf '%-14s %-9s %8s s %8d MB  exit %-3s %s\n' "$label" "$2" "$seconds" \
    $((${kilobytes:-0} / 1024)) "$status" "$(grep -v 'Command\|status' "$scratch/err" | head -c 100)"
  rm -f "$scratch/out.bmp" "$scratch"/terrain_tex*.bmp "$scratch/lm.bmp"
}

for bomb in "$root"/tests/raster/regressions/bomb-*.bmp; do
  name=$(basename "$bomb")
  measure "$name" "$cli" info "$bomb"
  measure "$name" "$cli" convert "$bomb" "$scratch/out.bmp"
  measure "$name" "$cli" generate --quiet --heightmap "$bomb" \
    --tiles "$tile,$tile,$tile,$tile,$tile" --output-dir "$scratch"
done
