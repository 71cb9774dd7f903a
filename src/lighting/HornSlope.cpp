#include "lighting/HornSlope.h"

#include <algorithm>
#include <cmath>

namespace orvalis {

GroundSlope HornSlope(const GroundGrid& grid, std::int32_t row, std::int32_t column) {
    const std::int32_t south = std::max(row - 1, 0), north = std::min(row + 1, grid.Rows - 1);
    const std::int32_t west = std::max(column - 1, 0), east = std::min(column + 1, grid.Width - 1);
    const auto z = [&grid](std::int32_t r, std::int32_t c) { return static_cast<double>(grid.At(r, c)); };
    // The weights and the 8 hold for neighbours at their full distance; a
    // repeated edge cell stands at the centre's own place, so the divisor
    // counts the distance the two sides really span.
    const double eastSide = z(north, east) + 2 * z(row, east) + z(south, east);
    const double westSide = z(north, west) + 2 * z(row, west) + z(south, west);
    const double northSide = z(north, west) + 2 * z(north, column) + z(north, east);
    const double southSide = z(south, west) + 2 * z(south, column) + z(south, east);
    const double spanX = (east - west) * grid.CellX, spanY = (north - south) * grid.CellY;
    return {spanX > 0 ? (eastSide - westSide) / (4 * spanX) : 0.0,
            spanY > 0 ? (northSide - southSide) / (4 * spanY) : 0.0};
}

double SunFacing(const GroundSlope& slope, const SunVector& sun) {
    // The normal (-east, -north, 1), not yet of unit length.
    const double along = -slope.East * sun.East - slope.North * sun.North + sun.Up;
    return std::max(0.0, along / std::sqrt(slope.East * slope.East + slope.North * slope.North + 1));
}

}  // namespace orvalis
