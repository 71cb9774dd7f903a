#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "raster/DibBuffer.h"
#include "blending/BandBlend.h"

namespace orvalis {

// The five band weights of one height as bytes that add up to 255: each
// weight x 255 rounded down, and what is left to 255 given one at a time to
// the largest remainders (on a tie, to the band with the higher centre).
using SplatWeights = std::array<std::uint8_t, kTileCount>;
SplatWeights SplatWeightsAt(float height);

// The weights the blend gives every pixel of a textureSize x textureSize
// texture, from the same stretched heights: handed to `row` a row at a time,
// top row first, so that a caller keeps only what it makes of them.
using SplatRow = std::function<void(std::int32_t y, std::span<const SplatWeights> weights)>;
void ForEachSplatRow(const TDibBuffer& heightmap, std::int32_t textureSize, const SplatRow& row);

}  // namespace orvalis
