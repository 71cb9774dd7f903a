#!/usr/bin/env bash
# Prints the table of the lighting targets. For each case (a smooth fractal
# heightmap made here with ImageMagick, seeded, never committed; texture size;
# lit or unlit) it gives the whole generation's time and peak memory and the
# time of every stage, for this build at 1 and 2 threads, for a pinned build
# at 2 threads when ORVALIS_PINNED_BUILD names its build folder (one holding
# bin/orvalis-bench), and the time of `gdaldem hillshade` plus
# `gdaldem color-relief` on the same heightmap (a reference point only).
#
#   bench/targets.sh                 # every case
#   bench/targets.sh 1024:4096:lit   # chosen cases, heightmap:texture:lighting
#
# Then the window's relight of a 1024² heightmap's 1024² texture (heights
# and normals ready): the median over seven light directions of the shading
# and of the whole relight, at 1 and 2 threads; and the 4096² lit case at
# other light directions and sun positions.
#
# ORVALIS_BENCH_REPEATS (default 3) runs of each figure give its median.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVALIS_BENCH_BUILD:-$root/build/bench}
inputs=${ORVALIS_BENCH_INPUTS:-${TMPDIR:-/tmp}/orvalis-bench-inputs}
repeats=${ORVALIS_BENCH_REPEATS:-3}
pinned=${ORVALIS_PINNED_BUILD:-}
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(4096:4096:lit 8192:8192:lit 1024:4096:lit 1024:4096:unlit)

source "$root/bench/common.sh"
need=()
command -v gdaldem >/dev/null || need+=(gdal-bin)
command -v convert >/dev/null || need+=(imagemagick)
[ -x /usr/bin/time ] || need+=(time)
bench_install bench/targets.sh "${need[@]}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVALIS_WITH_GUI=OFF -DORVALIS_WITH_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target orvalis-bench >/dev/null
bench=$build/bin/orvalis-bench

mkdir -p "$inputs"
[ -f "$inputs/snow.bmp" ] || "$bench" --inputs "$inputs"
# The fractal heightmap of edge $1, made once. ImageMagick's usual resource
# policy refuses a plasma beyond 4096², so larger ones are the 4096² one
# enlarged bilinearly by GDAL.
heightmap() {
  local file=$inputs/fractal$1.bmp
  if [ ! -f "$file" ] && [ "$1" -le 4096 ]; then
    convert -seed 9 -size "$1x$1" plasma:fractal -blur 0x8 -colorspace gray -type truecolor "BMP3:$file"
  elif [ ! -f "$file" ]; then
    gdal_translate -q -of BMP -outsize "$1" "$1" -r bilinear "$(heightmap 4096)" "$file"
  fi
  echo "$file"
}

median() { bench_median "$repeats" "$@"; }

# "whole s, peak MiB, blend/normals/shading/multiply/writes s" of one build.
figures() {  # bench heightmap size lit threads
  local whole stages
  whole=$(median "$1" --child whole "$inputs" "$2" "$3" "$4" "$5")
  stages=$(median "$1" --child stages "$inputs" "$2" "$3" "$4" "$5")
  read -r total peak <<<"$whole"
  read -r blend normals shading multiply writes _ <<<"$stages"
  awk -v t="$total" -v p="$peak" -v b="$blend" -v n="$normals" -v s="$shading" -v m="$multiply" \
    -v w="$writes" 'BEGIN { printf "%.2f s, %.0f MiB (%.2f/%.2f/%.2f/%.2f/%.2f)", t / 1000, p / 1024,
      b / 1000, n / 1000, s / 1000, m / 1000, w / 1000 }'
}

gdal_figure() {  # heightmap: seconds and peak MiB of hillshade + color-relief
  local dir ramp
  dir=$(mktemp -d)
  ramp=$dir/ramp.txt
  printf '0 40 90 160\n64 210 190 140\n128 60 140 60\n192 120 110 100\n255 250 250 250\n' >"$ramp"
  /usr/bin/time -f "%e %M" -o "$dir/t1" gdaldem hillshade -q "$1" "$dir/hs.tif"
  /usr/bin/time -f "%e %M" -o "$dir/t2" gdaldem color-relief -q "$1" "$ramp" "$dir/cr.tif"
  awk '{ s += $1; if ($2 > m) m = $2 } END { printf "%.2f s, %.0f MiB", s, m / 1024 }' "$dir/t1" "$dir/t2"
  rm -rf "$dir"
}

echo "Seconds (median of $repeats), peak resident MiB, stages blend/normals/shading/multiply/writes in s."
echo "Memory limit: 2 x (heightmap file + texture file)."
echo
echo "| case | pinned, 2 threads | 1 thread | 2 threads | limit MiB | gdaldem hillshade + color-relief |"
echo "|---|---|---|---|---|---|"
for c in "${cases[@]}"; do
  IFS=: read -r edge size lighting <<<"$c"
  file=$(heightmap "$edge")
  lit=$([ "$lighting" = lit ] && echo 1 || echo 0)
  old="-"
  [ -n "$pinned" ] && old=$(figures "$pinned/bin/orvalis-bench" "$file" "$size" "$lit" 2)
  one=$(figures "$bench" "$file" "$size" "$lit" 1)
  two=$(figures "$bench" "$file" "$size" "$lit" 2)
  limit=$(( 2 * ($(stat -c %s "$file") + 54 + size * size * 3) / 1048576 ))
  echo "| ${edge}² → ${size}², $lighting | $old | $one | $two | $limit | $(gdal_figure "$file") |"
done

relight() {  # threads: "shading ms / whole ms"
  median "$bench" --child relight "$inputs" "$(basename "$(heightmap 1024)")" 1024 1 "$1" |
    awk '{ printf "%.0f / %.0f ms", $1, $2 }'
}
# The 4096² lit case at other lights, 2 threads: whole time, peak, shading.
other_light() {  # direction sun
  local whole stages
  whole=$(median "$bench" --child whole "$inputs" "$(heightmap 4096)" 4096 1 2 "$1" "$2")
  stages=$(median "$bench" --child stages "$inputs" "$(heightmap 4096)" 4096 1 2 "$1" "$2")
  awk -v w="$whole" -v s="$stages" 'BEGIN { split(w, a, " "); split(s, b, " ");
    printf "%.2f s, %.0f MiB (shading %.2f s)", a[1] / 1000, a[2] / 1024, b[3] / 1000 }'
}
if [ $# -eq 0 ]; then
  echo
  echo "| relight, 1024² heightmap and texture (shading / whole) | 1 thread | 2 threads |"
  echo "|---|---|---|"
  echo "| median of 7 light directions, sun 50 | $(relight 1)  | $(relight 2) |"
  echo
  echo "| 4096² → 4096², lit, 2 threads, light direction / sun | whole (shading) |"
  echo "|---|---|"
  for light in 0:50 45:50 135:100 200:20 270:400 315:5; do
    IFS=: read -r dir sun <<<"$light"
    echo "| $dir / $sun | $(other_light "$dir" "$sun") |"
  done
fi
