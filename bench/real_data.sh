#!/usr/bin/env bash
# The lighting on the data people have, side by side with `gdaldem
# hillshade` plus `gdaldem color-relief` (GeoTIFF, a five-colour ramp over
# the data's range) on the same heightmap, with 2 threads:
#   - a real DEM as 32-bit floats: the Jacksboro fault DEM that Debian's
#     python3-matplotlib ships (403 x 344 cells), enlarged by GDAL's cubic
#     spline to 4096² and 8192², lit into a texture of its size;
#   - a rough 8-bit fractal (ImageMagick plasma, seed 11, blur 0x6), 4096²,
#     at the default light and at a low sun (direction 315, sun 5), whose
#     time is also given against the default light's;
#   - the real-scale lighting (sun, penumbra and sky light) of the 4096² DEM.
# The inputs are made here, in $ORVALIS_BENCH_INPUTS (default
# /tmp/orvalis-bench-real), never in the tree. Each time is the median of
# $ORVALIS_BENCH_REPEATS runs (default 3), ours and the gdaldem pair taking
# turns; the memory limit is 2 x (heightmap file + texture file).
#
#   bench/real_data.sh            # every case
#   bench/real_data.sh float4096  # chosen cases: float4096 float8192 rough rough-low-sun real-scale
#
# Needs gdal-bin, python3-gdal, python3-numpy, python3-matplotlib,
# ImageMagick's convert and /usr/bin/time; ORVALIS_BENCH_BUILD names the
# build folder (default build/bench).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVALIS_BENCH_BUILD:-$root/build/bench}
inputs=${ORVALIS_BENCH_INPUTS:-${TMPDIR:-/tmp}/orvalis-bench-real}
repeats=${ORVALIS_BENCH_REPEATS:-3}
python=/usr/bin/python3
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(float4096 rough rough-low-sun float8192 real-scale)

source "$root/bench/common.sh"
need=()
command -v gdaldem >/dev/null || need+=(gdal-bin)
"$python" -c 'import numpy, osgeo.gdal' 2>/dev/null || need+=(python3-numpy python3-gdal)
"$python" -c 'import matplotlib' 2>/dev/null || need+=(python3-matplotlib)
command -v convert >/dev/null || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
bench_install bench/real_data.sh "${need[@]}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVALIS_WITH_GUI=OFF -DORVALIS_WITH_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target orvalis-cli orvalis-samplegen >/dev/null
cli=$build/bin/orvalis-cli

mkdir -p "$inputs"
[ -f "$inputs/default.txt" ] || "$build/bin/orvalis-samplegen" "$inputs" >/dev/null
dem() {  # edge: the Float32 DEM enlarged to edge², made once
  local file=$inputs/jacksboro$1.tif
  if [ ! -f "$file" ]; then
    [ -f "$inputs/jacksboro.tif" ] || "$python" - "$inputs/jacksboro.tif" <<'PY'
import sys
import matplotlib.cbook
import numpy as np
from osgeo import gdal
data = np.load(matplotlib.cbook.get_sample_data("jacksboro_fault_dem.npz", asfileobj=False))
heights = data["elevation"].astype(np.float32)
out = gdal.GetDriverByName("GTiff").Create(sys.argv[1], heights.shape[1], heights.shape[0], 1, gdal.GDT_Float32)
out.GetRasterBand(1).WriteArray(heights)
PY
    gdalwarp -q -to SRC_METHOD=NO_GEOTRANSFORM -ts "$1" "$1" -r cubicspline -ot Float32 \
      "$inputs/jacksboro.tif" "$file"
  fi
  echo "$file"
}
rough() {
  local file=$inputs/rough4096.bmp
  [ -f "$file" ] || convert -size 4096x4096 -seed 11 plasma:fractal -blur 0x6 -colorspace gray \
    -type truecolor "BMP3:$file"
  echo "$file"
}
ramp=$inputs/ramp.txt
printf '0%% 40 90 160\n25%% 210 190 140\n50%% 60 140 60\n75%% 120 110 100\n100%% 250 250 250\n' >"$ramp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "wall s, peak KiB, CPU s, texture bytes" of one run of ours: heightmap, size, options.
ours() {
  rm -rf "$work/out" && mkdir "$work/out"
  (cd "$inputs" && /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$cli" generate --heightmap "$1" --size "$2" \
    --threads 2 --output "$work/out/tex.bmp" --quiet "${@:3}")
  echo "$(awk '{ print $1, $2, $3 + $4 }' "$work/time") $(stat -c %s "$work/out/tex.bmp")"
}
gdaldem_pair() {  # heightmap: wall s of hillshade + color-relief
  /usr/bin/time -f "%e" -o "$work/t1" gdaldem hillshade -q "$1" "$work/hillshade.tif"
  /usr/bin/time -f "%e" -o "$work/t2" gdaldem color-relief -q "$1" "$ramp" "$work/relief.tif" >/dev/null
  rm -f "$work/hillshade.tif" "$work/relief.tif"
  echo "$(cat "$work/t1") $(cat "$work/t2")" | awk '{ print $1 + $2 }'
}
median() { "$python" -c 'import sys, statistics; print(statistics.median(map(float, sys.argv[1:])))' "$@"; }

default_light=""  # the rough fractal's time at the default light
row() {  # case heightmap size options...
  local name=$1 heightmap=$2 size=$3 walls=() peaks=() cpus=() pairs=() texture=0
  shift 3
  for _ in $(seq "$repeats"); do
    read -r wall peak cpu texture <<<"$(ours "$heightmap" "$size" "$@")"
    walls+=("$wall") peaks+=("$peak") cpus+=("$cpu")
    pairs+=("$(gdaldem_pair "$heightmap")")
  done
  local s p c g limit
  s=$(median "${walls[@]}") p=$(median "${peaks[@]}") c=$(median "${cpus[@]}") g=$(median "${pairs[@]}")
  limit=$(( (2 * ($(stat -c %s "$heightmap") + texture)) >> 20 ))
  [ "$name" != "rough 8-bit 4096², default light" ] || default_light=$s
  awk -v n="$name" -v s="$s" -v c="$c" -v g="$g" -v p="$p" -v l="$limit" \
    'BEGIN { printf "| %s | %.2f | %.2f | %.2f | %.2f | %.0f | %d |\n", n, s, c, g, s / g, p / 1024, l }'
  if [ "$name" = "rough 8-bit 4096², low sun (315 / 5)" ] && [ -n "$default_light" ]; then
    awk -v s="$s" -v d="$default_light" 'BEGIN { printf "|   low sun / default light | %.2f x | | | | | |\n", s / d }'
  fi
}

echo "Wall seconds (median of $repeats), ours with 2 threads, and its CPU seconds (all threads);"
echo "peak resident MiB; limit 2 x (heightmap + texture file)."
echo
echo "| case | ours s | ours CPU s | gdaldem pair s | ratio | ours peak MiB | limit MiB |"
echo "|---|---|---|---|---|---|---|"
for c in "${cases[@]}"; do
  case $c in
    float4096) row "Float32 DEM 4096² → 4096²" "$(dem 4096)" 4096 ;;
    float8192) row "Float32 DEM 8192² → 8192²" "$(dem 8192)" 8192 ;;
    rough) row "rough 8-bit 4096², default light" "$(rough)" 4096 ;;
    rough-low-sun)
      [ -n "$default_light" ] || row "rough 8-bit 4096², default light" "$(rough)" 4096
      row "rough 8-bit 4096², low sun (315 / 5)" "$(rough)" 4096 --light-dir 315 --sun-pos 5 ;;
    real-scale) row "Float32 DEM 4096², real scale (sun 300 / 12, sun size 1, sky light)" "$(dem 4096)" 4096 \
      --sun-azimuth 300 --sun-elevation 12 --sun-size 1 --sky-light ;;
    *) echo "unknown case $c (float4096 float8192 rough rough-low-sun real-scale)" >&2; exit 2 ;;
  esac
done
