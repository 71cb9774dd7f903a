// The two bounds per cell that follow rays along their band, checked at
// every step of long rays from start heights at the very edge of their
// answer: above the upper bound a ray meets nothing more, below the height
// that claims a shadow (from 0 up) it surely meets a cell that reaches it.
#include "lighting/ShadowHorizon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "lighting/ShadowMarch.h"
#include "math/Geometry.h"
#include "common/HeightGrids.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

struct RayStep {
    std::int32_t Row, Column;
    float Height;
};

// The one-step march's steps from (column, y, row) while inside the picture.
std::vector<RayStep> MarchSteps(const HeightGrid& grid, std::int32_t row, std::int32_t column, float y,
                                const Vector3& dir) {
    std::vector<RayStep> steps;
    Vector3 pos;
    AddVectors(Vector3{static_cast<float>(column), y, static_cast<float>(row)}, dir, pos);
    while (pos.x > 0 && pos.x < static_cast<float>(grid.Columns() - 1) && pos.z > 0 &&
           pos.z < static_cast<float>(grid.Rows() - 1)) {
        steps.push_back({TruncToInt(pos.z), TruncToInt(pos.x), pos.y});
        AddVectors(pos, dir, pos);
    }
    return steps;
}

// The highest start from `column`, `row` whose ray is blocked (the answer
// only changes once as the start rises), or -1 when none from 0 up is. The
// cells a ray meets do not depend on its height.
float HighestBlockedStart(const HeightGrid& grid, float heightScale, std::int32_t row, std::int32_t column,
                          const Vector3& dir) {
    const std::vector<RayStep> steps = MarchSteps(grid, row, column, 0, dir);
    const auto blocked = [&](float y) {
        for (const RayStep& s : steps) {
            y += dir.y;
            if (grid.At(s.Row, s.Column) * static_cast<double>(heightScale) >= y) return true;
        }
        return false;
    };
    if (!blocked(0)) return -1;
    float low = 0, high = 512;
    while (std::nextafter(low, high) < high) {
        const float middle = low + (high - low) / 2;
        (blocked(middle) ? low : high) = middle == low ? high : middle;
    }
    return low;
}

// Counts of the claims checked.
struct Claims {
    int Shadow = 0, Light = 0;
};

// From each origin: starts at the blocked edge, a single's step either side
// and further below. At each step of the march the claims of its cell must
// agree with what the rest of the march meets.
void CheckClaimsAlongRays(const HeightGrid& grid, float heightScale, const Vector3& direction,
                          const std::vector<std::pair<std::int32_t, std::int32_t>>& origins, Claims& claims) {
    Vector3 dir;
    NormalizedCopy(direction, dir);
    const ShadowHorizon horizon(grid, heightScale, dir);
    ASSERT_NE(horizon.ShadowedBelow(), nullptr);
    for (const auto& [row, column] : origins) {
        const float edge = HighestBlockedStart(grid, heightScale, row, column, dir);
        for (const float start : {edge, std::nextafter(edge, 0.0f), std::nextafter(edge, 512.0f), edge - 3, edge / 2}) {
            if (start < 0) continue;
            const std::vector<RayStep> steps = MarchSteps(grid, row, column, start, dir);
            // Whether the march meets a cell from each step on.
            std::vector<bool> meets(steps.size() + 1, false);
            for (std::size_t k = steps.size(); k-- > 0;) {
                const double cell = grid.At(steps[k].Row, steps[k].Column) * static_cast<double>(heightScale);
                meets[k] = meets[k + 1] || cell >= steps[k].Height;
            }
            for (std::size_t k = 0; k < steps.size(); ++k) {
                const RayStep& s = steps[k];
                const bool shadow = s.Height >= 0 && s.Height < horizon.ShadowedBelow(s.Row, s.Column);
                const bool light = s.Height > horizon.At(s.Row, s.Column);
                claims.Shadow += shadow;
                claims.Light += light;
                ASSERT_TRUE(!(shadow && !meets[k]) && !(light && meets[k]))
                    << (shadow ? "shadow" : "light") << " claimed at step " << k << " of the ray from " << column
                    << ", " << row << ", height " << start << ", direction " << direction.x << ", " << direction.y
                    << ", " << direction.z << ", scale " << heightScale;
            }
        }
    }
}

// Long low-sun rays over rolling rugged ground, in both orientations of the
// lines and in every quadrant, near a diagonal (rays enter up to three cells
// of a line), near an axis (but not along it) and in between.
TEST(HorizonDoubling, ClaimsHoldAtEveryStepOfLongRays) {
    const auto rolling = [](std::int32_t width, std::int32_t height) {
        return test::MakePicture(width, height, [](std::int32_t row, std::int32_t column) {
            const std::uint32_t noise = (static_cast<std::uint32_t>(row) * 7919u + column * 104729u) * 2654435761u >> 28;
            const double hills = 90 * std::sin(row / 37.0 + column / 11.0) + 60 * std::cos(column / 7.0 - row / 23.0);
            return test::Grey(static_cast<int>(120 + hills + noise));
        });
    };
    const std::vector<Vector3> directions = {
        {0.7071f, 0.05f, -0.7071f}, {-1, 0.02f, 1},    {1, 0.08f, 0.93f},   {0.3f, 0.04f, 1},
        {-0.02f, 0.03f, -1},        {1, 0.01f, 0.05f}, {-1, 0.06f, -0.45f}, {0.45f, 0.1f, -1},
    };
    Claims claims;
    for (const TDibBuffer& picture : {rolling(40, 600), rolling(600, 40)}) {
        const HeightGrid grid = test::GridOf(picture);
        std::vector<std::pair<std::int32_t, std::int32_t>> origins;
        for (std::int32_t row = 3; row < grid.Rows() - 3; row += 13) {
            for (std::int32_t column = 3; column < grid.Columns() - 3; column += 13) origins.emplace_back(row, column);
        }
        for (const Vector3& direction : directions) {
            for (const float heightScale : {1.0f, 0.75f}) CheckClaimsAlongRays(grid, heightScale, direction, origins, claims);
        }
    }
    EXPECT_GT(claims.Shadow, 200000);
    EXPECT_GT(claims.Light, 200000);
}

// Just below column 24576 singles lie 2^-9 apart, and a ray that moves
// 0.00098 (0.0011) across the columns a step moves 2^-9 instead: over a
// thousand rows it drifts a cell from where its slope puts it, and the
// bounds must allow for that. Rolling ground fills the columns the rays cross.
TEST(HorizonDoubling, ClaimsAllowForTheRoundingOfLargeCoordinates) {
    constexpr std::int32_t kEdge = 24576, kColumns = kEdge + 24, kRows = 1500;
    HeightGrid grid(kColumns, kRows);
    for (std::int32_t row = 0; row < kRows; ++row) {
        for (std::int32_t column = kEdge - 40; column < kColumns; ++column) {
            grid.At(row, column) = static_cast<std::uint8_t>(120 + 100 * std::sin(row / 9.0 + column * 1.7));
        }
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> origins;
    for (std::int32_t row = 2; row < kRows / 2; row += 9) {
        for (std::int32_t column = kEdge - 4; column < kEdge + 2; ++column) origins.emplace_back(row, column);
    }
    Claims claims;
    for (const Vector3& direction : {Vector3{0.0011f, 0.02f, 1}, Vector3{0.00098f, 0.05f, 1}, Vector3{-0.00098f, 0.03f, 1}}) {
        CheckClaimsAlongRays(grid, 1.0f, direction, origins, claims);
    }
    EXPECT_GT(claims.Shadow, 10000);
    EXPECT_GT(claims.Light, 10000);
}

}  // namespace
}  // namespace orvalis
