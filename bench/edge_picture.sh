#!/usr/bin/env bash
# The real-scale light at the map's edge, enlarged 10 times: 400 x 340 cells
# of the Jacksboro fault DEM (bench/jacksboro_dem.py) into a 4000 x 3400
# texture lit from azimuth 300, 12 degrees up, and a plane rising 30 degrees
# toward the south-east, 40 x 34 cells into 400 x 340 lit from azimuth 45,
# 40 degrees up (mid-grey, no shadows on it). Prints for each build
# given:
#   - per side of the DEM's lightmap, the change of the light from one column
#     to the next over the first 8 columns (rows on the southern and northern
#     side), and the change along them from row to row (the relief the
#     border shows), each over the interior's at the same places within a cell;
#   - the plane's light at the border against inside: the most they differ
#     (grey levels of 255).
# The picture shows the DEM's western border, 120 x 120 pixels enlarged 3
# times, of the pinned build (ORVALIS_PINNED_BUILD, a folder holding
# bin/orvalis-cli) on the left, of this build on the right. Needs gdal-bin,
# python3-gdal, python3-matplotlib and python3-pil.
#
#   ORVALIS_PINNED_BUILD=/path/to/build bench/edge_picture.sh [BUILD_BIN] [OUTPUT]
#   (defaults: build/release/bin, docs/images/map-edge.png)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pinned=${ORVALIS_PINNED_BUILD:+$(cd "$ORVALIS_PINNED_BUILD/bin" && pwd)}
source "$root/bench/common.sh"
bench_picture map-edge "$@"

"$python" "$root/bench/jacksboro_dem.py" "$work/whole.tif"
gdal_translate -q -srcwin 0 0 400 340 "$work/whole.tif" "$work/dem.tif"
"$python" - "$work/plane.tif" <<'PY'
import sys
import numpy as np
from osgeo import gdal
rows, columns = np.mgrid[0:34, 0:40]
heights = (np.tan(np.radians(30)) * (rows + columns) / np.sqrt(2)).astype(np.float32)
out = gdal.GetDriverByName("GTiff").Create(sys.argv[1], 40, 34, 1, gdal.GDT_Float32)
out.GetRasterBand(1).WriteArray(heights)
PY
cd "$work"
builds=()
[ -z "$pinned" ] || builds+=("pinned:$pinned")
builds+=("this:$bin")
for build in "${builds[@]}"; do
  name=${build%%:*} cli=${build#*:}/orvalis-cli tiles=$(bench_sample_tiles "${build#*:}")
  "$cli" generate --heightmap dem.tif --tiles "$tiles" --size 4000 --sun-azimuth 300 --sun-elevation 12 \
    --format png --output "$name.png" --quiet
  "$cli" generate --heightmap plane.tif --tiles "$tiles" --size 400 --sun-azimuth 45 --sun-elevation 40 \
    --format png --output "${name}_plane.png" --quiet
done
PYTHONPATH=$root/bench "$python" - "$output" "${builds[@]%%:*}" <<'PY'
import sys
import numpy as np
from PIL import Image
from side_by_side import save, side_by_side
output, names = sys.argv[1], sys.argv[2:]
grey = lambda name: np.asarray(Image.open(name).convert("L"), dtype=np.float64)
for name in names:
    light = grey(name + "_lm.png")
    figures = []
    for side, view in (("west", light), ("east", light[:, ::-1]), ("south", light[::-1].T), ("north", light.T)):
        across, along = np.abs(np.diff(view, axis=1)), np.abs(np.diff(view, axis=0))
        # The interior at the same places within a cell of 10 pixels.
        inner = lambda change: np.mean([change[:, k + 10 * np.arange(4, change.shape[1] // 10 - 4)].mean() for k in range(8)])
        figures.append(f"{side} {across[:, :8].mean() / inner(across):.2f} / {along[:, :8].mean() / inner(along):.2f}")
    plane = grey(name + "_plane_lm.png")
    print(f"{name}: first 8 columns over the interior, across / along: {', '.join(figures)}; "
          f"a plane's border against inside: {np.abs(plane - plane[170, 200]).max():.0f} grey levels")
both = side_by_side([name + "_lm.png" for name in names], crop=(0, 1500, 120, 120), zoom=3)
save(both, output)
print(f"{output}: {both.width} x {both.height}")
PY
ls -l "$output" | awk '{print $5 " bytes"}'
