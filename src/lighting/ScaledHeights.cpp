#include "lighting/ScaledHeights.h"

#include "math/CertifiedGeometry.h"
#include "lighting/NormalLanes.h"

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
// take the formula itself. Samples with a scale go in vector lanes, which do
// the same double operations.
void ScaledHeights::Row(std::int32_t row, float* out, std::vector<std::int32_t>& uncertain) const {
    const std::size_t start = plane_.IndexOf(row, 0);
    const std::int32_t width = plane_.Width;
    const auto scaled = [&](std::int32_t c, double height) {
        if (!SingleIsCertain(height * scale_ / divisor_, out[c])) out[c] = Formula(height);
    };
    if (!bySum_.empty()) {
        for (std::int32_t c = 0; c < width; ++c) out[c] = bySum_[plane_.ByteSum(start + c)];
    } else if (plane_.ScaledSamples()) {
        const float* samples = plane_.Samples.data() + start;
        const SampleScale& scale = plane_.Scale;
        const auto one = [&](std::int32_t c) { scaled(c, scale.Height(samples[c])); };
        if (!(scale.Span > 0)) {  // every height 0, which the lanes leave out
            for (std::int32_t c = 0; c < width; ++c) one(c);
            return;
        }
        const SampleHeightScale lanes{scale.Low, scale.Span, scale_, divisor_};
        CoverInLanes(
            0, width, uncertain,
            [&](const NormalLaneKernel& kernel, std::int32_t* left) {
                return kernel.SampleHeights(samples, lanes, 0, width, out, left);
            },
            one);
    } else {
        const double* heights = plane_.Heights.data() + start;
        for (std::int32_t c = 0; c < width; ++c) scaled(c, heights[c]);
    }
}

}  // namespace orvalis
