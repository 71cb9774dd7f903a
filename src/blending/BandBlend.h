#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "raster/DibBuffer.h"
#include "raster/Progress.h"

namespace orvalis {

// Tile i is blended around BandCentres[i]; its weight falls to 0 at
// BandHalfWidth from the centre.
inline constexpr std::array<float, 5> BandCentres = {256.0f, 192.0f, 128.0f, 64.0f, 0.0f};
inline constexpr float BandHalfWidth = 64.0f;
inline constexpr int kTileCount = 5;

// The five tile pictures, any supported depth, each at least 1 x 1.
using TileSet = std::array<const TDibBuffer*, kTileCount>;

// max(0, min(1, (64 - |centre - height|) / 64)), rounded to single before the clamps.
float BandWeight(float centre, float height);

// Blends the tiles over a textureSize x textureSize 24-bit bottom-up picture
// by the heightmap stretched onto it. Raises an error naming the tile or the
// heightmap when one is absent or empty.
TDibBuffer BlendTexture(const TDibBuffer& heightmap, const TileSet& tiles, std::int32_t textureSize,
                        const RunOptions& options);

// How messages name tile `index` (0 to 4): by the box the window shows it in
// and its band, counted from 1 as users count, e.g. "tile 1 (top box, band 256)".
std::string TileDescription(int index);

}  // namespace orvalis
