#include "lighting/GroundGrid.h"

#include <cmath>
#include <string>

#include "files/Error.h"
#include "raster/HeightHoles.h"

namespace orvalis {

namespace {

void CheckPositive(const char* what, double value) {
    if (!std::isfinite(value) || !(value > 0)) {
        throw Error(std::string(what) + " must be a finite number above 0, not " + std::to_string(value));
    }
}

}  // namespace

void CheckTerrainScale(const TerrainScale& scale) {
    CheckPositive("the cell width", scale.CellX);
    CheckPositive("the cell height", scale.CellY);
    CheckPositive("the z-factor", scale.ZFactor);
}

GroundGrid MakeGroundGrid(const HeightPlane& heights, const TerrainScale& scale) {
    CheckTerrainScale(scale);
    GroundGrid grid{heights.Width, heights.Rows, scale.CellX, scale.CellY, {}};
    const std::size_t cells = static_cast<std::size_t>(heights.Width) * heights.Rows;
    grid.Z.resize(cells);
    const double hole = LowestHeightWithData(heights);
    for (std::size_t i = 0; i < cells; ++i) {
        const double h = heights.Height(i);
        grid.Z[i] = static_cast<float>((std::isfinite(h) ? h : hole) * scale.ZFactor);
    }
    return grid;
}

}  // namespace orvalis
