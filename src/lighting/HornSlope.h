#pragma once

#include <cstdint>

#include "lighting/GroundGrid.h"
#include "lighting/SunDirection.h"

namespace orvalis {

// The rise of the ground per unit of distance toward the east and toward the
// north at one cell, by Horn's 3 x 3 weights (as gdaldem's hillshade takes
// them). Past the map's edge the surface goes on in a straight line
// (raster/SurfaceEdge.h), so an edge cell is shaded as one inside is: a
// plane has its slope up to its border.
struct GroundSlope {
    double East = 0;
    double North = 0;
};
GroundSlope HornSlope(const GroundGrid& grid, std::int32_t row, std::int32_t column);

// The cosine between the ground's normal and the direction toward the sun,
// cut at 0: a face turned away gets no direct light, and never less.
double SunFacing(const GroundSlope& slope, const SunVector& sun);

}  // namespace orvalis
