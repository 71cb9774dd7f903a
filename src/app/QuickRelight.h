#pragma once

#include <cstdint>
#include <optional>

#include <QImage>

#include "lighting/Lightmap.h"
#include "lighting/ReducedTerrain.h"
#include "raster/DibBuffer.h"

namespace orvalis {

// A generation's blend and terrain at about the picture box's size: a light
// is shown from them within moments, while the whole relight is worked on.
struct QuickRelightSource {
    ReducedTerrain Terrain;
    TDibBuffer Unlit;  // the blend, each pixel the mean of a block
};

// None when neither the terrain nor the blend is twice the box's edge or
// more: the whole relight is quick then.
std::optional<QuickRelightSource> MakeQuickRelightSource(const TerrainLighting& terrain,
                                                         const TDibBuffer& unlit,
                                                         std::int32_t boxEdge);

// The blend lit for `light` at the reduced size, for the screen only.
QImage QuickRelight(const QuickRelightSource& source, const LightSettings& light,
                    const RunOptions& options = {});

// Each pixel the mean of a factor x factor block of the picture's (fewer at
// the edges), as a 24-bit picture of the same row order.
TDibBuffer AveragedDown(const TDibBuffer& picture, std::int32_t factor);

}  // namespace orvalis
