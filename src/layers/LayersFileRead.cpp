#include "layers/LayersFile.h"

#include <filesystem>
#include <vector>

#include "files/DisplayPath.h"
#include "files/InputFile.h"
#include "layers/LayersFileParser.h"

namespace orvalis {

LayerSet ParseLayers(std::string_view text, const std::string& path) { return ParseLayersText(text, path).Set; }

std::string TilePath(const std::string& layersFile, const std::string& tile) {
    const std::filesystem::path path(tile);
    if (path.is_absolute()) return tile;
    return (std::filesystem::path(layersFile).parent_path() / path).string();
}

LayerSet ReadLayersFile(const std::string& path) {
    InputFile file(path);
    if (file.Size() > kLargestLayersFile) {
        throw Error(path, "larger than " + std::to_string(kLargestLayersFile >> 20) + " MiB: not a layers file");
    }
    std::vector<std::uint8_t> bytes(file.Size());
    file.ReadAt(0, bytes);
    const ParsedLayers parsed =
        ParseLayersText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), path);
    for (std::size_t l = 0; l < parsed.Set.Layers.size(); ++l) {
        const std::string& tile = parsed.Set.Layers[l].Tile;
        try {
            InputFile picture(TilePath(path, tile));
        } catch (const InputFileError& error) {
            FailAt(path, parsed.TileLines[l], "tile", DisplayPath(tile) + ": " + error.Problem());
        }
    }
    return parsed.Set;
}

}  // namespace orvalis
