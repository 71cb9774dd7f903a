#include "lighting/ScaledHeights.h"

#include "math/CertifiedGeometry.h"

namespace orvalis {

ScaledHeights::ScaledHeights(const HeightPlane& plane, float scale, float divisor)
    : plane_(plane), scale_(scale), divisor_(divisor) {
    if (!plane.ThirdsOfByteSums()) return;
    bySum_.resize(kLargestByteSum + 1);
    for (int sum = 0; sum <= kLargestByteSum; ++sum) bySum_[sum] = Formula(sum / 3.0L);
}

// Real heights go through doubles: the product and the quotient round twice,
// each by at most half a unit of 2^-53, so the single the double rounds to
// is the extended formula's wherever SingleIsCertain says so; the few others
// take the formula itself.
void ScaledHeights::Row(std::int32_t row, float* out) const {
    const std::size_t start = plane_.IndexOf(row, 0);
    const std::int32_t width = plane_.Width;
    const auto scaled = [&](std::int32_t c, double height) {
        if (!SingleIsCertain(height * scale_ / divisor_, out[c])) out[c] = Formula(height);
    };
    if (!bySum_.empty()) {
        for (std::int32_t c = 0; c < width; ++c) out[c] = bySum_[plane_.ByteSum(start + c)];
    } else if (plane_.ScaledSamples()) {
        const float* samples = plane_.Samples.data() + start;
        for (std::int32_t c = 0; c < width; ++c) scaled(c, plane_.Scale.Height(samples[c]));
    } else {
        const double* heights = plane_.Heights.data() + start;
        for (std::int32_t c = 0; c < width; ++c) scaled(c, heights[c]);
    }
}

}  // namespace orvalis
