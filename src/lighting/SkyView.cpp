#include "lighting/SkyView.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "math/KernelChoice.h"
#include "raster/ParallelRows.h"
#include "lighting/HornSlope.h"
#include "lighting/SkyLightLanes.h"

namespace orvalis {

namespace {

// A cell's horizon toward a direction from the tangent of one sweep line: a
// horizon below level counts as level, and one steeper than half the largest
// single as that. Steeper ones read as a wall all the same (t / (1 + t) is 1
// from 2^53 on, and a line's share of at least 2^-53 keeps it there), while
// two lines' shares add up without overflow: an infinite one would make NaN
// where a line's share is 0.
float HorizonOfLine(double tangent) {
    constexpr double kSteepest = std::numeric_limits<float>::max() / 2;
    return tangent > 0 ? static_cast<float>(std::min(tangent, kSteepest)) : 0.0f;
}

}  // namespace

std::vector<float> SkyLightOnCells(HorizonSweeps& sweeps, const ClearSky& sky, const RunOptions& options,
                                   const std::function<void(int directionsDone)>& directionDone) {
    const GroundGrid& grid = sweeps.Grid();
    std::vector<float> light(grid.Z.size(), 0.0f);
    std::vector<float> horizons;
    // Cells with both neighbours each way inside take the vector lanes, when
    // the processor has them; they need the spans HornSlope divides by.
    const double spanX = 2 * grid.CellX, spanY = 2 * grid.CellY;
    SkyLightLaneKernel* const lanes =
        spanX > 0 && spanY > 0 ? KernelAtChosenLevel<SkyLightLaneKernel>({nullptr, nullptr, Avx512SkyLightLanes()})
                               : nullptr;
    RunOptions quiet = options;
    quiet.Progress = {};
    for (int direction = 0; direction < kSkyDirections; ++direction) {
        // Each cell's horizon toward the direction: its two sweep lines', weighted.
        sweeps.Set(360.0 * direction / kSkyDirections, HorizonOfLine, horizons, quiet);
        const ClearSky::DirectionTables tables = sky.TablesOf(direction);
        ParallelRows(grid.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
            const auto one = [&](std::int32_t column) {
                const std::size_t i = grid.IndexOf(row, column);
                light[i] += static_cast<float>(sky.FromDirection(direction, horizons[i], HornSlope(grid, row, column)));
            };
            std::int32_t column = 0;
            if (lanes != nullptr && row > 0 && row + 1 < grid.Rows) {
                one(column++);
                const float* here = &grid.Z[grid.IndexOf(row, 0)];
                const SkyLightRow cells{here - grid.Width, here, here + grid.Width, 4 * spanX, 4 * spanY,
                                        &horizons[grid.IndexOf(row, 0)], tables.East, tables.North, tables.Level,
                                        tables.Facing, tables.Steps, &light[grid.IndexOf(row, 0)]};
                column = lanes(cells, column, grid.Width - 1);
            }
            for (; column < grid.Width; ++column) one(column);
        });
        if (directionDone) directionDone(direction + 1);
    }
    return light;
}

}  // namespace orvalis
