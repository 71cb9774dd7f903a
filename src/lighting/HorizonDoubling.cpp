#include "lighting/HorizonDoubling.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lighting/ShadowMarch.h"

namespace orvalis {

namespace {

// The cells, as offsets from a cell of a line, where rays from anywhere in
// that cell can be `lines` lines on: at their first step in that line, or
// for 0 at any step in their own. From a point of the cell to that step
// the rays cross between lines - 1 and lines + 1 lines (0 and 1 in their
// own: no step crosses more than one), and on the way their position moves
// by the slope per line crossed, give or take the drift.
struct Reach {
    std::int32_t First, Last;
};

double MostLinesCrossed(std::int64_t lines) { return static_cast<double>(lines) + 1 + 0x1p-10; }

Reach ReachAt(const HorizonLines& h, std::int64_t lines) {
    const double least = std::max<double>(0, static_cast<double>(lines) - 1), most = MostLinesCrossed(lines);
    const double spread = (most + 1) * h.Drift + 0x1p-20;
    const double low = std::min(h.Slope * least, h.Slope * most) - spread;
    const double high = 1 + std::max(h.Slope * least, h.Slope * most) + spread;
    return {static_cast<std::int32_t>(std::floor(low)), static_cast<std::int32_t>(std::floor(high))};
}

// Highest: the most of the cells in reach, where cells outside the grid are
// never met. Lowest: the least of them, and 0 unless every one lies inside
// the picture, where rays surely still are (not on its border cells).
enum class Side { Highest, Lowest };

// taken[i] takes in from[i + shift], i + shift counted among count cells.
void TakeInShifted(const std::uint8_t* from, std::int32_t count, std::int64_t shift, Side side,
                   std::uint8_t* taken) {
    if (side == Side::Highest) {
        const std::int64_t begin = std::max<std::int64_t>(0, -shift), end = std::min<std::int64_t>(count, count - shift);
        for (std::int64_t i = begin; i < end; ++i) taken[i] = std::max(taken[i], from[i + shift]);
        return;
    }
    const std::int64_t begin = std::clamp<std::int64_t>(1 - shift, 0, count);
    const std::int64_t end = std::clamp<std::int64_t>(count - 1 - shift, begin, count);
    std::fill(taken, taken + begin, 0);
    for (std::int64_t i = begin; i < end; ++i) taken[i] = std::min(taken[i], from[i + shift]);
    std::fill(taken + end, taken + count, 0);
}

// The cells that `reach` spans along the lines from each cell of grid row
// `row`, in the line `lineShift` lines on, taken in as `side` says.
// rowAt(r) gives row r of the plane read.
template <typename RowAt>
void TakeInReach(RowAt rowAt, std::int32_t columns, std::int32_t rows, bool areRows, std::int32_t row,
                 std::int64_t lineShift, const Reach& reach, Side side, std::uint8_t* taken) {
    const bool highest = side == Side::Highest;
    std::fill_n(taken, columns, highest ? 0 : 255);
    // Rows that rays never meet, or that they may have left the picture by.
    const auto unmet = [&](std::int64_t r) { return highest ? r < 0 || r >= rows : r < 1 || r >= rows - 1; };
    if (areRows) {
        const std::int64_t line = row + lineShift;
        if (unmet(line)) {
            std::fill_n(taken, columns, 0);
            return;
        }
        for (std::int32_t o = reach.First; o <= reach.Last; ++o) {
            TakeInShifted(rowAt(static_cast<std::int32_t>(line)), columns, o, side, taken);
        }
        return;
    }
    for (std::int32_t o = reach.First; o <= reach.Last; ++o) {
        const std::int64_t position = std::int64_t{row} + o;
        if (unmet(position)) {
            if (highest) continue;
            std::fill_n(taken, columns, 0);
            return;
        }
        TakeInShifted(rowAt(static_cast<std::int32_t>(position)), columns, lineShift, side, taken);
    }
}

// Doubles the lines `within` covers, in place, until it covers every line or
// the lines further on can add nothing more: a bound for n lines, combined
// with the bounds for n lines of the cells in reach n lines on, less
// lower(n), is one for 2n lines.
template <typename Lower>
void Double(const HorizonLines& h, std::int32_t columns, std::int32_t rows, Side side, Lower lower,
            std::vector<std::uint8_t>& within) {
    const std::int32_t lineCount = h.AreRows ? rows : columns;
    const std::size_t width = static_cast<std::size_t>(columns);
    const std::int64_t direction = h.TowardHigherLines ? 1 : -1;
    std::vector<std::uint8_t> taken(width), earlier;  // earlier: rows already raised, as they were
    for (std::int64_t lines = 1; lines < lineCount; lines *= 2) {
        const double less = lower(lines);
        if (less >= 255) break;  // nothing further on can add to a bound
        const auto drop = static_cast<std::uint8_t>(less);
        const Reach reach = ReachAt(h, lines);
        // In place: lines of rows in the rays' direction, so that the line
        // read is one not yet raised; lines of columns row by row, keeping
        // the rows before as they were.
        const std::int32_t kept = h.AreRows ? 0 : std::max(0, -reach.First) + 1;
        earlier.resize(static_cast<std::size_t>(kept) * width);
        const bool downward = h.AreRows && !h.TowardHigherLines;
        for (std::int32_t i = 0; i < rows; ++i) {
            const std::int32_t row = downward ? rows - 1 - i : i;
            const auto asItWas = [&](std::int32_t r) -> const std::uint8_t* {
                return r < row && !h.AreRows ? &earlier[static_cast<std::size_t>(r % kept) * width]
                                             : &within[r * width];
            };
            TakeInReach(asItWas, columns, rows, h.AreRows, row, lines * direction, reach, side, taken.data());
            std::uint8_t* out = &within[row * width];
            if (kept > 0) std::copy_n(out, columns, &earlier[static_cast<std::size_t>(row % kept) * width]);
            for (std::int32_t c = 0; c < columns; ++c) {
                out[c] = std::max(out[c], taken[c] > drop ? static_cast<std::uint8_t>(taken[c] - drop) : std::uint8_t{0});
            }
        }
    }
}

}  // namespace

// Lines on the far side of n lines lie (n - 1) lines or more beyond a ray's
// line: a bound counts (offset - 1) lines of climb for a cell `offset` lines on.
void TightenByDoubling(const HeightGrid& grid, const std::uint8_t* cellAbove, const HorizonLines& h,
                       std::uint8_t* bounds) {
    const std::int32_t columns = grid.Columns(), rows = grid.Rows();
    const std::size_t width = static_cast<std::size_t>(columns);
    std::vector<std::uint8_t> within(width * rows);
    const auto gridRow = [&](std::int32_t row) { return grid.Cells() + row * width; };
    for (std::int32_t row = 0; row < rows; ++row) {
        std::uint8_t* out = &within[row * width];
        TakeInReach(gridRow, columns, rows, h.AreRows, row, 0, ReachAt(h, 0), Side::Highest, out);
        for (std::int32_t c = 0; c < columns; ++c) out[c] = cellAbove[out[c]];
    }
    // Whole levels of climb only, so that a bound stays a whole number above.
    Double(h, columns, rows, Side::Highest,
           [&](std::int64_t lines) { return std::floor(static_cast<double>(lines - 1) * h.ClimbPerLine); }, within);
    for (std::size_t i = 0; i < within.size(); ++i) bounds[i] = std::min(bounds[i], within[i]);
}

// A ray at a step in a cell that reaches it is blocked there; a ray that
// climbs less than `rise` to its first step n lines on, in a cell whose own
// height for n lines lies more than `rise` above it, is blocked there or
// later.
void ShadowedByDoubling(const HeightGrid& grid, const std::uint8_t* cellBelow, const HorizonLines& h,
                        std::vector<std::uint8_t>& shadowedBelow) {
    const std::int32_t columns = grid.Columns(), rows = grid.Rows();
    shadowedBelow.resize(static_cast<std::size_t>(columns) * rows);
    std::transform(grid.Cells(), grid.Cells() + shadowedBelow.size(), shadowedBelow.begin(),
                   [cellBelow](std::uint8_t cell) { return cellBelow[cell]; });
    // Steps to the first step n lines on: at most the steps over the lines
    // crossed and one more.
    const auto rise = [&](std::int64_t lines) {
        return std::ceil((MostLinesCrossed(lines) * h.StepsPerLine + 1) * h.RisePerStep * (1 + 0x1p-40));
    };
    Double(h, columns, rows, Side::Lowest, rise, shadowedBelow);
}

}  // namespace orvalis
