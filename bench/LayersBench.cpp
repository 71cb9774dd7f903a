// Time of the layer weights and the layer blend of the 16-bit sample
// terrain (0 .. 2000 m over 12.3 km) at 4096^2, eight layers with height,
// slope, aspect and curvature rules and noise, beside the classic blend of
// five tiles and the blend by heights at the same size; two threads.

#include <benchmark/benchmark.h>

#include <array>

#include "SampleTerrain.h"
#include "raster/HeightPlane.h"
#include "blending/BandBlend.h"
#include "blending/HeightBlend.h"
#include "layers/LayerBlend.h"
#include "layers/LayersFile.h"

namespace {

constexpr int kSide = 4096;
constexpr double kTopHeight = 2000;
constexpr double kCell = 3;

constexpr const char* kEightLayers = R"(
[layers]
fallback = grass
seed = 7
noise-scale = 250 m

[layer water]
tile = water.bmp
height = below 60 m, ramp 10 m, noise 8 m
[layer sand]
tile = sand.bmp
height = 40 .. 120 m, ramp 20 m, noise 15 m
slope = below 15 deg, ramp 6 deg
[layer grass]
tile = grass.bmp
slope = below 30 deg, ramp 10 deg, noise 4 deg
[layer meadow]
tile = grass.bmp
aspect = 180 deg, width 120 deg, ramp 40 deg, noise 20 deg
slope = 5 .. 25 deg, ramp 5 deg
[layer forest]
tile = grass.bmp
height = 150 .. 1300 m, ramp 80 m, noise 60 m
slope = below 25 deg, ramp 8 deg
curvature = below 3 m, ramp 4 m, radius 60 m
coverage = 0.8
[layer scree]
tile = rock.bmp
curvature = below -4 m, ramp 4 m, noise 2 m, radius 60 m
slope = 20 .. 40 deg, ramp 8 deg
[layer rock]
tile = rock.bmp
slope = above 35 deg, ramp 8 deg, noise 4 deg
[layer snow]
tile = snow.bmp
height = above 1500 m, ramp 100 m, noise 80 m
slope = below 40 deg, ramp 10 deg
aspect = 0 deg, width 240 deg, ramp 60 deg
)";

orvalis::HeightPlane SampleMetres() {
    const std::vector<std::uint16_t> levels = orvalis::sample::HeightmapLevels(kSide, 65535);
    orvalis::HeightPlane plane{kSide, kSide, std::vector<double>(levels.size()), {}};
    for (std::size_t k = 0; k < levels.size(); ++k) plane.Heights[k] = levels[k] * (kTopHeight / 65535);
    return plane;
}

const orvalis::HeightPlane& Terrain() {
    static const orvalis::HeightPlane plane = SampleMetres();
    return plane;
}

struct Tiles {
    std::array<orvalis::TDibBuffer, orvalis::kTileCount> Pictures;
    orvalis::TileSet Set() const {
        orvalis::TileSet set;
        for (int i = 0; i < orvalis::kTileCount; ++i) set[i] = &Pictures[i];
        return set;
    }
};

Tiles SampleTiles() {
    using orvalis::sample::TileKind;
    Tiles tiles;
    const TileKind kinds[] = {TileKind::Snow, TileKind::Rock, TileKind::Grass, TileKind::Sand, TileKind::Water};
    for (int i = 0; i < orvalis::kTileCount; ++i) tiles.Pictures[i] = orvalis::sample::MakeTile(kinds[i]);
    return tiles;
}

orvalis::RunOptions TwoThreads() {
    orvalis::RunOptions run;
    run.Threads = 2;
    return run;
}

void LayerWeights(benchmark::State& state) {
    const orvalis::LayerSet set = orvalis::ParseLayers(kEightLayers, "bench");
    const orvalis::TerrainWindow terrain = orvalis::WholeWorld(Terrain(), {kCell, kCell, 1});
    for (auto _ : state) {
        const orvalis::LayerWeights weights = orvalis::WeighLayers(set, terrain, TwoThreads());
        benchmark::DoNotOptimize(weights.Bytes.data());
    }
}

void LayerBlend(benchmark::State& state) {
    const orvalis::LayerSet set = orvalis::ParseLayers(kEightLayers, "bench");
    const orvalis::TerrainWindow terrain = orvalis::WholeWorld(Terrain(), {kCell, kCell, 1});
    const Tiles tiles = SampleTiles();
    const orvalis::TileSet five = tiles.Set();
    const orvalis::LayerTiles eight = {five[4], five[3], five[2], five[2], five[2], five[1], five[1], five[0]};
    for (auto _ : state) {
        const orvalis::LayerBlend blend = orvalis::BlendLayers(set, eight, terrain, TwoThreads());
        benchmark::DoNotOptimize(blend.Texture.RowTable(0));
    }
}

// The classic blend of five tiles, from a 4096^2 8-bit heightmap.
void ClassicBlend(benchmark::State& state) {
    const orvalis::TDibBuffer heightmap = orvalis::sample::MakeHeightmap(kSide);
    const Tiles tiles = SampleTiles();
    for (auto _ : state) {
        const orvalis::TDibBuffer texture = orvalis::BlendTexture(heightmap, tiles.Set(), kSide, TwoThreads());
        benchmark::DoNotOptimize(texture.RowTable(0));
    }
}

// The blend of five tiles by real heights (smooth resampling's blend).
void HeightBandBlend(benchmark::State& state) {
    const Tiles tiles = SampleTiles();
    const orvalis::BandHeights bands = {2000, 1500, 1000, 500, 0};
    for (auto _ : state) {
        const orvalis::TDibBuffer texture = orvalis::BlendByHeights(Terrain(), bands, tiles.Set(), TwoThreads());
        benchmark::DoNotOptimize(texture.RowTable(0));
    }
}

BENCHMARK(LayerWeights)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(LayerBlend)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(ClassicBlend)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(HeightBandBlend)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
