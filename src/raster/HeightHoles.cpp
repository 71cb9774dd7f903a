#include "raster/HeightHoles.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace orvalis {

double LowestHeightWithData(const HeightPlane& plane, const RunOptions& options) {
    std::vector<double> lowestOfRow(static_cast<std::size_t>(std::max(plane.Rows, 0)), std::numeric_limits<double>::infinity());
    RunOptions quiet = options;
    quiet.Progress = nullptr;
    ParallelRows(plane.Rows, quiet, SynthesisStage::Blend, [&](std::int32_t row) {
        std::vector<double> heights(static_cast<std::size_t>(plane.Width));
        plane.RowHeights(row, heights.data());
        double& lowest = lowestOfRow[static_cast<std::size_t>(row)];
        for (const double h : heights) {
            if (std::isfinite(h)) lowest = std::min(lowest, h);
        }
    });
    double lowest = std::numeric_limits<double>::infinity();
    for (const double h : lowestOfRow) lowest = std::min(lowest, h);
    return std::isfinite(lowest) ? lowest : 0.0;
}

}  // namespace orvalis
