#include "layers/LayersFile.h"

#include "files/AtomicFile.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

std::string Quantity(double value, const std::string& unit) { return NumberText(value) + " " + unit; }

std::string Extras(double ramp, double noise, const std::string& unit) {
    std::string text;
    if (ramp > 0) text += ", ramp " + Quantity(ramp, unit);
    if (noise > 0) text += ", noise " + Quantity(noise, unit);
    return text;
}

std::string RangeText(const RangeRule& range, const std::string& unit) {
    std::string text;
    if (range.Low == -kOpenEnd) {
        text = "below " + Quantity(range.High, unit);
    } else if (range.High == kOpenEnd) {
        text = "above " + Quantity(range.Low, unit);
    } else {
        text = NumberText(range.Low) + " .. " + Quantity(range.High, unit);
    }
    return text + Extras(range.Ramp, range.Noise, unit);
}

std::string LayerText(const LayerRule& layer, const std::string& heightUnit) {
    std::string text = "\n[layer " + layer.Name + "]\ntile = " + layer.Tile + "\n";
    if (layer.Height) text += "height = " + RangeText(*layer.Height, heightUnit) + "\n";
    if (layer.Slope) text += "slope = " + RangeText(*layer.Slope, "deg") + "\n";
    if (layer.Aspect) {
        text += "aspect = " + Quantity(layer.Aspect->Centre, "deg") + ", width " + Quantity(layer.Aspect->Width, "deg") +
                Extras(layer.Aspect->Ramp, layer.Aspect->Noise, "deg") + "\n";
    }
    if (layer.Curvature) {
        text += "curvature = " + RangeText(layer.Curvature->Range, heightUnit) + ", radius " +
                Quantity(layer.Curvature->Radius, "m") + "\n";
    }
    if (layer.Coverage != 1) text += "coverage = " + NumberText(layer.Coverage) + "\n";
    return text;
}

}  // namespace

std::string LayersText(const LayerSet& set) {
    CheckLayerSet(set);
    std::string text = "# Terrain layers: one [layer NAME] section a layer, in splat order.\n[layers]\nfallback = " +
                       set.Fallback + "\nseed = " + std::to_string(set.Seed) + "\n";
    if (set.NoiseScale) text += "noise-scale = " + Quantity(*set.NoiseScale, "m") + "\n";
    text += "height-unit = " + set.HeightUnit + "\n";
    for (const LayerRule& layer : set.Layers) text += LayerText(layer, set.HeightUnit);
    return text;
}

void WriteLayersFile(const std::string& path, const LayerSet& set) {
    const std::string text = LayersText(set);
    WriteFileAtomically(path, {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
}

}  // namespace orvalis
