#include "lighting/ShadowMarch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "math/Geometry.h"
#include "common/HeightGrids.h"
#include "common/KernelLevels.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

// The height grid built on several threads is the one built row by row, for
// 8-bit and for real-valued heights.
TEST(HeightGrid, IsTheSameOnEveryThreadCount) {
    const HeightPlane bytes = HeightsOfPixels(test::RuggedTerrain(53, 37));
    HeightPlane reals{bytes.Width, bytes.Rows, {}, {}};
    for (std::size_t i = 0; i < bytes.ByteSums.size(); ++i) reals.Heights.push_back(bytes.Height(i) * 1.37 - 20);
    for (const HeightPlane* plane : {&bytes, static_cast<const HeightPlane*>(&reals)}) {
        const HeightGrid expected = BuildHeightGrid(*plane);
        for (const int threads : {1, 2, 3, 8}) {
            const HeightGrid grid = BuildHeightGrid(*plane, RunOptions{threads, {}});
            ASSERT_EQ(grid.Columns(), expected.Columns());
            ASSERT_EQ(grid.Rows(), expected.Rows());
            EXPECT_TRUE(std::equal(grid.Cells(), grid.Cells() + 53 * 37, expected.Cells())) << threads << " threads";
        }
    }
}

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
        const HeightGrid grid = test::GridOf(*picture);
        // Random directions, then lights along an axis, whose rays stay in
        // their column or row (or leave it only from the first columns).
        for (int d = 0; d < 48; ++d) {
            const float tiny = d % 2 == 0 ? -4.4e-8f : 1e-30f;
            const Vector3 direction = d < 40 ? Vector3{unit(random), d < 30 ? rise(random) : unit(random), unit(random)}
                                      : d < 44 ? Vector3{tiny, rise(random), d < 42 ? 1.0f : -1.0f}
                                               : Vector3{d < 46 ? 1.0f : -1.0f, rise(random), tiny};
            for (const float heightScale : {1.0f, 0.5f, 2.0f}) {
                const ShadowRays rays(grid, heightScale, direction);
                const auto origin = [&](std::int32_t row, std::int32_t column) {
                    return Vector3{static_cast<float>(column), grid.At(row, column) * heightScale + 0.3f,
                                   static_cast<float>(row)};
                };
                for (std::int32_t row = 0; row < grid.Rows(); row += 3) {
                    for (std::int32_t column = 0; column < grid.Columns(); column += 2) {
                        const bool expected = IsInShadow(grid, heightScale, origin(row, column), direction);
                        ASSERT_EQ(rays.Blocked(origin(row, column)), expected)
                            << "direction " << direction.x << ", " << direction.y << ", " << direction.z
                            << " from " << column << ", " << row << ", scale " << heightScale;
                        // The lanes from here, where a whole set of them fits.
                        if (!rays.LanesAvailable() || column + ShadowRays::kLanes > grid.Columns()) continue;
                        float heights[ShadowRays::kLanes];
                        for (int j = 0; j < ShadowRays::kLanes; ++j) heights[j] = origin(row, column + j).y;
                        const unsigned lanes = rays.BlockedLanes(row, column, heights);
                        for (int j = 0; j < ShadowRays::kLanes; ++j) {
                            ASSERT_EQ((lanes >> j & 1) != 0, IsInShadow(grid, heightScale, origin(row, column + j), direction))
                                << "lane " << j << ", direction " << direction.x << ", " << direction.y << ", "
                                << direction.z << " from " << column << ", " << row << ", scale " << heightScale;
                        }
                    }
                }
            }
        }
    }
}

// Coordinates in the thousands round more coarsely, which the horizon's
// allowance for drift must cover: long, narrow hills both ways round, one
// sweep running along the rows and one across them; the lanes with and
// without vector instructions.
TEST(ShadowRays, FindsWhatTheOneStepMarchFindsFarAlong) {
    const auto hills = [](std::int32_t along, std::int32_t across) {
        return test::Grey(120 + static_cast<int>(90 * std::sin(along / 97.0) * std::cos(across / 7.0)));
    };
    const TDibBuffer wide = test::MakePicture(2100, 24, [&](std::int32_t row, std::int32_t column) { return hills(column, row); });
    const TDibBuffer tall = test::MakePicture(24, 2100, [&](std::int32_t row, std::int32_t column) { return hills(row, column); });
    std::mt19937 random(23);
    std::uniform_real_distribution<float> unit(-1, 1), rise(0, 0.5f);
    test::ForEachKernelLevel({KernelLevel::Scalar, KernelLevel::Avx2}, [&](KernelLevel) {
    for (const TDibBuffer* picture : {&wide, &tall}) {
        const HeightGrid grid = test::GridOf(*picture);
        for (int d = 0; d < 8; ++d) {
            const Vector3 direction = d < 6 ? Vector3{unit(random), rise(random), unit(random)}
                                            : Vector3{d == 6 ? 1.0f : -4.4e-8f, rise(random), d == 6 ? 1e-30f : -1.0f};
            const ShadowRays rays(grid, 1.0f, direction);
            for (std::int32_t row = 0; row < grid.Rows(); row += 5) {
                for (std::int32_t column = 0; column + ShadowRays::kLanes <= grid.Columns(); column += 29 * ShadowRays::kLanes) {
                    float heights[ShadowRays::kLanes];
                    for (int j = 0; j < ShadowRays::kLanes; ++j) heights[j] = grid.At(row, column + j) + 0.5f;
                    const unsigned lanes = rays.BlockedLanes(row, column, heights);
                    for (int j = 0; j < ShadowRays::kLanes; ++j) {
                        const Vector3 origin{static_cast<float>(column + j), heights[j], static_cast<float>(row)};
                        const bool expected = IsInShadow(grid, 1.0f, origin, direction);
                        ASSERT_EQ(rays.Blocked(origin), expected) << "from " << column + j << ", " << row << ", direction " << d;
                        ASSERT_EQ((lanes >> j & 1) != 0, expected) << "lane " << j << ", direction " << d;
                    }
                }
            }
        }
    }
    });
}

// No bound where none would hold: heights scaled past a byte, rays that
// fall, rays that go straight up.
TEST(ShadowHorizon, IsEmptyWhereNoBoundHolds) {
    const HeightGrid grid = test::GridOf(test::RuggedTerrain(20, 10));
    EXPECT_TRUE(ShadowHorizon(grid, 1.5f, Vector3{0.6f, 0.8f, 0}).Empty());
    EXPECT_TRUE(ShadowHorizon(grid, 1.0f, Vector3{0.6f, -0.8f, 0}).Empty());
    EXPECT_TRUE(ShadowHorizon(grid, 1.0f, Vector3{0, 1, 0}).Empty());
    EXPECT_FALSE(ShadowHorizon(grid, 1.0f, Vector3{0.6f, 0.8f, 0}).Empty());
    EXPECT_FALSE(ShadowHorizon(grid, 0.5f, Vector3{0, 0.8f, -0.6f}).Empty());
}

// The bound of a cell holds for a ray from any point of it: a ray just
// above it is never blocked, whatever the light (along either axis, steep or
// shallow, in every quadrant). On rugged ground bounds lie closest to the
// cells; narrow grids walled at their edges catch rays that creep across
// the first columns (rows) of a light along an axis.
TEST(ShadowHorizon, NoRayAboveTheBoundOfItsCellIsBlocked) {
    const auto walled = [](std::int32_t width, std::int32_t height) {
        return test::MakePicture(width, height, [=](std::int32_t row, std::int32_t column) {
            const bool edge = column < 1 || row < 1 || column == width - 1 || row == height - 1;
            return test::Grey(edge ? 255 : (row * 5 + column * 3) % 40);
        });
    };
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1, 1), rise(0, 2), within(0, 1);
    int bounded = 0;
    for (const TDibBuffer& picture : {test::RuggedTerrain(61, 47), walled(70, 17), walled(17, 70)}) {
        const HeightGrid grid = test::GridOf(picture);
        std::uniform_int_distribution<std::int32_t> column(0, grid.Columns() - 1), row(0, grid.Rows() - 1);
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
                    const Vector3 origin{c + across, std::nextafter(static_cast<float>(horizon.At(r, c)), 1e9f),
                                         r + along};
                    ASSERT_FALSE(IsInShadow(grid, heightScale, origin, direction))
                        << "direction " << direction.x << ", " << direction.y << ", " << direction.z << " from "
                        << origin.x << ", " << origin.y << ", " << origin.z << ", scale " << heightScale;
                }
            }
        }
    }
    EXPECT_EQ(bounded, 360);
}

}  // namespace
}  // namespace orvalis
