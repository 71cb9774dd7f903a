#!/usr/bin/env bash
# A small world (bench/world_tiles.sh) planned with orvalis-cli plan, its
# tiles run by GNU parallel two at a time, and their mosaics compared with
# the whole run pixel for pixel. Needs the tile runs of generate
# (--tile-size, --tile, --world-stats).
#
#   bench/parallel_world.sh [BUILD]   # default build/release
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$root/build/release}/bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$root/bench/common.sh"
source "$root/bench/world_tiles.sh"
need=()
command -v parallel >/dev/null || need+=(parallel)
/usr/bin/python3 -c 'from osgeo import gdal' 2>/dev/null || need+=(python3-gdal)
bench_install "$0" "${need[@]}"

world_plan
parallel --halt now,fail=1 -j 2 < "$work/plan/jobs.txt"
echo "parallel: $world_tiles tiles made"
world_compare
