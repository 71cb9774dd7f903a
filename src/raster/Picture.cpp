#include "raster/Picture.h"

namespace orvalis {

HeightPlane HeightsOf(const Picture& picture) {
    return picture.FineHeights ? *picture.FineHeights : HeightsOfPixels(picture.Pixels);
}

HeightPlane HeightsOfPixels(const TDibBuffer& pixels) {
    HeightPlane plane{pixels.Width(), pixels.RowCount(), {}};
    plane.Heights.reserve(static_cast<std::size_t>(plane.Width) * plane.Rows);
    for (std::int32_t row = 0; row < plane.Rows; ++row) {
        const std::int32_t bufferRow = pixels.BufferRow(plane.Rows - 1 - row);
        for (std::int32_t column = 0; column < plane.Width; ++column) {
            const PixelColour p = pixels.ReadPixel(bufferRow, column);
            plane.Heights.push_back((p.Red + p.Green + p.Blue) / 3);
        }
    }
    return plane;
}

}  // namespace orvalis
