#!/usr/bin/env bash
# Time and peak memory of orvalis-cli info, convert and generate on the
# hostile files kept in tests/raster/regressions (headers that claim far more
# pixels than the file holds) and, with gdal-bin installed, on the pictures
# bench/make_hostile_inputs.sh makes (decompression bombs, valid files that
# compress far). Each run is cut off after $ORVALIS_BENCH_LIMIT seconds
# (default 60); extra options for every run (--memory-limit 1G) come from
# $ORVALIS_BENCH_OPTIONS. Usage: bench/hostile_files.sh [path/to/orvalis-cli]
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
  local left
  left=$(cd "$scratch" && ls -A | { grep -v '^inputs$\|^time$\|^err$' || true; } | tr '\n' ' ')
  printf '%-26s %-9s %8s s %8d MB  exit %-3s left: %-28s %s\n' "$label" "$2" "$seconds" \
    $((${kilobytes:-0} / 1024)) "$status" "${left:-nothing}" \
    "$(grep -v 'Command\|status' "$scratch/err" | sed "s|$scratch/inputs/||g; s|$root/||g" | head -c 160)"
  (cd "$scratch" && ls -A | { grep -v '^inputs$\|^time$\|^err$' || true; } | xargs -r rm -f --)
}

read -r -a options <<<"${ORVALIS_BENCH_OPTIONS:-}"
inputs=("$root"/tests/raster/regressions/bomb-*.bmp)
if command -v gdal_translate >/dev/null; then
  "$root/bench/make_hostile_inputs.sh" "$scratch/inputs" >/dev/null
  inputs+=("$scratch"/inputs/*)
fi
for bomb in "${inputs[@]}"; do
  name=$(basename "$bomb")
  measure "$name" "$cli" info "${options[@]}" "$bomb"
  measure "$name" "$cli" convert "${options[@]}" "$bomb" "$scratch/out.bmp"
  measure "$name" "$cli" generate --quiet --size 64 "${options[@]}" --heightmap "$bomb" \
    --tiles "$tile,$tile,$tile,$tile,$tile" --output-dir "$scratch"
done
