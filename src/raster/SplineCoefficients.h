#pragma once

#include <cstdint>
#include <vector>

#include "raster/ParallelRows.h"

namespace orvalis {

// Turns, in place, the lines of a plane of heights (bottom row first, `width`
// a row) into the coefficients of the cubic B-spline that passes through
// them: each row across its columns (acrossColumns) and then each column
// across its rows (acrossRows), as asked. A line's coefficients c make
// (c[k-1] + 4 c[k] + c[k+1]) / 6 = h[k], its ends going on straight as the
// surface does past the edge (SurfaceEdge.h: c[-1] = 2 c[0] - c[1]), which
// makes c[0] = h[0] and the spline's curvature 0 there. Lines are solved in
// parallel, each by the same steps whatever thread takes it, so every thread
// count gives the same coefficients.
void ToSplineCoefficients(std::vector<double>& plane, std::int32_t width, std::int32_t rows, bool acrossColumns,
                          bool acrossRows, const RunOptions& options);

}  // namespace orvalis
