// Shadow rays at the very edge of their answer: rays that meet a cell
// exactly at its height (blocked) or a single's step above it, checked
// against the one-step march through every bound the fast march keeps;
// rays where the rounding of large coordinates moves them furthest; and
// low suns whose heights round down at every step.
#include "lighting/ShadowMarch.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "math/Geometry.h"
#include "common/HeightGrids.h"
#include "common/KernelLevels.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

// Singles in order as whole numbers, negative ones included.
std::int32_t OrderOf(float v) {
    const auto bits = std::bit_cast<std::int32_t>(v);
    return bits < 0 ? std::numeric_limits<std::int32_t>::min() - bits : bits;
}
float SingleOfOrder(std::int32_t order) {
    return std::bit_cast<float>(order < 0 ? std::numeric_limits<std::int32_t>::min() - order : order);
}

// The one-step march's heights at its steps from `column`, `row` along the
// unit dir, and the cells under them, as MarchIntoTerrain takes them.
struct Step {
    std::int32_t Row, Column;
};
std::vector<Step> StepsOf(const HeightGrid& grid, std::int32_t row, std::int32_t column, const Vector3& dir,
                          int most) {
    std::vector<Step> steps;
    Vector3 pos;
    AddVectors(Vector3{static_cast<float>(column), 0, static_cast<float>(row)}, dir, pos);
    while (static_cast<int>(steps.size()) < most && pos.x > 0 && pos.x < static_cast<float>(grid.Columns() - 1) &&
           pos.z > 0 && pos.z < static_cast<float>(grid.Rows() - 1)) {
        steps.push_back({TruncToInt(pos.z), TruncToInt(pos.x)});
        AddVectors(pos, dir, pos);
    }
    return steps;
}

// The height after `additions` additions of step to start, in singles.
float HeightAfter(float start, float step, int additions) {
    for (int i = 0; i < additions; ++i) start += step;
    return start;
}

// The first start, in the order of singles, from which `additions`
// additions of step end above `target` (or at it, with `reaching`).
std::int32_t FirstOrderPast(float target, float step, int additions, bool reaching) {
    const float guess = static_cast<float>(target - static_cast<double>(step) * additions);
    std::int32_t low = OrderOf(guess - 8), high = OrderOf(guess + 8);  // short of it, past it
    while (std::int64_t{high} - low > 1) {
        const auto middle = static_cast<std::int32_t>(low + (std::int64_t{high} - low) / 2);
        const float end = HeightAfter(SingleOfOrder(middle), step, additions);
        (end > target || (reaching && end == target) ? high : low) = middle;
    }
    return high;
}

// The lowest start from which the ray is at `target` exactly after
// `additions` additions of step; none when the rounding skips it.
std::optional<float> StartReaching(float target, float step, int additions) {
    const float start = SingleOfOrder(FirstOrderPast(target, step, additions, true));
    if (HeightAfter(start, step, additions) != target) return std::nullopt;
    return start;
}

// The start from which the ray grazes the cell that decides it: the cell
// of the first `most` steps that lies highest above the ray's path, met
// exactly at its scaled height; none when no single start meets it exactly.
std::optional<float> GrazingStart(const HeightGrid& grid, float heightScale, std::int32_t row, std::int32_t column,
                                  const Vector3& dir, int most) {
    const std::vector<Step> steps = StepsOf(grid, row, column, dir, most);
    int deciding = -1;
    double highest = -INFINITY;
    for (int k = 0; k < static_cast<int>(steps.size()); ++k) {
        const double above = grid.At(steps[k].Row, steps[k].Column) * static_cast<double>(heightScale) -
                             static_cast<double>(dir.y) * (k + 1);
        if (above > highest) highest = above, deciding = k;
    }
    if (deciding < 0) return std::nullopt;
    const double target = grid.At(steps[deciding].Row, steps[deciding].Column) * static_cast<double>(heightScale);
    if (static_cast<float>(target) != target) return std::nullopt;
    return StartReaching(static_cast<float>(target), dir.y, deciding + 1);
}

// Rays that graze their deciding cell, and rays a single's step above and
// below, find with the fast march (one ray and lanes of eight, with and
// without vector instructions) exactly what the one-step march finds. The
// lights include climbs of a whole fraction of a cell per line (where the
// horizon's bounds lie just above whole numbers), diagonals (where a ray's
// cone takes three cells of the next line) and lights close to an axis.
TEST(ShadowBoundary, RaysThatGrazeACellFindWhatTheOneStepMarchFinds) {
    const TDibBuffer high = test::MakePicture(64, 48, [](std::int32_t row, std::int32_t column) {
        const std::uint32_t noise = (static_cast<std::uint32_t>(row) * 7919u + column * 104729u) * 2654435761u >> 26;
        return test::Grey(static_cast<int>(150 + noise + (column % 9 == 0 ? 40 : 0)));
    });
    const std::vector<Vector3> directions = {
        {0, 1, 4},     {0, 1, -4},    {4, 1, 0},     {-4, 1, 0},   {0, 1, 2},      {2, 1, 0},
        {0, 1, 8},     {8, 1, 0},     {1, 1, 4},     {4, 1, -1},   {1, 0.5f, 1},   {-1, 0.5f, 1},
        {1, 0.25f, -1}, {-1, 2, -1},  {3, 1, 3},     {1, 0.1f, 1}, {0.01f, 1, 4},  {4, 1, 0.01f},
        {1, 0.3f, 0.999f}, {0.999f, 0.3f, -1}, {0.5f, 0.2f, 1}, {1, 0.2f, 0.5f}, {7, 1, 3}, {3, 1, -7},
    };
    const TDibBuffer rugged = test::RuggedTerrain(61, 47);
    int grazing = 0, blocked = 0;
    test::ForEachKernelLevel({KernelLevel::Scalar, KernelLevel::Avx2}, [&](KernelLevel) {
        for (const TDibBuffer* picture : {&rugged, &high}) {
            const HeightGrid grid = test::GridOf(*picture);
            for (const Vector3& direction : directions) {
                Vector3 dir;
                NormalizedCopy(direction, dir);
                for (const float heightScale : {1.0f, 0.5f}) {
                    const ShadowRays rays(grid, heightScale, direction);
                    for (std::int32_t row = 1; row < grid.Rows() - 1; row += 2) {
                        for (std::int32_t first = 0; first + ShadowRays::kLanes <= grid.Columns(); first += ShadowRays::kLanes) {
                            for (const int nudge : {0, 1, -1}) {
                                float heights[ShadowRays::kLanes];
                                for (int j = 0; j < ShadowRays::kLanes; ++j) {
                                    const std::optional<float> start = GrazingStart(grid, heightScale, row, first + j, dir, 64);
                                    heights[j] = start ? SingleOfOrder(OrderOf(*start) + nudge) : -1.0f;
                                    grazing += start && nudge == 0;
                                }
                                const unsigned lanes = rays.BlockedLanes(row, first, heights);
                                for (int j = 0; j < ShadowRays::kLanes; ++j) {
                                    const Vector3 origin{static_cast<float>(first + j), heights[j], static_cast<float>(row)};
                                    const bool expected = IsInShadow(grid, heightScale, origin, direction);
                                    blocked += expected && nudge == 0;
                                    ASSERT_EQ(rays.Blocked(origin), expected)
                                        << "direction " << direction.x << ", " << direction.y << ", " << direction.z
                                        << " from " << origin.x << ", " << origin.y << ", " << origin.z << ", scale "
                                        << heightScale;
                                    ASSERT_EQ((lanes >> j & 1) != 0, expected)
                                        << "lane " << j << ", direction " << direction.x << ", " << direction.y << ", "
                                        << direction.z << " from " << origin.x << ", " << origin.y << ", " << origin.z
                                        << ", scale " << heightScale;
                                }
                            }
                        }
                    }
                }
            }
        }
    });
    // Most rays find a start that meets their cell exactly, and those are blocked.
    EXPECT_GT(blocked, grazing * 9 / 10);
    EXPECT_GT(grazing, 10000);
}

// The row of the first step of the one-step march from origin that lies in
// `column`; -1 when it never gets there.
std::int32_t RowEntering(const HeightGrid& grid, const Vector3& origin, const Vector3& direction, std::int32_t column) {
    Vector3 dir, pos;
    NormalizedCopy(direction, dir);
    AddVectors(origin, dir, pos);
    while (pos.z < static_cast<float>(grid.Rows() - 1)) {
        if (TruncToInt(pos.x) == column) return TruncToInt(pos.z);
        AddVectors(pos, dir, pos);
    }
    return -1;
}

// Just below column 24576 (the edge of blocks up to 8192 wide), singles lie
// 2^-9 apart, and a ray that moves 0.0011 (0.001) across the columns a step
// moves a whole 2^-9: over a block that lies below it, the march must allow
// for that, or a pass carries the ray past a wall it meets in the next
// column. The wall stands a few rows high where the ray enters that column;
// the rest of the ground is level.
TEST(ShadowBoundary, PassesAllowForTheRoundingOfLargeCoordinates) {
    constexpr std::int32_t kEdge = 24576, kColumns = kEdge + 16;
    for (const float across : {0.0011f, 0.001f}) {
    SCOPED_TRACE(across);
    const Vector3 direction{across, 0.05f, 1};
    const auto walled = [&](std::int32_t rows, const Vector3& origin) {
        HeightGrid grid(kColumns, rows);
        const std::int32_t row = RowEntering(grid, origin, direction, kEdge);
        EXPECT_GT(row, 0);
        for (std::int32_t r = row; r < row + 3 && r < rows; ++r) grid.At(r, kEdge) = 255;
        return grid;
    };
    // One ray from just left of the edge.
    for (const float x : {24575.99f, 24575.98f, 24575.97f, 24575.96f, 24575.95f}) {
        const Vector3 origin{x, 1, 2};
        const HeightGrid grid = walled(64, origin);
        ASSERT_TRUE(IsInShadow(grid, 1.0f, origin, direction)) << x;
        EXPECT_TRUE(ShadowRays(grid, 1.0f, direction).Blocked(origin)) << x;
    }
    // Lanes from whole columns: the last reaches the edge five hundred rows on.
    const Vector3 last{static_cast<float>(kEdge - 1), 1, 2};
    const HeightGrid grid = walled(560, last);
    const ShadowRays rays(grid, 1.0f, direction);
    const float heights[ShadowRays::kLanes] = {1, 1, 1, 1, 1, 1, 1, 1};
    test::ForEachKernelLevel({KernelLevel::Scalar, KernelLevel::Avx2}, [&](KernelLevel) {
        const unsigned lanes = rays.BlockedLanes(2, kEdge - ShadowRays::kLanes, heights);
        for (int j = 0; j < ShadowRays::kLanes; ++j) {
            const Vector3 origin{static_cast<float>(kEdge - ShadowRays::kLanes + j), 1, 2};
            EXPECT_EQ((lanes >> j & 1) != 0, IsInShadow(grid, 1.0f, origin, direction)) << "lane " << j;
        }
        EXPECT_EQ(lanes, 1u << (ShadowRays::kLanes - 1));
    });
    }
}

// Low suns over level ground and a wall row 255 high: a ray whose first
// position lies just short of its row's far edge, and which enters the
// wall's row after n steps, the highest that is still blocked there. Its
// heights lie between 128 and 256, where each addition may round down by
// up to 2^-17; over some eighty rows that adds up to more than the bound
// of its first cell could lose to rounding of its own.
TEST(ShadowBoundary, LowSunsMeetAWallRowFromJustBelowTheirFirstBound) {
    constexpr std::int32_t kRows = 127, kWall = 120;
    HeightGrid grid(6, kRows);
    for (std::int32_t column = 0; column < grid.Columns(); ++column) grid.At(kWall, column) = 255;
    int rays = 0;
    for (int n = 80; n <= 92; ++n) {
        for (const int rowsCrossed : {n - 3, n - 2}) {
            // The light whose n - 1 steps cross the rows to the wall almost exactly.
            const double along = static_cast<double>(rowsCrossed) / (n - 1) + 2e-7;
            const double rise = std::sqrt(1 / (along * along) - 1);
            for (int k = -200; k <= 200; ++k) {
                const Vector3 direction{0, static_cast<float>(rise * (1 + k * 0x1p-23)), 1};
                Vector3 dir;
                NormalizedCopy(direction, dir);
                const float first = std::nextafter(static_cast<float>(kWall - rowsCrossed), 0.0f);
                const float z = first - dir.z;
                if (z + dir.z != first || HeightAfter(first, dir.z, n - 1) < kWall ||
                    HeightAfter(first, dir.z, n - 2) >= kWall) {
                    continue;
                }
                const float height = SingleOfOrder(FirstOrderPast(255, dir.y, n, false) - 1);
                const Vector3 origin{2.5f, height, z};
                ++rays;
                ASSERT_TRUE(IsInShadow(grid, 1.0f, origin, direction)) << n << ", " << rowsCrossed << ", " << k;
                ASSERT_TRUE(ShadowRays(grid, 1.0f, direction).Blocked(origin))
                    << "rise " << direction.y << ", " << n << " steps over " << rowsCrossed << " rows";
            }
        }
    }
    EXPECT_GT(rays, 1000);
}

}  // namespace
}  // namespace orvalis
