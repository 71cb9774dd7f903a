# Shared by the bench scripts; sourced, not run.

# bench_install SCRIPT PACKAGE...: installs the Debian packages given (the
# caller lists those it misses) when running as root; otherwise says what
# SCRIPT needs and stops it.
bench_install() {
  local script=$1
  shift
  [ $# -gt 0 ] || return 0
  if [ "$(id -u)" -eq 0 ]; then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
  else
    echo "$script needs: $*" >&2
    exit 1
  fi
}

# bench_median REPEATS COMMAND...: the median of the lines the command
# prints in REPEATS runs, field by field.
bench_median() {
  local repeats=$1 runs=()
  shift
  for _ in $(seq "$repeats"); do runs+=("$("$@")"); done
  printf '%s\n' "${runs[@]}" | python3 -c '
import sys, statistics
rows = [list(map(float, l.split())) for l in sys.stdin if l.strip()]
print(" ".join("%g" % statistics.median(c) for c in zip(*rows)))'
}

# bench_sample_tiles BIN: the five tiles of the sample terrain in BIN/sample,
# as --tiles takes them.
bench_sample_tiles() {
  local sample=$1/sample
  echo "$sample/snow.bmp,$sample/rock.bmp,$sample/grass.bmp,$sample/sand.bmp,$sample/water.bmp"
}

# bench_picture NAME [BUILD_BIN] [OUTPUT]: what a script that makes a picture
# of the docs starts from: bin (default build/release/bin), output (default
# docs/images/NAME.png, its folder made), python and work, a folder removed
# on exit.
bench_picture() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  bin=$(cd "${2:-$root/build/release/bin}" && pwd)
  output=$(realpath -m "${3:-$root/docs/images/$1.png}")
  mkdir -p "$(dirname "$output")"
  python=${PYTHON:-/usr/bin/python3}
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

# bench_enlarged_dem WORK EDGE: the Jacksboro fault DEM (bench/jacksboro_dem.py)
# enlarged to EDGE x EDGE Float32 cells by GDAL's cubic spline, made in the
# folder WORK once and never committed; prints its path. Needs gdalwarp.
bench_enlarged_dem() {
  local work=$1 edge=$2
  mkdir -p "$work"
  [ -f "$work/dem.tif" ] || /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/jacksboro_dem.py" "$work/dem.tif"
  [ -f "$work/dem$edge.tif" ] ||
    gdalwarp -q -ot Float32 -ts "$edge" "$edge" -r cubicspline "$work/dem.tif" "$work/dem$edge.tif"
  echo "$work/dem$edge.tif"
}
