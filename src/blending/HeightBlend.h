#pragma once

#include <optional>

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"
#include "raster/Progress.h"
#include "blending/BandBlend.h"
#include "blending/BandHeights.h"

namespace orvalis {

// Blends the tiles over a 24-bit bottom-up texture of the plane's size, one
// pixel for each of its heights (bottom row first): the two bands around a
// pixel's band level share it by their BandWeight, each channel rounded to
// the nearest byte. Unlike the classic blend, which works from whole grey
// levels, it takes heights as finely as they come, so smoothly resampled
// heights give smooth transitions. Ground below `waterLevel` is all water
// (band 0).
TDibBuffer BlendByHeights(const HeightPlane& heights, const BandHeights& bands, const TileSet& tiles,
                          const RunOptions& options = {}, const std::optional<double>& waterLevel = std::nullopt);

}  // namespace orvalis
