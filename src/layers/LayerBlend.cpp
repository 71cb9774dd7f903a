#include "layers/LayerBlend.h"

#include "files/Error.h"
#include "raster/HeightPlane.h"
#include "blending/TilePattern.h"

namespace orvalis {

namespace {

void CheckTiles(const LayerSet& set, const LayerTiles& tiles) {
    if (tiles.size() != set.Layers.size()) {
        throw Error(std::to_string(set.Layers.size()) + " layers need as many tiles, not " + std::to_string(tiles.size()));
    }
    for (std::size_t l = 0; l < tiles.size(); ++l) {
        if (tiles[l] == nullptr || tiles[l]->Width() < 1 || tiles[l]->RowCount() == 0) {
            throw Error("layer " + set.Layers[l].Name + ": the tile has no picture");
        }
    }
}

std::uint8_t MeanChannel(unsigned weightedSum) { return static_cast<std::uint8_t>((weightedSum + 127) / 255); }

}  // namespace

LayerBlend BlendLayers(const LayerSet& set, const LayerTiles& tiles, const TerrainWindow& terrain,
                       const RunOptions& options) {
    CheckWeighing(set, terrain);
    CheckTiles(set, tiles);
    const GridWindow& window = terrain.Window;
    // The window's rows counted from the world texture's top, and its columns from the left.
    const std::int32_t firstFromTop = window.WorldRows - (window.Row + window.Rows);
    std::vector<TilePattern> patterns;
    for (const TDibBuffer* tile : tiles) patterns.emplace_back(*tile, window.Column + window.Width, firstFromTop + window.Rows);

    LayerBlend blend;
    blend.Texture.Allocate(window.Width, window.Rows, 24);
    const auto texturise = [&](std::int32_t row, const LayerWeights& weights) {
        const std::int32_t fromTop = window.WorldRows - 1 - (window.Row + row);
        std::vector<const PixelColour*> tileRows;
        for (const TilePattern& pattern : patterns) tileRows.push_back(pattern.RowAt(fromTop));
        std::uint8_t* out = blend.Texture.RowTable(BufferRowOfPlaneRow(blend.Texture, row));
        for (std::int32_t x = 0; x < window.Width; ++x, out += 3) {
            const std::uint8_t* bytes = weights.At(row, x);
            unsigned blue = 0, green = 0, red = 0;
            for (std::size_t l = 0; l < weights.Layers; ++l) {
                if (bytes[l] == 0) continue;
                const PixelColour colour = patterns[l].At(tileRows[l], window.Column + x);
                blue += bytes[l] * colour.Blue;
                green += bytes[l] * colour.Green;
                red += bytes[l] * colour.Red;
            }
            out[0] = MeanChannel(blue);
            out[1] = MeanChannel(green);
            out[2] = MeanChannel(red);
        }
    };
    blend.Weights = WeighLayers(set, terrain, options, texturise);
    return blend;
}

}  // namespace orvalis
