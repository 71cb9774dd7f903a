#include "raster/HeightHoles.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvalis {

double LowestHeightWithData(const HeightPlane& plane) {
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0, n = static_cast<std::size_t>(plane.Width) * plane.Rows; i < n; ++i) {
        const double h = plane.Height(i);
        if (std::isfinite(h)) lowest = std::min(lowest, h);
    }
    return std::isfinite(lowest) ? lowest : 0.0;
}

}  // namespace orvalis
