#include "app/QuickRelight.h"

#include <algorithm>
#include <array>

#include "app/DibImage.h"
#include "generation/GenerateTexture.h"

namespace orvalis {

namespace {

std::int32_t FactorFor(std::int32_t width, std::int32_t rows, std::int32_t boxEdge) {
    return std::max(1, std::max(width, rows) / boxEdge);
}

PixelColour BlockMean(const TDibBuffer& picture, std::int32_t row, std::int32_t column,
                      std::int32_t factor) {
    const std::int32_t endRow = std::min(picture.RowCount(), row + factor);
    const std::int32_t endColumn = std::min(picture.Width(), column + factor);
    std::array<std::uint32_t, 3> sums{};
    for (std::int32_t y = row; y < endRow; ++y) {
        for (std::int32_t x = column; x < endColumn; ++x) {
            const PixelColour p = picture.ReadPixel(y, x);
            sums[0] += p.Red;
            sums[1] += p.Green;
            sums[2] += p.Blue;
        }
    }
    const std::uint32_t count = static_cast<std::uint32_t>((endRow - row) * (endColumn - column));
    const auto mean = [count](std::uint32_t sum) {
        return static_cast<std::uint8_t>((sum + count / 2) / count);
    };
    return MakeColour(mean(sums[0]), mean(sums[1]), mean(sums[2]));
}

}  // namespace

TDibBuffer AveragedDown(const TDibBuffer& picture, std::int32_t factor) {
    const std::int32_t width = (picture.Width() + factor - 1) / factor;
    const std::int32_t rows = (picture.RowCount() + factor - 1) / factor;
    TDibBuffer reduced;
    reduced.Allocate(width, picture.IsTopDown() ? -rows : rows, 24);
    for (std::int32_t row = 0; row < rows; ++row) {
        for (std::int32_t column = 0; column < width; ++column) {
            reduced.WritePixel(row, column,
                               BlockMean(picture, row * factor, column * factor, factor));
        }
    }
    return reduced;
}

std::optional<QuickRelightSource> MakeQuickRelightSource(const TerrainLighting& terrain,
                                                         const TDibBuffer& unlit,
                                                         std::int32_t boxEdge) {
    const std::int32_t terrainFactor = FactorFor(terrain.Field.Width, terrain.Field.Rows, boxEdge);
    const std::int32_t blendFactor = FactorFor(unlit.Width(), unlit.RowCount(), boxEdge);
    if (terrainFactor < 2 && blendFactor < 2) return std::nullopt;
    return QuickRelightSource{ReduceTerrain(terrain.Field, terrainFactor),
                              AveragedDown(unlit, blendFactor)};
}

QImage QuickRelight(const QuickRelightSource& source, const LightSettings& light,
                    const RunOptions& options) {
    TDibBuffer lit;
    lit.CopyFromBitmap(source.Unlit);
    ApplyLightmap(lit, ShadeReducedTerrain(source.Terrain, light, options), options);
    return DibToImage(lit);
}

}  // namespace orvalis
