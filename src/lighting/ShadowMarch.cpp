#include "lighting/ShadowMarch.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <stdexcept>

#include "math/Geometry.h"
#include "math/RepeatedSum.h"
#include "raster/DibBuffer.h"
#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

// A cell's height times the single height scale needs at most 8 + 24 bits,
// so it is exact in double and compares with a single exactly as at extended
// precision.
double CellHeight(std::uint8_t cell, float heightScale) {
    return static_cast<double>(cell) * heightScale;
}

// The largest single not above value: a single lies above (at or below)
// value exactly when it lies above (at or below) this.
float SingleAtOrBelow(double value) {
    const float single = static_cast<float>(value);
    return single > value ? std::nextafter(single, -INFINITY) : single;
}

// No cell of the grid lies higher than this (and it is never below 0).
double ShadowCeiling(const HeightGrid& grid, float heightScale) {
    return std::max(0.0, CellHeight(grid.Highest(), heightScale));
}

bool Inside(const HeightGrid& grid, const Vector3& pos) {
    return pos.x > 0 && pos.x < static_cast<float>(grid.Columns() - 1) && pos.z > 0 &&
           pos.z < static_cast<float>(grid.Rows() - 1);
}

// Steps from origin along the unit vector dir while strictly inside the
// picture; true at the first step whose cell reaches up to the ray. The
// starting pixel itself is not tested.
bool MarchIntoTerrain(const HeightGrid& grid, float heightScale, double ceiling,
                      const Vector3& origin, const Vector3& dir) {
    Vector3 pos;
    AddVectors(origin, dir, pos);
    while (Inside(grid, pos)) {
        // Above the highest cell a ray that does not descend meets nothing more.
        if (dir.y >= 0 && pos.y > ceiling) return false;
        if (CellHeight(grid.At(TruncToInt(pos.z), TruncToInt(pos.x)), heightScale) >= pos.y) {
            return true;
        }
        AddVectors(pos, dir, pos);
    }
    return false;
}

// For every column (or row): the highest scaled cell in it and in all the
// columns (rows) a ray moving by `move` a step can still reach from it, as
// its coordinates only ever move one way. Taken over the cells before they
// are scaled, which a scale of at least 0 keeps in order.
std::vector<float> HighestAhead(const HeightGrid& grid, float move, float heightScale, bool columns) {
    const std::int32_t count = columns ? grid.Columns() : grid.Rows();
    std::vector<std::uint8_t> highest(static_cast<std::size_t>(count), 0);
    for (std::int32_t r = 0; r < grid.Rows(); ++r) {
        const std::uint8_t* row = grid.Cells() + static_cast<std::size_t>(r) * grid.Columns();
        if (columns) {
            for (std::int32_t c = 0; c < grid.Columns(); ++c) highest[c] = std::max(highest[c], row[c]);
        } else if (grid.Columns() > 0) {
            highest[r] = *std::max_element(row, row + grid.Columns());
        }
    }
    if (move > 0) {
        for (std::int32_t i = count - 1; i > 0; --i) highest[i - 1] = std::max(highest[i - 1], highest[i]);
    } else if (move < 0) {
        for (std::int32_t i = 1; i < count; ++i) highest[i] = std::max(highest[i], highest[i - 1]);
    }
    std::vector<float> scaled(highest.size());
    std::transform(highest.begin(), highest.end(), scaled.begin(),
                   [heightScale](std::uint8_t cell) { return SingleAtOrBelow(CellHeight(cell, heightScale)); });
    return scaled;
}

// Raises each cell of a coarser row to the highest of the finer row's cells
// it covers: pairs of neighbours when columns are halved, else one each.
// Written as plain loops over whole rows, which the compiler vectorises.
void MaxIntoCoarseRow(const std::uint8_t* finer, std::int32_t columns, bool halveColumns, std::uint8_t* coarse) {
    if (!halveColumns) {
        for (std::int32_t c = 0; c < columns; ++c) coarse[c] = std::max(coarse[c], finer[c]);
        return;
    }
    const std::int32_t pairs = columns / 2;
    for (std::int32_t c = 0; c < pairs; ++c) {
        coarse[c] = std::max(coarse[c], std::max(finer[2 * c], finer[2 * c + 1]));
    }
    if (columns % 2 != 0) coarse[pairs] = std::max(coarse[pairs], finer[columns - 1]);
}

// Coordinates stay below the largest picture side, 2^kCoordinateBits, where
// singles are kWidestSpacing apart or closer: a rounded sum moves the ray at
// most that much further than the step. The slack is twice that.
constexpr int kCoordinateBits = 15;
static_assert(TDibBuffer::kMaxDimension <= (1 << kCoordinateBits),
              "larger pictures need a larger kMoveSlack (wider spacing of singles)");
constexpr double kWidestSpacing = 1.0 / (1 << (24 - kCoordinateBits));
constexpr double kMoveSlack = 2 * kWidestSpacing;
// Passing a block costs three repeated sums; fewer steps are cheaper added one by one.
constexpr std::int64_t kShortestPass = 8;
// Lanes side by side span about as many columns as there are lanes: blocks
// narrower than that are never clear for all of them at once.
constexpr int kLowestLaneLevel = 3;

}  // namespace

HeightGrid::HeightGrid(std::int32_t columns, std::int32_t rows)
    : columns_(columns), rows_(rows) {
    if (columns < 0 || rows < 0) throw std::invalid_argument("a height grid cannot have a negative size");
    cells_.resize(static_cast<std::size_t>(columns) * rows);
}

std::uint8_t HeightGrid::Highest() const {
    return cells_.empty() ? 0 : *std::max_element(cells_.begin(), cells_.end());
}

namespace {

void FillGridRow(const HeightPlane& plane, std::int32_t row, HeightGrid& grid) {
    std::uint8_t* cells = &grid.At(row, 0);
    if (plane.ThirdsOfByteSums()) {
        // (r + g + b) / 3.0 rounded to single and truncated is exactly the whole level.
        for (std::int32_t column = 0; column < plane.Width; ++column) {
            cells[column] = static_cast<std::uint8_t>(plane.WholeLevel(plane.IndexOf(row, column)));
        }
        return;
    }
    // A double height widened to extended and rounded to single is the
    // double rounded to single.
    std::vector<double> heights(static_cast<std::size_t>(plane.Width));
    plane.RowHeights(row, heights.data());
    for (std::int32_t column = 0; column < plane.Width; ++column) {
        cells[column] = static_cast<std::uint8_t>(TruncToInt(static_cast<float>(heights[column])));
    }
}

}  // namespace

HeightGrid BuildHeightGrid(const HeightPlane& plane) {
    HeightGrid grid(plane.Width, plane.Rows);
    for (std::int32_t row = 0; row < plane.Rows; ++row) FillGridRow(plane, row, grid);
    return grid;
}

HeightGrid BuildHeightGrid(const HeightPlane& plane, const RunOptions& options) {
    HeightGrid grid(plane.Width, plane.Rows);
    RunOptions quiet = options;
    quiet.Progress = nullptr;
    ParallelRows(plane.Rows, quiet, SynthesisStage::Lightmap,
                 [&](std::int32_t row) { FillGridRow(plane, row, grid); });
    return grid;
}

bool IsInShadow(const HeightGrid& grid, float heightScale, const Vector3& origin,
                const Vector3& direction) {
    Vector3 dir;
    NormalizedCopy(direction, dir);
    return MarchIntoTerrain(grid, heightScale, ShadowCeiling(grid, heightScale), origin, dir);
}

ShadowRays::ShadowRays(const HeightGrid& grid, float heightScale, const Vector3& direction, int threads)
    : grid_(grid),
      heightScale_(heightScale),
      ceiling_(ShadowCeiling(grid, heightScale)),
      columnSteps_(0),
      rowSteps_(0) {
    NormalizedCopy(direction, dir_);
    // A climbing ray never comes lower, and with a scale of at least 0 the
    // highest cell of a block is its highest scaled cell.
    climbs_ = dir_.y >= 0 && heightScale >= 0 && std::isfinite(dir_.x) && std::isfinite(dir_.z);
    if (!climbs_) return;
    columnSteps_ = 1 / (std::fabs(dir_.x) + kMoveSlack);
    rowSteps_ = 1 / (std::fabs(dir_.z) + kMoveSlack);
    columnsAhead_ = HighestAhead(grid_, dir_.x, heightScale, true);
    rowsAhead_ = HighestAhead(grid_, dir_.z, heightScale, false);
    for (int cell = 0; cell < 256; ++cell) {
        scaled_[cell] = SingleAtOrBelow(CellHeight(static_cast<std::uint8_t>(cell), heightScale));
    }
    scaleInSingles_ = true;
    for (int cell = 0; cell < 256; ++cell) {
        scaleInSingles_ &= static_cast<float>(cell) * heightScale == scaled_[cell];
    }
    // The horizon is a sweep of its own; the rest shares passes over the grid.
    std::future<ShadowHorizon> horizon = std::async(threads > 1 ? std::launch::async : std::launch::deferred,
                                                    [this, heightScale] { return ShadowHorizon(grid_, heightScale, dir_); });
    squares_ = BuildPyramid(grid_, true, true);
    // The last inner column (row) has the widest spacing: if no ray stays
    // there, none stays anywhere.
    if (grid_.Columns() > 2 && StaysPut(static_cast<float>(grid_.Columns() - 2), dir_.x)) {
        columnStrips_ = BuildPyramid(grid_, false, true);
    }
    if (grid_.Rows() > 2 && StaysPut(static_cast<float>(grid_.Rows() - 2), dir_.z)) {
        rowStrips_ = BuildPyramid(grid_, true, false);
    }
    horizon_ = horizon.get();
}

ShadowRays::BlockPyramid ShadowRays::BuildPyramid(const HeightGrid& grid, bool halveColumns, bool halveRows) {
    BlockPyramid pyramid;
    // Every level straight into one buffer sized once, each made from the
    // one before it (the first from the grid): no level is copied, and the
    // buffer never briefly takes twice its size.
    const int columnShift = halveColumns ? 1 : 0, rowShift = halveRows ? 1 : 0;
    std::size_t cells = 0;
    for (std::int64_t columns = grid.Columns(), rows = grid.Rows();
         (halveColumns && columns > 1) || (halveRows && rows > 1);) {
        columns = (columns + columnShift) >> columnShift;
        rows = (rows + rowShift) >> rowShift;
        cells += static_cast<std::size_t>(columns * rows);
    }
    pyramid.Cells.assign(cells, 0);
    std::size_t offset = 0;
    std::int32_t columns = grid.Columns(), rows = grid.Rows();  // of the finer level
    for (int shift = 1; (halveColumns && columns > 1) || (halveRows && rows > 1); ++shift) {
        const std::int32_t coarseColumns = (columns + columnShift) >> columnShift;
        const std::int32_t coarseRows = (rows + rowShift) >> rowShift;
        const std::uint8_t* finer = shift == 1 ? grid.Cells() : &pyramid.Cells[pyramid.Levels.back().Offset];
        for (std::int32_t r = 0; r < rows; ++r) {
            MaxIntoCoarseRow(finer + static_cast<std::size_t>(r) * columns, columns, halveColumns,
                             &pyramid.Cells[offset + static_cast<std::size_t>(r >> rowShift) * coarseColumns]);
        }
        pyramid.Levels.push_back({offset, coarseColumns, shift * columnShift, shift * rowShift});
        offset += static_cast<std::size_t>(coarseColumns) * coarseRows;
        columns = coarseColumns;
        rows = coarseRows;
    }
    return pyramid;
}

// How many steps from pos surely stay inside a block around cell (row,
// column) whose highest cell lies below the ray; 0 or less when there is no
// such block or the ray is about to leave it. `level` receives the block's
// level (0: none). The search starts at the level of the last pass: any
// clear block will do, a large one saves steps.
std::int64_t ShadowRays::StepsWithinClearBlock(const Ray& ray, std::int32_t row, std::int32_t column,
                                               const Vector3& pos, int& level) const {
    const BlockPyramid& blocks = *ray.Blocks;
    const int top = static_cast<int>(blocks.Levels.size());
    level = std::min(level, top);
    while (level > 0 && BlockHeight(blocks, level, row, column) >= pos.y) --level;
    while (level < top && BlockHeight(blocks, level + 1, row, column) < pos.y) ++level;
    if (level == 0) return 0;
    const BlockPyramid::Level& l = blocks.Levels[level - 1];
    const std::int32_t width = std::int32_t{1} << l.ColumnShift, height = std::int32_t{1} << l.RowShift;
    const double left = (column >> l.ColumnShift) * static_cast<double>(width);
    const double bottom = (row >> l.RowShift) * static_cast<double>(height);
    // Distance to the block's edge the ray heads for, over the most it moves
    // a step; fewer steps than that stay inside, with room for the rounding
    // of this quotient. A fixed column (row) never reaches an edge across
    // (along), and then the other direction bounds the steps.
    const double across = dir_.x > 0 ? left + width - pos.x : dir_.x < 0 ? pos.x - left : width;
    const double along = dir_.z > 0 ? bottom + height - pos.z : dir_.z < 0 ? pos.z - bottom : height;
    return StepsWithin(across, along, ray.FixedColumn, ray.FixedRow);
}

std::int64_t ShadowRays::StepsWithin(double across, double along, bool fixedColumn, bool fixedRow) const {
    const double steps = fixedColumn ? along * rowSteps_
                         : fixedRow  ? across * columnSteps_
                                     : std::min(across * columnSteps_, along * rowSteps_);
    const double limit = steps * (1 - 0x1p-40);
    const auto below = static_cast<std::int64_t>(limit);  // the whole number just under limit
    return below == limit ? below - 1 : below;
}

float ShadowRays::RegionHeight(int level, std::int32_t leastRow, std::int32_t mostRow,
                                std::int32_t leastColumn, std::int32_t mostColumn) const {
    const BlockPyramid::Level& l = squares_.Levels[level - 1];
    const std::int32_t left = leastColumn >> l.ColumnShift, right = mostColumn >> l.ColumnShift;
    const std::int32_t bottom = leastRow >> l.RowShift, top = mostRow >> l.RowShift;
    if (right - left > 1 || top - bottom > 1) return INFINITY;
    float highest = 0;
    for (std::int32_t r = bottom; r <= top; ++r) {
        for (std::int32_t c = left; c <= right; ++c) {
            highest = std::max(highest, scaled_[squares_.Cells[l.Offset + static_cast<std::size_t>(r) * l.Columns + c]]);
        }
    }
    return highest;
}

std::int64_t ShadowRays::StepsWithinClearRegion(const ShadowLaneSpan& span, int& level) const {
    const int top = static_cast<int>(squares_.Levels.size());
    const std::int32_t leastColumn = TruncToInt(span.LeastX), mostColumn = TruncToInt(span.MostX);
    const std::int32_t leastRow = TruncToInt(span.LeastZ), mostRow = TruncToInt(span.MostZ);
    const auto clear = [&](int l) {
        return RegionHeight(l, leastRow, mostRow, leastColumn, mostColumn) < span.LowestHeight;
    };
    level = std::min(level, top);
    while (level >= kLowestLaneLevel && !clear(level)) --level;
    if (level < kLowestLaneLevel) level = kLowestLaneLevel - 1;
    while (level < top && clear(level + 1)) ++level;
    if (level < kLowestLaneLevel) return 0;
    const BlockPyramid::Level& l = squares_.Levels[level - 1];
    const auto edge = [](std::int32_t cell, int shift) {
        return static_cast<double>(std::int64_t{cell >> shift} << shift);
    };
    const double width = static_cast<double>(std::int64_t{1} << l.ColumnShift);
    const double height = static_cast<double>(std::int64_t{1} << l.RowShift);
    const double left = edge(leastColumn, l.ColumnShift), right = edge(mostColumn, l.ColumnShift) + width;
    const double bottom = edge(leastRow, l.RowShift), upper = edge(mostRow, l.RowShift) + height;
    const double across = dir_.x > 0 ? right - span.MostX : dir_.x < 0 ? span.LeastX - left : width;
    const double along = dir_.z > 0 ? upper - span.MostZ : dir_.z < 0 ? span.LeastZ - bottom : height;
    return StepsWithin(across, along, span.FixedColumn, span.FixedRow);
}

// Every step passed lies in a block whose cells are all below the ray at the
// step where the pass begins, and the ray only climbs; the sums are those the
// one-step march would reach. A ray that leaves the picture within a pass
// lands outside it, as the coordinates only move one way.
bool ShadowRays::Blocked(const Vector3& origin) const {
    if (!climbs_) return MarchIntoTerrain(grid_, heightScale_, ceiling_, origin, dir_);
    Ray ray{&squares_, StaysPut(origin.x, dir_.x), StaysPut(origin.z, dir_.z)};
    if (ray.FixedColumn && ray.FixedRow) ray.FixedColumn = ray.FixedRow = false;  // it only climbs
    if (ray.FixedColumn && !columnStrips_.Levels.empty()) ray.Blocks = &columnStrips_;
    else if (ray.FixedRow && !rowStrips_.Levels.empty()) ray.Blocks = &rowStrips_;
    else ray.FixedColumn = ray.FixedRow = false;
    Vector3 pos;
    AddVectors(origin, dir_, pos);
    int level = 0;
    const std::uint8_t* shadowed = horizon_.ShadowedBelow();
    while (Inside(grid_, pos)) {
        const std::int32_t column = TruncToInt(pos.x), row = TruncToInt(pos.z);
        if (pos.y > std::min(columnsAhead_[column], rowsAhead_[row])) return false;
        if (!horizon_.Empty() && pos.y > horizon_.At(row, column)) return false;
        if (shadowed != nullptr && pos.y >= 0 && pos.y < shadowed[static_cast<std::size_t>(row) * grid_.Columns() + column]) {
            return true;
        }
        // A cell inside a clear block is below the ray; only without one is
        // the cell itself read.
        const std::int64_t steps = StepsWithinClearBlock(ray, row, column, pos, level);
        if (level == 0 && scaled_[grid_.At(row, column)] >= pos.y) return true;
        if (steps >= kShortestPass) {
            // A fixed column (row) is its own repeated sum.
            pos = Vector3{ray.FixedColumn ? pos.x : RepeatedSum(pos.x, dir_.x, steps),
                          RepeatedSum(pos.y, dir_.y, steps), ray.FixedRow ? pos.z : RepeatedSum(pos.z, dir_.z, steps)};
        } else {
            for (std::int64_t i = 0; i < std::max<std::int64_t>(steps, 1); ++i) AddVectors(pos, dir_, pos);
        }
    }
    return false;
}

}  // namespace orvalis
