#include "generation/TerrainSampling.h"

#include <algorithm>
#include <cmath>

namespace orvalis {

TextureShape TextureShapeFor(const TerrainSampling& sampling, std::int32_t textureSize, std::int32_t mapWidth,
                             std::int32_t mapRows) {
    if (!sampling.RealScale || mapWidth == mapRows) return {textureSize, textureSize};
    const auto shorter = [textureSize](std::int32_t side, std::int32_t longer) {
        return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(static_cast<double>(textureSize) * side / longer)));
    };
    if (mapWidth > mapRows) return {textureSize, shorter(mapRows, mapWidth)};
    return {shorter(mapWidth, mapRows), textureSize};
}

}  // namespace orvalis
