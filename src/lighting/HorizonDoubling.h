#pragma once

#include <cstdint>

namespace orvalis {

class HeightGrid;

// How rays of one light cross the grid, as the shadow horizon sees it: lines
// of cells across the light's main direction, positions along them.
struct HorizonLines {
    bool AreRows;             // the lines are the grid's rows (else its columns)
    bool TowardHigherLines;   // rays go from line to line upward
    double Slope;             // positions moved per line crossed
    double Drift;             // their rounding per line crossed, at most
    float ClimbPerLine;       // the least a ray climbs per line crossed
};

// Lowers every bound (row after row, as the grid) to one that follows the
// rays' own band instead of a cone widening a cell each way per line: the
// bound of a cell covers the next line first, then twice as many lines from
// the cells where rays enter the line after those, and so on, so the cells
// it takes in grow by a few a doubling rather than a few a line. Every
// bound stays one that no cell a ray can still meet reaches, less the
// least it climbs on the way.
void TightenByDoubling(const HeightGrid& grid, const std::uint8_t* scaledAbove, const HorizonLines& lines,
                       std::uint8_t* bounds);

}  // namespace orvalis
