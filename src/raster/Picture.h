#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis {

// Heights on the 0 .. 255 scale of an 8-bit heightmap, real-valued, one per
// pixel, bottom row first (the row order of a bottom-up picture): the height
// of (row, column) is Heights[row * Width + column].
struct HeightPlane {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    std::vector<double> Heights;

    double At(std::int32_t row, std::int32_t column) const {
        return Heights[static_cast<std::size_t>(row) * Width + column];
    }
};

// A picture file as read: the pixels to show and blend, and, for data finer
// than 8 bits, the heights at full precision. An 8-bit picture's heights are
// the whole numbers (red + green + blue) div 3 of its pixels, made on demand.
struct Picture {
    TDibBuffer Pixels;
    std::optional<HeightPlane> FineHeights;
};

// The picture's heights: the fine ones when the file had them.
HeightPlane HeightsOf(const Picture& picture);

// (red + green + blue) div 3 of every pixel, bottom row first.
HeightPlane HeightsOfPixels(const TDibBuffer& pixels);

}  // namespace orvalis
