#pragma once

#include <cstdint>

// Kept free of inline library code: the vector kernel's own file, compiled
// for its instruction set, includes it.
namespace orvalis {

inline constexpr int kSumLanes = 8;

// values[j] = RepeatedSum(values[j], step, count) for every j < kSumLanes
// whose bit is set in `lanes`: the same singles, eight at a time in vector
// lanes at the chosen kernel level (the shadow march passes clear blocks
// with these).
void RepeatedSumLanes(float* values, float step, std::int64_t count, unsigned lanes);

// The vector part of it for a count below 2^22: adds in the chosen lanes
// as far as it can with whole runs, and leaves remaining[j] additions of
// step still to make to values[j] (0 in lanes not chosen, whose values it
// keeps).
using SumLanesKernel = void(float* values, float step, std::int32_t count, unsigned lanes,
                            std::int32_t* remaining);
// Null where the compiler lacks the instructions.
SumLanesKernel* Avx2SumLanes();

}  // namespace orvalis
