#pragma once

#include <cstdint>

// Kept free of inline library code: the kernels' own files, compiled for one
// instruction set each, include it.
namespace orvalis {

inline constexpr int kShadowLanes = 8;

// Where the live lanes of a march are: the lowest ray, and the box around
// their positions; whether all of them keep their column or row for good.
struct ShadowLaneSpan {
    float LowestHeight;
    float LeastX, MostX, LeastZ, MostZ;
    bool FixedColumn, FixedRow;
};

// What the lanes of a march read, all of it the ShadowRays' own tables.
struct ShadowLaneTables {
    const std::uint8_t* Cells;
    std::int32_t Columns, Rows;
    const float* AheadInColumns;
    const float* AheadInRows;
    const float* ScaledBelow;
    const std::uint8_t* Horizon;        // nullptr: none
    const std::uint8_t* ShadowedBelow;  // nullptr: none
    bool ScaleInSingles;          // ScaledBelow[cell] is cell x Scale as a single product
    float Scale;
    float DirX, DirY, DirZ;
    // How many steps all the live lanes surely spend among blocks below
    // them (ShadowRays::StepsWithinClearRegion of Rays).
    const void* Rays;
    std::int64_t (*StepsWithinClearRegion)(const void* rays, const ShadowLaneSpan& span, int& level);
};

// ShadowRays::BlockedLanes for climbing rays: origin j is (firstColumn + j,
// heights[j], row); `fixed` tells whether the lanes keep their column or
// row. Bit j of the result is set when ray j is blocked.
using ShadowLaneKernel = unsigned(const ShadowLaneTables& tables, std::int32_t row, std::int32_t firstColumn,
                                  const float* heights, ShadowLaneSpan fixed);

// Null where the compiler lacks the instructions.
ShadowLaneKernel* Avx2ShadowLanes();

}  // namespace orvalis
