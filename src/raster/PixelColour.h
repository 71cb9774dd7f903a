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

// Channel by channel: how a shrinking stretch merges the pixels it drops.
constexpr PixelColour operator&(PixelColour a, PixelColour b) {
    return PixelColour{static_cast<std::uint8_t>(a.Blue & b.Blue),
                       static_cast<std::uint8_t>(a.Green & b.Green),
                       static_cast<std::uint8_t>(a.Red & b.Red)};
}

constexpr PixelColour MakeColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return PixelColour{blue, green, red};
}

}  // namespace orvalis
