#pragma once

#include <cstdint>

namespace orvalis {

// One 24-bit pixel exactly as it lies in memory: blue, green, red.
struct PixelColour {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;

    friend bool operator==(const PixelColour&, const PixelColour&) = default;
};
static_assert(sizeof(PixelColour) == 3);

constexpr PixelColour MakeColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return PixelColour{blue, green, red};
}

}  // namespace orvalis
