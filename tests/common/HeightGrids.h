#pragma once

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"
#include "lighting/ShadowMarch.h"

namespace orvalis::test {

// The shadow march's grid of a picture's heights (r + g + b) div 3.
inline HeightGrid GridOf(const TDibBuffer& heightmap) { return BuildHeightGrid(HeightsOfPixels(heightmap)); }

}  // namespace orvalis::test
