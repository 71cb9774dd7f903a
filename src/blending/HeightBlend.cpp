#include "blending/HeightBlend.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "files/Error.h"
#include "raster/ParallelRows.h"
#include "blending/SettingsCheck.h"
#include "blending/TilePattern.h"

namespace orvalis {

namespace {

// The two bands around a band level and their weights.
struct LevelMix {
    int Upper;
    int Lower;
    float UpperWeight;
    float LowerWeight;
};

LevelMix MixAt(double level) {
    // The centres are 0, 64, 128, 192, 256 from the last tile up to the first.
    const int lower = std::max(1, kTileCount - 1 - static_cast<int>(level / 64));
    const int upper = lower - 1;
    const auto height = static_cast<float>(level);
    return {upper, lower, BandWeight(BandCentres[upper], height), BandWeight(BandCentres[lower], height)};
}

std::uint8_t Mixed(std::uint8_t upper, std::uint8_t lower, const LevelMix& mix) {
    const long value = std::lround(upper * mix.UpperWeight + lower * mix.LowerWeight);
    return static_cast<std::uint8_t>(std::min(value, 255L));
}

}  // namespace

TDibBuffer BlendByHeights(const HeightPlane& heights, const BandHeights& bands, const TileSet& tiles,
                          const RunOptions& options, const std::optional<double>& waterLevel) {
    CheckTextureSettings(tiles, std::max(heights.Width, heights.Rows));
    CheckBandHeights(bands);
    TDibBuffer texture;
    texture.Allocate(heights.Width, heights.Rows, 24);
    std::vector<TilePattern> patterns;
    for (const TDibBuffer* tile : tiles) patterns.emplace_back(*tile, heights.Width, heights.Rows);
    ParallelRows(heights.Rows, options, SynthesisStage::Blend, [&](std::int32_t row) {
        // Tiles repeat from the texture's top-left corner, as in the classic blend.
        const std::int32_t y = PlaneRowOfDeviceRow(heights.Rows, row);
        std::uint8_t* out = texture.RowTable(BufferRowOfPlaneRow(texture, row));
        for (std::int32_t x = 0; x < heights.Width; ++x, out += 3) {
            const LevelMix mix = MixAt(BandLevel(bands, waterLevel, heights.At(row, x)));
            const PixelColour upper = patterns[mix.Upper].At(patterns[mix.Upper].RowAt(y), x);
            const PixelColour lower = patterns[mix.Lower].At(patterns[mix.Lower].RowAt(y), x);
            out[0] = Mixed(upper.Blue, lower.Blue, mix);
            out[1] = Mixed(upper.Green, lower.Green, mix);
            out[2] = Mixed(upper.Red, lower.Red, mix);
        }
    });
    return texture;
}

}  // namespace orvalis
