#!/usr/bin/env bash
# Fuzz smoke of real-scale lighting with extreme values: runs
# `orvalis-cli generate --sky-light` on small generated ESRI ASCII grids
# (heights up to 3.4e38, no-data cells, pixel sizes from subnormal to 1e300,
# a geographic coordinate system or none) with random extreme values of every
# real-scale option, mostly within the ranges the program takes. A run may
# succeed or be refused (exit 0, 1 or 2); a signal, a hang or a sanitizer's
# report fails the smoke, which prints the command and keeps the grid here
# as extreme-values-crash.asc.
# Usage: extreme_values.sh ORVALIS_CLI SECONDS
set -uo pipefail
cli=$(realpath "$1") end=$((SECONDS + $2)) runs=0 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pick() { local all=("$@"); echo "${all[RANDOM % $#]}"; }
# A scale mostly spread over 1e-9 .. 1e9, else at its ends or far beyond them.
scale() { ((RANDOM % 3)) && echo "$((RANDOM % 9 + 1)).${RANDOM}e$((RANDOM % 18 - 9))" || pick 1e-9 1e9 5e-324 1e-300 1e-40 1e12 1e300; }
geographic='GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563]],UNIT["degree",0.0174532925199433]]'
printf 'ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n9 99\n150 250\n' >"$work/tile.asc"
while ((SECONDS < end)); do
  width=$((RANDOM % 30 + 1)) rows=$((RANDOM % 30 + 1)) peak=$(pick 1 1e3 1e15 1e29 1e30 3.4e38)
  printf 'ncols %d\nnrows %d\nxllcorner 0\nyllcorner %s\ndx %s\ndy %s\nNODATA_value -9999\n' \
    "$width" "$rows" "$(pick -89 0 45 89.9)" "$(scale)" "$(scale)" >"$work/dem.asc"
  for ((i = 0; i < width * rows; i++)); do pick 0 -9999 "$peak" "-$peak" "$RANDOM"; done >>"$work/dem.asc"
  rm -f "$work"/dem.prj "$work"/tex*
  ((RANDOM % 2)) && echo "$geographic" >"$work/dem.prj"
  args=(--sky-light --sun-azimuth "$(pick 0 360 45.5 $((RANDOM % 361)))" --size "$(pick 1 2 17 64)"
    --sun-elevation "$(pick 0 5e-324 1e-9 90 89.999999 $((RANDOM % 91)))" --threads "$(pick 1 2)")
  ((RANDOM % 2)) && args+=(--cell-size "$(scale)$(pick "" ":$(scale)")")
  ((RANDOM % 2)) && args+=(--z-factor "$(scale)")
  ((RANDOM % 3)) || args+=(--height-range "$(pick 0 -1e30 -3 -1e-9):$(pick 1e-9 1 1e29 1e30)")
  ((RANDOM % 3)) || args+=(--ambient "$(pick 0 1 5e-324 0.$RANDOM)")
  ((RANDOM % 3)) || args+=(--sun-size "$(pick 0 10 5e-324 $((RANDOM % 11)))")
  (cd "$work" && timeout 300 "$cli" generate --heightmap dem.asc --tiles tile.asc,tile.asc,tile.asc,tile.asc,tile.asc \
    --output tex.png --quiet "${args[@]}") 2>"$work/err"
  status=$? runs=$((runs + 1))
  ((status > 2)) || grep -q 'Sanitizer\|runtime error' "$work/err" || continue
  cp "$work/dem.asc" extreme-values-crash.asc
  echo "extreme values: run $runs failed with exit $status: generate --heightmap dem.asc ${args[*]}" >&2
  tail -n 40 "$work/err" >&2
  exit 1
done
echo "extreme values: $runs runs, no crash"
