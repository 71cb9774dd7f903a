#pragma once

#include <cstdint>
#include <optional>

#include "raster/GeoReference.h"

namespace orvalis {

// The ground distance of a cell given in degrees of longitude (x) and
// latitude (y), in metres at the given latitude on the WGS 84 ellipsoid:
// a degree of latitude is about 111 km everywhere, a degree of longitude
// shrinks with the cosine of the latitude.
struct GroundCellSize {
    double X = 0;
    double Y = 0;
};
GroundCellSize MetresOfDegreeCell(double degreesX, double degreesY, double latitude);

// The ground size of the cells of a picture of width x rows pixels from its
// georeference: in metres for a geographic system (at the picture's centre
// latitude) or a projected one, else in the transform's own unit; none
// without a transform.
std::optional<GroundCellSize> GroundCellsOf(const GeoReference& geo, std::int32_t width, std::int32_t rows);

}  // namespace orvalis
