#include "layers/TerrainAttributes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "raster/ParallelRows.h"
#include "lighting/HornSlope.h"

namespace orvalis {

namespace {

constexpr double kDegreesPerRadian = 180 / std::numbers::pi;

double Filled(double height, double hole) { return std::isfinite(height) ? height : hole; }

// The ground grid of the whole plane, window and halo: heights in the cells'
// unit with the z-factor, cells without data at the world's hole height.
GroundGrid GroundOf(const TerrainWindow& terrain, const RunOptions& options) {
    const HeightPlane& plane = *terrain.Heights;
    GroundGrid ground{plane.Width, plane.Rows, terrain.Scale.CellX, terrain.Scale.CellY, {}};
    ground.Z.resize(static_cast<std::size_t>(plane.Width) * plane.Rows);
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(plane.Rows, quiet, SynthesisStage::Blend, [&](std::int32_t row) {
        for (std::int32_t column = 0; column < plane.Width; ++column) {
            const double height = Filled(plane.At(row, column), terrain.HoleHeight);
            ground.Z[ground.IndexOf(row, column)] = static_cast<float>(height * terrain.Scale.ZFactor);
        }
    });
    return ground;
}

}  // namespace

TerrainAttributes::TerrainAttributes(const LayerSet& set, const TerrainWindow& terrain, const RunOptions& options)
    : terrain_(terrain) {
    for (const LayerRule& layer : set.Layers) {
        slopes_ = slopes_ || layer.Slope.has_value();
        aspects_ = aspects_ || layer.Aspect.has_value();
        if (layer.Curvature && std::find(radii_.begin(), radii_.end(), layer.Curvature->Radius) == radii_.end()) {
            radii_.push_back(layer.Curvature->Radius);
        }
    }
    if (slopes_ || aspects_) ground_ = GroundOf(terrain, options);
    for (const double radius : radii_) curvatures_.push_back(std::make_unique<GroundCurvature>(terrain, radius, options));
}

TerrainAttributes::Rows::Rows(const TerrainAttributes& attributes, std::int32_t row)
    : attributes_(attributes), row_(row) {
    const auto width = static_cast<std::size_t>(attributes.terrain_.Window.Width);
    values_.Height.resize(width);
    if (attributes.slopes_) values_.Slope.resize(width);
    if (attributes.aspects_) values_.Aspect.resize(width);
    for (const auto& curvature : attributes.curvatures_) {
        curvatures_.emplace_back(*curvature, row);
        values_.Curvature.emplace_back(width);
    }
}

const AttributeRow& TerrainAttributes::Rows::Next() {
    const TerrainWindow& terrain = attributes_.terrain_;
    const std::int32_t planeRow = terrain.Window.Row + row_ - terrain.PlaneRow;
    const std::int32_t firstColumn = terrain.Window.Column - terrain.PlaneColumn;
    for (std::int32_t x = 0; x < terrain.Window.Width; ++x) {
        values_.Height[x] = Filled(terrain.Heights->At(planeRow, firstColumn + x), terrain.HoleHeight);
    }
    if (attributes_.slopes_ || attributes_.aspects_) {
        for (std::int32_t x = 0; x < terrain.Window.Width; ++x) {
            const GroundSlope rise = HornSlope(attributes_.ground_, planeRow, firstColumn + x);
            if (attributes_.slopes_) {
                values_.Slope[x] = std::atan(std::sqrt(rise.East * rise.East + rise.North * rise.North)) * kDegreesPerRadian;
            }
            if (attributes_.aspects_) {
                // Downhill is against the rise; level ground faces nowhere.
                values_.Aspect[x] = rise.East == 0 && rise.North == 0
                                        ? std::numeric_limits<double>::quiet_NaN()
                                        : std::atan2(-rise.East, -rise.North) * kDegreesPerRadian;
            }
        }
    }
    for (std::size_t k = 0; k < curvatures_.size(); ++k) curvatures_[k].Next(values_.Curvature[k].data());
    ++row_;
    return values_;
}

}  // namespace orvalis
