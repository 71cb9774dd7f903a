#include "synth/NormalMapColours.h"

#include <cmath>

namespace orvalis {

namespace {

std::uint8_t Colour(std::int8_t entry) {
    return static_cast<std::uint8_t>(std::lround((entry / 127.0 + 1) * 127.5));
}

}  // namespace

std::vector<std::uint8_t> NormalMapColours(const TNormalMap& normals, std::int32_t width,
                                           std::int32_t rows) {
    std::vector<std::uint8_t> colours;
    colours.reserve(normals.size() * 3);
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::size_t first = static_cast<std::size_t>(rows - 1 - y) * width;
        for (std::size_t i = first; i < first + width; ++i) {
            colours.insert(colours.end(), {Colour(normals[i].x), Colour(normals[i].z),
                                           Colour(normals[i].y)});
        }
    }
    return colours;
}

}  // namespace orvalis
