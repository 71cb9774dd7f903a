#!/usr/bin/env bash
# The whole real-scale run's peak memory and wall time for heightmaps and
# textures of several sizes, from which orvalis-cli plan estimates a tile's
# worker (src/generation/WorkerCost.h): the Jacksboro fault DEM enlarged to
# EDGE x EDGE Float32 cells by GDAL's cubic spline, lit from azimuth 300 at
# 12 degrees with --sun-size 1, --sky-light, a shadow map and GeoTIFF
# outputs on 2 threads. Prints per run the heightmap's, the lighting grid's
# and the texture's cells (millions), wall seconds and peak MiB, then the
# formula's figures beside them.
#
#   bench/plan_calibration.sh [BUILD]   # default build/release
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$root/build/release}/bin" && pwd)
work=${ORVALIS_BENCH_INPUTS:-${TMPDIR:-/tmp}/orvalis-bench-plan}
source "$root/bench/common.sh"
need=()
command -v gdalwarp >/dev/null || need+=(gdal-bin)
[ -x /usr/bin/time ] || need+=(time)
bench_install "$0" "${need[@]}"

printf '%6s %6s %8s %8s %8s %7s %8s %9s %9s\n' map size source lighting texture wall peakMiB estimate estMiB
for run in "1024 1024" "1024 2048" "2048 1024" "2048 2048" "1024 4096" "4096 2048" "4096 4096" "4096 1024" "1024 8192"; do
  read -r edge size <<< "$run"
  dem=$(bench_enlarged_dem "$work" "$edge")
  rm -f "$work"/out*.tif
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$bin/orvalis-cli" generate --heightmap "$dem" \
    --tiles "$(bench_sample_tiles "$bin")" --size "$size" --sun-azimuth 300 --sun-elevation 12 --sun-size 1 \
    --sky-light --threads 2 --format tif --output "$work/out.tif" --shadow-map "$work/out_shadow.tif" --quiet
  read -r wall peak < "$work/time.txt"
  # The lighting grid: twice the heightmap's resolution, within twice the
  # texture's, the texture's own beyond 8192 x 8192 cells.
  lighting=$(( size > 2 * edge ? size : (2 * size < 2 * edge ? 2 * size : 2 * edge) ))
  (( lighting * lighting > 8192 * 8192 )) && lighting=$size
  awk -v s="$edge" -v l="$lighting" -v t="$size" -v w="$wall" -v p="$peak" 'BEGIN {
    S = s * s; L = l * l; T = t * t
    printf "%6d %6d %8.2f %8.2f %8.2f %7.2f %8.0f %9.2f %9.0f\n", s, t, S / 1e6, L / 1e6, T / 1e6, w, p / 1024,
      5 + (0.4 * S + 0.2 * L + 0.8 * T) / 1e6, 64 + (16 * S + 8 * L + 22 * T) / 1048576 }'
done
