#include "lighting/SkyView.h"

#include <cstdint>

#include "math/KernelChoice.h"
#include "raster/ParallelRows.h"
#include "lighting/HornSlope.h"
#include "lighting/SkyLightLanes.h"

namespace orvalis {

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
        // Each cell's horizon toward the direction: the tangents of its two
        // sweep lines, weighted, with a horizon below level taken as level.
        sweeps.Set(
            360.0 * direction / kSkyDirections,
            [](double tangent) { return tangent > 0 ? static_cast<float>(tangent) : 0.0f; }, horizons, quiet);
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
