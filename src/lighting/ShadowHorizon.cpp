#include "lighting/ShadowHorizon.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <utility>

#include "lighting/HorizonDoubling.h"
#include "lighting/ShadowMarch.h"

namespace orvalis {

namespace {

// The grid as lines of cells across the light's main direction: its rows
// when a ray moves further along the columns (from row to row) than across
// them, else its columns. Positions count along a line. Columns go through
// memory a block of them at a time, so that the sweep still reads the grid
// and writes the bounds row by row.
class Lines {
public:
    Lines(const HeightGrid& grid, bool areRows, std::vector<std::uint8_t>& bounds)
        : grid_(grid), areRows_(areRows), bounds_(bounds) {}
    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;
    ~Lines() { Flush(); }

    std::int32_t Count() const { return areRows_ ? grid_.Rows() : grid_.Columns(); }
    std::int32_t Length() const { return areRows_ ? grid_.Columns() : grid_.Rows(); }

    // The cells of a line, and where its bounds go.
    const std::uint8_t* Cells(std::int32_t line) {
        if (areRows_) return grid_.Cells() + Offset(line);
        Enter(line);
        return &cells_[static_cast<std::size_t>(line - block_) * Length()];
    }
    std::uint8_t* Bounds(std::int32_t line) {
        if (areRows_) return bounds_.data() + Offset(line);
        Enter(line);
        return &blockBounds_[static_cast<std::size_t>(line - block_) * Length()];
    }

private:
    static constexpr std::int32_t kBlock = 64;

    std::size_t Offset(std::int32_t row) const { return static_cast<std::size_t>(row) * grid_.Columns(); }
    std::int32_t BlockLines() const { return std::min(kBlock, Count() - block_); }

    // Makes the block of columns holding `line` the current one.
    void Enter(std::int32_t line) {
        if (!cells_.empty() && line >= block_ && line < block_ + kBlock) return;
        Flush();
        block_ = line - line % kBlock;
        cells_.resize(static_cast<std::size_t>(kBlock) * Length());
        blockBounds_.resize(cells_.size());
        Copy(grid_.Cells() + block_, cells_.data(), true);
    }
    void Flush() {
        if (areRows_ || blockBounds_.empty()) return;
        Copy(blockBounds_.data(), bounds_.data() + block_, false);
    }
    // Copies the block's columns from the grid's layout (rows `columns`
    // apart) to one line after the other, or back, a few rows at a time: so
    // few that the cache keeps them even when the rows lie a power of two
    // apart and so share its sets. Local pointers and sizes: stores of
    // bytes could otherwise change them for the compiler.
    void Copy(const std::uint8_t* from, std::uint8_t* to, bool intoBlock) const {
        const std::int32_t rows = grid_.Rows(), lines = BlockLines();
        const std::size_t columns = static_cast<std::size_t>(grid_.Columns()), length = static_cast<std::size_t>(Length());
        constexpr std::int32_t kRowsAtOnce = 8;
        for (std::int32_t first = 0; first < rows; first += kRowsAtOnce) {
            const std::int32_t end = std::min(first + kRowsAtOnce, rows);
            for (std::int32_t l = 0; l < lines; ++l) {
                for (std::int32_t row = first; row < end; ++row) {
                    const std::size_t inGrid = row * columns + l, inBlock = l * length + row;
                    to[intoBlock ? inBlock : inGrid] = from[intoBlock ? inGrid : inBlock];
                }
            }
        }
    }

    const HeightGrid& grid_;
    bool areRows_;
    std::vector<std::uint8_t>& bounds_;
    std::int32_t block_ = 0;
    std::vector<std::uint8_t> cells_, blockBounds_;
};

// Where the rays from a cell may go, in positions relative to the cell.
// Per step a ray moves `slope` positions along the lines for each line it
// crosses, give or take `drift` for the rounding of its coordinates, and
// it starts anywhere in its cell: so u lines on it lies within
// [u slope - (u + 1) drift, 1 + u slope + (u + 1) drift) of the cell.
struct Cone {
    // The cells it may meet in its own line (u < 1) and the next (u < 2).
    std::int32_t Low[2], High[2];
    // The cells of the next line whose cones cover the rest of it.
    std::int32_t Next, NextCount;
    // Cones from this many positions before the line's start (after its end)
    // still reach into the grid; beyond them none does.
    std::int32_t PadBefore, PadAfter;
};

Cone ConeOf(double slope, double drift, bool fixed, std::int32_t lines) {
    if (fixed) return Cone{{0, 0}, {0, 0}, 0, 1, 0, 0};
    Cone cone{};
    for (int t = 0; t < 2; ++t) {
        const double farthest = slope * (t + 1), spread = (t + 1) * drift;
        cone.Low[t] = static_cast<std::int32_t>(std::floor(std::min(0.0, farthest) - spread));
        cone.High[t] = static_cast<std::int32_t>(std::floor(1 + std::max(0.0, farthest) + spread));
    }
    // The cells from floor(slope - drift) on, three of them, span the cone
    // of any point of this cell one line on (drift stays far below 1/2).
    cone.Next = static_cast<std::int32_t>(std::floor(slope - drift));
    cone.NextCount = 3;
    const double reach = lines + 2.0;
    cone.PadBefore = static_cast<std::int32_t>(std::ceil(std::max(0.0, slope + drift) * reach)) + 4;
    cone.PadAfter = static_cast<std::int32_t>(std::ceil(std::max(0.0, drift - slope) * reach)) + 4;
    return cone;
}

// The smallest single not below value.
float SingleAtOrAbove(double value) {
    const float single = static_cast<float>(value);
    return single < value ? std::nextafter(single, INFINITY) : single;
}

// Beyond every offset of a cone.
constexpr std::int32_t kMargin = 4;
// What a bound never needs to go below: a ray under 0 is never tested.
constexpr float kFloor = -1;

// The bounds of the cones, line after line against the light.
// firstFixed: 0, or the first position whose rays keep it for good.
void SweepCones(const HeightGrid& grid, bool acrossRows, bool towardHigherLines, const Cone& cone,
                std::int32_t firstFixed, float climbPerLine, const std::array<float, 256>& scaledAbove, bool unscaled,
                std::vector<std::uint8_t>& bounds) {
    const std::int32_t columns = grid.Columns(), rows = grid.Rows();
    const std::int32_t length = acrossRows ? columns : rows;
    const bool fixed = firstFixed > 0;
    Lines lines(grid, acrossRows, bounds);
    const std::int32_t first = kMargin + cone.PadBefore;
    const std::size_t size = static_cast<std::size_t>(cone.PadBefore) + length + cone.PadAfter + 2 * kMargin;
    const std::size_t begin = kMargin, end = size - kMargin;  // the positions bounded
    std::vector<std::uint8_t> cells(size, 0), nextCells(size, 0), highest(size);
    std::vector<float> bound(size, kFloor), nextBound(size, kFloor);
    // Against the light: the line rays reach last first.
    for (std::int32_t swept = 0; swept < lines.Count(); ++swept) {
        const std::int32_t line = towardHigherLines ? lines.Count() - 1 - swept : swept;
        std::copy_n(lines.Cells(line), length, &cells[first]);
        // This line's cells in reach.
        std::fill(highest.begin(), highest.end(), 0);
        for (std::int32_t d = cone.Low[0]; d <= cone.High[0]; ++d) {
            for (std::size_t q = begin; q < end; ++q) highest[q] = std::max(highest[q], cells[q + d]);
        }
        // The next line's (none for the first line of the sweep).
        for (std::int32_t d = cone.Low[1]; swept > 0 && d <= cone.High[1]; ++d) {
            for (std::size_t q = begin; q < end; ++q) highest[q] = std::max(highest[q], nextCells[q + d]);
        }
        if (unscaled) {
            for (std::size_t q = begin; q < end; ++q) bound[q] = highest[q];
        } else {
            for (std::size_t q = begin; q < end; ++q) bound[q] = scaledAbove[highest[q]];
        }
        // The lines after it, one line's climb lower.
        for (std::int32_t d = 0; swept > 0 && d < cone.NextCount; ++d) {
            for (std::size_t q = begin; q < end; ++q) {
                bound[q] = std::max(bound[q], nextBound[q + cone.Next + d] - climbPerLine);
            }
        }
        for (std::size_t q = begin; q < end; ++q) bound[q] = std::max(bound[q], kFloor);
        std::uint8_t* out = lines.Bounds(line);
        if (fixed) std::fill_n(&bound[first], firstFixed, 255.0f);
        for (std::int32_t p = 0; p < length; ++p) {
            // The whole number at or above it (no library call: this loop runs in vector lanes).
            const float b = bound[first + p];
            const auto whole = static_cast<std::int32_t>(b);
            out[p] = static_cast<std::uint8_t>(std::clamp(whole + (static_cast<float>(whole) < b ? 1 : 0), 0, 255));
        }
        std::swap(cells, nextCells);
        std::swap(bound, nextBound);
    }
}

}  // namespace

ShadowHorizon::ShadowHorizon(const HeightGrid& grid, float heightScale, const Vector3& unitDirection) {
    const std::int32_t columns = grid.Columns(), rows = grid.Rows();
    if (columns < 1 || rows < 1 || !(heightScale >= 0) || static_cast<double>(heightScale) * 255 > 255) return;
    if (!(unitDirection.y >= 0)) return;
    const bool acrossRows = std::fabs(unitDirection.z) >= std::fabs(unitDirection.x);
    const double major = acrossRows ? unitDirection.z : unitDirection.x;
    const float minor = acrossRows ? unitDirection.x : unitDirection.z;
    // A coordinate inside the grid lies below 2^e; one addition to it
    // rounds by less than 2^(e - 24).
    const double slack = std::ldexp(1.0, std::bit_width(static_cast<std::uint32_t>(std::max(columns, rows))) - 24);
    const double along = std::fabs(major);
    if (!(along > 4 * slack)) return;
    // Per line crossed: the positions moved along it and their rounding,
    // and the least climb. A height below 256 rounds by less than 2^-17 a
    // step; the climb left after the sweep's own rounding (below 2^-17 a
    // line) stays a lower bound.
    const double slope = minor / along;
    const double drift = (slack + std::fabs(slope) * slack) / (along - slack);
    // A minor step below half the spacing of singles just under 2^k leaves
    // every coordinate from 2^k up as it is: rays there keep their position
    // along the lines for good (as rays of a light along an axis do). When
    // that holds for nearly every position, those get the one-position cone
    // and the few before 2^k no bound at all.
    int k = 0;
    while (k < 30 && !(std::fabs(minor) < std::ldexp(1.0, k - 25))) ++k;
    const std::int32_t firstFixed = std::int32_t{1} << k;
    const std::int32_t length = acrossRows ? columns : rows;
    const bool fixed = firstFixed <= length / 8;
    const double climb = std::max(0.0, (unitDirection.y - 0x1p-15) / (along + slack));
    // Rounded to single, it is still 2^-17 below the climb; capped, the
    // sweep's values stay below 256.
    const float climbPerLine = std::max(0.0f, static_cast<float>(std::min(200.0, climb - 0x1p-15)));
    const Cone cone = ConeOf(fixed ? 0 : slope, drift, fixed, acrossRows ? rows : columns);
    std::array<float, 256> scaledAbove{};
    for (int cell = 0; cell < 256; ++cell) scaledAbove[cell] = SingleAtOrAbove(static_cast<double>(cell) * heightScale);
    const bool unscaled = heightScale == 1;

    columns_ = columns;
    bounds_.assign(static_cast<std::size_t>(columns) * rows, 0);
    SweepCones(grid, acrossRows, major > 0, cone, fixed ? firstFixed : 0, climbPerLine, scaledAbove, unscaled, bounds_);
    // Off the axes the cones widen by a cell each way per line; the rays' own
    // band widens far less.
    if (fixed) return;
    std::array<std::uint8_t, 256> cellAbove{}, cellBelow{};
    for (int cell = 0; cell < 256; ++cell) {
        cellAbove[cell] = static_cast<std::uint8_t>(std::ceil(static_cast<double>(cell) * heightScale));
        cellBelow[cell] = static_cast<std::uint8_t>(std::floor(static_cast<double>(cell) * heightScale));
    }
    // A height below 256 rounds up by less than 2^-16 a step.
    const HorizonLines band{acrossRows, major > 0, slope, drift, climbPerLine, 1 / (along - slack),
                            unitDirection.y + 0x1p-16};
    TightenByDoubling(grid, cellAbove.data(), band, bounds_.data());
    ShadowedByDoubling(grid, cellBelow.data(), band, shadowedBelow_);
}

}  // namespace orvalis
