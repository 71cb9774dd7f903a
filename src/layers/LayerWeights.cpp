#include "layers/LayerWeights.h"

#include <algorithm>
#include <optional>
#include <span>

#include "raster/ParallelRows.h"
#include "layers/ByteWeights.h"
#include "layers/ConditionWeight.h"
#include "layers/TerrainAttributes.h"
#include "layers/WorldNoise.h"

namespace orvalis {

namespace {

// One layer's rule as the weighing runs it: its noise and which curvature
// its condition reads.
struct LayerRun {
    const LayerRule* Rule;
    std::optional<WorldNoise> Noise;
    std::size_t CurvatureIndex = 0;
};

std::vector<LayerRun> LayerRuns(const LayerSet& set, const std::vector<double>& radii) {
    std::vector<LayerRun> runs;
    for (const LayerRule& layer : set.Layers) {
        LayerRun run{&layer, std::nullopt, 0};
        if (layer.Curvature) {
            run.CurvatureIndex = static_cast<std::size_t>(
                std::find(radii.begin(), radii.end(), layer.Curvature->Radius) - radii.begin());
        }
        if (HasNoise(layer)) run.Noise.emplace(set.Seed, NoiseStreamOf(layer.Name), *set.NoiseScale);
        runs.push_back(std::move(run));
    }
    return runs;
}

// The attribute of each pixel with the condition's noise added (none where
// its amplitude is 0).
const double* Moved(const std::vector<double>& values, const double* noise, double amplitude, std::vector<double>& moved) {
    if (!(amplitude > 0)) return values.data();
    for (std::size_t x = 0; x < moved.size(); ++x) moved[x] = values[x] + amplitude * noise[x];
    return moved.data();
}

// Scratch rows of a band.
struct RowScratch {
    std::vector<double> Moved;
    std::vector<double> Inside;
};

// A layer's weights along a row: its coverage times the weight of each
// edge of its conditions in turn (height, slope, aspect, curvature; a
// range's rising edge before its falling one).
void WeighRow(const LayerRun& run, const AttributeRow& attributes, const double* noise, std::span<double> weights,
              RowScratch& scratch) {
    const LayerRule& rule = *run.Rule;
    std::vector<double>& moved = scratch.Moved;
    std::fill(weights.begin(), weights.end(), rule.Coverage);
    std::vector<double>& inside = scratch.Inside;
    if (rule.Height) MultiplyRange(weights, Moved(attributes.Height, noise, rule.Height->Noise, moved), *rule.Height, inside);
    if (rule.Slope) MultiplyRange(weights, Moved(attributes.Slope, noise, rule.Slope->Noise, moved), *rule.Slope, inside);
    if (rule.Aspect) MultiplyAspect(weights, Moved(attributes.Aspect, noise, rule.Aspect->Noise, moved), *rule.Aspect, inside);
    if (rule.Curvature) {
        const RangeRule& range = rule.Curvature->Range;
        MultiplyRange(weights, Moved(attributes.Curvature[run.CurvatureIndex], noise, range.Noise, moved), range, inside);
    }
}

// The positions of the window's cell centres along one axis, in ground units from the world's edge.
std::vector<double> CentresOf(std::int32_t first, std::int32_t count, double cell) {
    std::vector<double> centres(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) centres[k] = (first + k + 0.5) * cell;
    return centres;
}

}  // namespace

void CheckWeighing(const LayerSet& set, const TerrainWindow& terrain) {
    CheckLayerSet(set);
    CheckTerrainWindow(terrain, HaloOf(set, terrain.Scale));
}

LayerWeights WeighLayers(const LayerSet& set, const TerrainWindow& terrain, const RunOptions& options,
                         const WeightRowDone& rowDone) {
    CheckWeighing(set, terrain);
    const GridWindow& window = terrain.Window;
    const TerrainAttributes attributes(set, terrain, options);
    const std::vector<LayerRun> runs = LayerRuns(set, attributes.Radii());
    const std::vector<double> xs = CentresOf(window.Column, window.Width, terrain.Scale.CellX);
    const std::vector<double> ys = CentresOf(window.Row, window.Rows, terrain.Scale.CellY);
    const std::size_t layers = set.Layers.size(), fallback = FallbackIndex(set), width = xs.size();

    LayerWeights out{window.Width, window.Rows, layers, std::vector<std::uint8_t>(width * window.Rows * layers)};
    ParallelRowBands(window.Rows, options, SynthesisStage::Blend,
                     [&](std::int32_t first, std::int32_t end, RowTally& tally) {
        TerrainAttributes::Rows rows(attributes, first);
        std::vector<std::optional<NoiseRows>> noises(layers);
        for (std::size_t l = 0; l < layers; ++l) {
            if (runs[l].Noise) noises[l].emplace(*runs[l].Noise, xs);
        }
        std::vector<double> noise(width);
        ByteWeightScratch byteWeights(width, layers);
        RowScratch scratch{std::vector<double>(width), std::vector<double>(width)};
        for (std::int32_t row = first; row < end; ++row) {
            const AttributeRow& values = rows.Next();
            for (std::size_t l = 0; l < layers; ++l) {
                if (noises[l]) noises[l]->Row(ys[row], noise.data());
                WeighRow(runs[l], values, noise.data(), std::span(byteWeights.Weights).subspan(l * width, width), scratch);
            }
            ByteWeightRow(byteWeights, layers, fallback, &out.Bytes[static_cast<std::size_t>(row) * width * layers]);
            if (rowDone) rowDone(row, out);
            tally.RowDone();
        }
    });
    return out;
}

}  // namespace orvalis
