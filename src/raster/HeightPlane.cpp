#include "raster/HeightPlane.h"

namespace orvalis {

HeightPlane HeightsOfPixels(const TDibBuffer& pixels) {
    HeightPlane plane{pixels.Width(), pixels.RowCount(), {}, {}};
    plane.ByteSums.resize(static_cast<std::size_t>(plane.Width) * plane.Rows);
    for (std::int32_t row = 0; row < plane.Rows; ++row) {
        const std::int32_t bufferRow = BufferRowOfPlaneRow(pixels, row);
        std::uint16_t* sums = &plane.ByteSums[plane.IndexOf(row, 0)];
        if (pixels.BitsPerPixel() == 24) {  // most heightmaps: the bytes as they lie
            const std::uint8_t* bytes = pixels.RowTable(bufferRow);
            for (std::int32_t column = 0; column < plane.Width; ++column, bytes += 3) {
                sums[column] = static_cast<std::uint16_t>(bytes[0] + bytes[1] + bytes[2]);
            }
        } else {
            for (std::int32_t column = 0; column < plane.Width; ++column) {
                const PixelColour p = pixels.ReadPixel(bufferRow, column);
                sums[column] = static_cast<std::uint16_t>(p.Red + p.Green + p.Blue);
            }
        }
    }
    return plane;
}

}  // namespace orvalis
