#pragma once

#include <cstdint>

#include "raster/HeightPlane.h"
#include "raster/Progress.h"

namespace orvalis {

// The plane resampled onto width x rows cells over the same extent: every
// cell is an area, so the first and last centres move in by half a cell of
// their own size. Along an axis that grows, heights are interpolated by cubic
// convolution (Keys, a = -1/2), which passes through the source heights and
// keeps slopes continuous; along an axis that shrinks, each new cell takes
// the mean of the source cells it covers, weighted by the area covered.
// Beyond the edges the outer cells repeat, and cells without data take the
// lowest height with data first. The result holds real heights.
HeightPlane ResampleHeights(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                            const RunOptions& options = {});

}  // namespace orvalis
