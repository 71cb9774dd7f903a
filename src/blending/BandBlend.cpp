#include "blending/BandBlend.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "math/Geometry.h"
#include "files/Error.h"
#include "raster/ParallelRows.h"
#include "blending/SettingsCheck.h"
#include "blending/StretchedHeights.h"
#include "blending/TilePattern.h"

namespace orvalis {

namespace {

// One tile's share of a channel at one weight: RoundToInt of the single
// product c x w for every channel value c. Each share rounds half to even
// (112.5 -> 112, 0.5 -> 0, 1.5 -> 2).
using ChannelShares = std::array<std::uint8_t, 256>;

ChannelShares SharesAt(float weight) {
    ChannelShares shares;
    for (int c = 0; c < 256; ++c) {
        shares[c] = static_cast<std::uint8_t>(RoundToInt(static_cast<float>(c) * weight));
    }
    return shares;
}

// The two bands around a height and their shares. Every other band weighs
// exactly 0 and so adds exactly 0 to each channel.
struct BandMix {
    int Upper = 0;
    int Lower = 0;
    ChannelShares UpperShares{};
    ChannelShares LowerShares{};
};
using BandMixes = std::array<BandMix, 256>;

BandMixes BuildBandMixes() {
    BandMixes mixes;
    for (int h = 0; h < 256; ++h) {
        // The centres are 0, 64, 128, 192, 256 from the last tile up to the first.
        const int lower = kTileCount - 1 - h / 64;
        const int upper = lower - 1;
        const auto height = static_cast<float>(h);
        mixes[h] = BandMix{upper, lower, SharesAt(BandWeight(BandCentres[upper], height)),
                           SharesAt(BandWeight(BandCentres[lower], height))};
    }
    return mixes;
}

// Two shares that both rounded up by a half can reach 256, which is kept at 255.
std::uint8_t BlendChannel(std::uint8_t upper, std::uint8_t lower, const BandMix& mix) {
    const int sum = mix.UpperShares[upper] + mix.LowerShares[lower];
    return static_cast<std::uint8_t>(std::min(sum, 255));
}

void BlendRow(TDibBuffer& texture, std::int32_t row, const std::uint8_t* heights,
              const std::vector<TilePattern>& tiles, const BandMixes& mixes) {
    const std::int32_t y = texture.BufferRow(row);
    std::array<const PixelColour*, kTileCount> tileRows;
    for (int i = 0; i < kTileCount; ++i) tileRows[i] = tiles[i].RowAt(y);
    std::uint8_t* out = texture.RowTable(row);  // blue, green, red per 24-bit pixel
    for (std::int32_t x = 0; x < texture.Width(); ++x, out += 3) {
        const BandMix& mix = mixes[heights[x]];
        const PixelColour upper = tiles[mix.Upper].At(tileRows[mix.Upper], x);
        const PixelColour lower = tiles[mix.Lower].At(tileRows[mix.Lower], x);
        out[0] = BlendChannel(upper.Blue, lower.Blue, mix);
        out[1] = BlendChannel(upper.Green, lower.Green, mix);
        out[2] = BlendChannel(upper.Red, lower.Red, mix);
    }
}

}  // namespace

float BandWeight(float centre, float height) {
    // Extended intermediates, rounded to single before the clamps.
    const auto weight = static_cast<float>(
        (64.0L - std::fabs(static_cast<long double>(centre) - height)) / 64.0L);
    return std::max(0.0f, std::min(1.0f, weight));
}

TDibBuffer BlendTexture(const TDibBuffer& heightmap, const TileSet& tiles, std::int32_t textureSize,
                        const RunOptions& options) {
    CheckTextureSettings(tiles, textureSize);
    if (heightmap.IsEmpty()) throw Error("the heightmap has no picture");

    TDibBuffer texture;
    texture.Allocate(textureSize, textureSize, 24);
    const StretchedHeights heights(heightmap, textureSize, textureSize);
    std::vector<TilePattern> patterns;
    for (const TDibBuffer* tile : tiles) patterns.emplace_back(*tile, textureSize, textureSize);
    const BandMixes mixes = BuildBandMixes();

    ParallelRowBands(textureSize, options, SynthesisStage::Blend,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         std::vector<PixelColour> merged;
                         std::vector<std::uint8_t> rowHeights(static_cast<std::size_t>(textureSize));
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             const std::int32_t y = texture.BufferRow(row);
                             if (row == firstRow || !heights.SameRows(y, texture.BufferRow(row - 1))) {
                                 heights.Row(y, merged, rowHeights.data());
                             }
                             BlendRow(texture, row, rowHeights.data(), patterns, mixes);
                             tally.RowDone();
                         }
                     });
    return texture;
}

std::string TileDescription(int index) {
    // The window shows the tiles top to bottom, highest band first.
    static constexpr std::array<const char*, kTileCount> kBoxes = {
        "top box", "second box", "middle box", "fourth box", "bottom box"};
    return "tile " + std::to_string(index + 1) + " (" + kBoxes[index] + ", band " +
           std::to_string(static_cast<int>(BandCentres[index])) + ")";
}

}  // namespace orvalis
