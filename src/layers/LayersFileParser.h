#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "layers/LayerRules.h"

namespace orvalis {

// A layers file's set and, per layer, the line of its tile, for the reader's
// look for the tile files.
struct ParsedLayers {
    LayerSet Set;
    std::vector<int> TileLines;
};

ParsedLayers ParseLayersText(std::string_view text, const std::string& path);

// Error(path, "line N, key: problem"), or without a key "line N: problem".
[[noreturn]] void FailAt(const std::string& path, int line, const std::string& key, const std::string& problem);

}  // namespace orvalis
