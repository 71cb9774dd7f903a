#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/HeightPlane.h"

namespace orvalis {

// How a heightmap's cells and heights stand in the world: the distance
// between neighbouring cell centres in the heights' own linear unit (metres
// for most elevation models), and how much the heights are exaggerated.
struct TerrainScale {
    double CellX = 1;    // west to east
    double CellY = 1;    // south to north
    double ZFactor = 1;  // every height is multiplied by it
};

// The cell sizes the lighting's arithmetic takes: over cells of any of them
// the slopes and horizons of heights within a float's range stay finite
// doubles. (The programs take a far narrower, sane range.)
inline constexpr double kFinestCell = 1e-100;
inline constexpr double kCoarsestCell = 1e100;

// Raises Error naming the setting when a cell size lies outside kFinestCell
// .. kCoarsestCell or the z-factor is not a finite number above 0.
void CheckTerrainScale(const TerrainScale& scale);

// The terrain as the real-scale lighting sees it: heights in the cells' unit
// (z-factor applied), bottom row first, one cell to a pixel.
struct GroundGrid {
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
    double CellX = 1;
    double CellY = 1;
    std::vector<float> Z;

    std::size_t IndexOf(std::int32_t row, std::int32_t column) const {
        return static_cast<std::size_t>(row) * Width + column;
    }
    float At(std::int32_t row, std::int32_t column) const { return Z[IndexOf(row, column)]; }
};

// A height times the z-factor as the grid holds it: a single, those beyond
// its range at the largest single of their sign, so that every difference
// of two heights is a finite double.
float GroundHeight(double height, double zFactor);

// Cells without data (NaN, infinities) take the lowest height that has data
// (LowestHeightWithData).
GroundGrid MakeGroundGrid(const HeightPlane& heights, const TerrainScale& scale);

}  // namespace orvalis
