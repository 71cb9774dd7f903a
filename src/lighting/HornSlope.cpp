#include "lighting/HornSlope.h"

#include <algorithm>
#include <cmath>

#include "raster/SurfaceEdge.h"

namespace orvalis {

namespace {

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
    const bool inside = row > 0 && row + 1 < grid.Rows && column > 0 && column + 1 < grid.Width;
    // The window, north row first (rows count up from the south).
    double z[3][3];
    for (int dr = 1; dr >= -1; --dr) {
        for (int dc = -1; dc <= 1; ++dc) {
            z[1 - dr][1 + dc] = inside ? static_cast<double>(grid.At(row + dr, column + dc))
                                       : HeightBeyond(grid, row + dr, column + dc);
        }
    }
    const double eastSide = z[0][2] + 2 * z[1][2] + z[2][2];
    const double westSide = z[0][0] + 2 * z[1][0] + z[2][0];
    const double northSide = z[0][0] + 2 * z[0][1] + z[0][2];
    const double southSide = z[2][0] + 2 * z[2][1] + z[2][2];
    return {(eastSide - westSide) / (4 * (2 * grid.CellX)), (northSide - southSide) / (4 * (2 * grid.CellY))};
}

double SunFacing(const GroundSlope& slope, const SunVector& sun) {
    // The normal (-east, -north, 1), not yet of unit length.
    const double along = -slope.East * sun.East - slope.North * sun.North + sun.Up;
    return std::max(0.0, along / std::sqrt(slope.East * slope.East + slope.North * slope.North + 1));
}

}  // namespace orvalis
