#include "layers/GroundCurvature.h"

#include <algorithm>
#include <cmath>

#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

// 1.5 x 2^52: adding and taking it away rounds any double below 2^51 to the
// nearest whole number (ties to even), without a library call.
constexpr double kRoundingShift = 0x1.8p52;

std::int64_t StepsOf(double height, double hole) {
    const double h = std::isfinite(height) ? height : hole;
    const double steps = std::clamp(h, -kLargestCurvatureHeight, kLargestCurvatureHeight) / kCurvatureStep;
    return static_cast<std::int64_t>((steps + kRoundingShift) - kRoundingShift);
}

RunOptions Quiet(const RunOptions& options) {
    RunOptions quiet = options;
    quiet.Progress = {};
    return quiet;
}

}  // namespace

GroundCurvature::GroundCurvature(const TerrainWindow& terrain, double radius, const RunOptions& options)
    : terrain_(terrain), reach_(CurvatureReach(radius, terrain.Scale)) {
    const HeightPlane& plane = *terrain.Heights;
    const GridWindow& window = terrain.Window;
    rowSums_.resize(static_cast<std::size_t>(window.Width) * plane.Rows);
    for (std::int32_t column = window.Column; column < window.Column + window.Width; ++column) {
        const std::int32_t first = std::max(0, column - reach_.Columns);
        const std::int32_t last = std::min(window.WorldWidth - 1, column + reach_.Columns);
        columnCounts_.push_back(last - first + 1);
    }
    ParallelRows(plane.Rows, Quiet(options), SynthesisStage::Blend, [&](std::int32_t row) {
        std::vector<std::int64_t> steps(static_cast<std::size_t>(plane.Width));
        for (std::int32_t column = 0; column < plane.Width; ++column) {
            steps[column] = StepsOf(plane.At(row, column), terrain.HoleHeight);
        }
        // A running sum along the row: plane column of world column x is x - PlaneColumn.
        const auto step = [&](std::int32_t x) { return steps[x - terrain.PlaneColumn]; };
        std::int64_t* sums = &rowSums_[static_cast<std::size_t>(row) * window.Width];
        std::int64_t sum = 0;
        const std::int32_t first = window.Column;
        for (std::int32_t x = std::max(0, first - reach_.Columns); x <= std::min(window.WorldWidth - 1, first + reach_.Columns); ++x) {
            sum += step(x);
        }
        sums[0] = sum;
        for (std::int32_t column = first + 1; column < first + window.Width; ++column) {
            if (column + reach_.Columns < window.WorldWidth) sum += step(column + reach_.Columns);
            if (column - reach_.Columns - 1 >= 0) sum -= step(column - reach_.Columns - 1);
            sums[column - first] = sum;
        }
    });
}

const std::int64_t* GroundCurvature::RowSums(std::int32_t worldRow) const {
    return &rowSums_[static_cast<std::size_t>(worldRow - terrain_.PlaneRow) * terrain_.Window.Width];
}

GroundCurvature::Rows::Rows(const GroundCurvature& curvature, std::int32_t row)
    : curvature_(curvature), row_(curvature.terrain_.Window.Row + row), sums_(curvature.terrain_.Window.Width),
      steps_(sums_.size()) {
    const std::int32_t reach = curvature.reach_.Rows, worldRows = curvature.terrain_.Window.WorldRows;
    for (std::int32_t y = std::max(0, row_ - reach); y <= std::min(worldRows - 1, row_ + reach); ++y) Add(y, 1);
}

void GroundCurvature::Rows::Add(std::int32_t worldRow, std::int64_t sign) {
    const std::int64_t* row = curvature_.RowSums(worldRow);
    for (std::size_t column = 0; column < sums_.size(); ++column) sums_[column] += sign * row[column];
}

void GroundCurvature::Rows::Next(double* out) {
    const TerrainWindow& terrain = curvature_.terrain_;
    const std::int32_t reach = curvature_.reach_.Rows, worldRows = terrain.Window.WorldRows;
    if (started_) {
        // Slide the square up to this row; only now is that row sure to be wanted.
        if (row_ + reach < worldRows) Add(row_ + reach, 1);
        if (row_ - reach - 1 >= 0) Add(row_ - reach - 1, -1);
    }
    started_ = true;
    const std::int32_t rowCount = std::min(worldRows - 1, row_ + reach) - std::max(0, row_ - reach) + 1;
    const std::int32_t planeRow = row_ - terrain.PlaneRow, planeColumn = terrain.Window.Column - terrain.PlaneColumn;
    for (std::size_t column = 0; column < sums_.size(); ++column) {
        steps_[column] = StepsOf(terrain.Heights->At(planeRow, planeColumn + static_cast<std::int32_t>(column)),
                                 terrain.HoleHeight);
    }
    for (std::size_t column = 0; column < sums_.size(); ++column) {
        const std::int64_t count = std::int64_t{curvature_.columnCounts_[column]} * rowCount;
        // Exact: |steps| <= 2^39, |sums| < 2^61 and count < 2^22.
        const std::int64_t above = steps_[column] * count - sums_[column];
        out[column] = static_cast<double>(above) / (static_cast<double>(count) / kCurvatureStep);
    }
    ++row_;
}

}  // namespace orvalis
