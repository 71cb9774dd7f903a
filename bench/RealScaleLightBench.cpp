// Time of the real-scale lighting of the sample terrain at 1024^2 and
// 4096^2 (10 m cells, the sun at azimuth 300, 12 degrees up), with and
// without the sky light, on two threads.

#include <benchmark/benchmark.h>

#include "SampleTerrain.h"
#include "raster/HeightPlane.h"
#include "lighting/RealScaleLight.h"

namespace {

void RealScaleLight(benchmark::State& state) {
    const orvalis::HeightPlane plane =
        orvalis::HeightsOfPixels(orvalis::sample::MakeHeightmap(static_cast<int>(state.range(0))));
    orvalis::RealScaleLight light;
    light.Scale = {10, 10, 1};
    light.Sun = {300, 12, 0.53};
    light.SkyLight = state.range(1) != 0;
    orvalis::RunOptions run;
    run.Threads = 2;
    for (auto _ : state) {
        const orvalis::LitTerrain lit = orvalis::LightAtRealScale(plane, light, run);
        benchmark::DoNotOptimize(lit.Shade.data());
    }
}

BENCHMARK(RealScaleLight)
    ->ArgNames({"side", "sky"})
    ->ArgsProduct({{1024, 4096}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
