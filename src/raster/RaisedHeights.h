#pragma once

#include <cstddef>

#include "raster/HeightPlane.h"

namespace orvalis {

// Heights below `level` raised to it, as open water's flat surface hides the
// ground below it from the light; cells without data (NaN) stay without.
void RaiseTo(double level, double* heights, std::size_t count);

// The plane's heights, as doubles, raised so.
HeightPlane RaisedTo(const HeightPlane& heights, double level);

}  // namespace orvalis
