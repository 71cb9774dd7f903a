#!/usr/bin/env bash
# Times the export for game engines: a 16-bit PNG heightmap (the sample
# terrain enlarged by GDAL's cubic spline; made here, never committed) to a
# PNG texture and lightmap, splat maps and a normal map, with 2 threads, for
# this build at every --png-compression level and for a pinned build when
# ORVALIS_PINNED_BUILD names its build folder (one holding bin/orvalis-cli);
# beside them `gdaldem hillshade` plus `gdaldem color-relief` (a five-colour
# ramp), both writing PNG, on the same heightmap. Then it decodes every PNG
# of this build with GDAL and with PIL and compares its pixels with those of
# the pinned build (or, without one, of the fast level), and prints the
# files' sizes.
#
#   ORVALIS_PINNED_BUILD=/path/to/build bench/png_export.sh [EDGE]   # default 4096
#
# ORVALIS_BENCH_REPEATS (default 3) runs of each figure give its median;
# ORVALIS_BENCH_BUILD names this build's folder (default build/bench).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVALIS_BENCH_BUILD:-$root/build/bench}
inputs=${ORVALIS_BENCH_INPUTS:-${TMPDIR:-/tmp}/orvalis-bench-png}
repeats=${ORVALIS_BENCH_REPEATS:-3}
pinned=${ORVALIS_PINNED_BUILD:-}
edge=${1:-4096}
levels=(fast default best)

source "$root/bench/common.sh"
need=()
command -v gdaldem >/dev/null || need+=(gdal-bin)
/usr/bin/python3 -c 'import PIL' 2>/dev/null || need+=(python3-pil)
[ -x /usr/bin/time ] || need+=(time)
bench_install bench/png_export.sh "${need[@]}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVALIS_WITH_GUI=OFF -DORVALIS_WITH_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target orvalis-cli orvalis-samplegen >/dev/null

mkdir -p "$inputs"
[ -f "$inputs/default.txt" ] || "$build/bin/orvalis-samplegen" "$inputs" >/dev/null
dem=$inputs/terrain16-$edge.png
[ -f "$dem" ] || gdal_translate -q -of PNG -ot UInt16 -outsize "$edge" "$edge" -r cubicspline \
  "$inputs/sample/terrain16.png" "$dem"
ramp=$inputs/ramp.txt
printf '0 40 90 160\n16384 210 190 140\n32768 60 140 60\n49152 120 110 100\n65535 250 250 250\n' >"$ramp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "wall s, cpu s, peak KiB" of one run of the command.
timed() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null
  awk '{ print $1, $2 + $3, $4 }' "$work/time"
}

median() { bench_median "$repeats" "$@"; }

# One export into the folder $2 (emptied first) by the program $1, at the
# level $3 (none: the program's own default).
export_run() {
  rm -rf "$2" && mkdir -p "$2"
  (cd "$inputs" && timed "$1" generate --heightmap "$dem" --size "$edge" --threads 2 --format png \
    --output "$2/tex.png" --lightmap "$2/lm.png" --splat-map "$2/splat.png" \
    --normal-map "$2/normals.png" --quiet ${3:+--png-compression "$3"})
}

gdaldem_pair() {
  local hillshade relief
  hillshade=$(timed gdaldem hillshade -q -of PNG "$dem" "$work/hillshade.png")
  relief=$(timed gdaldem color-relief -q -of PNG "$dem" "$ramp" "$work/relief.png")
  echo "$hillshade $relief" | awk '{ print $1 + $4, $2 + $5, ($3 > $6 ? $3 : $6) }'
}

files=(tex lm splat splat_1 normals)
sizes() {  # folder
  local f out=""
  for f in "${files[@]}"; do out+=" $(stat -c %s "$1/$f.png") |"; done
  echo "$out"
}
row() {  # name figures folder
  read -r wall cpu peak <<<"$2"
  printf '| %s | %.2f | %.2f | %.0f |%s\n' "$1" "$wall" "$cpu" "$((${peak%.*} / 1024))" "$(sizes "$3")"
}

echo "Engine export of a ${edge}² 16-bit PNG heightmap, 2 threads; median of $repeats runs."
echo
echo "| program | wall s | cpu s | peak MiB | tex.png | lm.png | splat.png | splat_1.png | normals.png |"
echo "|---|---|---|---|---|---|---|---|---|"
reference=""
if [ -n "$pinned" ]; then
  row "pinned build" "$(median export_run "$pinned/bin/orvalis-cli" "$work/pinned")" "$work/pinned"
  reference=$work/pinned
fi
for level in "${levels[@]}"; do
  row "this build, --png-compression $level" \
    "$(median export_run "$build/bin/orvalis-cli" "$work/$level" "$level")" "$work/$level"
done
[ -n "$reference" ] || reference=$work/fast
read -r wall cpu peak <<<"$(median gdaldem_pair)"
printf '| gdaldem hillshade + color-relief, PNG | %.2f | %.2f | %.0f | %s | | | | |\n' "$wall" "$cpu" \
  "$((${peak%.*} / 1024))" "$(stat -c %s "$work/relief.png") + $(stat -c %s "$work/hillshade.png")"

# Decoded by GDAL (raw samples, pixel-interleaved) and by PIL.
same_pixels() {  # a.png b.png
  gdal_translate -q -of ENVI -co INTERLEAVE=BIP "$1" "$work/a.raw"
  gdal_translate -q -of ENVI -co INTERLEAVE=BIP "$2" "$work/b.raw"
  cmp -s "$work/a.raw" "$work/b.raw" && /usr/bin/python3 -c '
import sys
from PIL import Image
a, b = (Image.open(p) for p in sys.argv[1:])
sys.exit(not (a.mode == b.mode and a.size == b.size and a.tobytes() == b.tobytes()))' "$1" "$2"
}
echo
differ=0
for level in "${levels[@]}"; do
  for f in "${files[@]}"; do
    [ "$work/$level" = "$reference" ] && continue
    if same_pixels "$reference/$f.png" "$work/$level/$f.png"; then verdict="same pixels"; else
      verdict="DIFFERENT PIXELS"; differ=1; fi
    echo "$level $f.png: $verdict as $(basename "$reference")"
  done
done
exit "$differ"
