#include "lighting/NormalMapColours.h"

#include <array>
#include <cmath>

#include "raster/HeightPlane.h"

namespace orvalis {

namespace {

std::uint8_t Colour(std::int8_t entry) {
    return static_cast<std::uint8_t>(std::lround((entry / 127.0 + 1) * 127.5));
}

// Colour of every entry, indexed by the entry's byte: a channel has only
// 256 values, so each is rounded once instead of once a pixel.
std::array<std::uint8_t, 256> ColourTable() {
    std::array<std::uint8_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) table[byte] = Colour(static_cast<std::int8_t>(byte));
    return table;
}

}  // namespace

std::vector<std::uint8_t> NormalMapColours(const TNormalMap& normals, std::int32_t width,
                                           std::int32_t rows) {
    const std::array<std::uint8_t, 256> colour = ColourTable();
    const auto channel = [&colour](std::int8_t entry) { return colour[static_cast<std::uint8_t>(entry)]; };
    std::vector<std::uint8_t> colours(static_cast<std::size_t>(width) * rows * 3);
    std::uint8_t* out = colours.data();
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::size_t first = static_cast<std::size_t>(PlaneRowOfDeviceRow(rows, y)) * width;
        for (std::size_t i = first; i < first + width; ++i, out += 3) {
            out[0] = channel(normals[i].x);
            out[1] = channel(normals[i].z);
            out[2] = channel(normals[i].y);
        }
    }
    return colours;
}

}  // namespace orvalis
