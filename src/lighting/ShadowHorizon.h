#pragma once

#include <cstdint>
#include <vector>

#include "math/VectorTypes.h"

namespace orvalis {

class HeightGrid;

// For one light, a bound for every cell of the grid: no cell that a shadow
// ray can still meet, from any point of this cell on, reaches higher than
// the bound plus the least the ray climbs on its way there. A ray that lies
// above the bound of its cell is lit, however long it still runs.
//
// The bound of a cell is that of the cone in which rays from the cell go
// on: the cells they may cross in this line of cells (row or column across
// the light) and the next, and the bounds of the two or three cells of the
// next line whose cones hold the rest. So one sweep against the light,
// line after line, makes the whole table. Off the axes, where those cones
// widen fast, each bound is the lower of that and one that follows the
// rays' own band (HorizonDoubling.h), which also gives heights below which
// rays are surely shadowed.
class ShadowHorizon {
public:
    ShadowHorizon() = default;
    // Empty when there is nothing to bound: a ray that does not move across
    // the grid, or scaled heights above 255.
    ShadowHorizon(const HeightGrid& grid, float heightScale, const Vector3& unitDirection);

    bool Empty() const { return bounds_.empty(); }
    // Row after row, as the grid.
    const std::uint8_t* Bounds() const { return bounds_.data(); }
    std::uint8_t At(std::int32_t row, std::int32_t column) const {
        return bounds_[static_cast<std::size_t>(row) * columns_ + column];
    }

    // For every cell, a height below which (and from 0 up) a ray at a step
    // in this cell is surely blocked, here or further on; 0 claims nothing.
    // Null for a light along an axis, whose bounds are already close.
    const std::uint8_t* ShadowedBelow() const { return shadowedBelow_.empty() ? nullptr : shadowedBelow_.data(); }
    std::uint8_t ShadowedBelow(std::int32_t row, std::int32_t column) const {
        return shadowedBelow_[static_cast<std::size_t>(row) * columns_ + column];
    }

private:
    std::int32_t columns_ = 0;
    std::vector<std::uint8_t> bounds_, shadowedBelow_;
};

}  // namespace orvalis
