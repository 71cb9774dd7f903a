#pragma once

#include <cstdint>

#include "raster/HeightPlane.h"
#include "lighting/GroundGrid.h"
#include "layers/LayerRules.h"

namespace orvalis {

// A window of a world grid in the grid's world indices, row 0 the world's
// bottom (southern) row, as HeightPlane counts. A whole run's window is the
// world.
struct GridWindow {
    std::int32_t WorldWidth = 0;
    std::int32_t WorldRows = 0;
    std::int32_t Column = 0;
    std::int32_t Row = 0;
    std::int32_t Width = 0;
    std::int32_t Rows = 0;
};

// The heights a window's layers come from, one a texture pixel in the data's
// units: the window and, around it, its halo as far as the world reaches.
// Every attribute of a window cell is computed from world cells alone, so a
// window gives the very values of the same cells of the whole run.
struct TerrainWindow {
    const HeightPlane* Heights = nullptr;
    // The world cell of the plane's cell (0, 0).
    std::int32_t PlaneColumn = 0;
    std::int32_t PlaneRow = 0;
    GridWindow Window;
    // The ground size of the grid's cells (metres, or the georeference's
    // unit) and the exaggeration of the heights for slopes and aspects.
    TerrainScale Scale;
    // Cells without data take it: the world's lowest height with data.
    double HoleHeight = 0;
};

// The cells of halo a window needs each way (Horn's neighbours, the
// curvature's reach).
struct Halo {
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
};
Halo HaloOf(const LayerSet& set, const TerrainScale& scale);

// How far the curvature's square reaches each way in whole cells: the radius
// over the cell size rounded to the nearest, at least 1 and at most
// kFarthestCurvatureCells.
inline constexpr std::int32_t kFarthestCurvatureCells = 1023;
Halo CurvatureReach(double radius, const TerrainScale& scale);

// The whole plane as the world: the window of a run that is not tiled.
TerrainWindow WholeWorld(const HeightPlane& heights, const TerrainScale& scale);

// Raises std::invalid_argument unless the plane lies within the world and
// holds the window with `halo` around it (cut at the world's edges), and
// Error naming the setting for cell sizes or a z-factor out of range.
void CheckTerrainWindow(const TerrainWindow& terrain, const Halo& halo);

}  // namespace orvalis
