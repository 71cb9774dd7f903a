#include "synth/ShadowMarch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "math/Geometry.h"
#include "synth/TestPictures.h"

namespace orvalis {
namespace {

// Passing blocks that lie below a ray must find exactly the rays the
// one-step march finds: on smooth hills (long passes), on rugged ground
// (short ones), and for rays that climb, run level or fall, at several
// height scales.
TEST(ShadowRays, FindsWhatTheOneStepMarchFinds) {
    const TDibBuffer hills = test::MakePicture(90, 70, [](std::int32_t row, std::int32_t column) {
        const int level = 120 + static_cast<int>(100 * std::sin(column / 13.0) * std::cos(row / 9.0));
        return test::Grey(level);
    });
    const TDibBuffer rugged = test::RuggedTerrain(61, 47);
    std::mt19937 random(17);
    std::uniform_real_distribution<float> unit(-1, 1), rise(0, 2);
    for (const TDibBuffer* picture : {&hills, &rugged}) {
        const HeightGrid grid = BuildHeightGrid(*picture);
        // Random directions, then lights along an axis, whose rays stay in
        // their column or row (or leave it only from the first columns).
        for (int d = 0; d < 48; ++d) {
            const float tiny = d % 2 == 0 ? -4.4e-8f : 1e-30f;
            const Vector3 direction = d < 40 ? Vector3{unit(random), d < 30 ? rise(random) : unit(random), unit(random)}
                                      : d < 44 ? Vector3{tiny, rise(random), d < 42 ? 1.0f : -1.0f}
                                               : Vector3{d < 46 ? 1.0f : -1.0f, rise(random), tiny};
            for (const float heightScale : {1.0f, 0.5f, 2.0f}) {
                const ShadowRays rays(grid, heightScale, direction);
                const auto origin = [&](std::int32_t column, std::int32_t row) {
                    return Vector3{static_cast<float>(column), grid.At(column, row) * heightScale + 0.3f,
                                   static_cast<float>(row)};
                };
                for (std::int32_t row = 0; row < grid.Rows(); row += 3) {
                    for (std::int32_t column = 0; column < grid.Columns(); column += 2) {
                        const bool expected = IsInShadow(grid, heightScale, origin(column, row), direction);
                        ASSERT_EQ(rays.Blocked(origin(column, row)), expected)
                            << "direction " << direction.x << ", " << direction.y << ", " << direction.z
                            << " from " << column << ", " << row << ", scale " << heightScale;
                        // The lanes from here, where a whole set of them fits.
                        if (!rays.LanesAvailable() || column + ShadowRays::kLanes > grid.Columns()) continue;
                        float heights[ShadowRays::kLanes];
                        for (int j = 0; j < ShadowRays::kLanes; ++j) heights[j] = origin(column + j, row).y;
                        const unsigned lanes = rays.BlockedLanes(column, row, heights);
                        for (int j = 0; j < ShadowRays::kLanes; ++j) {
                            ASSERT_EQ((lanes >> j & 1) != 0, IsInShadow(grid, heightScale, origin(column + j, row), direction))
                                << "lane " << j << ", direction " << direction.x << ", " << direction.y << ", "
                                << direction.z << " from " << column << ", " << row << ", scale " << heightScale;
                        }
                    }
                }
            }
        }
    }
}

// The bound of a cell holds for a ray from any point of it: a ray just
// above it is never blocked, whatever the light (along either axis, steep or
// shallow, in every quadrant) on rugged ground, where bounds lie closest to
// the cells.
TEST(ShadowHorizon, NoRayAboveTheBoundOfItsCellIsBlocked) {
    const HeightGrid grid = BuildHeightGrid(test::RuggedTerrain(61, 47));
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1, 1), rise(0, 2), within(0, 1);
    std::uniform_int_distribution<std::int32_t> column(0, grid.Columns() - 1), row(0, grid.Rows() - 1);
    int bounded = 0;
    for (int d = 0; d < 60; ++d) {
        const float tiny = d % 2 == 0 ? -4.4e-8f : 1e-30f, sign = d % 4 < 2 ? 1.0f : -1.0f;
        const Vector3 direction = d < 48 ? Vector3{unit(random), d < 40 ? rise(random) : 8.0f, unit(random)}
                                  : d < 54 ? Vector3{tiny, rise(random), sign}
                                           : Vector3{sign, rise(random), tiny};
        Vector3 unitDirection;
        NormalizedCopy(direction, unitDirection);
        for (const float heightScale : {1.0f, 0.25f}) {
            const ShadowHorizon horizon(grid, heightScale, unitDirection);
            if (horizon.Empty()) continue;
            ++bounded;
            for (int i = 0; i < 300; ++i) {
                const std::int32_t c = column(random), r = row(random);
                const float across = i % 3 == 0 ? 0.0f : within(random), along = i % 5 == 0 ? 0.0f : within(random);
                const Vector3 origin{c + across, std::nextafter(static_cast<float>(horizon.At(c, r)), 1e9f),
                                     r + along};
                ASSERT_FALSE(IsInShadow(grid, heightScale, origin, direction))
                    << "direction " << direction.x << ", " << direction.y << ", " << direction.z << " from "
                    << origin.x << ", " << origin.y << ", " << origin.z << ", scale " << heightScale;
            }
        }
    }
    EXPECT_EQ(bounded, 120);
}

}  // namespace
}  // namespace orvalis
