// Time to build the normal map of the sample terrain from heights already
// read: the lit generation's "normals" stage without the heightmap file.

#include <benchmark/benchmark.h>

#include "SampleTerrain.h"
#include "raster/HeightPlane.h"
#include "lighting/NormalMap.h"

namespace {

// As the command line builds it for a height scale of 1.
constexpr float kHeightScale = 1.0f;

void NormalMap(benchmark::State& state) {
    const orvalis::HeightPlane plane =
        orvalis::HeightsOfPixels(orvalis::sample::MakeHeightmap(static_cast<int>(state.range(0))));
    orvalis::RunOptions run;
    run.Threads = static_cast<int>(state.range(1));
    orvalis::TNormalMap normals;
    for (auto _ : state) {
        orvalis::BuildNormalMap(plane, normals, kHeightScale, run);
        benchmark::DoNotOptimize(normals.data());
    }
}

BENCHMARK(NormalMap)
    ->ArgNames({"side", "threads"})
    ->ArgsProduct({{1024, 4096}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
