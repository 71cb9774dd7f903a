#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raster/Progress.h"
#include "lighting/GroundGrid.h"
#include "layers/GroundCurvature.h"
#include "layers/LayerRules.h"
#include "layers/TerrainWindow.h"

namespace orvalis {

// What the rules ask of one row of a window, per window column: the height
// (data units), the slope (degrees, 0 .. 90) and aspect (degrees clockwise
// from north the slope faces downhill; NaN on level ground) by Horn's method
// on the ground grid, as the real-scale light takes them, and the curvature
// at each radius the rules name.
struct AttributeRow {
    std::vector<double> Height;
    std::vector<double> Slope;
    std::vector<double> Aspect;
    std::vector<std::vector<double>> Curvature;  // in the order of TerrainAttributes::Radii
};

// The attributes of a window's cells, computed only as far as the rules use them.
class TerrainAttributes {
public:
    TerrainAttributes(const LayerSet& set, const TerrainWindow& terrain, const RunOptions& options);

    // The radii of the curvatures, each once, in the order the layers name them first.
    const std::vector<double>& Radii() const { return radii_; }

    // The window's rows in order from `row` (window rows, bottom first); one a thread.
    class Rows {
    public:
        Rows(const TerrainAttributes& attributes, std::int32_t row);
        const AttributeRow& Next();

    private:
        const TerrainAttributes& attributes_;
        std::int32_t row_;
        std::vector<GroundCurvature::Rows> curvatures_;
        AttributeRow values_;
    };

private:
    TerrainWindow terrain_;
    bool slopes_ = false;
    bool aspects_ = false;
    GroundGrid ground_;
    std::vector<double> radii_;
    std::vector<std::unique_ptr<GroundCurvature>> curvatures_;
};

}  // namespace orvalis
