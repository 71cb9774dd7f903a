#!/usr/bin/env python3
"""Acceptance figures of the real-scale lighting on a real DEM.

Reads the outputs that real_scale_check.sh made in its work folder and prints:
  - agreement of the shadow map with an independent ray march in metres,
  - the shadowed share at the DEM's cell size and at half of it,
  - the correlation of lit cells' shading with gdaldem hillshade,
  - the 4096 texture's shape, extent and equal-neighbour share (also with
    --sky-light), and the time of each 4096 generation,
  - which cells behind a 40 m wall lit along the axis are shadowed.
Needs numpy and GDAL's Python bindings (Debian: python3-numpy python3-gdal).
"""
import math
import sys

import numpy as np
from osgeo import gdal

gdal.UseExceptions()
AZIMUTH, ELEVATION = 300.0, 12.0


def read(path):
    dataset = gdal.Open(path)
    return dataset.ReadAsArray().astype(np.float64), dataset.GetGeoTransform(), dataset


def metres_per_degree(latitude):
    """WGS 84 radii of curvature: (east, north) metres of one degree."""
    a, f = 6378137.0, 1 / 298.257223563
    e2 = f * (2 - f)
    phi = math.radians(latitude)
    w = 1 - e2 * math.sin(phi) ** 2
    meridian = a * (1 - e2) / w ** 1.5
    prime = a / math.sqrt(w)
    return math.radians(1) * prime * math.cos(phi), math.radians(1) * meridian


def bilinear(z, rows, columns):
    """Heights at fractional (row, column), rows counted from the top."""
    r0 = np.clip(np.floor(rows).astype(int), 0, z.shape[0] - 1)
    c0 = np.clip(np.floor(columns).astype(int), 0, z.shape[1] - 1)
    r1 = np.minimum(r0 + 1, z.shape[0] - 1)
    c1 = np.minimum(c0 + 1, z.shape[1] - 1)
    fr, fc = rows - r0, columns - c0
    return (1 - fr) * ((1 - fc) * z[r0, c0] + fc * z[r0, c1]) + fr * ((1 - fc) * z[r1, c0] + fc * z[r1, c1])


def ray_march(z, cell_x, cell_y):
    """True where a ray from the cell centre toward the sun meets the terrain."""
    rows, columns = np.indices(z.shape, dtype=np.float64)
    start = z.copy()
    east, north = math.sin(math.radians(AZIMUTH)), math.cos(math.radians(AZIMUTH))
    rise = math.tan(math.radians(ELEVATION))
    step = min(cell_x, cell_y) / 4
    shadowed = np.zeros(z.shape, dtype=bool)
    active = np.ones(z.shape, dtype=bool)
    t = step
    while active.any():
        r = rows - north * t / cell_y  # rows run south
        c = columns + east * t / cell_x
        inside = (r >= 0) & (r <= z.shape[0] - 1) & (c >= 0) & (c <= z.shape[1] - 1)
        active &= inside
        if not active.any():
            break
        blocked = active & (bilinear(z, np.where(active, r, 0), np.where(active, c, 0)) > start + t * rise)
        shadowed |= blocked
        active &= ~blocked
        t += step
    return shadowed


def main(work):
    dem, transform, _ = read(f"{work}/dem.tif")
    latitude = transform[3] + transform[5] * dem.shape[0] / 2
    per_x, per_y = metres_per_degree(latitude)
    cell_x, cell_y = abs(transform[1]) * per_x, abs(transform[5]) * per_y
    print(f"DEM {dem.shape[1]} x {dem.shape[0]}, cells {cell_x:.2f} x {cell_y:.2f} m at {latitude:.3f} N")

    shadow, _, _ = read(f"{work}/shadow.tif")
    ours = shadow < 128
    marched = ray_march(dem, cell_x, cell_y)
    print(f"shadow map vs ray march in metres: {100 * np.mean(ours == marched):.2f} % of cells agree "
          f"(shadowed: ours {100 * ours.mean():.2f} %, march {100 * marched.mean():.2f} %)")

    half, _, _ = read(f"{work}/shadow_half.tif")
    print(f"shadowed share: {100 * ours.mean():.2f} % at the DEM's cells, {100 * (half < 128).mean():.2f} % "
          f"at half the cell size (difference {100 * abs(ours.mean() - (half < 128).mean()):.2f} points)")

    lightmap, _, _ = read(f"{work}/lit_lm.tif")
    hillshade, _, _ = read(f"{work}/hillshade.tif")
    lit = (shadow == 255) & (hillshade > 0)
    inner = np.zeros(lit.shape, dtype=bool)
    inner[1:-1, 1:-1] = True
    correlation = np.corrcoef(lightmap[lit & inner], hillshade[lit & inner])[0, 1]
    print(f"lit cells' shading vs gdaldem hillshade: correlation {correlation:.4f} over {np.sum(lit & inner)} cells")

    texture, big, dataset = read(f"{work}/big.tif")
    big_lm, _, _ = read(f"{work}/big_lm.tif")
    equal = np.mean(big_lm[:, 1:] == big_lm[:, :-1])
    width, rows = dataset.RasterXSize, dataset.RasterYSize
    corner_error = max(abs(big[0] - transform[0]), abs(big[3] - transform[3]),
                       abs(big[0] + width * big[1] - (transform[0] + dem.shape[1] * transform[1])),
                       abs(big[3] + rows * big[5] - (transform[3] + dem.shape[0] * transform[5])))
    print(f"4096 texture: {width} x {rows}, extent off by {corner_error / abs(transform[1]):.4f} DEM cells, "
          f"same system: {dataset.GetSpatialRef().IsSame(gdal.Open(f'{work}/dem.tif').GetSpatialRef()) == 1}; "
          f"equal horizontal neighbours in its lightmap: {100 * equal:.2f} %")
    sky_lm, _, _ = read(f"{work}/sky_lm.tif")
    print(f"with --sky-light: equal horizontal neighbours {100 * np.mean(sky_lm[:, 1:] == sky_lm[:, :-1]):.2f} %")
    big_s, sky_s, classic_s = (float(v) for v in open(f"{work}/seconds.txt").read().split())
    print(f"4096 generations: real scale {big_s:.2f} s, with --sky-light {sky_s:.2f} s, classic {classic_s:.2f} s")

    # Rows counted from the north; the wall stands in row 20. Between the
    # cells the smooth surface keeps a one-cell wall lower than 40 m (35 m a
    # quarter cell off its centre), which shortens its shadow a little.
    wall, _, _ = read(f"{work}/wall_shadow.tif")
    shadowed = [r for r in range(21, 64) if np.all(wall[r] < 128)]
    print(f"40 m wall lit from the north: every row the same in all 64 columns, border columns included: "
          f"{bool(np.all(wall == wall[:, 31:32]))}; shadowed rows behind it: "
          f"{shadowed[0]}-{shadowed[-1]} ({len(shadowed)} m, 25 m for the full 40 m)")

if __name__ == "__main__":
    main(sys.argv[1])
