#include "blending/HeightBlend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "files/Error.h"
#include "common/RealHeights.h"
#include "common/TestPictures.h"
#include "common/TestTiles.h"

namespace orvalis {
namespace {

TEST(BandLevel, PlacesHeightsBetweenTheBandCentres) {
    struct Case {
        const char* Name;
        BandHeights Bands;
        double Height;
        double Level;
    };
    const BandHeights levels = DefaultBandHeights({0, 255});
    const BandHeights coast = {1000, 500, 0, -50, -100};  // sea level on band 128
    const Case cases[] = {
        {"level 0", levels, 0, 0},          {"level 100", levels, 100, 100},
        {"level 255", levels, 255, 255},    {"above the top centre", levels, 300, 256},
        {"sea level", coast, 0, 128},       {"a hill", coast, 250, 160},
        {"the shelf", coast, -75, 32},      {"a peak", coast, 2000, 256},
        {"the deep", coast, -500, 0},       {"on a centre", coast, 500, 192},
    };
    for (const Case& c : cases) EXPECT_NEAR(BandLevel(c.Bands, c.Height), c.Level, 1e-12) << c.Name;
    // Metres from a 16-bit scale of -100 .. 8000: level 128's height.
    EXPECT_NEAR(DefaultBandHeights({-100, 8000})[2], -100 + 128 * 8100 / 255.0, 1e-9);
}

TEST(BandLevel, BandHeightsMustFall) {
    const BandHeights refused[] = {{5, 4, 3, 3, 1}, {1, 2, 3, 4, 5}, {5, 4, NAN, 2, 1}, {INFINITY, 4, 3, 2, 1}};
    for (const BandHeights& bands : refused) EXPECT_THROW(CheckBandHeights(bands), Error);
    EXPECT_NO_THROW(CheckBandHeights({1000, 500, 0, -50, -100}));
}

// On whole grey levels with the default bands the blend by heights is the
// classic blend, but for each channel's rounding (one sum rounded against
// two shares rounded): the tiles sit where they do in the classic texture.
TEST(BlendByHeights, MatchesTheClassicBlendOnWholeLevels) {
    const test::Tiles tiles = test::PatternedTiles();
    const TDibBuffer heightmap = test::MakePicture(64, 64, [](std::int32_t row, std::int32_t column) {
        return test::Grey((row * 4 + column * 3) % 256);
    });
    const TDibBuffer classic = BlendTexture(heightmap, tiles.Set(), 64, {});
    const TDibBuffer byHeights = BlendByHeights(HeightsOfPixels(heightmap), DefaultBandHeights({0, 255}), tiles.Set());
    ASSERT_EQ(byHeights.Width(), 64);
    ASSERT_EQ(byHeights.RowCount(), 64);
    for (std::int32_t row = 0; row < 64; ++row) {
        for (std::int32_t column = 0; column < 64; ++column) {
            const PixelColour a = classic.ReadPixel(row, column), b = byHeights.ReadPixel(row, column);
            ASSERT_LE(std::abs(a.Red - b.Red), 1) << row << ", " << column;
            ASSERT_LE(std::abs(a.Green - b.Green), 1) << row << ", " << column;
            ASSERT_LE(std::abs(a.Blue - b.Blue), 1) << row << ", " << column;
        }
    }
}

// A texture of any shape, one pixel a height: the bands' own tiles at their
// centres, an even mix halfway, from the given band heights.
TEST(BlendByHeights, MixesTheTwoBandsAroundEachHeight) {
    const test::Tiles tiles = test::SolidTiles(
        {PixelColour{200, 0, 0}, PixelColour{0, 200, 0}, PixelColour{0, 0, 200}, PixelColour{100, 100, 100}, PixelColour{0, 0, 0}});
    const BandHeights coast = {1000, 500, 0, -50, -100};
    const double heights[] = {1000, 500, 0, -50, -100, 250, -25, 5000};
    const PixelColour expected[] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {100, 100, 100}, {0, 0, 0},
                                    {0, 100, 100}, {50, 50, 150}, {200, 0, 0}};
    const HeightPlane plane = test::RealHeightPlane(8, 3, [&](std::int32_t, std::int32_t column) { return heights[column]; });
    const TDibBuffer texture = BlendByHeights(plane, coast, tiles.Set());
    ASSERT_EQ(texture.Width(), 8);
    ASSERT_EQ(texture.RowCount(), 3);
    for (std::int32_t row = 0; row < 3; ++row) {
        for (std::int32_t column = 0; column < 8; ++column) {
            const PixelColour p = texture.ReadPixel(row, column);
            EXPECT_EQ(p.Blue, expected[column].Blue) << column;
            EXPECT_EQ(p.Green, expected[column].Green) << column;
            EXPECT_EQ(p.Red, expected[column].Red) << column;
        }
    }
}

}  // namespace
}  // namespace orvalis
