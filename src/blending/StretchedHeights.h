#pragma once

#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"
#include "raster/StretchMap.h"

namespace orvalis {

// The heightmap stretched onto the whole texture of width x rows, made one
// texture row at a time: each texture pixel takes the nearest heightmap pixel
// when enlarging and the AND of the heightmap pixels merged into it when
// shrinking, as drawing the heightmap stretched onto the texture would.
class StretchedHeights {
public:
    StretchedHeights(const TDibBuffer& heightmap, std::int32_t width, std::int32_t rows);

    // Heights (red + green + blue) div 3 of texture device row y (counted
    // from the top); merged is scratch space of the heightmap's width.
    void Row(std::int32_t y, std::vector<PixelColour>& merged, std::uint8_t* heights) const;
    // True when texture rows y and other are made from the same heightmap
    // rows, and so have the same heights (an enlarged heightmap repeats rows).
    bool SameRows(std::int32_t y, std::int32_t other) const {
        return rows_[y].First == rows_[other].First && rows_[y].Count == rows_[other].Count;
    }

private:
    const TDibBuffer& heightmap_;
    std::vector<SourceSpan> rows_;
    std::vector<SourceSpan> columns_;
};

}  // namespace orvalis
