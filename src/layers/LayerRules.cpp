#include "layers/LayerRules.h"

#include <algorithm>

#include "files/Error.h"
#include "layers/LayerLimits.h"

namespace orvalis {

namespace {

void Refuse(const std::string& place, const Problem& problem) {
    if (problem) throw Error(place + ": " + *problem);
}

void CheckLayer(const LayerRule& layer, const std::string& heightUnit) {
    const std::string place = "layer " + layer.Name + ", ";
    Refuse(place + "name", NameProblem(layer.Name));
    Refuse(place + "tile", TileProblem(layer.Tile));
    if (layer.Height) Refuse(place + "height", RangeProblem(RangeKind::Height, *layer.Height, heightUnit));
    if (layer.Slope) Refuse(place + "slope", RangeProblem(RangeKind::Slope, *layer.Slope, "deg"));
    if (layer.Aspect) Refuse(place + "aspect", AspectProblem(*layer.Aspect));
    if (layer.Curvature) {
        Refuse(place + "curvature", RangeProblem(RangeKind::Curvature, layer.Curvature->Range, heightUnit));
        Refuse(place + "curvature", RadiusProblem(layer.Curvature->Radius));
    }
    Refuse(place + "coverage", CoverageProblem(layer.Coverage));
}

}  // namespace

void CheckLayerSet(const LayerSet& set) {
    if (set.Layers.empty() || set.Layers.size() > kMostLayers) {
        throw Error("a layer set holds 1 .. " + std::to_string(kMostLayers) + " layers, not " +
                    std::to_string(set.Layers.size()));
    }
    Refuse("height-unit", HeightUnitProblem(set.HeightUnit));
    for (auto layer = set.Layers.begin(); layer != set.Layers.end(); ++layer) {
        CheckLayer(*layer, set.HeightUnit);
        const auto same = [&layer](const LayerRule& other) { return other.Name == layer->Name; };
        if (std::any_of(set.Layers.begin(), layer, same)) throw Error("layer " + layer->Name + ": named twice");
    }
    const auto fallback = [&set](const LayerRule& layer) { return layer.Name == set.Fallback; };
    if (std::none_of(set.Layers.begin(), set.Layers.end(), fallback)) {
        throw Error("fallback: no layer is named \"" + set.Fallback + "\"");
    }
    if (set.NoiseScale) Refuse("noise-scale", NoiseScaleProblem(*set.NoiseScale));
    if (HasNoise(set) && !set.NoiseScale) throw Error("noise-scale: rules with noise need a noise scale");
}

std::size_t FallbackIndex(const LayerSet& set) {
    const auto fallback = std::find_if(set.Layers.begin(), set.Layers.end(),
                                       [&set](const LayerRule& layer) { return layer.Name == set.Fallback; });
    return static_cast<std::size_t>(fallback - set.Layers.begin());
}

bool HasNoise(const LayerRule& layer) {
    return (layer.Height && layer.Height->Noise > 0) || (layer.Slope && layer.Slope->Noise > 0) ||
           (layer.Aspect && layer.Aspect->Noise > 0) || (layer.Curvature && layer.Curvature->Range.Noise > 0);
}

bool HasNoise(const LayerSet& set) {
    return std::any_of(set.Layers.begin(), set.Layers.end(), [](const LayerRule& layer) { return HasNoise(layer); });
}

}  // namespace orvalis
