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

}  // namespace
}  // namespace orvalis
