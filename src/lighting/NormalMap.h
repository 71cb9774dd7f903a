#pragma once

#include <vector>

#include "raster/HeightPlane.h"
#include "raster/Progress.h"
#include "lighting/NormalEntry.h"

namespace orvalis {

// One entry per heightmap pixel, pixel (row, column) at row * width + column,
// rows as in the height plane.
using TNormalMap = std::vector<NormalEntry>;

// Fills normals with width x Rows entries from the eight triangles of each
// pixel's 3 x 3 neighbourhood of samples two pixels apart.
void BuildNormalMap(const HeightPlane& plane, TNormalMap& normals, float heightScale,
                    const RunOptions& options = {});

}  // namespace orvalis
