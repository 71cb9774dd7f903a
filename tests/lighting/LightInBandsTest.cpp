// The real-scale light made a band of rows at a time against the whole
// planes it stands for: the same values, bit for bit.
#include "lighting/LightingGrids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "raster/ResampleHeights.h"
#include "lighting/ClearSky.h"
#include "lighting/HornSlope.h"
#include "lighting/HorizonSweep.h"
#include "lighting/MeansOnTarget.h"
#include "lighting/RealScaleLight.h"
#include "lighting/SkyView.h"
#include "lighting/SunVisibility.h"
#include "common/RealHeights.h"

namespace orvalis {
namespace {

using test::RealHeightPlane;

HeightPlane Hills(std::int32_t width, std::int32_t rows) {
    return RealHeightPlane(width, rows, [](std::int32_t row, std::int32_t column) {
        return 60 * std::sin(column / 5.0) * std::cos(row / 3.5) + ((row * 31 + column * 17) % 7);
    });
}

RealScaleLight SoftLight(bool skyLight) {
    RealScaleLight light;
    light.Scale = {12, 9, 1.5};
    light.Sun = {300, 12, 1};
    light.SkyLight = skyLight;
    return light;
}

// The grids built from the resampled plane a band at a time are those of the
// whole resampled plane, the half-resolution grid of the sky light included,
// with either interpolation and under water (flattened after resampling).
TEST(LightInBands, ResampledGridsEqualThoseOfTheWholePlane) {
    const HeightPlane source = Hills(41, 40);
    const std::int32_t width = 2050, rows = 2048;  // just over kFullSkyCells
    static_assert(std::int64_t{width} * rows > kFullSkyCells);
    const std::pair<Interpolation, std::optional<double>> cases[] = {{Interpolation::Cubic, std::nullopt},
                                                                     {Interpolation::Spline, 10.0}};
    for (const auto& [enlarging, waterLevel] : cases) {
        RealScaleLight light = SoftLight(true);
        light.WaterLevel = waterLevel;
        const LightingGrids banded = ResampledLightingGrids(source, width, rows, light, enlarging, RunOptions{2, {}});
        const LightingGrids whole = LightingGridsOf(ResampleHeights(source, width, rows, {}, enlarging), light, {});
        EXPECT_EQ(banded.Fine.Z, whole.Fine.Z);
        EXPECT_EQ(banded.Fine.CellX, whole.Fine.CellX);
        ASSERT_TRUE(banded.Sky && whole.Sky);
        EXPECT_EQ(banded.Sky->Width, whole.Sky->Width);
        EXPECT_EQ(banded.Sky->CellY, whole.Sky->CellY);
        EXPECT_EQ(banded.Sky->Z, whole.Sky->Z);
        if (waterLevel) EXPECT_EQ(*std::min_element(banded.Fine.Z.begin(), banded.Fine.Z.end()), 15.0f);
    }
}

// The sky light from a half-resolution grid as the whole planes give it: the
// share of open sky each coarse cell sees, resampled to the fine grid, times
// the fine cell's own open sky.
std::vector<float> ShadeFromWholePlanes(const LightingGrids& grids, const RealScaleLight& light) {
    const GroundGrid& grid = grids.Fine;
    const GroundGrid& half = *grids.Sky;
    const ClearSky sky(light.Sun);
    HorizonSweeps halfSweeps(half);
    const std::vector<float> seenLight = SkyLightOnCells(halfSweeps, sky, {});
    HeightPlane seen{half.Width, half.Rows, std::vector<double>(half.Z.size()), {}};
    for (std::int32_t row = 0; row < half.Rows; ++row) {
        for (std::int32_t column = 0; column < half.Width; ++column) {
            const std::size_t i = half.IndexOf(row, column);
            seen.Heights[i] = seenLight[i] / std::max(1e-6, sky.OnOpenFace(HornSlope(half, row, column)));
        }
    }
    const HeightPlane share = ResampleHeights(seen, grid.Width, grid.Rows);
    HorizonSweeps sweeps(grid);
    std::vector<float> visibility;
    sweeps.Set(light.Sun.Azimuth, SunDiscShare(light.Sun), visibility, {});
    const SunVector sun = TowardSun(light.Sun);
    const double most = sky.MostLight(light.Ambient, sun);
    std::vector<float> shade(grid.Z.size());
    for (std::int32_t row = 0; row < grid.Rows; ++row) {
        for (std::int32_t column = 0; column < grid.Width; ++column) {
            const std::size_t i = grid.IndexOf(row, column);
            const GroundSlope slope = HornSlope(grid, row, column);
            const auto skyLight = static_cast<float>(std::clamp(share.Heights[i], 0.0, 1.0) * sky.OnOpenFace(slope));
            const double direct = (1 - light.Ambient) * SunFacing(slope, sun) * visibility[i];
            shade[i] = static_cast<float>(LightWithinOne(light.Ambient * skyLight + direct, most));
        }
    }
    return shade;
}

TEST(LightInBands, HalfResolutionSkyEqualsTheWholePlanes) {
    const HeightPlane heights = Hills(151, 97);
    const RealScaleLight light = SoftLight(true);
    LightingGrids grids{MakeGroundGrid(heights, light.Scale), {}};
    const HeightPlane half = ResampleHeights(heights, 76, 49);
    grids.Sky = MakeGroundGrid(half, {light.Scale.CellX * 151 / 76, light.Scale.CellY * 97 / 49, light.Scale.ZFactor});
    const std::vector<float> expected = ShadeFromWholePlanes(grids, light);
    for (const int threads : {1, 3}) {
        EXPECT_EQ(LightAtRealScale(grids, light, RunOptions{threads, {}}).Shade, expected) << threads;
    }
}

// Given at another size, the light is the area means of the whole planes,
// whichever way the sky light is taken.
TEST(LightInBands, LightOnTheTargetIsTheMeansOfTheWholePlanes) {
    struct TargetCase {
        const char* Name;
        bool SkyLight;
        bool HalfSky;
        std::int32_t Width, Rows;
    };
    const TargetCase cases[] = {
        {"sun only, halved", false, false, 76, 49},
        {"sun only, enlarged unevenly", false, false, 200, 90},
        {"full sky, halved", true, false, 75, 48},
        {"half sky, halved", true, true, 76, 49},
        {"half sky, same size", true, true, 151, 97},
    };
    const HeightPlane heights = Hills(151, 97);
    for (const TargetCase& c : cases) {
        const RealScaleLight light = SoftLight(c.SkyLight);
        LightingGrids grids{MakeGroundGrid(heights, light.Scale), {}};
        if (c.HalfSky) grids.Sky = MakeGroundGrid(ResampleHeights(heights, 76, 49), {24, 18, light.Scale.ZFactor});
        const LitTerrain whole = LightAtRealScale(grids, light);
        const LitTerrain banded = LightAtRealScale(grids, light, c.Width, c.Rows, RunOptions{2, {}});
        EXPECT_EQ(banded.Width, c.Width) << c.Name;
        EXPECT_EQ(banded.Shade, MeansOf(whole.Shade, 151, 97, c.Width, c.Rows, {})) << c.Name;
        EXPECT_EQ(banded.SunVisibility, MeansOf(whole.SunVisibility, 151, 97, c.Width, c.Rows, {})) << c.Name;
    }
}

// Values that are not finite take the lowest finite value before the means,
// as cells without data do in ResampleHeights.
TEST(LightInBands, MeansTakeTheLowestValueForOnesNotFinite) {
    const std::vector<float> values{4, NAN, 2, INFINITY, 8, 6};
    const std::vector<float> mean = MeansOf(values, 2, 3, 1, 1, {});
    ASSERT_EQ(mean.size(), 1u);
    EXPECT_NEAR(mean[0], (4 + 2 + 2 + 2 + 8 + 6) / 6.0, 1e-6);
    // At the same size the values stay as they are.
    const std::vector<float> same = MeansOf(values, 2, 3, 2, 3, {});
    EXPECT_TRUE(std::isnan(same[1]));
    EXPECT_EQ(same[3], INFINITY);
}

}  // namespace
}  // namespace orvalis
