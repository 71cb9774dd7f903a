#pragma once

#include <vector>

#include "raster/DibBuffer.h"
#include "raster/Progress.h"
#include "layers/LayerRules.h"
#include "layers/LayerWeights.h"
#include "layers/TerrainWindow.h"

namespace orvalis {

// The layers' tile pictures in layer order: any supported depth, each at least 1 x 1.
using LayerTiles = std::vector<const TDibBuffer*>;

struct LayerBlend {
    TDibBuffer Texture;
    LayerWeights Weights;
};

// The window's texture (24 bits, bottom-up, the window's size) and the
// weights it is blended by (WeighLayers). Each channel of a pixel is
// (sum of weight byte x tile channel over the layers + 127) div 255: the
// weighted mean rounded to the nearest byte (never a tie, 255 being odd).
// The tiles repeat from the world texture's top-left corner: world pixel
// (X, Y), Y counted from the top, shows tile pixel (X mod width, Y mod
// height), so tiles continue across the borders of windows. Raises Error
// naming the layer whose tile is missing or empty.
LayerBlend BlendLayers(const LayerSet& set, const LayerTiles& tiles, const TerrainWindow& terrain,
                       const RunOptions& options = {});

}  // namespace orvalis
