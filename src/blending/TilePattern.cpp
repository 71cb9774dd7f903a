#include "blending/TilePattern.h"

#include <algorithm>

namespace orvalis {

TilePattern::TilePattern(const TDibBuffer& tile, std::int32_t width, std::int32_t rows)
    : tileHeight_(tile.RowCount()),
      keptWidth_(std::min(tile.Width(), width)),
      columnOf_(static_cast<std::size_t>(width)) {
    const std::int32_t keptHeight = std::min(tile.RowCount(), rows);
    pixels_.reserve(static_cast<std::size_t>(keptWidth_) * keptHeight);
    for (std::int32_t y = 0; y < keptHeight; ++y) {
        const std::int32_t bufferRow = tile.BufferRow(y);
        for (std::int32_t x = 0; x < keptWidth_; ++x) pixels_.push_back(tile.ReadPixel(bufferRow, x));
    }
    for (std::int32_t x = 0; x < width; ++x) columnOf_[x] = x % tile.Width();
}

}  // namespace orvalis
