#include "blending/SplatMap.h"

#include <algorithm>
#include <cmath>

#include "blending/StretchedHeights.h"

namespace orvalis {

SplatWeights SplatWeightsAt(float height) {
    SplatWeights bytes{};
    std::array<double, kTileCount> remainders{};
    int left = 255;
    for (int i = 0; i < kTileCount; ++i) {
        // A weight is k / 64, so k x 255 / 64 is exact in double.
        const double exact = static_cast<double>(BandWeight(BandCentres[i], height)) * 255;
        bytes[i] = static_cast<std::uint8_t>(std::floor(exact));
        remainders[i] = exact - bytes[i];
        left -= bytes[i];
    }
    for (; left > 0; --left) {
        // max_element takes the first of equal remainders: the higher centre.
        const auto largest = std::max_element(remainders.begin(), remainders.end());
        ++bytes[largest - remainders.begin()];
        *largest = -1;
    }
    return bytes;
}

void ForEachSplatRow(const TDibBuffer& heightmap, std::int32_t textureSize, const SplatRow& row) {
    std::array<SplatWeights, 256> byHeight;
    for (int h = 0; h < 256; ++h) byHeight[h] = SplatWeightsAt(static_cast<float>(h));

    const StretchedHeights heights(heightmap, textureSize, textureSize);
    std::vector<PixelColour> merged;
    std::vector<std::uint8_t> rowHeights(static_cast<std::size_t>(textureSize));
    std::vector<SplatWeights> weights(static_cast<std::size_t>(textureSize));
    for (std::int32_t y = 0; y < textureSize; ++y) {
        heights.Row(y, merged, rowHeights.data());
        std::transform(rowHeights.begin(), rowHeights.end(), weights.begin(),
                       [&byHeight](std::uint8_t height) { return byHeight[height]; });
        row(y, weights);
    }
}

}  // namespace orvalis
