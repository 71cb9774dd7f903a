#!/usr/bin/env bash
# The real-scale lighting's cost, term by term, on a real DEM: the Jacksboro
# fault DEM (bench/jacksboro_dem.py) enlarged to EDGE x EDGE Float32 cells by
# GDAL's cubic spline (made here, never committed), lit into an EDGE texture
# from azimuth 300, 12 degrees up: the sun alone, with --sun-size 1, and
# with --sun-size 1 --sky-light, GeoTIFF outputs and a shadow map, 2 threads.
# Prints per term the median wall and CPU seconds and the peak memory (MiB)
# of ORVALIS_BENCH_REPEATS runs (default 3), for this build and, when
# ORVALIS_PINNED_BUILD names one (a folder holding bin/orvalis-cli), for it.
# Also compares the pinned build's outputs with this build's byte for byte.
#
#   ORVALIS_PINNED_BUILD=/path/to/build bench/real_scale_cost.sh [EDGE]   # default 4096
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVALIS_BENCH_BUILD:-$root/build/release}
work=${ORVALIS_BENCH_INPUTS:-${TMPDIR:-/tmp}/orvalis-bench-real-scale}
repeats=${ORVALIS_BENCH_REPEATS:-3}
pinned=${ORVALIS_PINNED_BUILD:-}
edge=${1:-4096}

source "$root/bench/common.sh"
need=()
command -v gdalwarp >/dev/null || need+=(gdal-bin)
[ -x /usr/bin/time ] || need+=(time)
bench_install "$0" "${need[@]}"

dem=$(bench_enlarged_dem "$work" "$edge")
sample=$build/bin/sample
tiles=$sample/snow.bmp,$sample/rock.bmp,$sample/grass.bmp,$sample/sand.bmp,$sample/water.bmp

# run BIN NAME OPTIONS...: prints "wall cpu peakMiB" of one generation.
run() {
  local bin=$1 name=$2
  shift 2
  rm -f "$work/$name".tif "$work/${name}"_lm.tif "$work/${name}"_sh.tif
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$bin" generate --heightmap "$dem" --tiles "$tiles" \
    --size "$edge" --sun-azimuth 300 --sun-elevation 12 "$@" --threads 2 --format tif \
    --output "$work/$name.tif" --shadow-map "$work/${name}_sh.tif" --quiet
  awk '{ printf "%.2f %.2f %.0f\n", $1, $2 + $3, $4 / 1024 }' "$work/time.txt"
}

terms=("sun:" "size:--sun-size 1" "sky:--sun-size 1 --sky-light")
printf '%-6s %-8s %8s %8s %10s\n' term build wall cpu peakMiB
for term in "${terms[@]}"; do
  name=${term%%:*}
  read -r -a options <<< "${term#*:}"
  builds=("this:$build/bin/orvalis-cli")
  [ -n "$pinned" ] && builds+=("pinned:$pinned/bin/orvalis-cli")
  for entry in "${builds[@]}"; do
    label=${entry%%:*}
    figures=$(bench_median "$repeats" run "${entry#*:}" "${label}_$name" "${options[@]}")
    printf '%-6s %-8s %8s %8s %10s\n' "$name" "$label" $figures
  done
  if [ -n "$pinned" ]; then
    for suffix in "" _lm _sh; do
      cmp -s "$work/this_$name$suffix.tif" "$work/pinned_$name$suffix.tif" ||
        echo "$name$suffix: the outputs differ"
    done
  fi
done
