#pragma once

#include <cstdint>

namespace orvalis {

// Where the data ends, the surface goes on in a straight line: a cell k
// beyond an end of a line of `count` cells stands for twice the end cell
// less the cell k inside it (h[-k] = 2 h[0] - h[k]), so that a plane stays
// that plane past the edge and the border is shaded like the interior; a
// line of one cell goes on level. This is the rule of the world's true edge
// alone, and the one place that states it: the resampling's kernels, Horn's
// window and the horizon sweeps all reach past the edge through it.
//
// Calls add(cell, weight) for the cells of the line whose heights, times
// their weights, add up to `weight` times the height at `index`, which lies
// on the line or fewer than `count` cells beyond an end.
template <class Add>
void CellsAt(std::int64_t index, std::int64_t count, double weight, const Add& add) {
    if (count == 1) return add(std::int64_t{0}, weight);
    if (index < 0) {
        add(std::int64_t{0}, 2 * weight);
        return CellsAt(-index, count, -weight, add);
    }
    if (index >= count) {
        add(count - 1, 2 * weight);
        return CellsAt(2 * (count - 1) - index, count, -weight, add);
    }
    add(index, weight);
}

// The height at `index` of a line whose cells at(cell) reads, past its ends
// as CellsAt continues it.
template <class At>
double HeightAt(std::int64_t index, std::int64_t count, const At& at) {
    if (index >= 0 && index < count) return at(index);
    double height = 0;
    CellsAt(index, count, 1.0, [&](std::int64_t cell, double weight) { height += weight * at(cell); });
    return height;
}

}  // namespace orvalis
