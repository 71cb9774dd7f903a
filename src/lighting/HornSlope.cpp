#include "lighting/HornSlope.h"

#include <algorithm>
#include <cmath>

#include "raster/SurfaceEdge.h"

namespace orvalis {

namespace {

// Horn's weights over the window around (row, column), its heights z(r, c).
template <class Heights>
GroundSlope SlopeOfWindow(const GroundGrid& grid, std::int32_t row, std::int32_t column, const Heights& z) {
    const std::int32_t south = row - 1, north = row + 1, west = column - 1, east = column + 1;
    const double eastSide = z(north, east) + 2 * z(row, east) + z(south, east);
    const double westSide = z(north, west) + 2 * z(row, west) + z(south, west);
    const double northSide = z(north, west) + 2 * z(north, column) + z(north, east);
    const double southSide = z(south, west) + 2 * z(south, column) + z(south, east);
    return {(eastSide - westSide) / (4 * (2 * grid.CellX)), (northSide - southSide) / (4 * (2 * grid.CellY))};
}

// The height at (row, column), past the map's edge where the surface goes on
// in a straight line across each axis (HeightAt).
double HeightBeyond(const GroundGrid& grid, std::int32_t row, std::int32_t column) {
    return HeightAt(row, grid.Rows, [&](std::int64_t r) {
        return HeightAt(column, grid.Width, [&](std::int64_t c) {
            return static_cast<double>(grid.At(static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)));
        });
    });
}

}  // namespace

GroundSlope HornSlope(const GroundGrid& grid, std::int32_t row, std::int32_t column) {
    if (row > 0 && row + 1 < grid.Rows && column > 0 && column + 1 < grid.Width) {
        return SlopeOfWindow(grid, row, column,
                             [&grid](std::int32_t r, std::int32_t c) { return static_cast<double>(grid.At(r, c)); });
    }
    return SlopeOfWindow(grid, row, column,
                         [&grid](std::int32_t r, std::int32_t c) { return HeightBeyond(grid, r, c); });
}

double SunFacing(const GroundSlope& slope, const SunVector& sun) {
    // The normal (-east, -north, 1), not yet of unit length.
    const double along = -slope.East * sun.East - slope.North * sun.North + sun.Up;
    return std::max(0.0, along / std::sqrt(slope.East * slope.East + slope.North * slope.North + 1));
}

}  // namespace orvalis
