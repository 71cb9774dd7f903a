#!/usr/bin/env bash
# Time and peak memory of reading a heightmap far larger than one picture:
# a 40000 x 40000 Float32 BigTIFF, sparse (made in a moment, a few hundred
# KB on the disk) with one written patch, through orvalis-cli info and
# orvalis-world-bench (a window of its corner, given the world's samples as a
# tile run is given them, and the world's statistics streamed a band of rows
# at a time). The budget: a few hundred MB, whatever
# the file's size. Usage: bench/world_read.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/bench/common.sh"
bin=${1:-$root/build/release}/bin
command -v gdal_create >/dev/null || bench_install "$0" gdal-bin
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

big=$scratch/big.tif
gdal_create -q -of GTiff -outsize 40000 40000 -ot Float32 -a_nodata -9999 -a_srs EPSG:32617 \
  -a_ullr 500000 4000000 1700000 2800000 -co SPARSE_OK=TRUE -co TILED=YES -co BIGTIFF=YES "$big"
# The patch: the bottom-left 512 x 512 cells, at 1234.5 m.
gdal_create -q -of GTiff -outsize 512 512 -ot Float32 -burn 1234.5 -a_srs EPSG:32617 \
  -a_ullr 500000 2815360 515360 2800000 "$scratch/patch.tif"
gdalwarp -q "$scratch/patch.tif" "$big"
printf '%-42s %9s %9s\n' "40000 x 40000 Float32 BigTIFF ($(du -k "$big" | cut -f1) KB)" seconds "peak MB"
measure() {
  local label=$1; shift
  /usr/bin/time -f '%e %M' -o "$scratch/time" "$@" >"$scratch/out"
  read -r seconds kilobytes <"$scratch/time"
  printf '%-42s %9s %9d   %s\n' "$label" "$seconds" $((kilobytes / 1024)) "$(tail -n1 "$scratch/out")"
}
measure "info" "$bin/orvalis-cli" info "$big"
measure "window 1024 x 1024 at the corner" "$bin/orvalis-world-bench" "$big" 0 0 1024 1024 0:2000
measure "window 4096 x 4096 at the corner" "$bin/orvalis-world-bench" "$big" 0 0 4096 4096 0:2000
measure "statistics, then the 4096 x 4096 window" "$bin/orvalis-world-bench" "$big" 0 0 4096 4096 --statistics
