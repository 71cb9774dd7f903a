#!/usr/bin/env bash
# The README's picture: the Jacksboro fault DEM (bench/jacksboro_dem.py)
# textured with the sample tiles and lit by the same sun, from azimuth 300
# (west-north-west), about 12 degrees up: classic on the left (the square
# texture, --light-dir 150 --sun-pos 21: the classic light counts
# counter-clockwise from east, so azimuth A is --light-dir (450 - A) mod 360,
# and --sun-pos is 100 x the tangent of the elevation) and at its real scale
# on the right, both made at 1024 and shown 344 pixels high. Prints the
# shadowed share and the time of each generation. Needs python3-gdal,
# python3-matplotlib and python3-pil.
#
#   bench/real_scale_picture.sh [BUILD_BIN] [OUTPUT]
#   (defaults: build/release/bin, docs/images/classic-vs-real-scale.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/bench/common.sh"
bench_picture classic-vs-real-scale "$@"

"$python" "$root/bench/jacksboro_dem.py" "$work/dem.tif"
tiles=$(bench_sample_tiles "$bin")
cd "$work"
seconds() { local start=$EPOCHREALTIME; "$@"; awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
classic=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 1024 \
  --light-dir 150 --sun-pos 21 --format png --output classic.png --quiet)
real=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 1024 \
  --sun-azimuth 300 --sun-elevation 12 --format png --output real.png --shadow-map shadow.png --quiet)
PYTHONPATH=$root/bench "$python" - "$output" "$classic" "$real" <<'PY'
import sys
import numpy as np
from PIL import Image
from side_by_side import save, side_by_side
output, classic_s, real_s = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
both = side_by_side(["classic.png", "real.png"], height=344)
save(both, output)
classic_lm = np.asarray(Image.open("classic_lm.png").convert("L"), dtype=np.int32)
shadow = np.asarray(Image.open("shadow.png").convert("L"))
print(f"classic: 1024 x 1024 in {classic_s:.2f} s, its lightmap in shadow or turned away "
      f"(153 or darker) on {100 * np.mean(classic_lm <= 153):.1f} % of the pixels")
print(f"real scale: {shadow.shape[1]} x {shadow.shape[0]} in {real_s:.2f} s, shadowed share "
      f"{100 * np.mean(shadow < 128):.1f} %")
print(f"{output}: {both.width} x {both.height}")
PY
ls -l "$output" | awk '{print $5 " bytes"}'
