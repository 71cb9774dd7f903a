// The two bounds per cell that follow rays along their band, checked at
// every step of long rays from start heights at the very edge of their
// answer: above the upper bound a ray meets nothing more, below the height
// that claims a shadow (from 0 up) it surely meets a cell that reaches it.
#include "lighting/ShadowHorizon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "lighting/ShadowMarch.h"
#include "math/Geometry.h"

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

// Whether the march meets a cell from each step on.
std::vector<bool> MeetsFrom(const HeightGrid& grid, float heightScale, const std::vector<RayStep>& steps) {
    std::vector<bool> meets(steps.size() + 1, false);
    for (std::size_t k = steps.size(); k-- > 0;) {
        meets[k] = meets[k + 1] || grid.At(steps[k].Row, steps[k].Column) * static_cast<double>(heightScale) >= steps[k].Height;
    }
    return meets;
}

// The highest start whose ray is blocked (the answer changes once as the
// start rises), or -1 when none from 0 up is.
float HighestBlockedStart(const HeightGrid& grid, float heightScale, std::int32_t row, std::int32_t column,
                          const Vector3& dir) {
    const auto blocked = [&](float y) -> bool {
        return MeetsFrom(grid, heightScale, MarchSteps(grid, row, column, y, dir))[0];
    };
    if (!blocked(0)) return -1;
    float low = 0, high = 512;
    while (std::nextafter(low, high) < high) {
        const float middle = low + (high - low) / 2;
        (blocked(middle) ? low : high) = middle == low ? high : middle;
    }
    return low;
}

// Long low-sun rays in both orientations of the lines and every quadrant,
// near a diagonal (rays enter up to three cells of a line), near an axis
// (but not along it) and in between, over rolling rugged ground; and just
// below column 24576, where singles lie 2^-9 apart and a ray that moves
// 0.00098 (0.0011) across the columns a step moves 2^-9 instead, drifting
// a cell from where its slope puts it over a thousand rows. Starts at the
// blocked edge, a single's step either side and further below.
TEST(HorizonDoubling, ClaimsHoldAtEveryStepOfLongRays) {
    const auto rolling = [](std::int32_t columns, std::int32_t rows, std::int32_t from) {
        HeightGrid grid(columns, rows);
        for (std::int32_t row = 0; row < rows; ++row) {
            for (std::int32_t column = from; column < columns; ++column) {
                const std::uint32_t noise = (static_cast<std::uint32_t>(row) * 7919u + column * 104729u) * 2654435761u >> 28;
                grid.At(row, column) = static_cast<std::uint8_t>(120 + 90 * std::sin(row / 37.0 + column / 11.0) +
                                                                 20 * std::cos(column * 1.7 - row / 23.0) + noise);
            }
        }
        return grid;
    };
    const std::vector<Vector3> around = {
        {0.7071f, 0.05f, -0.7071f}, {-1, 0.02f, 1},    {1, 0.08f, 0.93f},   {0.3f, 0.04f, 1},
        {-0.02f, 0.03f, -1},        {1, 0.01f, 0.05f}, {-1, 0.06f, -0.45f}, {0.45f, 0.1f, -1},
    };
    const std::vector<Vector3> nearlyAlongColumns = {{0.0011f, 0.02f, 1}, {0.00098f, 0.05f, 1}, {-0.00098f, 0.03f, 1}};
    constexpr std::int32_t kEdge = 24576;
    const struct {
        HeightGrid Grid;
        const std::vector<Vector3>& Directions;
        std::int32_t FirstColumn, EndColumn, ColumnStride, RowStride;
    } cases[] = {
        {rolling(40, 600, 0), around, 3, 37, 13, 13},
        {rolling(600, 40, 0), around, 3, 597, 13, 13},
        {rolling(kEdge + 24, 1500, kEdge - 40), nearlyAlongColumns, kEdge - 4, kEdge + 2, 1, 9},
    };
    int shadowClaims = 0, lightClaims = 0;
    for (const auto& c : cases) {
        for (const Vector3& direction : c.Directions) {
            Vector3 dir;
            NormalizedCopy(direction, dir);
            for (const float heightScale : {1.0f, 0.75f}) {
                const ShadowHorizon horizon(c.Grid, heightScale, dir);
                ASSERT_NE(horizon.ShadowedBelow(), nullptr);
                for (std::int32_t row = 3; row < std::min(c.Grid.Rows() - 3, 750); row += c.RowStride) {
                    for (std::int32_t column = c.FirstColumn; column < c.EndColumn; column += c.ColumnStride) {
                        const float edge = HighestBlockedStart(c.Grid, heightScale, row, column, dir);
                        for (const float start : {edge, std::nextafter(edge, 0.0f), std::nextafter(edge, 512.0f), edge - 3, edge / 2}) {
                            if (start < 0) continue;
                            const std::vector<RayStep> steps = MarchSteps(c.Grid, row, column, start, dir);
                            const std::vector<bool> meets = MeetsFrom(c.Grid, heightScale, steps);
                            for (std::size_t k = 0; k < steps.size(); ++k) {
                                const RayStep& s = steps[k];
                                const bool shadow = s.Height >= 0 && s.Height < horizon.ShadowedBelow(s.Row, s.Column);
                                const bool light = s.Height > horizon.At(s.Row, s.Column);
                                shadowClaims += shadow;
                                lightClaims += light;
                                ASSERT_TRUE(!(shadow && !meets[k]) && !(light && meets[k]))
                                    << (shadow ? "shadow" : "light") << " claimed at step " << k << " of the ray from "
                                    << column << ", " << row << ", height " << start << ", direction " << direction.x
                                    << ", " << direction.y << ", " << direction.z << ", scale " << heightScale;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(shadowClaims, 500000);
    EXPECT_GT(lightClaims, 500000);
}

}  // namespace
}  // namespace orvalis
