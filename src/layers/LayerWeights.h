#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "raster/Progress.h"
#include "layers/LayerRules.h"
#include "layers/TerrainWindow.h"

namespace orvalis {

// The layers' shares of every pixel of a window, as ByteWeights gives them
// (bytes that add up to 255): pixel (row, column) holds Layers bytes in layer
// order, row 0 the window's bottom row.
struct LayerWeights {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::size_t Layers = 0;
    std::vector<std::uint8_t> Bytes;

    const std::uint8_t* At(std::int32_t row, std::int32_t column) const {
        return &Bytes[(static_cast<std::size_t>(row) * Width + column) * Layers];
    }
};

// Called on a worker thread once a window row's weights are made.
using WeightRowDone = std::function<void(std::int32_t row, const LayerWeights& weights)>;

// The weights of every pixel of the window: each layer's coverage times its
// conditions (height, slope, aspect, curvature, in that order) at the
// pixel's attributes, each attribute moved by the condition's noise times
// the layer's WorldNoise at the pixel's centre, ((column + 0.5) x CellX,
// (row + 0.5) x CellY) in world cells from the world's south-west corner.
// Rows in parallel as options ask; the same bytes for every thread count.
// Raises Error for a set or cell sizes out of range (naming the setting),
// as CheckWeighing does.
LayerWeights WeighLayers(const LayerSet& set, const TerrainWindow& terrain, const RunOptions& options = {},
                         const WeightRowDone& rowDone = {});

// Raises Error naming the setting of a set or cell size out of range, and
// std::invalid_argument for heights that do not hold the window and its halo.
void CheckWeighing(const LayerSet& set, const TerrainWindow& terrain);

}  // namespace orvalis
