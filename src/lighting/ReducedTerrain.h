#pragma once

#include <cstdint>

#include "lighting/Lightmap.h"
#include "raster/HeightPlane.h"
#include "raster/Progress.h"

namespace orvalis {

// A terrain at a fraction of its size, for a quick look at a light while it
// is being chosen: each height is the mean of a Factor x Factor block (fewer
// at the right and top edges), and the lighting divides heights by Factor,
// so that slopes keep their steepness and shadows their length.
struct ReducedTerrain {
    TerrainLighting Terrain;
    std::int32_t Factor = 1;
};

// factor >= 1; a factor of 1 lights exactly as ShadeTerrain does.
ReducedTerrain ReduceTerrain(const HeightPlane& field, std::int32_t factor,
                             const RunOptions& options = {});

// The lightmap of the reduced terrain for this light: 24-bit grey, the
// reduced size.
TDibBuffer ShadeReducedTerrain(const ReducedTerrain& reduced, const LightSettings& light,
                               const RunOptions& options = {});

}  // namespace orvalis
