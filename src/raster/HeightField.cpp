#include "raster/HeightField.h"

namespace orvalis {

HeightField HeightFieldOf(const TDibBuffer& heightmap) {
    HeightField field{heightmap.Width(), heightmap.RowCount(), {}, {}};
    field.ByteSums.resize(static_cast<std::size_t>(field.Width) * field.Rows);
    for (std::int32_t row = 0; row < field.Rows; ++row) {
        std::uint16_t* sums = &field.ByteSums[field.IndexOf(row, 0)];
        if (heightmap.BitsPerPixel() == 24) {  // most heightmaps: the bytes as they lie
            const std::uint8_t* bytes = heightmap.RowTable(row);
            for (std::int32_t column = 0; column < field.Width; ++column, bytes += 3) {
                sums[column] = static_cast<std::uint16_t>(bytes[0] + bytes[1] + bytes[2]);
            }
        } else {
            for (std::int32_t column = 0; column < field.Width; ++column) {
                const PixelColour p = heightmap.ReadPixel(row, column);
                sums[column] = static_cast<std::uint16_t>(p.Red + p.Green + p.Blue);
            }
        }
    }
    return field;
}

ScaledHeights::ScaledHeights(const HeightField& field, float scale, float divisor)
    : field_(field), scale_(scale), divisor_(divisor) {
    if (!field.ThirdsOfByteSums()) return;
    bySum_.resize(kLargestByteSum + 1);
    for (int sum = 0; sum <= kLargestByteSum; ++sum) bySum_[sum] = Formula(sum / 3.0L);
}

}  // namespace orvalis
