#include "lighting/ClearSky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "lighting/RealScaleLight.h"
#include "common/SkyReference.h"

namespace orvalis {
namespace {

using test::ReferenceSkyLight;
using test::SkyVector;

SkyVector UnitNormal(const GroundSlope& s) {
    const double length = std::sqrt(1 + s.East * s.East + s.North * s.North);
    return {-s.East / length, -s.North / length, 1 / length};
}

SkyVector Toward(const SunPosition& sun) {
    const SunVector v = TowardSun(sun);
    return {v.East, v.North, v.Up};
}

// The sky on a face, from the directions' wedges (open, or above a horizon)
// and from the table of open faces, is the plain sum over the sky within the
// 16 directions' coarseness; level open ground gets 1, a wall-high horizon 0.
TEST(ClearSky, LightOnAFaceIsThePlainSumOverTheSky) {
    struct Case {
        SunPosition Sun;
        GroundSlope Slope;
        double HorizonDegrees;
    };
    const Case cases[] = {
        {{0, 90, 0}, {0, 0}, 0},      {{0, 90, 0}, {0.5, 0}, 0},     {{0, 90, 0}, {-1.5, 1}, 0},
        {{300, 12, 0}, {0, 0}, 0},    {{300, 12, 0}, {0.4, -0.2}, 0}, {{135, 40, 0}, {-3, 0}, 0},
        {{45, 2, 0}, {0, -0.8}, 0},   {{200, 25, 0}, {0, 0}, 30},    {{200, 25, 0}, {0.2, -0.3}, 30},
        {{200, 25, 0}, {0, 0.5}, 60},
    };
    for (const Case& c : cases) {
        const ClearSky sky(c.Sun);
        const double horizon = c.HorizonDegrees * std::numbers::pi / 180;
        double sum = 0, walled = 0;
        for (int d = 0; d < kSkyDirections; ++d) {
            sum += sky.FromDirection(d, std::tan(horizon), c.Slope);
            walled += sky.FromDirection(d, INFINITY, c.Slope);
        }
        const double reference = ReferenceSkyLight(Toward(c.Sun), UnitNormal(c.Slope), [&](double) { return horizon; });
        const int index = static_cast<int>(&c - cases);
        EXPECT_NEAR(sum, reference, 0.03 * reference + 0.005) << index;
        EXPECT_EQ(walled, 0.0) << index;
        // Open: the table's value, 1 on level ground. Under a horizon: less.
        const double open = sky.OnOpenFace(c.Slope);
        if (horizon > 0) {
            EXPECT_LT(sum, open) << index;
        } else {
            EXPECT_NEAR(open, sum, 2e-3) << index;
            if (c.Slope.East == 0 && c.Slope.North == 0) {
                EXPECT_NEAR(sum, 1.0, 1e-12) << index;
            }
        }
    }
}

// Shaded ground keeps its relief: under a low sun a face turned toward the
// sun's side of the sky gets more than level ground, one turned away less,
// and a steeper face turned away less still; across the sun's direction both
// sides see the same sky.
TEST(ClearSky, FacesTowardTheSunsSideOfTheSkyAreBrighter) {
    const ClearSky sky(SunPosition{270, 12, 0});  // in the west
    const double toward = sky.OnOpenFace({0.3, 0}), away = sky.OnOpenFace({-0.3, 0});
    EXPECT_GT(toward, 1.05);
    EXPECT_LT(away, 0.95);
    EXPECT_LT(sky.OnOpenFace({-0.8, 0}), away);
    EXPECT_NEAR(sky.OnOpenFace({0, 0.3}), sky.OnOpenFace({0, -0.3}), 1e-9);
    // The most any open face receives: more than 1 beside a low sun, 1 with
    // the sun in the zenith or no sky light.
    EXPECT_GT(sky.MostLight(0.3, TowardSun({270, 12, 0})), 1.05);
    EXPECT_EQ(sky.MostLight(0, TowardSun({270, 12, 0})), 1.0);
    EXPECT_NEAR(ClearSky(SunPosition{0, 90, 0}).MostLight(0.3, TowardSun({0, 90, 0})), 1.0, 1e-9);
}

// Light above 1 rolls off below it: unchanged up to the knee 2 - most, then
// rising, never steeper than the line, and 1 exactly at the most.
TEST(ClearSky, BrightLightRollsOffWithoutACut) {
    struct Case {
        double Light, Most, Expected;
    };
    const Case cases[] = {{0.5, 1.0, 0.5}, {1.2, 1.0, 1.0}, {0.8, 1.2, 0.8}, {1.2, 1.2, 1.0}, {1.0, 1.2, 0.95}};
    for (const Case& c : cases) EXPECT_NEAR(LightWithinOne(c.Light, c.Most), c.Expected, 1e-12) << c.Light;
    for (const double most : {1.05, 1.6}) {
        double previous = 0;
        for (double light = 0; light <= most; light += 0.001) {
            const double v = LightWithinOne(light, most);
            ASSERT_TRUE(v >= previous && v - previous <= 0.001 + 1e-9 && v <= 1) << most << " " << light;
            previous = v;
        }
    }
}

}  // namespace
}  // namespace orvalis
