#include "blending/SettingsCheck.h"

#include "files/DisplayPath.h"
#include "files/InputFile.h"
#include "files/Error.h"

namespace orvalis {

void CheckTextureSettings(const TileSet& tiles, std::int32_t textureSize) {
    for (int i = 0; i < kTileCount; ++i) {
        if (tiles[i] == nullptr || tiles[i]->IsEmpty()) {
            throw Error(TileDescription(i) + " has no picture");
        }
    }
    if (textureSize < 1 || textureSize > kLargestTextureSize) {
        throw Error("texture size " + std::to_string(textureSize) + " is outside 1 .. " +
                          std::to_string(kLargestTextureSize));
    }
}

void CheckHeightmapFile(const std::string& path, const std::string& shownName) {
    if (NothingAt(path)) throw Error("Heightmap " + DisplayPath(shownName) + " doesn't exist!");
    const InputFile opened(path);  // refuses a folder, FIFO or device without blocking
}

}  // namespace orvalis
