#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "layers/LayerRules.h"

namespace orvalis {

// The layers file: a small text a terrain artist writes and the window
// saves, one section a layer (docs/layers.md). For example:
//
//   # Jacksboro in six layers
//   [layers]
//   fallback = grass
//   seed = 7
//   noise-scale = 250 m
//
//   [layer rock]
//   tile = rock.bmp
//   slope = above 35 deg, ramp 8 deg, noise 4 deg
//
// Every error names the file, the line and the key:
// "rules.txt: line 9, slope: the bound 120 deg lies outside 0 .. 90 deg".

inline constexpr std::uint64_t kLargestLayersFile = 1 << 20;

// Reads a layers file and checks that every tile it names is a file that
// opens (relative paths beside the layers file).
LayerSet ReadLayersFile(const std::string& path);

// The same from a text, the tiles not looked for; `path` names it in messages.
LayerSet ParseLayers(std::string_view text, const std::string& path);

// Where a tile of the layers file at `layersFile` lies.
std::string TilePath(const std::string& layersFile, const std::string& tile);

// The text of a set, which ParseLayers reads back equal (comments aside).
// Raises Error, as CheckLayerSet does, for a set out of range.
std::string LayersText(const LayerSet& set);

// Writes LayersText(set) atomically.
void WriteLayersFile(const std::string& path, const LayerSet& set);

}  // namespace orvalis
