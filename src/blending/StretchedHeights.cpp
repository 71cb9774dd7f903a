#include "blending/StretchedHeights.h"

namespace orvalis {

StretchedHeights::StretchedHeights(const TDibBuffer& heightmap, std::int32_t width, std::int32_t rows)
    : heightmap_(heightmap),
      rows_(MapStretchAxis(rows, heightmap.RowCount())),
      columns_(MapStretchAxis(width, heightmap.Width())) {}

void StretchedHeights::Row(std::int32_t y, std::vector<PixelColour>& merged,
                           std::uint8_t* heights) const {
    const SourceSpan rows = rows_[y];
    merged.assign(static_cast<std::size_t>(heightmap_.Width()), PixelColour{255, 255, 255});
    for (std::int32_t v = rows.First; v < rows.First + rows.Count; ++v) {
        const std::int32_t bufferRow = heightmap_.BufferRow(v);
        if (heightmap_.BitsPerPixel() == 24) {  // most heightmaps: the pixels as they lie
            const std::uint8_t* bytes = heightmap_.RowTable(bufferRow);
            for (std::int32_t c = 0; c < heightmap_.Width(); ++c, bytes += 3) {
                merged[c] = merged[c] & PixelColour{bytes[0], bytes[1], bytes[2]};
            }
        } else {
            for (std::int32_t c = 0; c < heightmap_.Width(); ++c) {
                merged[c] = merged[c] & heightmap_.ReadPixel(bufferRow, c);
            }
        }
    }
    for (std::size_t x = 0; x < columns_.size(); ++x) {
        const SourceSpan columns = columns_[x];
        PixelColour p = merged[columns.First];
        for (std::int32_t k = 1; k < columns.Count; ++k) p = p & merged[columns.First + k];
        heights[x] = static_cast<std::uint8_t>((p.Red + p.Green + p.Blue) / 3);
    }
}

}  // namespace orvalis
