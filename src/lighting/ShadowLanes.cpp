#include "math/KernelChoice.h"
#include "lighting/ShadowMarch.h"

namespace orvalis {

namespace {

ShadowLaneKernel* ChosenShadowLanes() {
    return KernelAtChosenLevel<ShadowLaneKernel>({nullptr, Avx2ShadowLanes(), nullptr});
}

}  // namespace

bool ShadowRays::LanesAvailable() const { return climbs_ && ChosenShadowLanes() != nullptr; }

unsigned ShadowRays::BlockedLanes(std::int32_t row, std::int32_t firstColumn, const float* heights) const {
    ShadowLaneKernel* const kernel = ChosenShadowLanes();
    if (!climbs_ || kernel == nullptr) {
        unsigned blocked = 0;
        for (int j = 0; j < kLanes; ++j) {
            if (Blocked(Vector3{static_cast<float>(firstColumn + j), heights[j], static_cast<float>(row)})) {
                blocked |= 1u << j;
            }
        }
        return blocked;
    }
    const ShadowLaneTables tables{
        grid_.Cells(), grid_.Columns(), grid_.Rows(), columnsAhead_.data(), rowsAhead_.data(), scaled_.data(),
        horizon_.Empty() ? nullptr : horizon_.Bounds(), horizon_.ShadowedBelow(), scaleInSingles_, heightScale_, dir_.x, dir_.y, dir_.z, this,
        [](const void* rays, const ShadowLaneSpan& span, int& level) {
            return static_cast<const ShadowRays*>(rays)->StepsWithinClearRegion(span, level);
        }};
    ShadowLaneSpan fixed{};
    fixed.FixedRow = StaysPut(static_cast<float>(row), dir_.z);
    fixed.FixedColumn = true;
    for (int j = 0; j < kLanes; ++j) fixed.FixedColumn &= StaysPut(static_cast<float>(firstColumn + j), dir_.x);
    if (fixed.FixedColumn && fixed.FixedRow) fixed.FixedColumn = fixed.FixedRow = false;  // it only climbs
    return kernel(tables, row, firstColumn, heights, fixed);
}

}  // namespace orvalis
