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


def main(path):
    data = np.load(cbook.get_sample_data("jacksboro_fault_dem.npz", asfileobj=False))
    heights = data["elevation"]
    out = gdal.GetDriverByName("GTiff").Create(path, heights.shape[1], heights.shape[0], 1, gdal.GDT_Int16)
    # Row 0 is the northern edge, at the larger latitude the file calls ymin.
    out.SetGeoTransform((float(data["xmin"]), float(data["dx"]), 0, float(data["ymin"]), 0, -float(data["dy"])))
    system = osr.SpatialReference()
    system.ImportFromEPSG(4326)
    out.SetProjection(system.ExportToWkt())
    out.GetRasterBand(1).WriteArray(heights)


if __name__ == "__main__":
    main(sys.argv[1])
