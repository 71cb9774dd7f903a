#pragma once

#include <string>

#include "raster/Picture.h"
#include "generation/TerrainSampling.h"

namespace orvalis {

// The sampling of one heightmap, read from `path`: where the cells' size
// comes from its georeference, the real-scale light takes it from there.
// Raises Error naming the file where the heightmap cannot be sampled so: it
// has no cell with data to light or resample smoothly, or at the real scale
// its cells, or its heights times the z-factor, lie outside the limits of
// TerrainOptions.h.
TerrainSampling SamplingOfHeightmap(const TerrainSampling& sampling, const Picture& heightmap, const std::string& path);

}  // namespace orvalis
