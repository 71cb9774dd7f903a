#include "raster/GeoReference.h"

namespace orvalis {

std::array<double, 6> TransformForSize(const std::array<double, 6>& transform, std::int32_t fromWidth,
                                       std::int32_t fromRows, std::int32_t width, std::int32_t rows) {
    const double across = static_cast<double>(fromWidth) / width, down = static_cast<double>(fromRows) / rows;
    return {transform[0], transform[1] * across, transform[2] * down,
            transform[3], transform[4] * across, transform[5] * down};
}

}  // namespace orvalis
