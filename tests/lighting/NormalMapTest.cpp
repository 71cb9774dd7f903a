#include "lighting/NormalMap.h"

#include <gtest/gtest.h>

#include "common/TestPictures.h"

namespace orvalis {
namespace {

using test::Grey;

NormalEntry Entry(std::int8_t x, std::int8_t y, std::int8_t z) { return NormalEntry{x, y, z}; }

TNormalMap NormalsOf(const TDibBuffer& heightmap, int threads = 0) {
    TNormalMap normals;
    BuildNormalMap(HeightsOfPixels(heightmap), normals, 1.0f, RunOptions{threads, {}});
    return normals;
}

TEST(BuildNormalMap, SlopesGiveTruncatedUnitNormals) {
    const TDibBuffer level = test::GreyPicture(20, 16, 100);
    EXPECT_EQ(NormalsOf(level)[8 * 20 + 8], Entry(0, 127, 0));

    // Height rising by 2 per column: (-0.894, 0.447, 0) x 127 truncates to (-113, 56, 0).
    const TDibBuffer eastSlope = test::MakePicture(20, 16, [](std::int32_t, std::int32_t column) {
        return Grey(10 * column);
    });
    EXPECT_EQ(NormalsOf(eastSlope)[8 * 20 + 8], Entry(-113, 56, 0));

    const TDibBuffer northSlope = test::MakePicture(20, 16, [](std::int32_t row, std::int32_t) {
        return Grey(10 * row);
    });
    EXPECT_EQ(NormalsOf(northSlope)[8 * 20 + 8], Entry(0, 56, -113));
}

TEST(BuildNormalMap, OutsideSamplesKeepTheHeightTheirSlotLastHad) {
    // At row 0, column 0 only sample 3 (row 2, column 2) lies inside; the
    // others never were and count as height 0.
    const TDibBuffer level = test::GreyPicture(16, 12, 100);
    const TNormalMap normals = NormalsOf(level);
    EXPECT_EQ(normals[0], Entry(-12, 125, -12));
    // From row 4 on every outside sample carries a height of the same level
    // over from an earlier pixel, so even the border columns and the last
    // rows are level. (The samples two rows back lie inside only from row 3,
    // column 1 or 3, on.)
    EXPECT_NE(normals[3 * 16 + 0], Entry(0, 127, 0));
    for (std::int32_t row = 4; row < 12; ++row) {
        for (std::int32_t column = 0; column < 16; ++column) {
            EXPECT_EQ(normals[row * 16 + column], Entry(0, 127, 0)) << row << ", " << column;
        }
    }
    // A single pixel: every sample lies outside and stays at 0.
    EXPECT_EQ(NormalsOf(test::GreyPicture(1, 1, 200)), TNormalMap{Entry(0, 127, 0)});
}

TEST(BuildNormalMap, NonSquareAndTopDownPicturesHaveOneEntryPerPixelRowByRow) {
    const TDibBuffer wideTopDown = test::MakePicture(13, -7, [](std::int32_t, std::int32_t column) {
        return Grey(10 * column);
    });
    const TNormalMap wide = NormalsOf(wideTopDown);
    ASSERT_EQ(wide.size(), 13u * 7u);
    EXPECT_EQ(wide[4 * 13 + 5], Entry(-113, 56, 0));

    const TDibBuffer tall = test::MakePicture(7, 13, [](std::int32_t row, std::int32_t) {
        return Grey(10 * row);
    });
    const TNormalMap normals = NormalsOf(tall);
    ASSERT_EQ(normals.size(), 7u * 13u);
    EXPECT_EQ(normals[6 * 7 + 3], Entry(0, 56, -113));
}

TEST(BuildNormalMap, EveryThreadCountGivesTheSameBytes) {
    // More threads cut the rows into more bands, so the heights that outside
    // samples carry over must come out the same wherever a band begins.
    for (const auto& size : {std::pair{37, 23}, std::pair{23, -41}, std::pair{2, 50}, std::pair{1, 9}}) {
        const TDibBuffer heightmap = test::RuggedTerrain(size.first, size.second);
        const TNormalMap one = NormalsOf(heightmap, 1);
        for (const int threads : {2, 3}) {
            EXPECT_EQ(NormalsOf(heightmap, threads), one)
                << size.first << " x " << size.second << ", " << threads << " threads";
        }
    }
}

}  // namespace
}  // namespace orvalis
