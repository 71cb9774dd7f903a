#include "lighting/SkyView.h"

#include <cstdint>

#include "raster/ParallelRows.h"
#include "lighting/HornSlope.h"

namespace orvalis {

std::vector<float> SkyLightOnCells(HorizonSweeps& sweeps, const ClearSky& sky, const RunOptions& options,
                                   const std::function<void(int directionsDone)>& directionDone) {
    const GroundGrid& grid = sweeps.Grid();
    std::vector<float> light(grid.Z.size(), 0.0f);
    std::vector<float> horizons;
    RunOptions quiet = options;
    quiet.Progress = {};
    for (int direction = 0; direction < kSkyDirections; ++direction) {
        // Each cell's horizon toward the direction: the tangents of its two
        // sweep lines, weighted, with a horizon below level taken as level.
        sweeps.Set(
            360.0 * direction / kSkyDirections,
            [](double tangent) { return tangent > 0 ? static_cast<float>(tangent) : 0.0f; }, horizons, quiet);
        ParallelRows(grid.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
            for (std::int32_t column = 0; column < grid.Width; ++column) {
                const std::size_t i = grid.IndexOf(row, column);
                light[i] += static_cast<float>(sky.FromDirection(direction, horizons[i], HornSlope(grid, row, column)));
            }
        });
        if (directionDone) directionDone(direction + 1);
    }
    return light;
}

}  // namespace orvalis
