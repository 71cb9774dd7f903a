#pragma once

#include <cstdint>

namespace orvalis {

inline constexpr int kSumLanes = 8;

// values[j] = RepeatedSum(values[j], step, count) for every j < kSumLanes
// whose bit is set in `lanes`: the same singles, eight at a time in AVX2
// lanes where the processor has them (the shadow march passes clear blocks
// with these).
void RepeatedSumLanes(float* values, float step, std::int64_t count, unsigned lanes);

}  // namespace orvalis
