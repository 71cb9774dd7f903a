#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace orvalis {

// A terrain's layers and the rules that place them. A layer's weight at a
// pixel is its coverage times the weight of each condition it has; a layer
// without conditions claims every pixel. docs/layers.md says more.

inline constexpr int kMostLayers = 16;
inline constexpr double kOpenEnd = std::numeric_limits<double>::infinity();

// A range Low .. High of one of the terrain's attributes with soft edges:
// the weight rises from 0 at Low - Ramp / 2 to 1 at Low + Ramp / 2 (a half
// on the bound itself) and falls likewise around High; with Ramp 0 the
// bounds belong to the range. An open end is -kOpenEnd or kOpenEnd. Noise
// moves the edges by up to that much either way (the attribute's unit).
struct RangeRule {
    double Low = -kOpenEnd;
    double High = kOpenEnd;
    double Ramp = 0;
    double Noise = 0;
    bool operator==(const RangeRule&) const = default;
};

// The direction a slope faces, degrees clockwise from north: full weight
// within Width / 2 of Centre, falling to 0 over Ramp beyond it (the ramp
// centred on the edge, as for ranges), across north as anywhere else.
struct AspectRule {
    double Centre = 0;
    double Width = 360;
    double Ramp = 0;
    double Noise = 0;
    bool operator==(const AspectRule&) const = default;
};

// The height above (positive: ridges) or below (negative: hollows) the mean
// height of the ground within Radius (ground units) each way.
struct CurvatureRule {
    RangeRule Range;
    double Radius = 0;
    bool operator==(const CurvatureRule&) const = default;
};

struct LayerRule {
    std::string Name;
    std::string Tile;  // the tile picture, as written: relative paths lie beside the layers file
    std::optional<RangeRule> Height;     // the data's height unit
    std::optional<RangeRule> Slope;      // degrees, 0 .. 90
    std::optional<AspectRule> Aspect;    // degrees
    std::optional<CurvatureRule> Curvature;
    double Coverage = 1;  // 0 .. 1, the weight where every condition holds fully
    bool operator==(const LayerRule&) const = default;
};

struct LayerSet {
    std::vector<LayerRule> Layers;  // 1 .. kMostLayers, in splat order
    std::string Fallback;           // the layer that takes what no rule claims
    std::uint32_t Seed = 0;
    std::optional<double> NoiseScale;  // ground units; needed once any rule has noise
    std::string HeightUnit = "m";      // the data's unit, written after every height
    bool operator==(const LayerSet&) const = default;
};

// Raises Error naming the layer and the setting ("layer rock, slope: ...")
// for the first setting out of its range (see LayerLimits.h).
void CheckLayerSet(const LayerSet& set);

// The index of the fallback layer; CheckLayerSet has found it.
std::size_t FallbackIndex(const LayerSet& set);

// Whether any condition of the layer, or of the set, moves with the noise.
bool HasNoise(const LayerRule& layer);
bool HasNoise(const LayerSet& set);

}  // namespace orvalis
