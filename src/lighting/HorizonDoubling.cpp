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

Reach ReachAt(const HorizonLines& h, std::int64_t lines) {
    const double least = std::max<double>(0, static_cast<double>(lines) - 1);
    const double most = static_cast<double>(lines) + 1 + 0x1p-10;
    const double spread = (most + 1) * h.Drift + 0x1p-20;
    const double low = std::min(h.Slope * least, h.Slope * most) - spread;
    const double high = 1 + std::max(h.Slope * least, h.Slope * most) + spread;
    return {static_cast<std::int32_t>(std::floor(low)), static_cast<std::int32_t>(std::floor(high))};
}

// highest[i] takes in from[i + shift] wherever that lies within the count.
void TakeInShifted(const std::uint8_t* from, std::int32_t count, std::int64_t shift, std::uint8_t* highest) {
    const std::int64_t begin = std::max<std::int64_t>(0, -shift), end = std::min<std::int64_t>(count, count - shift);
    for (std::int64_t i = begin; i < end; ++i) highest[i] = std::max(highest[i], from[i + shift]);
}

// The highest of the cells that `reach` spans along the lines from each cell
// of grid row `row`, in the line `lineShift` lines on; 0 where none lies in
// the grid. rowAt(r) gives row r of the plane read.
template <typename RowAt>
void HighestInReach(RowAt rowAt, std::int32_t columns, std::int32_t rows, bool areRows, std::int32_t row,
                    std::int64_t lineShift, const Reach& reach, std::uint8_t* highest) {
    std::fill_n(highest, columns, 0);
    if (areRows) {
        const std::int64_t line = row + lineShift;
        if (line < 0 || line >= rows) return;
        for (std::int32_t o = reach.First; o <= reach.Last; ++o) {
            TakeInShifted(rowAt(static_cast<std::int32_t>(line)), columns, o, highest);
        }
        return;
    }
    for (std::int32_t o = reach.First; o <= reach.Last; ++o) {
        const std::int64_t position = std::int64_t{row} + o;
        if (position < 0 || position >= rows) continue;
        TakeInShifted(rowAt(static_cast<std::int32_t>(position)), columns, lineShift, highest);
    }
}

}  // namespace

// A bound of a cell for the next n lines (offsets 0 to n - 1 in the rays'
// direction) holds every cell a ray can meet there from any point of it,
// less the least it climbs to that cell's line: (offset - 1) lines for an
// offset of 1 or more. The next 2n lines are the first n and the n after
// them; those are met from the ray's first step in line n, in a cell of
// `Reach` n whose own bound for n lines holds them, less the climb of the
// n - 1 lines at least between.
void TightenByDoubling(const HeightGrid& grid, const std::uint8_t* scaledAbove, const HorizonLines& h,
                       std::uint8_t* bounds) {
    const std::int32_t columns = grid.Columns(), rows = grid.Rows();
    const std::int32_t lineCount = h.AreRows ? rows : columns;
    const std::size_t width = static_cast<std::size_t>(columns);
    std::vector<std::uint8_t> within(width * rows), highest(width);
    const auto rowOf = [&](std::vector<std::uint8_t>& plane, std::int32_t row) { return &plane[row * width]; };
    // One line: the cells of the own line in reach.
    const auto gridRow = [&](std::int32_t row) { return grid.Cells() + row * width; };
    for (std::int32_t row = 0; row < rows; ++row) {
        HighestInReach(gridRow, columns, rows, h.AreRows, row, 0, ReachAt(h, 0), highest.data());
        std::uint8_t* out = rowOf(within, row);
        for (std::int32_t c = 0; c < columns; ++c) out[c] = scaledAbove[highest[c]];
    }
    const std::int64_t direction = h.TowardHigherLines ? 1 : -1;
    std::vector<std::uint8_t> earlier;  // rows already raised, as they were
    for (std::int64_t lines = 1; lines < lineCount; lines *= 2) {
        // Whole levels of climb only, so that a bound stays a whole number above.
        const double climb = std::floor(static_cast<double>(lines - 1) * h.ClimbPerLine);
        if (climb >= 255) break;  // nothing further on can reach a ray here
        const auto drop = static_cast<std::uint8_t>(climb);
        const Reach reach = ReachAt(h, lines);
        // In place: lines of rows in the rays' direction, so that the line
        // read is one not yet raised; lines of columns row by row, keeping
        // the rows before as they were.
        const std::int32_t kept = h.AreRows ? 0 : std::max(0, -reach.First) + 1;
        earlier.resize(static_cast<std::size_t>(kept) * width);
        const auto before = [&](std::int32_t row) {
            return row < 0 || row >= rows ? nullptr : &earlier[static_cast<std::size_t>(row % kept) * width];
        };
        const bool downward = h.AreRows && !h.TowardHigherLines;
        for (std::int32_t i = 0; i < rows; ++i) {
            const std::int32_t row = downward ? rows - 1 - i : i;
            const auto asItWas = [&](std::int32_t r) -> const std::uint8_t* {
                return r < row && !h.AreRows ? before(r) : rowOf(within, r);
            };
            HighestInReach(asItWas, columns, rows, h.AreRows, row, lines * direction, reach, highest.data());
            std::uint8_t* out = rowOf(within, row);
            if (kept > 0) std::copy_n(out, columns, before(row));
            for (std::int32_t c = 0; c < columns; ++c) {
                const std::uint8_t further = highest[c] > drop ? static_cast<std::uint8_t>(highest[c] - drop) : 0;
                out[c] = std::max(out[c], further);
            }
        }
    }
    for (std::size_t i = 0; i < within.size(); ++i) bounds[i] = std::min(bounds[i], within[i]);
}

}  // namespace orvalis
