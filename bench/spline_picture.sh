#!/usr/bin/env bash
# The spline's picture: 64 x 48 cells of the Jacksboro fault DEM
# (bench/jacksboro_dem.py, cells 150 .. 213 across, 150 .. 197 down) enlarged
# 16 times to 1024 x 768 and lit from azimuth 300, 30 degrees up: the
# lightmaps of --resample smooth (cubic convolution) on the left and
# --resample spline on the right, the top-left 512 x 384 pixels of each.
# Prints how strongly each shows the cells' lattice: the kinks of the light
# (its second difference from pixel to pixel, in size), averaged over the
# pixels at each of the 16 places within a cell, vary that much from place
# to place (spread / mean; 0 for no lattice). Needs gdal-bin, python3-gdal, python3-matplotlib and
# python3-pil.
#
#   bench/spline_picture.sh [BUILD_BIN] [OUTPUT]
#   (defaults: build/release/bin, docs/images/smooth-vs-spline.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/bench/common.sh"
bench_picture smooth-vs-spline "$@"

"$python" "$root/bench/jacksboro_dem.py" "$work/whole.tif"
gdal_translate -q -srcwin 150 150 64 48 "$work/whole.tif" "$work/dem.tif"
cd "$work"
for resample in smooth spline; do
  "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$(bench_sample_tiles "$bin")" --size 1024 \
    --sun-azimuth 300 --sun-elevation 30 --resample "$resample" --format png --output "$resample.png" --quiet
done
PYTHONPATH=$root/bench "$python" - "$output" <<'PY'
import sys
import numpy as np
from PIL import Image
from side_by_side import save, side_by_side
both = side_by_side(["smooth_lm.png", "spline_lm.png"], crop=(0, 0, 512, 384))
save(both, sys.argv[1])
for resample in ("smooth", "spline"):
    light = np.asarray(Image.open(resample + "_lm.png").convert("L"), dtype=np.float64)
    # Away from the border, whole cells of 16 pixels.
    inner = light[32:-32, 32:-32]
    places = [np.abs(np.diff(inner, n=2, axis=axis)) for axis in (1, 0)]
    means = [np.array([np.take(change, range(k, change.shape[axis], 16), axis=axis).mean() for k in range(16)])
             for axis, change in zip((1, 0), places)]
    print(f"{resample}: lattice across columns {means[0].std() / means[0].mean():.2f}, "
          f"across rows {means[1].std() / means[1].mean():.2f}")
print(f"{sys.argv[1]}: {both.width} x {both.height}")
PY
ls -l "$output" | awk '{print $5 " bytes"}'
