#!/usr/bin/env python3
"""Writes the topography and bathymetry sample that Debian's
python3-matplotlib ships (120 x 91 cells of 2 arc-minutes around the Strait
of Georgia, heights and depths in metres) as a Float32 GeoTIFF in EPSG:4326.

    topobathy_dem.py OUTPUT.tif
"""
import sys

import matplotlib.cbook as cbook
import numpy as np
from osgeo import gdal

from jacksboro_dem import write_dem


def main(path):
    data = np.load(cbook.get_sample_data("topobathy.npz", asfileobj=False))
    longitude, latitude = data["longitude"].astype(float), data["latitude"].astype(float)
    dx, dy = (longitude[-1] - longitude[0]) / (len(longitude) - 1), (latitude[-1] - latitude[0]) / (len(latitude) - 1)
    # Its rows run from south to north, its longitudes east of Greenwich.
    write_dem(path, data["topo"][::-1].astype(np.float32), longitude[0] - 360 - dx / 2, dx, latitude[-1] + dy / 2, dy,
              gdal.GDT_Float32)


if __name__ == "__main__":
    main(sys.argv[1])
