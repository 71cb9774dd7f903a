#include "synth/HeightField.h"

namespace orvalis {

HeightField HeightFieldOf(const TDibBuffer& heightmap) {
    HeightField field{heightmap.Width(), heightmap.RowCount(), {}, true};
    field.Heights.resize(static_cast<std::size_t>(field.Width) * field.Rows);
    for (std::int32_t row = 0; row < field.Rows; ++row) {
        double* heights = &field.Heights[field.IndexOf(row, 0)];
        if (heightmap.BitsPerPixel() == 24) {  // most heightmaps: the bytes as they lie
            const std::uint8_t* bytes = heightmap.RowTable(row);
            for (std::int32_t column = 0; column < field.Width; ++column, bytes += 3) {
                heights[column] = (bytes[0] + bytes[1] + bytes[2]) / 3.0;
            }
        } else {
            for (std::int32_t column = 0; column < field.Width; ++column) {
                const PixelColour p = heightmap.ReadPixel(row, column);
                heights[column] = (p.Red + p.Green + p.Blue) / 3.0;
            }
        }
    }
    return field;
}

ScaledHeights::ScaledHeights(const HeightField& field, float scale, float divisor)
    : field_(field), scale_(scale), divisor_(divisor) {
    if (!field.ThirdsOfByteSums) return;
    bySum_.resize(kLargestByteSum + 1);
    for (int sum = 0; sum <= kLargestByteSum; ++sum) bySum_[sum] = Formula(sum / 3.0L);
}

}  // namespace orvalis
