#pragma once

#include <vector>

#include "raster/Progress.h"
#include "lighting/HorizonSweep.h"
#include "lighting/SunDirection.h"

namespace orvalis {

// The share of the sun's disc that stands above a horizon, from the tangent
// of the horizon's elevation: 1 below the disc, 0 above it, and between, the
// area of the circular segment above the horizon line (a penumbra). A sun of
// no size is either seen or not.
class SunDiscShare {
public:
    explicit SunDiscShare(const SunPosition& sun);
    float operator()(double tangent) const;

private:
    double elevation_;     // radians
    double radius_;        // radians
    double clearBelow_;    // tangents up to this leave the whole disc in sight
    double hiddenAbove_;   // tangents from this hide it all
};

// The sun's visibility of every cell, 0 .. 1, bottom row first.
std::vector<float> SunVisibility(HorizonSweeps& sweeps, const SunPosition& sun, const RunOptions& options);

}  // namespace orvalis
