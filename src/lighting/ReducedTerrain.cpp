#include "lighting/ReducedTerrain.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "lighting/NormalMap.h"

namespace orvalis {

namespace {

float HeightScaleOf(std::int32_t factor) { return 1.0f / static_cast<float>(factor); }

// The mean height of the block of `factor` rows and columns from (row, column) on.
double BlockMean(const HeightPlane& field, std::int32_t row, std::int32_t column,
                 std::int32_t factor) {
    const std::int32_t endRow = std::min(field.Rows, row + factor);
    const std::int32_t endColumn = std::min(field.Width, column + factor);
    double sum = 0;
    for (std::int32_t y = row; y < endRow; ++y) {
        for (std::int32_t x = column; x < endColumn; ++x) sum += field.Height(field.IndexOf(y, x));
    }
    return sum / (static_cast<double>(endRow - row) * (endColumn - column));
}

HeightPlane ReducedField(const HeightPlane& field, std::int32_t factor) {
    HeightPlane reduced;
    reduced.Width = (field.Width + factor - 1) / factor;
    reduced.Rows = (field.Rows + factor - 1) / factor;
    reduced.Heights.resize(static_cast<std::size_t>(reduced.Width) * reduced.Rows);
    for (std::int32_t row = 0; row < reduced.Rows; ++row) {
        for (std::int32_t column = 0; column < reduced.Width; ++column) {
            reduced.Heights[reduced.IndexOf(row, column)] =
                BlockMean(field, row * factor, column * factor, factor);
        }
    }
    return reduced;
}

}  // namespace

ReducedTerrain ReduceTerrain(const HeightPlane& field, std::int32_t factor,
                             const RunOptions& options) {
    if (factor < 1) throw std::invalid_argument("a terrain is reduced by a factor of 1 or more");
    ReducedTerrain reduced{{factor == 1 ? field : ReducedField(field, factor), {}}, factor};
    BuildNormalMap(reduced.Terrain.Field, reduced.Terrain.Normals, HeightScaleOf(factor), options);
    return reduced;
}

TDibBuffer ShadeReducedTerrain(const ReducedTerrain& reduced, const LightSettings& light,
                               const RunOptions& options) {
    const HeightPlane& field = reduced.Terrain.Field;
    TDibBuffer shaded;
    shaded.Allocate(field.Width, field.Rows, 24);
    ShadeLightmap(field, reduced.Terrain.Normals, LightVector(light), HeightScaleOf(reduced.Factor),
                  shaded, kLightmapAmbient, kLightmapDiffuse, true, options);
    return shaded;
}

}  // namespace orvalis
