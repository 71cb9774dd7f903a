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
npz=$("$python" -c 'import matplotlib.cbook as c; print(c.get_sample_data("jacksboro_fault_dem.npz", asfileobj=False))')
rm -rf "$work"
mkdir -p "$work"

"$python" - "$npz" "$work" <<'PY'
import sys
import numpy as np
from osgeo import gdal, osr
data = np.load(sys.argv[1])
heights = data["elevation"]
out = gdal.GetDriverByName("GTiff").Create(f"{sys.argv[2]}/dem.tif", heights.shape[1], heights.shape[0], 1, gdal.GDT_Int16)
# Row 0 is the northern edge, at the larger latitude the file calls ymin.
out.SetGeoTransform((float(data["xmin"]), float(data["dx"]), 0, float(data["ymin"]), 0, -float(data["dy"])))
system = osr.SpatialReference()
system.ImportFromEPSG(4326)
out.SetProjection(system.ExportToWkt())
out.GetRasterBand(1).WriteArray(heights)
PY

tiles=$bin/sample/snow.bmp,$bin/sample/rock.bmp,$bin/sample/grass.bmp,$bin/sample/sand.bmp,$bin/sample/water.bmp
sun=(--sun-azimuth 300 --sun-elevation 12)
cd "$work"
"$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 403 "${sun[@]}" --format tif \
  --output lit.tif --shadow-map shadow.tif --quiet
"$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 806 "${sun[@]}" --format tif \
  --output half.tif --shadow-map shadow_half.tif --quiet
"$bin/orvalis-cli" generate --heightmap dem.tif --tiles "$tiles" --size 4096 "${sun[@]}" --format tif \
  --output big.tif --quiet

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
