#!/usr/bin/env bash
# What --resample spline costs beside --resample smooth where it is meant to
# be used, a coarse DEM enlarged: the Jacksboro fault DEM
# (bench/jacksboro_dem.py, 403 x 344 cells) into a texture of EDGE pixels
# (default 4096, about 10 times), unlit (the heights resampled and blended)
# and lit at the real scale (from azimuth 300, 12 degrees up, which also
# resamples the heights to the lighting's grid of twice the texture's
# resolution), 2 threads. Prints the median wall and CPU seconds of
# ORVALIS_BENCH_REPEATS runs (default 3), the two taking turns, and the
# spline's over the smooth's. Needs python3-gdal, python3-matplotlib and
# /usr/bin/time.
#
#   bench/spline_cost.sh [EDGE] [BUILD_BIN]   (defaults: 4096, build/release/bin)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
edge=${1:-4096}
bin=$(cd "${2:-$root/build/release/bin}" && pwd)
repeats=${ORVALIS_BENCH_REPEATS:-3}
source "$root/bench/common.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 "$root/bench/jacksboro_dem.py" "$work/dem.tif"
tiles=$(bench_sample_tiles "$bin")
# run RESAMPLE OPTIONS...: prints "wall cpu" of one generation.
run() {
  local resample=$1
  shift
  rm -f "$work"/out*
  /usr/bin/time -f '%e %U %S' -o "$work/time.txt" "$bin/orvalis-cli" generate --heightmap "$work/dem.tif" \
    --tiles "$tiles" --size "$edge" --resample "$resample" --threads 2 --format png --output "$work/out.png" \
    --quiet "$@"
  awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/time.txt"
}
# both OPTIONS...: "smooth wall, smooth cpu, spline wall, spline cpu" of one round.
both() { echo "$(run smooth "$@") $(run spline "$@")"; }

printf '%-10s %12s %12s %12s %12s %8s\n' case "smooth wall" "smooth cpu" "spline wall" "spline cpu" "cpu x"
for case in "unlit:--no-lighting" "real-scale:--sun-azimuth 300 --sun-elevation 12"; do
  # shellcheck disable=SC2086  # the options are words
  read -r smoothWall smoothCpu splineWall splineCpu < <(bench_median "$repeats" both ${case#*:})
  printf '%-10s %12s %12s %12s %12s %8.2f\n' "${case%%:*}" "$smoothWall" "$smoothCpu" "$splineWall" "$splineCpu" \
    "$(awk -v a="$splineCpu" -v b="$smoothCpu" 'BEGIN { print a / b }')"
done
