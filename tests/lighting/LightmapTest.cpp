#include "lighting/Lightmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "files/Error.h"
#include "common/HeightGrids.h"
#include "common/ScratchFolderTest.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

using test::Grey;

// The lightmap of a heightmap as a generation shades it (into a picture of
// the heightmap's row order and the given depth).
TDibBuffer Shade(const TDibBuffer& heightmap, const LightSettings& light, int threads = 0,
                 std::uint8_t bitsPerPixel = 24) {
    const HeightPlane plane = HeightsOfPixels(heightmap);
    TNormalMap normals;
    BuildNormalMap(plane, normals, 1.0f, RunOptions{threads, {}});
    TDibBuffer lightmap;
    lightmap.Allocate(heightmap.Width(), heightmap.Height(), bitsPerPixel);
    ShadeLightmap(plane, normals, LightVector(light), 1.0f, lightmap, 0.6f, 0.5f, true,
                  RunOptions{threads, {}});
    return lightmap;
}

int Value(const TDibBuffer& lightmap, std::int32_t row, std::int32_t column) {
    const PixelColour p = lightmap.ReadPixel(row, column);
    EXPECT_TRUE(p.Red == p.Blue && p.Green == p.Blue) << "not grey at " << row << ", " << column;
    return p.Blue;
}

// One lit pixel with the given normal, no shadows.
int ShadeOne(NormalEntry normal, const LightSettings& light) {
    TDibBuffer lightmap;
    lightmap.Allocate(1, 1, 24);
    ShadeLightmap(HeightsOfPixels(test::GreyPicture(1, 1, 0)), TNormalMap{normal}, LightVector(light), 1.0f, lightmap,
                  0.6f, 0.5f, false);
    return Value(lightmap, 0, 0);
}

TEST(LightVector, TurnsWithTheDirectionAndRisesWithTheSun) {
    const Vector3 defaults = LightVector({});
    // With an extended pi, 90 degrees lies just past a right angle: the
    // cosine is a tiny negative number, not 0 and not positive.
    EXPECT_LT(defaults.x, 0.0f);
    EXPECT_GT(defaults.x, -1e-15f);
    EXPECT_EQ(defaults.y, 0.5f);
    EXPECT_EQ(defaults.z, 1.0f);
    EXPECT_EQ(LightVector({0, 10}), (Vector3{1.0f, 0.1f, 0.0f}));
    EXPECT_EQ(LightVector({180, 400}).x, -1.0f);
    EXPECT_EQ(LightVector({180, 400}).y, 4.0f);
}

TEST(ShadeLightmap, IntensityIsAmbientPlusDiffuseCutToOne) {
    EXPECT_EQ(ShadeOne({0, 127, 0}, {}), 210);     // 0.6 + 0.5 x 0.447
    EXPECT_EQ(ShadeOne({0, -57, -114}, {}), 25);   // facing away: d = -1 is not cut at 0
    EXPECT_EQ(ShadeOne({0, 57, 114}, {}), 255);    // facing the light: 1.1 is cut to 1
    EXPECT_EQ(ShadeOne({0, 127, 0}, {90, 400}), 255);
}

TEST(ShadeLightmap, LevelTerrainIsEvenlyLitAwayFromTheFirstRows) {
    const TDibBuffer lightmap = Shade(test::GreyPicture(16, 16, 100), {});
    for (std::int32_t row = 4; row < 16; ++row) {
        for (std::int32_t column = 0; column < 16; ++column) EXPECT_EQ(Value(lightmap, row, column), 210);
    }
    // The first rows lean on outside samples of height 0.
    EXPECT_EQ(Value(lightmap, 0, 8), 118);
}

TEST(ShadeLightmap, AWallCastsItsShadowAwayFromTheLight) {
    // Light from the +x side, low; a wall of grey 30 in column 8 of a black picture.
    const TDibBuffer heightmap = test::MakePicture(16, 16, [](std::int32_t, std::int32_t column) {
        return Grey(column == 8 ? 30 : 0);
    });
    const TDibBuffer lightmap = Shade(heightmap, {0, 10});
    for (std::int32_t column = 0; column < 8; ++column) {
        for (std::int32_t row = 1; row < 15; ++row) EXPECT_EQ(Value(lightmap, row, column), 153);
    }
    // Rays of the first and last rows start on the border and never run.
    for (std::int32_t column = 0; column < 6; ++column) {
        EXPECT_EQ(Value(lightmap, 0, column), 165);
        EXPECT_EQ(Value(lightmap, 15, column), 165);
    }
    for (std::int32_t row = 0; row < 16; ++row) {
        for (std::int32_t column = 11; column < 16; ++column) EXPECT_EQ(Value(lightmap, row, column), 165);
    }
}

TEST(IsInShadow, RaysThatStartOnTheBorderNeverRun) {
    // A high wall in row 12, light from the +z side (90 degrees).
    const HeightGrid grid = test::GridOf(test::MakePicture(16, 16, [](std::int32_t row, std::int32_t) {
        return Grey(row == 12 ? 255 : 0);
    }));
    const Vector3 light = LightVector({90, 50});
    EXPECT_TRUE(IsInShadow(grid, 1.0f, {1, 0, 5}, light));
    EXPECT_TRUE(IsInShadow(grid, 1.0f, {14, 0, 0}, light));
    // The tiny negative x of the light puts the first step of column 0 just
    // left of the picture; the last column lies on the border.
    EXPECT_FALSE(IsInShadow(grid, 1.0f, {0, 0, 5}, light));
    EXPECT_FALSE(IsInShadow(grid, 1.0f, {15, 0, 5}, light));
    // Light with no z component never marches from the first or last row.
    const HeightGrid wall = test::GridOf(test::MakePicture(16, 16, [](std::int32_t, std::int32_t column) {
        return Grey(column == 8 ? 255 : 0);
    }));
    EXPECT_TRUE(IsInShadow(wall, 1.0f, {2, 0, 1}, LightVector({0, 50})));
    EXPECT_FALSE(IsInShadow(wall, 1.0f, {2, 0, 0}, LightVector({0, 50})));
    EXPECT_FALSE(IsInShadow(wall, 1.0f, {2, 0, 15}, LightVector({0, 50})));
}

TEST(IsInShadow, ARayMeetsTheTerrainAtOrBelowTheScaledCellHeight) {
    // Horizontal light over level ground: a ray at exactly the grid height is
    // shadowed; a third above it (r + g + b not a multiple of 3) is not.
    const HeightGrid level = test::GridOf(test::GreyPicture(16, 16, 100));
    EXPECT_EQ(level.Highest(), 100);
    EXPECT_TRUE(IsInShadow(level, 1.0f, {5, 100.0f, 5}, LightVector({0, 0})));
    EXPECT_FALSE(IsInShadow(level, 1.0f, {5, static_cast<float>(301 / 3.0L), 5}, LightVector({0, 0})));
    // A rising ray above every cell is still caught by a wall the height
    // scale lifts above it.
    const HeightGrid wall = test::GridOf(test::MakePicture(16, 16, [](std::int32_t, std::int32_t column) {
        return Grey(column == 8 ? 100 : 0);
    }));
    EXPECT_FALSE(IsInShadow(wall, 1.0f, {2, 150, 8}, {1, 0.05f, 0}));
    EXPECT_TRUE(IsInShadow(wall, 2.0f, {2, 150, 8}, {1, 0.05f, 0}));
}

TEST(ShadeLightmap, EveryThreadCountGivesTheSameBytes) {
    for (const auto& size : {std::pair{37, 23}, std::pair{23, -41}}) {
        const TDibBuffer heightmap = test::RuggedTerrain(size.first, size.second);
        for (const LightSettings light : {LightSettings{30, 20}, LightSettings{250, 5}}) {
            const TDibBuffer one = Shade(heightmap, light, 1);
            for (const int threads : {2, 3}) {
                EXPECT_TRUE(test::SamePixels(one, Shade(heightmap, light, threads)))
                    << size.first << " x " << size.second << ", " << threads << " threads";
            }
        }
    }
}

// A 24-bit lightmap takes its bytes straight into its rows; any other depth
// goes pixel by pixel. Both, in either row order, hold the same values.
TEST(ShadeLightmap, EveryDepthAndRowOrderOfTheTargetGetsTheSameValues) {
    for (const std::int32_t height : {23, -23}) {
        const TDibBuffer heightmap = test::RuggedTerrain(37, height);
        const TDibBuffer bytes = Shade(heightmap, LightSettings{30, 20}, 1);
        const TDibBuffer words = Shade(heightmap, LightSettings{30, 20}, 1, 32);
        for (std::int32_t row = 0; row < bytes.RowCount(); ++row) {
            for (std::int32_t column = 0; column < bytes.Width(); ++column) {
                ASSERT_EQ(Value(words, row, column), Value(bytes, row, column)) << row << ", " << column << ", " << height;
            }
        }
    }
}

// Heights and lightmap both count rows up from the bottom edge: a heightmap
// and a target of either row order (and any depth) show the same lightmap.
TEST(ShadeLightmap, EveryRowOrderOfHeightmapAndTargetShowsTheSameLightmap) {
    const TDibBuffer upright = test::RuggedTerrain(37, 23);
    const TDibBuffer expected = Shade(upright, LightSettings{30, 20});
    for (const bool topDownHeightmap : {false, true}) {
        const HeightPlane plane = HeightsOfPixels(test::Redrawn(upright, topDownHeightmap));
        TNormalMap normals;
        BuildNormalMap(plane, normals, 1.0f);
        for (const bool topDownTarget : {false, true}) {
            for (const std::uint8_t bits : {24, 32}) {
                TDibBuffer lightmap;
                lightmap.Allocate(37, topDownTarget ? -23 : 23, bits);
                ShadeLightmap(plane, normals, LightVector({30, 20}), 1.0f, lightmap, 0.6f, 0.5f, true);
                EXPECT_TRUE(test::SameShownPixels(lightmap, expected))
                    << topDownHeightmap << " " << topDownTarget << " " << static_cast<int>(bits);
            }
        }
    }
}

TEST(ShadeLightmap, RefusesANormalMapOrTargetOfAnotherSize) {
    const HeightPlane heightmap = HeightsOfPixels(test::GreyPicture(4, 3, 10));
    TDibBuffer target = test::GreyPicture(4, 3, 0), shortTarget = test::GreyPicture(4, 2, 0);
    EXPECT_THROW(ShadeLightmap(heightmap, TNormalMap(11), {0, 1, 0}, 1, target, 0.6f, 0.5f, true), Error);
    EXPECT_THROW(ShadeLightmap(heightmap, TNormalMap(12), {0, 1, 0}, 1, shortTarget, 0.6f, 0.5f, true), Error);
}

TEST(LightHeightmap, LightsTheHeightmapAsShownWhateverItsRowOrder) {
    const TDibBuffer heightmap = test::RuggedTerrain(30, 20);
    TDibBuffer topDown;
    topDown.Allocate(30, -20, 24);
    heightmap.BlitTo(topDown.DeviceContext(), 0, 0);
    std::vector<int> reports;
    const RunOptions options{2, [&](SynthesisStage stage, int done, int total) {
                                 EXPECT_EQ(stage, SynthesisStage::Lightmap);
                                 EXPECT_EQ(total, 40);
                                 reports.push_back(done);
                             }};
    const TDibBuffer lightmap = LightHeightmap(Picture{std::move(topDown), {}, {}, false, {}}, {120, 30}, options);

    EXPECT_EQ(lightmap.Width(), 30);
    EXPECT_EQ(lightmap.Height(), 20);
    EXPECT_EQ(lightmap.BitsPerPixel(), 24);
    EXPECT_TRUE(test::SamePixels(lightmap, Shade(heightmap, {120, 30})));
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), 40);
}

}  // namespace
}  // namespace orvalis
