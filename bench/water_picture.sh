#!/usr/bin/env bash
# The water level's picture: the topography and bathymetry sample of
# Debian's python3-matplotlib (bench/topobathy_dem.py, 120 x 91 cells of 2
# arc-minutes, heights and depths in metres) enlarged 16 times to 1920 x 1456,
# the sand at sea level (--bands 2000,800,200,0,-200), lit from azimuth 300,
# 20 degrees up: on the left as the bands alone have it, the sea floor lit and
# shadowed like land under the water tile; on the right with
# --water-level 0, the sea all water and lying flat for the light. Shown
# 344 pixels high. Prints, over the sea (the pixels all water with the
# water level), the spread of the lightmap and the share the splat map gives
# all to the water, without and with it. Needs python3-gdal,
# python3-matplotlib and python3-pil.
#
#   bench/water_picture.sh [BUILD_BIN] [OUTPUT]
#   (defaults: build/release/bin, docs/images/water-level.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/bench/common.sh"
bench_picture water-level "$@"

"$python" "$root/bench/topobathy_dem.py" "$work/dem.tif"
cd "$work"
for run in bands:"" water:"--water-level 0"; do
  # shellcheck disable=SC2086  # the options are words
  "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$(bench_sample_tiles "$bin")" --size 1920 \
    --bands 2000,800,200,0,-200 --sun-azimuth 300 --sun-elevation 20 ${run#*:} --format png \
    --output "${run%%:*}.png" --splat-map "${run%%:*}_splat.png" --quiet
done
PYTHONPATH=$root/bench "$python" - "$output" <<'PY'
import sys
import numpy as np
from PIL import Image
from side_by_side import save, side_by_side
both = side_by_side(["bands.png", "water.png"], height=344)
save(both, sys.argv[1])
red = lambda name: np.asarray(Image.open(name).convert("RGB"), dtype=np.float64)[..., 0]
sea = red("water_splat_1.png") == 255  # band 0's weight
print(f"sea: {100 * sea.mean():.1f} % of the pixels")
for run in ("bands", "water"):
    light = red(run + "_lm.png")[sea]
    print(f"{run}: lightmap over the sea {light.mean():.1f} +- {light.std():.1f} (of 255), all water in the "
          f"splat map on {100 * np.mean(red(run + '_splat_1.png')[sea] == 255):.1f} % of it")
print(f"{sys.argv[1]}: {both.width} x {both.height}")
PY
ls -l "$output" | awk '{print $5 " bytes"}'
