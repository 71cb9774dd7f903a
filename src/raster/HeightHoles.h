#pragma once

#include "raster/HeightPlane.h"
#include "raster/ParallelRows.h"

namespace orvalis {

// The lowest height of the plane that has data (NaN and infinities have
// none); 0 when no cell has data. Cells without data take it wherever heights
// are resampled or lit, so that a hole lies low and open.
// Rows are searched in parallel as options ask; of equal heights (0 and -0)
// the first still counts, as in one pass.
double LowestHeightWithData(const HeightPlane& plane, const RunOptions& options = OneThread());

}  // namespace orvalis
