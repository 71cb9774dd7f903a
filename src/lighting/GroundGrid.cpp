#include "lighting/GroundGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "files/Error.h"
#include "math/NumberText.h"
#include "raster/HeightHoles.h"

namespace orvalis {

namespace {

void CheckCell(const char* what, double value) {
    if (!(value >= kFinestCell && value <= kCoarsestCell)) {
        throw Error(std::string(what) + " must lie from " + NumberText(kFinestCell) + " to " +
                    NumberText(kCoarsestCell) + ", not " + NumberText(value));
    }
}

}  // namespace

void CheckTerrainScale(const TerrainScale& scale) {
    CheckCell("the cell width", scale.CellX);
    CheckCell("the cell height", scale.CellY);
    if (!std::isfinite(scale.ZFactor) || !(scale.ZFactor > 0)) {
        throw Error("the z-factor must be a finite number above 0, not " + NumberText(scale.ZFactor));
    }
}

float GroundHeight(double height, double zFactor) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(height * zFactor, -kLargest, kLargest));
}

GroundGrid MakeGroundGrid(const HeightPlane& heights, const TerrainScale& scale) {
    CheckTerrainScale(scale);
    GroundGrid grid{heights.Width, heights.Rows, scale.CellX, scale.CellY, {}};
    const std::size_t cells = static_cast<std::size_t>(heights.Width) * heights.Rows;
    grid.Z.resize(cells);
    const double hole = LowestHeightWithData(heights);
    for (std::size_t i = 0; i < cells; ++i) {
        const double h = heights.Height(i);
        grid.Z[i] = GroundHeight(std::isfinite(h) ? h : hole, scale.ZFactor);
    }
    return grid;
}

}  // namespace orvalis
