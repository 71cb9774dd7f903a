#pragma once

#include <functional>
#include <vector>

#include "raster/Progress.h"
#include "lighting/HorizonSweep.h"

namespace orvalis {

// The sky-view factor is taken from the horizons in this many compass
// directions, evenly spread from north.
inline constexpr int kSkyDirections = 16;

// The share of the sky each cell sees, 0 .. 1, bottom row first: 1 minus the
// mean over the directions of the sine of the horizon's elevation (0 where
// the horizon lies below level), so open plains get 1 and the floor of a
// narrow valley little. `directionDone` is called on the calling thread
// after each direction.
std::vector<float> SkyViewFactor(HorizonSweeps& sweeps, const RunOptions& options,
                                 const std::function<void(int directionsDone)>& directionDone = {});

}  // namespace orvalis
