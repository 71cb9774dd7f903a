#include "lighting/SkyLightLanes.h"

#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "common/KernelLevels.h"
#include "lighting/ClearSky.h"
#include "lighting/HornSlope.h"
#include "lighting/SkyView.h"

namespace orvalis {
namespace {

// Cliffs, slopes both ways and flat patches, on cells wider than long.
GroundGrid Terrain(std::int32_t width, std::int32_t rows) {
    GroundGrid grid{width, rows, 30, 25, {}};
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c < width; ++c) {
            const float cliff = (c * 7 + r * 3) % 11 == 0 ? 900.0f : 0.0f;
            grid.Z.push_back((c / 5 + r) % 4 == 0 ? 100.0f : 100 + 37 * std::sin(0.7f * c) * std::cos(0.4f * r) + cliff);
        }
    }
    return grid;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The sky light of a swept grid is the same at every kernel level.
TEST(SkyLightLanes, EveryKernelLevelLightsTheSameCells) {
    const GroundGrid grid = Terrain(45, 13);
    const ClearSky sky({250, 20, 0});
    std::vector<float> plain;
    test::ForEachKernelLevel([&](KernelLevel level) {
        HorizonSweeps sweeps(grid);
        const std::vector<float> light = SkyLightOnCells(sweeps, sky, {});
        if (level == KernelLevel::Scalar) plain = light;
        EXPECT_TRUE(SameBits(light, plain));
    });
}

// The lanes add what FromDirection gives a cell, bit for bit, for horizons
// from level to a wall (an infinite tangent) and NaN, which reads the tables'
// first entries, in every direction.
TEST(SkyLightLanes, LanesAddWhatEachCellGets) {
    SkyLightLaneKernel* const lanes = Avx512SkyLightLanes();
    if (lanes == nullptr || !ProcessorRuns(KernelLevel::Avx512)) GTEST_SKIP() << "no AVX-512 lanes here";
    const GroundGrid grid = Terrain(27, 3);
    const ClearSky sky({120, 35, 0});
    const float horizons[] = {0, 1e-9f, 0.3f, 1, 5, 7e3f, 1e30f, INFINITY, NAN};
    std::vector<float> rowHorizons;
    for (std::int32_t c = 0; c < grid.Width; ++c) rowHorizons.push_back(horizons[c % std::size(horizons)]);
    for (int d = 0; d < kSkyDirections; ++d) {
        const ClearSky::DirectionTables t = sky.TablesOf(d);
        std::vector<float> expected(grid.Width, 0.25f), light = expected;
        const float* here = &grid.Z[grid.IndexOf(1, 0)];
        const SkyLightRow row{here - grid.Width, here, here + grid.Width, 4 * (2 * grid.CellX), 4 * (2 * grid.CellY),
                              rowHorizons.data(), t.East, t.North, t.Level, t.Facing, t.Steps, light.data()};
        const std::int32_t left = lanes(row, 1, grid.Width - 1);
        EXPECT_EQ(left, 25);
        for (std::int32_t c = 1; c < left; ++c) {
            expected[c] += static_cast<float>(sky.FromDirection(d, rowHorizons[c], HornSlope(grid, 1, c)));
        }
        EXPECT_TRUE(SameBits(light, expected)) << "direction " << d;
    }
}

}  // namespace
}  // namespace orvalis
