#pragma once

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

}  // namespace orvalis
