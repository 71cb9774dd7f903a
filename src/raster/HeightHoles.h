#pragma once

#include "raster/HeightPlane.h"

namespace orvalis {

// The lowest height of the plane that has data (NaN and infinities have
// none); 0 when no cell has data. Cells without data take it wherever heights
// are resampled or lit, so that a hole lies low and open.
double LowestHeightWithData(const HeightPlane& plane);

}  // namespace orvalis
