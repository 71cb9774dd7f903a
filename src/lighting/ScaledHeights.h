#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/HeightPlane.h"

namespace orvalis {

// Every pixel's (height x scale) / divisor at extended precision, rounded to
// single once: the heights the lighting formulas start from. 8-bit pixels
// have only 766 heights, each worked out once by that same formula.
class ScaledHeights {
public:
    ScaledHeights(const HeightPlane& plane, float scale, float divisor);

    float At(std::size_t index) const {
        return bySum_.empty() ? Formula(plane_.ExtendedHeight(index)) : bySum_[plane_.ByteSum(index)];
    }
    float At(std::int32_t row, std::int32_t column) const { return At(plane_.IndexOf(row, column)); }
    // out[c] = At(row, c) for the row's Width columns; uncertain is scratch
    // space.
    void Row(std::int32_t row, float* out, std::vector<std::int32_t>& uncertain) const;
    std::int32_t Width() const { return plane_.Width; }
    std::int32_t Rows() const { return plane_.Rows; }

private:
    float Formula(long double height) const { return static_cast<float>(height * scale_ / divisor_); }

    const HeightPlane& plane_;
    float scale_;
    float divisor_;
    std::vector<float> bySum_;
};

}  // namespace orvalis
