#pragma once

#include <functional>
#include <vector>

#include "raster/Progress.h"
#include "lighting/ClearSky.h"
#include "lighting/HorizonSweep.h"

namespace orvalis {

// The sky's light on every cell of the swept grid (bottom row first) where
// the terrain hides part of the sky: per direction, the sky above the cell's
// horizon and above its own face (ClearSky::FromDirection), so open level
// ground gets 1, a tilted face less, and the floor of a narrow valley little.
// `directionDone` is called on the calling thread after each direction.
std::vector<float> SkyLightOnCells(HorizonSweeps& sweeps, const ClearSky& sky, const RunOptions& options,
                                   const std::function<void(int directionsDone)>& directionDone = {});

}  // namespace orvalis
