#include "math/RepeatedSumLanes.h"

#include "math/KernelChoice.h"
#include "math/RepeatedSum.h"

namespace orvalis {

namespace {

// The vector kernel's runs stay below 2^22 additions.
constexpr std::int64_t kLongestLaneCount = std::int64_t{1} << 22;

}  // namespace

void RepeatedSumLanes(float* values, float step, std::int64_t count, unsigned lanes) {
    SumLanesKernel* const kernel = KernelAtChosenLevel<SumLanesKernel>({nullptr, Avx2SumLanes(), nullptr});
    std::int32_t remaining[kSumLanes] = {};
    if (kernel == nullptr || count >= kLongestLaneCount) {
        for (int j = 0; j < kSumLanes; ++j) {
            if (lanes >> j & 1) values[j] = RepeatedSum(values[j], step, count);
        }
        return;
    }
    kernel(values, step, static_cast<std::int32_t>(count), lanes, remaining);
    for (int j = 0; j < kSumLanes; ++j) {
        if (lanes >> j & 1 && remaining[j] > 0) values[j] = RepeatedSum(values[j], step, remaining[j]);
    }
}

}  // namespace orvalis
