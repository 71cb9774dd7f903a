#!/usr/bin/env bash
# Compares, byte for byte, the textures and lightmaps of this build with
# those of a pinned build on large fractal heightmaps (seeded ImageMagick
# plasma, made here, never committed), for several light settings and
# thread counts. The pinned build is that of ORVALIS_PINNED_BUILD (a build
# folder holding bin/orvalis-cli) or is made from the commit
# ORVALIS_PINNED_COMMIT. The pinned results are kept as checksums, so a
# second run only runs this build.
#
#   ORVALIS_PINNED_COMMIT=abc123 bench/check_exact.sh [SIZES] [THREADS]
#   e.g. bench/check_exact.sh 1024,2048,4096 1,2,3
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVALIS_BENCH_BUILD:-$root/build/bench}
work=${ORVALIS_CHECK_DIR:-${TMPDIR:-/tmp}/orvalis-check-exact}
sizes=${1:-1024,2048,4096}
threads=${2:-1,2,3}
# Light direction:sun position pairs; the larger pictures take the first
# few. ORVALIS_CHECK_SETTINGS="dir:sun ..." replaces them.
read -r -a settings <<<"${ORVALIS_CHECK_SETTINGS:-90:50 0:0 181:1 270:400 45:100 359:399 89:50 180:0}"

mkdir -p "$work"
configure() {  # source build
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVALIS_WITH_GUI=OFF \
    -DORVALIS_WITH_TESTS=OFF -DORVALIS_WITH_BENCH=ON >/dev/null
  cmake --build "$2" --parallel 2 --target orvalis-cli orvalis-bench >/dev/null
}
configure "$root" "$build"
pinned=${ORVALIS_PINNED_BUILD:-}
if [ -z "$pinned" ]; then
  commit=${ORVALIS_PINNED_COMMIT:?set ORVALIS_PINNED_BUILD or ORVALIS_PINNED_COMMIT}
  pinned=$work/pinned-$commit
  if [ ! -x "$pinned/build/bin/orvalis-cli" ]; then
    mkdir -p "$pinned/src"
    git -C "$root" archive "$commit" | tar -x -C "$pinned/src"
    configure "$pinned/src" "$pinned/build"
  fi
  pinned=$pinned/build
fi

inputs=$work/inputs
mkdir -p "$inputs"
[ -f "$inputs/snow.bmp" ] || "$build/bin/orvalis-bench" --inputs "$inputs"
tiles=$inputs/snow.bmp,$inputs/rock.bmp,$inputs/grass.bmp,$inputs/sand.bmp,$inputs/water.bmp
sums=$work/pinned-sums.txt
touch "$sums"

# Prints the checksums of the texture and lightmap that `cli` makes.
generate() {  # cli heightmap size dir sun threads
  local out
  out=$(mktemp -d "$work/run.XXXXXX")
  "$1" generate --quiet --heightmap "$2" --tiles "$tiles" --size "$3" --light-dir "$4" \
    --sun-pos "$5" --threads "$6" --output "$out/texture.bmp" --lightmap "$out/lm.bmp"
  (cd "$out" && sha256sum texture.bmp lm.bmp | awk '{ printf "%s ", $1 }')
  rm -rf "$out"
}

cases=0 failures=0
for edge in ${sizes//,/ }; do
  heightmap=$inputs/fractal$edge.bmp
  [ -f "$heightmap" ] || convert -seed "$edge" -size "${edge}x$edge" plasma:fractal -blur 0x8 \
    -colorspace gray -type truecolor "BMP3:$heightmap"
  count=${#settings[@]}
  [ "$edge" -ge 4096 ] && count=3
  [ "$edge" -ge 2048 ] && [ "$edge" -lt 4096 ] && count=5
  for setting in "${settings[@]:0:$count}"; do
    IFS=: read -r dir sun <<<"$setting"
    key="$edge $dir $sun"
    want=$(grep "^$key " "$sums" | cut -d' ' -f4- || true)
    if [ -z "$want" ]; then
      want=$(generate "$pinned/bin/orvalis-cli" "$heightmap" "$edge" "$dir" "$sun" 2)
      echo "$key $want" >>"$sums"
    fi
    for t in ${threads//,/ }; do
      got=$(generate "$build/bin/orvalis-cli" "$heightmap" "$edge" "$dir" "$sun" "$t")
      cases=$((cases + 1))
      if [ "$got" = "$want" ]; then
        echo "same  fractal $edge, light $dir, sun $sun, $t threads"
      else
        echo "DIFFERENT  fractal $edge, light $dir, sun $sun, $t threads"
        failures=$((failures + 1))
      fi
    done
  done
done
echo "$cases cases, $failures different"
[ "$failures" -eq 0 ]
