#include "lighting/ScaledHeights.h"

namespace orvalis {

ScaledHeights::ScaledHeights(const HeightPlane& plane, float scale, float divisor)
    : plane_(plane), scale_(scale), divisor_(divisor) {
    if (!plane.ThirdsOfByteSums()) return;
    bySum_.resize(kLargestByteSum + 1);
    for (int sum = 0; sum <= kLargestByteSum; ++sum) bySum_[sum] = Formula(sum / 3.0L);
}

}  // namespace orvalis
