#include "layers/TerrainWindow.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "raster/HeightHoles.h"

namespace orvalis {

namespace {

std::int32_t ReachInCells(double radius, double cell) {
    const double cells = std::round(radius / cell);
    return cells >= kFarthestCurvatureCells ? kFarthestCurvatureCells : std::max(1, static_cast<std::int32_t>(cells));
}

// [first, end) of the plane holds [windowFirst - halo, windowEnd + halo) cut to [0, world).
bool Covers(std::int32_t first, std::int32_t count, std::int32_t windowFirst, std::int32_t windowCount,
            std::int32_t halo, std::int32_t world) {
    const std::int64_t needFirst = std::max<std::int64_t>(0, std::int64_t{windowFirst} - halo);
    const std::int64_t needEnd = std::min<std::int64_t>(world, std::int64_t{windowFirst} + windowCount + halo);
    return first >= 0 && std::int64_t{first} + count <= world && first <= needFirst &&
           std::int64_t{first} + count >= needEnd;
}

}  // namespace

Halo CurvatureReach(double radius, const TerrainScale& scale) {
    return {ReachInCells(radius, scale.CellX), ReachInCells(radius, scale.CellY)};
}

Halo HaloOf(const LayerSet& set, const TerrainScale& scale) {
    Halo halo{1, 1};  // Horn's 3 x 3 cells
    for (const LayerRule& layer : set.Layers) {
        if (!layer.Curvature) continue;
        const Halo reach = CurvatureReach(layer.Curvature->Radius, scale);
        halo = {std::max(halo.Columns, reach.Columns), std::max(halo.Rows, reach.Rows)};
    }
    return halo;
}

TerrainWindow WholeWorld(const HeightPlane& heights, const TerrainScale& scale) {
    const GridWindow whole{heights.Width, heights.Rows, 0, 0, heights.Width, heights.Rows};
    return {&heights, 0, 0, whole, scale, LowestHeightWithData(heights)};
}

void CheckTerrainWindow(const TerrainWindow& terrain, const Halo& halo) {
    CheckTerrainScale(terrain.Scale);
    if (!std::isfinite(terrain.HoleHeight)) throw std::invalid_argument("the height of cells without data is no number");
    const GridWindow& window = terrain.Window;
    const bool inWorld = window.Width > 0 && window.Rows > 0 && window.Column >= 0 && window.Row >= 0 &&
                         std::int64_t{window.Column} + window.Width <= window.WorldWidth &&
                         std::int64_t{window.Row} + window.Rows <= window.WorldRows;
    const HeightPlane* plane = terrain.Heights;
    if (!inWorld || plane == nullptr ||
        !Covers(terrain.PlaneColumn, plane->Width, window.Column, window.Width, halo.Columns, window.WorldWidth) ||
        !Covers(terrain.PlaneRow, plane->Rows, window.Row, window.Rows, halo.Rows, window.WorldRows)) {
        throw std::invalid_argument("the heights do not hold the window and its halo of " +
                                    std::to_string(halo.Columns) + " x " + std::to_string(halo.Rows) + " cells");
    }
}

}  // namespace orvalis
