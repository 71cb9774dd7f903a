#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/DibBuffer.h"

namespace orvalis {

// The height of every heightmap pixel on the grey scale 0 .. 255, rows in
// the heightmap's memory order: the one plane the normal map and the
// shading read. Heights may be real-valued; a 24-bit picture gives
// (r + g + b) / 3, not truncated.
struct HeightField {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    // Real-valued heights, pixel (row, column) at row * Width + column.
    std::vector<double> Heights;
    // Instead of Heights when every height is a whole sum of three bytes
    // divided by 3: those sums (two bytes a pixel, not eight). The lighting
    // then works from the sum, as it always has for 8-bit pictures.
    std::vector<std::uint16_t> ByteSums;

    bool ThirdsOfByteSums() const { return !ByteSums.empty(); }

    std::size_t IndexOf(std::int32_t row, std::int32_t column) const {
        return static_cast<std::size_t>(row) * Width + column;
    }
    // r + g + b of an 8-bit height.
    int ByteSum(std::size_t index) const { return ByteSums[index]; }
    // The height: for an 8-bit picture the double nearest (r + g + b) / 3.
    double Height(std::size_t index) const { return ThirdsOfByteSums() ? ByteSums[index] / 3.0 : Heights[index]; }
    // The height as the lighting formulas take it: an 8-bit picture's
    // quotient (r + g + b) / 3 at extended precision, else the height itself.
    long double ExtendedHeight(std::size_t index) const {
        return ThirdsOfByteSums() ? ByteSum(index) / 3.0L : static_cast<long double>(Heights[index]);
    }
};

inline constexpr int kLargestByteSum = 3 * 255;

// Every pixel's (r + g + b) / 3, rows as ReadPixel numbers them.
HeightField HeightFieldOf(const TDibBuffer& heightmap);

// Every pixel's (height x scale) / divisor at extended precision, rounded to
// single once: the heights the lighting formulas start from. An 8-bit
// picture has only 766 heights, each worked out once by that same formula.
class ScaledHeights {
public:
    ScaledHeights(const HeightField& field, float scale, float divisor);

    float At(std::size_t index) const {
        return bySum_.empty() ? Formula(field_.ExtendedHeight(index)) : bySum_[field_.ByteSum(index)];
    }
    float At(std::int32_t row, std::int32_t column) const { return At(field_.IndexOf(row, column)); }
    std::int32_t Width() const { return field_.Width; }
    std::int32_t Rows() const { return field_.Rows; }

private:
    float Formula(long double height) const { return static_cast<float>(height * scale_ / divisor_); }

    const HeightField& field_;
    float scale_;
    float divisor_;
    std::vector<float> bySum_;
};

}  // namespace orvalis
