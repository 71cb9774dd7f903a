#!/usr/bin/env python3
"""Writes the Jacksboro fault DEM that Debian's python3-matplotlib ships
(403 x 344 cells of 3 arc-seconds) as an Int16 GeoTIFF in EPSG:4326.

    jacksboro_dem.py OUTPUT.tif
"""
import sys

import matplotlib.cbook as cbook
import numpy as np
from osgeo import gdal, osr

gdal.UseExceptions()


def write_dem(path, heights, west, dx, north, dy, data_type=gdal.GDT_Int16):
    """Heights (row 0 the northern edge) as a GeoTIFF in EPSG:4326 whose
    top-left corner lies at (west, north), cells dx by dy degrees."""
    out = gdal.GetDriverByName("GTiff").Create(path, heights.shape[1], heights.shape[0], 1, data_type)
    out.SetGeoTransform((west, dx, 0, north, 0, -dy))
    system = osr.SpatialReference()
    system.ImportFromEPSG(4326)
    out.SetProjection(system.ExportToWkt())
    out.GetRasterBand(1).WriteArray(heights)


def main(path):
    data = np.load(cbook.get_sample_data("jacksboro_fault_dem.npz", asfileobj=False))
    # Row 0 is the northern edge, at the larger latitude the file calls ymin.
    write_dem(path, data["elevation"], float(data["xmin"]), float(data["dx"]), float(data["ymin"]), float(data["dy"]))


if __name__ == "__main__":
    main(sys.argv[1])
