#!/usr/bin/env bash
# The real-scale lighting's acceptance figures on a real DEM: the Jacksboro
# fault DEM that Debian's python3-matplotlib ships (403 x 344 cells of 3
# arc-seconds, EPSG:4326), lit from azimuth 300, 12 degrees up. Makes its
# inputs in a work folder (never in the tree) and prints the figures of
# bench/real_scale_check.py. Needs gdal-bin, python3-gdal, python3-numpy and
# python3-matplotlib.
#
#   bench/real_scale_check.sh [BUILD_BIN]   (default: build/release/bin)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${1:-$root/build/release/bin}
work=${ORVALIS_CHECK_DIR:-${TMPDIR:-/tmp}/orvalis-real-scale}
python=${PYTHON:-/usr/bin/python3}
rm -rf "$work"
mkdir -p "$work"

"$python" "$root/bench/jacksboro_dem.py" "$work/dem.tif"
# A wall 40 m high across a 64 x 64 map of 1 m cells, 20 rows below the
# northern edge: lit from the north along the columns, 58 degrees up, it
# casts a shadow 25 m long.
"$python" - "$work/wall.tif" <<'PY'
import sys
import numpy as np
from osgeo import gdal
heights = np.zeros((64, 64), dtype=np.float32)
heights[20, :] = 40
out = gdal.GetDriverByName("GTiff").Create(sys.argv[1], 64, 64, 1, gdal.GDT_Float32)
out.GetRasterBand(1).WriteArray(heights)
PY

tiles=$bin/sample/snow.bmp,$bin/sample/rock.bmp,$bin/sample/grass.bmp,$bin/sample/sand.bmp,$bin/sample/water.bmp
sun=(--sun-azimuth 300 --sun-elevation 12)
cd "$work"
"$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 403 "${sun[@]}" --format tif \
  --output lit.tif --shadow-map shadow.tif --quiet
"$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 806 "${sun[@]}" --format tif \
  --output half.tif --shadow-map shadow_half.tif --quiet
seconds() { local start=$EPOCHREALTIME; "$@"; awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }'; }
big=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 4096 "${sun[@]}" \
  --format tif --output big.tif --quiet)
sky=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 4096 "${sun[@]}" \
  --sky-light --format tif --output sky.tif --quiet)
classic=$(seconds "$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 4096 \
  --light-dir 300 --sun-pos 21 --format tif --output classic.tif --quiet)
echo "$big $sky $classic" > seconds.txt
"$bin/orvalis-cli" generate --heightmap wall.tif --tiles "$tiles" --size 64 --cell-size 1 \
  --sun-azimuth 0 --sun-elevation 57.99461679191651 --sun-size 0 --format tif --output wall_tex.tif \
  --shadow-map wall_shadow.tif --quiet

# gdaldem on the same grid in metres: the cells' ground size at the centre
# latitude, as real_scale_check.py computes it.
"$python" -c "
import sys; sys.path.insert(0, '$root/bench')
import real_scale_check as check
from osgeo import gdal
dem = gdal.Open('dem.tif')
t = dem.GetGeoTransform()
per_x, per_y = check.metres_per_degree(t[3] + t[5] * dem.RasterYSize / 2)
out = gdal.GetDriverByName('GTiff').CreateCopy('metres.tif', dem)
out.SetProjection('')
out.SetGeoTransform((0, abs(t[1]) * per_x, 0, 0, 0, -abs(t[5]) * per_y))
"
gdaldem hillshade -q -az 300 -alt 12 -compute_edges metres.tif hillshade.tif

"$python" "$root/bench/real_scale_check.py" "$work"
