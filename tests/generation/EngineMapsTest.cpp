#include <array>
#include <cstdint>
#include <numeric>
#include <span>
#include <vector>

#include <gtest/gtest.h>

#include "lighting/NormalMapColours.h"
#include "blending/SplatMap.h"
#include "common/TestPictures.h"

namespace orvalis {
namespace {

int Sum(const SplatWeights& w) { return std::accumulate(w.begin(), w.end(), 0); }

// Every row's weights, in the order they come.
std::vector<SplatWeights> BuildSplatMap(const TDibBuffer& heightmap, std::int32_t textureSize) {
    std::vector<SplatWeights> map;
    std::int32_t expectedRow = 0;
    ForEachSplatRow(heightmap, textureSize, [&](std::int32_t y, std::span<const SplatWeights> weights) {
        EXPECT_EQ(y, expectedRow++);
        EXPECT_EQ(weights.size(), static_cast<std::size_t>(textureSize));
        map.insert(map.end(), weights.begin(), weights.end());
    });
    return map;
}

// Every height's weights add up to 255 and follow the blend's bands: each
// byte is within one of weight x 255 and zero where the blend's weight is.
TEST(SplatWeightsAt, AddUpTo255AndFollowTheBlendWeights) {
    for (int h = 0; h < 256; ++h) {
        const SplatWeights w = SplatWeightsAt(static_cast<float>(h));
        EXPECT_EQ(Sum(w), 255) << h;
        for (int i = 0; i < kTileCount; ++i) {
            const double exact = BandWeight(BandCentres[i], static_cast<float>(h)) * 255.0;
            EXPECT_LT(std::abs(w[i] - exact), 1.0) << h << " band " << i;
            if (exact == 0) {
                EXPECT_EQ(w[i], 0) << h << " band " << i;
            }
        }
    }
    // The remainder goes to the larger share; on a tie to the higher centre.
    EXPECT_EQ(SplatWeightsAt(255.0f), (SplatWeights{251, 4, 0, 0, 0}));  // 251.02 + 3.98
    EXPECT_EQ(SplatWeightsAt(96.0f), (SplatWeights{0, 0, 128, 127, 0}));  // 127.5 + 127.5
    EXPECT_EQ(SplatWeightsAt(64.0f), (SplatWeights{0, 0, 0, 255, 0}));
}

// The map covers the texture top row first from the stretched heightmap:
// a 2 x 2 heightmap with its top row at 192 and bottom row at 0 gives a
// 4 x 4 map of two halves.
TEST(ForEachSplatRow, CoversTheTextureTopRowFirst) {
    for (const std::int32_t height : {2, -2}) {
        const TDibBuffer heightmap = test::MakePicture(2, height, [height](std::int32_t row, std::int32_t) {
            const bool top = height > 0 ? row == 1 : row == 0;
            return test::Grey(top ? 192 : 0);
        });
        const std::vector<SplatWeights> map = BuildSplatMap(heightmap, 4);
        ASSERT_EQ(map.size(), 16u);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(map[i], SplatWeightsAt(i < 8 ? 192.0f : 0.0f)) << height << " pixel " << i;
        }
    }
}

// Level ground points straight up (blue); slopes tilt red or green, with
// the picture's top as green's positive side.
TEST(NormalMapColours, LevelGroundIsBlueAndSlopesTiltAwayFromTheirRise) {
    struct Case {
        const char* Name;
        int (*Grey)(std::int32_t row, std::int32_t column);
        std::array<std::uint8_t, 3> Centre;
    };
    const Case cases[] = {
        {"level", [](std::int32_t, std::int32_t) { return 100; }, {128, 128, 255}},
        {"rising to the right", [](std::int32_t, std::int32_t column) { return 10 * column; },
         {14, 128, 184}},  // entry (-113, 56, 0)
        {"rising to the top", [](std::int32_t row, std::int32_t) { return 10 * row; },
         {128, 14, 184}},  // entry (0, 56, -113), row 0 at the bottom
    };
    constexpr std::int32_t kSize = 9;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TDibBuffer heightmap = test::MakePicture(
            kSize, kSize, [&c](std::int32_t row, std::int32_t column) { return test::Grey(c.Grey(row, column)); });
        TNormalMap normals;
        BuildNormalMap(HeightsOfPixels(heightmap), normals, 1.0f);
        const std::vector<std::uint8_t> colours = NormalMapColours(normals, kSize, kSize);
        ASSERT_EQ(colours.size(), std::size_t{kSize * kSize * 3});
        const std::size_t centre = (4 * kSize + 4) * 3;
        EXPECT_EQ((std::array<std::uint8_t, 3>{colours[centre], colours[centre + 1], colours[centre + 2]}),
                  c.Centre);
    }
    // The first colour row is the heightmap's top row (its last buffer row).
    TNormalMap tilted(4, NormalEntry{0, 127, 0});
    tilted[2] = NormalEntry{127, 0, 0};  // row 1, column 0
    EXPECT_EQ(NormalMapColours(tilted, 2, 2)[0], 255);
}

}  // namespace
}  // namespace orvalis
