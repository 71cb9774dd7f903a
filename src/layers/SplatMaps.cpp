#include "layers/SplatMaps.h"

#include <algorithm>
#include <stdexcept>

namespace orvalis {

namespace {

constexpr std::size_t kChannels = 4;
constexpr const char* kChannelNames[kChannels] = {"R", "G", "B", "A"};

// A CSV field: quoted where it holds a comma, a quote or a line break.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::size_t SplatMapCount(std::size_t layers) { return (layers + kChannels - 1) / kChannels; }

void SplatRow(const LayerWeights& weights, std::size_t map, std::int32_t row, std::uint8_t* rgba) {
    const std::size_t first = map * kChannels;
    const std::size_t used = std::min(kChannels, weights.Layers - first);
    for (std::int32_t x = 0; x < weights.Width; ++x, rgba += kChannels) {
        const std::uint8_t* bytes = weights.At(row, x) + first;
        std::fill_n(rgba, kChannels, 0);
        std::copy_n(bytes, used, rgba);
    }
}

std::string SplatLegend(const LayerSet& set, const std::vector<std::string>& mapNames) {
    if (mapNames.size() != SplatMapCount(set.Layers.size())) {
        throw std::invalid_argument("the legend needs a name for each of the " +
                                    std::to_string(SplatMapCount(set.Layers.size())) + " splat maps");
    }
    std::string legend = "layer,map,channel\n";
    for (std::size_t l = 0; l < set.Layers.size(); ++l) {
        legend += set.Layers[l].Name + "," + Field(mapNames[l / kChannels]) + "," + kChannelNames[l % kChannels] + "\n";
    }
    return legend;
}

}  // namespace orvalis
