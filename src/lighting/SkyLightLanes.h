#pragma once

#include <cstdint>

// Kept free of inline library code: the kernels' own files, compiled for one
// instruction set each, include it.
namespace orvalis {

// One interior row of the sky light's per-cell work for one direction: the
// grid's rows south of, at and north of it, and what ClearSky::FromDirection
// reads of the direction.
struct SkyLightRow {
    const float* South;
    const float* Here;
    const float* North;
    double EastDivisor;   // 4 x the ground the two columns beside a cell span
    double NorthDivisor;  // likewise the two rows
    const float* Horizons;
    double TowardEast, TowardNorth;  // the direction's unit vector
    const double* Level;
    const double* Facing;
    int Steps;  // the tables hold Steps + 1 entries
    float* Light;
};

// Adds, for the columns first, first + 1, .. in whole groups of lanes up to
// end (each column with both neighbours inside the row), the single of
// ClearSky::FromDirection(horizon, HornSlope) to Light: the same operations
// in the same order, so the same bits. Returns the first column it left.
using SkyLightLaneKernel = std::int32_t(const SkyLightRow& row, std::int32_t first, std::int32_t end);

// Null where the compiler lacks the instructions; call only where the
// processor has them (ProcessorRuns).
SkyLightLaneKernel* Avx512SkyLightLanes();

}  // namespace orvalis
