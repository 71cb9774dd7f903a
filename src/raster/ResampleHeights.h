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

// The cubic convolution (Keys, a = -1/2) of four heights one cell apart at
// t (0 .. 1) from p1 toward p2: the curve ResampleHeights draws between them.
inline double CubicConvolution(double p0, double p1, double p2, double p3, double t) {
    return p1 + 0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
}

}  // namespace orvalis
