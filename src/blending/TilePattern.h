#pragma once

#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis {

// One tile repeated over a texture of width x rows: copies sit at (tw * ix,
// th * iy) from the top-left corner and are cut at the right and bottom
// edges, so texture pixel (x, y) shows tile pixel (x mod tw, y mod th). Only
// the part of the tile that can reach the texture is kept, converted to 24 bits.
class TilePattern {
public:
    TilePattern(const TDibBuffer& tile, std::int32_t width, std::int32_t rows);

    PixelColour At(const PixelColour* row, std::int32_t x) const { return row[columnOf_[x]]; }
    // Row y of the pattern, counted from the top.
    const PixelColour* RowAt(std::int32_t y) const {
        return pixels_.data() + static_cast<std::size_t>(y % tileHeight_) * keptWidth_;
    }

private:
    std::int32_t tileHeight_;
    std::int32_t keptWidth_;
    std::vector<std::int32_t> columnOf_;  // texture column -> tile column
    std::vector<PixelColour> pixels_;     // kept rows from the top, keptWidth_ each
};

}  // namespace orvalis
