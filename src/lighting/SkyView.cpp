#include "lighting/SkyView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "raster/ParallelRows.h"
#include "lighting/HornSlope.h"

namespace orvalis {

namespace {

// Where the cells of a grid fall on a coarser grid of the same extent:
// per fine index, the coarse index below and the share of the next one.
struct CoarsePlace {
    std::int32_t Below;
    float Next;
};

std::vector<CoarsePlace> CoarsePlaces(std::int32_t fine, std::int32_t coarse) {
    std::vector<CoarsePlace> places(static_cast<std::size_t>(fine));
    for (std::int32_t i = 0; i < fine; ++i) {
        const double at = std::clamp((i + 0.5) * coarse / fine - 0.5, 0.0, coarse - 1.0);
        const auto below = std::min(static_cast<std::int32_t>(at), std::max(coarse - 2, 0));
        places[static_cast<std::size_t>(i)] = {below, static_cast<float>(coarse > 1 ? at - below : 0.0)};
    }
    return places;
}

}  // namespace

std::vector<float> SkyLightOnCells(const GroundGrid& grid, HorizonSweeps& sweeps, const ClearSky& sky,
                                   const RunOptions& options,
                                   const std::function<void(int directionsDone)>& directionDone) {
    const GroundGrid& swept = sweeps.Grid();
    const bool same = swept.Width == grid.Width && swept.Rows == grid.Rows;
    const std::vector<CoarsePlace> columns = CoarsePlaces(grid.Width, swept.Width);
    const std::vector<CoarsePlace> rows = CoarsePlaces(grid.Rows, swept.Rows);
    const std::int32_t lastColumn = swept.Width - 1, lastRow = swept.Rows - 1;
    std::vector<float> light(grid.Z.size(), 0.0f);
    std::vector<float> horizons;
    RunOptions quiet = options;
    quiet.Progress = {};
    for (int direction = 0; direction < kSkyDirections; ++direction) {
        // Each cell's horizon toward the direction: the tangents of its two
        // sweep lines, weighted, with a horizon below level taken as level.
        horizons.assign(swept.Z.size(), 0.0f);
        sweeps.Add(
            360.0 * direction / kSkyDirections, [](double tangent) { return tangent > 0 ? static_cast<float>(tangent) : 0.0f; },
            horizons, quiet);
        const auto horizonAt = [&](std::int32_t row, std::int32_t column) -> double {
            if (same) return horizons[grid.IndexOf(row, column)];
            const CoarsePlace r = rows[static_cast<std::size_t>(row)], c = columns[static_cast<std::size_t>(column)];
            const auto at = [&](std::int32_t rr, std::int32_t cc) {
                return horizons[swept.IndexOf(std::min(rr, lastRow), std::min(cc, lastColumn))];
            };
            const double below = (1 - c.Next) * at(r.Below, c.Below) + c.Next * at(r.Below, c.Below + 1);
            const double above = (1 - c.Next) * at(r.Below + 1, c.Below) + c.Next * at(r.Below + 1, c.Below + 1);
            return (1 - r.Next) * below + r.Next * above;
        };
        ParallelRows(grid.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
            for (std::int32_t column = 0; column < grid.Width; ++column) {
                light[grid.IndexOf(row, column)] += static_cast<float>(
                    sky.FromDirection(direction, horizonAt(row, column), HornSlope(grid, row, column)));
            }
        });
        if (directionDone) directionDone(direction + 1);
    }
    return light;
}

}  // namespace orvalis
