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

constexpr double kRadians = std::numbers::pi / 180;

SkyVector UnitNormal(const GroundSlope& slope) {
    const double length = std::sqrt(1 + slope.East * slope.East + slope.North * slope.North);
    return {-slope.East / length, -slope.North / length, 1 / length};
}

SkyVector Toward(const SunPosition& sun) {
    const SunVector v = TowardSun(sun);
    return {v.East, v.North, v.Up};
}

struct FaceCase {
    SunPosition Sun;
    GroundSlope Slope;
};

const FaceCase kFaces[] = {
    {{0, 90, 0}, {0, 0}},        {{0, 90, 0}, {0.5, 0}},     {{0, 90, 0}, {-1.5, 1}},
    {{300, 12, 0}, {0, 0}},      {{300, 12, 0}, {0.4, -0.2}}, {{300, 12, 0}, {-0.4, 0.2}},
    {{135, 40, 0}, {0.3, 0.3}},  {{135, 40, 0}, {-3, 0}},    {{45, 2, 0}, {0, -0.8}},
};

// The open sky on a face, from the directions' wedges and from the table of
// normals, is the plain sum over the sky within the 16 directions' coarseness.
TEST(ClearSky, OpenSkyOnAFaceIsThePlainSumOverTheSky) {
    for (const FaceCase& c : kFaces) {
        const ClearSky sky(c.Sun);
        double directions = 0;
        for (int d = 0; d < kSkyDirections; ++d) directions += sky.FromDirection(d, 0, c.Slope);
        const double reference = ReferenceSkyLight(Toward(c.Sun), UnitNormal(c.Slope), [](double) { return 0.0; });
        const std::string name = "sun " + std::to_string(c.Sun.Azimuth) + " / " + std::to_string(c.Sun.Elevation) +
                                 ", slope " + std::to_string(c.Slope.East) + ", " + std::to_string(c.Slope.North);
        EXPECT_NEAR(sky.OnOpenFace(c.Slope), directions, 2e-3) << name;
        EXPECT_NEAR(directions, reference, 0.03 * reference + 0.005) << name;
        if (c.Slope.East == 0 && c.Slope.North == 0) {
            EXPECT_NEAR(directions, 1.0, 1e-12) << name;
            EXPECT_NEAR(sky.OnOpenFace(c.Slope), 1.0, 1e-12) << name;
        }
    }
}

// Shaded ground keeps its relief: under a low sun a face turned toward the
// sun's side of the sky gets more than level ground, one turned away less,
// and a steeper face turned away less still.
TEST(ClearSky, FacesTowardTheSunsSideOfTheSkyAreBrighter) {
    const ClearSky sky(SunPosition{270, 12, 0});  // in the west
    const double toward = sky.OnOpenFace({0.3, 0}), away = sky.OnOpenFace({-0.3, 0});
    EXPECT_GT(toward, 1.05);
    EXPECT_LT(away, 0.95);
    EXPECT_LT(sky.OnOpenFace({-0.8, 0}), away);
    // Across the sun's direction the two sides see the same sky.
    EXPECT_NEAR(sky.OnOpenFace({0, 0.3}), sky.OnOpenFace({0, -0.3}), 1e-9);
}

// The terrain's horizon takes its part of the sky away: none at all above a
// vertical wall, in the reference's proportion below.
TEST(ClearSky, AHorizonHidesTheSkyBelowIt) {
    struct Case {
        double HorizonDegrees;
        GroundSlope Slope;
    };
    const Case cases[] = {{10, {0, 0}}, {30, {0, 0}}, {30, {0.2, -0.3}}, {60, {0, 0.5}}};
    const SunPosition sun{200, 25, 0};
    const ClearSky sky(sun);
    for (const Case& c : cases) {
        const double tangent = std::tan(c.HorizonDegrees * kRadians);
        double hidden = 0, walled = 0;
        for (int d = 0; d < kSkyDirections; ++d) {
            hidden += sky.FromDirection(d, tangent, c.Slope);
            walled += sky.FromDirection(d, INFINITY, c.Slope);
        }
        const double reference = ReferenceSkyLight(Toward(sun), UnitNormal(c.Slope),
                                                   [&c](double) { return c.HorizonDegrees * kRadians; });
        EXPECT_NEAR(hidden, reference, 0.03 * reference + 0.005) << c.HorizonDegrees;
        EXPECT_LT(hidden, sky.OnOpenFace(c.Slope)) << c.HorizonDegrees;
        EXPECT_EQ(walled, 0.0) << c.HorizonDegrees;
    }
}

// The most light an open face can receive, sun and sky together: 1 for a
// sun in the zenith or with no sky light, more for a low sun whose sky is
// brightest beside it.
TEST(ClearSky, MostLightOfAnyFace) {
    EXPECT_NEAR(ClearSky(SunPosition{0, 90, 0}).MostLight(0.3, TowardSun({0, 90, 0})), 1.0, 1e-9);
    EXPECT_EQ(ClearSky(SunPosition{300, 12, 0}).MostLight(0, TowardSun({300, 12, 0})), 1.0);
    const SunPosition low{300, 12, 0};
    const ClearSky sky(low);
    const double most = sky.MostLight(0.3, TowardSun(low));
    EXPECT_GT(most, 1.05);
    EXPECT_LT(most, 0.3 * 3 + 0.7);
}

// Light above 1 rolls off below it: unchanged up to the knee, then smooth,
// rising, and 1 exactly at the most.
TEST(ClearSky, BrightLightRollsOffWithoutACut) {
    struct Case {
        double Light, Most, Expected;
    };
    const Case cases[] = {
        {0.5, 1.0, 0.5}, {1.0, 1.0, 1.0}, {1.2, 1.0, 1.0},  // nothing above 1: only a guard
        {0.7, 1.2, 0.7}, {0.8, 1.2, 0.8},                   // up to the knee 2 - most
        {1.2, 1.2, 1.0}, {1.0, 1.2, 1 - 0.04 / 0.8},         // the parabola
    };
    for (const Case& c : cases) EXPECT_NEAR(LightWithinOne(c.Light, c.Most), c.Expected, 1e-12) << c.Light;
    for (const double most : {1.05, 1.2, 1.6}) {
        double previous = 0;
        for (double light = 0; light <= most; light += 0.001) {
            const double v = LightWithinOne(light, most);
            ASSERT_GE(v, previous) << most;
            ASSERT_LE(v - previous, 0.001 + 1e-9) << most;  // never steeper than the line
            ASSERT_LE(v, 1.0) << most;
            previous = v;
        }
    }
}

}  // namespace
}  // namespace orvalis
