#pragma once

#include <cstdint>
#include <string>

#include "blending/BandBlend.h"

namespace orvalis {

// Largest texture edge a generation accepts; the window offers 256 .. 4096.
inline constexpr std::int32_t kLargestTextureSize = 16384;

// Every tile has a picture and the texture's edge is within 1 ..
// kLargestTextureSize; otherwise Error names the first tile without a
// picture ("tile 3 (middle box, band 128) has no picture") or the size.
void CheckTextureSettings(const TileSet& tiles, std::int32_t textureSize);

// The heightmap at path must be a regular file that opens. Where nothing
// exists the message is "Heightmap " + shownName + " doesn't exist!" (shownName
// is the path as the user wrote it); a folder, FIFO or device that does exist
// there is refused as InputFile refuses it.
void CheckHeightmapFile(const std::string& path, const std::string& shownName);

}  // namespace orvalis
