#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "math/VectorTypes.h"
#include "raster/HeightPlane.h"
#include "raster/Progress.h"
#include "lighting/ShadowHorizon.h"
#include "lighting/ShadowLaneKernel.h"

// The shadow march, the lighting's own: other layers reach it only through
// Lightmap.h.

namespace orvalis {

// The integer height of every pixel (the low byte of the truncated height):
// what shadow rays are tested against.
class HeightGrid {
public:
    HeightGrid() = default;
    HeightGrid(std::int32_t columns, std::int32_t rows);
    // Stored row after row, as the height plane: the shadow rays of
    // neighbouring pixels of a row run side by side, a column apart, and so
    // share their cache lines.
    std::uint8_t At(std::int32_t row, std::int32_t column) const {
        return cells_[static_cast<std::size_t>(row) * columns_ + column];
    }
    std::uint8_t& At(std::int32_t row, std::int32_t column) {
        return cells_[static_cast<std::size_t>(row) * columns_ + column];
    }
    std::int32_t Columns() const { return columns_; }
    std::int32_t Rows() const { return rows_; }
    const std::uint8_t* Cells() const { return cells_.data(); }
    std::uint8_t Highest() const;

private:
    std::int32_t columns_ = 0;
    std::int32_t rows_ = 0;
    std::vector<std::uint8_t> cells_;
};

HeightGrid BuildHeightGrid(const HeightPlane& plane);
// The same, rows in parallel as options ask (without reporting progress).
HeightGrid BuildHeightGrid(const HeightPlane& plane, const RunOptions& options);

// Marches from origin along direction, one unit a step, while strictly inside
// the picture; true when the grid reaches the ray.
bool IsInShadow(const HeightGrid& grid, float heightScale, const Vector3& origin,
                const Vector3& direction);

// The same march for many origins and one direction, made fast for rays that
// climb: a pyramid of block maxima lets a ray pass a block that lies wholly
// below it in one go, and a horizon bound per cell ends a lit ray as soon as
// nothing ahead can reach it. The answer is that of IsInShadow for every
// origin.
class ShadowRays {
public:
    // With threads > 1 its tables are built side by side.
    ShadowRays(const HeightGrid& grid, float heightScale, const Vector3& direction, int threads = 1);
    bool Blocked(const Vector3& origin) const;

    // The same answers for kLanes rays at once, from neighbouring pixels of
    // one row side by side in vector lanes: origin j is (firstColumn + j,
    // heights[j], row). Bit j of the result is set when ray j is blocked.
    // Fastest where LanesAvailable(): with vector lanes at the chosen
    // kernel level.
    static constexpr int kLanes = kShadowLanes;
    bool LanesAvailable() const;
    unsigned BlockedLanes(std::int32_t row, std::int32_t firstColumn, const float* heights) const;

private:
    // The highest cell of each block of 2^ColumnShift x 2^RowShift cells,
    // level after level in one buffer (row after row within a level): the
    // search for a clear block reads several levels a step.
    struct BlockPyramid {
        struct Level {
            std::size_t Offset;
            std::int32_t Columns;
            int ColumnShift, RowShift;
        };
        std::vector<Level> Levels;  // Levels[l - 1]: level l
        std::vector<std::uint8_t> Cells;
    };
    static BlockPyramid BuildPyramid(const HeightGrid& grid, bool halveColumns, bool halveRows);

    // True when adding step to value leaves it as it is, which it then does
    // for good: a ray with such a column (row) step stays in its cell column (row).
    static bool StaysPut(float value, float step) { return value + step == value && value != 0; }

    // What a ray keeps from start to end: the pyramid it passes blocks of
    // and whether its column or row never changes.
    struct Ray {
        const BlockPyramid* Blocks;
        bool FixedColumn, FixedRow;
    };
    std::int64_t StepsWithinClearBlock(const Ray& ray, std::int32_t row, std::int32_t column,
                                       const Vector3& pos, int& level) const;
    // The whole steps that surely stay within a box `across` away from its
    // edge in the columns and `along` in the rows (edges the ray heads for).
    std::int64_t StepsWithin(double across, double along, bool fixedColumn, bool fixedRow) const;

    // How many steps all the lanes surely spend among square blocks of one
    // level whose cells all lie below the lowest ray (at most two blocks
    // each way); 0 or less when there are none. `level` as above.
    std::int64_t StepsWithinClearRegion(const ShadowLaneSpan& span, int& level) const;
    // The highest scaled cell of the blocks of a level that hold the span,
    // or infinity when more than two blocks each way would be needed.
    float RegionHeight(int level, std::int32_t leastRow, std::int32_t mostRow, std::int32_t leastColumn,
                       std::int32_t mostColumn) const;
    float BlockHeight(const BlockPyramid& blocks, int level, std::int32_t row, std::int32_t column) const {
        const BlockPyramid::Level& l = blocks.Levels[level - 1];
        const std::size_t cell = l.Offset + static_cast<std::size_t>(row >> l.RowShift) * l.Columns +
                                 static_cast<std::size_t>(column >> l.ColumnShift);
        return scaled_[blocks.Cells[cell]];
    }

    const HeightGrid& grid_;
    float heightScale_;
    Vector3 dir_;
    double ceiling_;
    bool climbs_;
    // Heights are kept as singles rounded down from the exact products of
    // cell and scale: a single ray height exceeds (reaches) such a single
    // exactly when it exceeds (reaches) the product, so every comparison of
    // the march stays exact and the lanes compare singles with singles.
    // The highest scaled cell in the columns (rows) still ahead of a ray in
    // a given column (row).
    std::vector<float> columnsAhead_, rowsAhead_;
    // Every cell value times the height scale, looked up rather than
    // multiplied at each of the march's many comparisons.
    std::array<float, 256> scaled_{};
    bool scaleInSingles_ = false;  // every scaled_[cell] is the single product cell x heightScale_
    // Square blocks for any ray; a ray that stays in one column (row), as
    // with light along an axis, passes much longer clear stretches of its
    // column (row) alone, so those get strips one cell wide when some ray
    // can stay in one.
    BlockPyramid squares_, columnStrips_, rowStrips_;
    // Steps per unit of column or row: at most as many as the ray takes.
    double columnSteps_, rowSteps_;
    // A much closer bound than the columns and rows ahead: lets most lit
    // rays stop long before they rise above the terrain's top.
    ShadowHorizon horizon_;
};

}  // namespace orvalis
