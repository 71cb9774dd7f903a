#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layers/LayerRules.h"
#include "layers/LayerWeights.h"

namespace orvalis {

// The layers' weights as splat maps for engines: RGBA pictures of four
// layers each, in layer order (layer 0 the red of map 0, layer 3 its alpha,
// layer 4 the red of map 1, ...), the channels no layer fills 0. Over all the
// maps a pixel's bytes add up to 255.
std::size_t SplatMapCount(std::size_t layers);

// Window row `row` (0 the bottom) of splat map `map`, 4 bytes a pixel, into rgba.
void SplatRow(const LayerWeights& weights, std::size_t map, std::int32_t row, std::uint8_t* rgba);

// Which map and channel holds which layer, as a CSV text an engine's import
// script reads: the header "layer,map,channel", then a line a layer in
// order, e.g. "rock,terrain_splat1.png,G". mapNames holds a name a map.
std::string SplatLegend(const LayerSet& set, const std::vector<std::string>& mapNames);

}  // namespace orvalis
