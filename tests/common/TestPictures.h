#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"

namespace orvalis::test {

// A 24-bit picture whose pixel (row, column) in memory order is colourAt(row, column).
// A negative height makes a top-down picture.
template <class ColourAt>
TDibBuffer MakePicture(std::int32_t width, std::int32_t height, ColourAt colourAt) {
    TDibBuffer picture;
    picture.Allocate(width, height, 24);
    for (std::int32_t row = 0; row < picture.RowCount(); ++row) {
        for (std::int32_t column = 0; column < width; ++column) {
            picture.WritePixel(row, column, colourAt(row, column));
        }
    }
    return picture;
}

inline PixelColour Grey(int level) {
    const auto v = static_cast<std::uint8_t>(level);
    return PixelColour{v, v, v};
}

inline TDibBuffer OneColourPicture(std::int32_t width, std::int32_t height, PixelColour colour) {
    return MakePicture(width, height, [colour](std::int32_t, std::int32_t) { return colour; });
}

inline TDibBuffer GreyPicture(std::int32_t width, std::int32_t height, int level) {
    return OneColourPicture(width, height, Grey(level));
}

// Ridges, a plateau, a cliff and some noise: every kind of slope and shadow.
inline TDibBuffer RuggedTerrain(std::int32_t width, std::int32_t height) {
    return MakePicture(width, height, [width](std::int32_t row, std::int32_t column) {
        const std::uint32_t noise = (static_cast<std::uint32_t>(row) * 7919u + column * 104729u) * 2654435761u >> 27;
        int level = (row * 13 + column * 7) % 160 + static_cast<int>(noise);
        if (column > width / 2 && row % 11 < 4) level = 240;  // plateaus with cliffs
        return PixelColour{static_cast<std::uint8_t>(level), static_cast<std::uint8_t>(level + row % 3),
                           static_cast<std::uint8_t>(level / 2)};
    });
}

inline bool SamePixels(const TDibBuffer& a, const TDibBuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.PixelBytes() == b.PixelBytes() &&
           std::memcmp(a.PixelData(), b.PixelData(), a.PixelBytes()) == 0;
}

// The picture as shown, drawn into a new one of the given depth and row order.
inline TDibBuffer Redrawn(const TDibBuffer& picture, bool topDown, std::uint8_t bitsPerPixel = 24) {
    TDibBuffer copy;
    copy.Allocate(picture.Width(), topDown ? -picture.RowCount() : picture.RowCount(), bitsPerPixel);
    picture.BlitTo(copy.DeviceContext(), 0, 0);
    return copy;
}

// True when both show the same colours, whatever their depths and row orders.
inline bool SameShownPixels(const TDibBuffer& a, const TDibBuffer& b) {
    if (a.Width() != b.Width() || a.RowCount() != b.RowCount()) return false;
    for (std::int32_t y = 0; y < a.RowCount(); ++y) {
        for (std::int32_t x = 0; x < a.Width(); ++x) {
            if (!(a.ReadPixel(a.BufferRow(y), x) == b.ReadPixel(b.BufferRow(y), x))) return false;
        }
    }
    return true;
}

// Every height of a plane in its order, 8-bit or real-valued alike.
inline std::vector<double> EveryHeight(const HeightPlane& plane) {
    std::vector<double> heights(static_cast<std::size_t>(plane.Width) * plane.Rows);
    for (std::size_t i = 0; i < heights.size(); ++i) heights[i] = plane.Height(i);
    return heights;
}

}  // namespace orvalis::test
