#pragma once

#include <cstdint>
#include <vector>

namespace orvalis {

class HeightGrid;

// How rays of one light cross the grid, as the shadow horizon sees it: lines
// of cells across the light's main direction, positions along them.
struct HorizonLines {
    bool AreRows;            // the lines are the grid's rows (else its columns)
    bool TowardHigherLines;  // rays go from line to line upward
    double Slope;            // positions moved per line crossed
    double Drift;            // their rounding per line crossed, at most
    float ClimbPerLine;      // the least a ray climbs per line crossed
    double StepsPerLine;     // the most steps a ray takes per line crossed
    double RisePerStep;      // the most a ray below 256 climbs a step
};

// Both bounds follow the rays' own band instead of a cone that widens a
// cell each way per line: the bound of a cell covers its own line first,
// then twice as many lines from the cells where rays can enter the line
// after those, and so on, so the cells it takes in grow by a few a
// doubling rather than a few a line. Bounds are row after row, as the grid.

// Lowers every bound to one that no cell a ray can still meet, from a step
// in this cell on, reaches, less the least the ray climbs on the way.
// cellAbove[cell]: the whole number at or above the cell's scaled height.
void TightenByDoubling(const HeightGrid& grid, const std::uint8_t* cellAbove, const HorizonLines& lines,
                       std::uint8_t* bounds);

// For every cell, a height that a ray at a step in this cell and below it,
// but not below 0, meets a cell that reaches it, here or further on: every
// cell where it can enter some line ahead, all inside the picture, reaches
// higher than the ray can climb by then. 0 claims nothing.
// cellBelow[cell]: the whole number at or below the cell's scaled height.
void ShadowedByDoubling(const HeightGrid& grid, const std::uint8_t* cellBelow, const HorizonLines& lines,
                        std::vector<std::uint8_t>& shadowedBelow);

}  // namespace orvalis
